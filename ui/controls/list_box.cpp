#include "ui/controls/list_box.h"

#include <QComboBox>
#include <QLineEdit>

namespace kakeibo {

QComboBox* MakeListBox(QWidget* parent, const char* name, const QRect& geometry, bool editable) {
    auto* c = new QComboBox(parent);
    c->setObjectName(QString::fromUtf8(name));
    c->setGeometry(geometry);
    c->setEditable(editable);
    c->setMaxVisibleItems(16);
    if (editable) {
        c->setInsertPolicy(QComboBox::NoInsert);
        c->setCompleter(nullptr);
        c->lineEdit()->setAttribute(Qt::WA_InputMethodEnabled);
    }
    return c;
}

}  // namespace kakeibo
