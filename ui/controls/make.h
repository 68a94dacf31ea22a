#pragma once

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QWidget>

namespace kakeibo {

// A control of a dialog built in code: named as tests find it, at its fixed place.
template <typename Widget>
Widget* Make(QWidget* parent, const char* name, QRect geometry) {
    auto* w = new Widget(parent);
    w->setObjectName(QString::fromUtf8(name));
    w->setGeometry(geometry);
    return w;
}

// A caption sized to its text, its top left at `at`.
inline QLabel* MakeLabel(QWidget* parent, const char* name, QPoint at, const char* caption) {
    auto* label = new QLabel(QString::fromUtf8(caption), parent);
    label->setObjectName(QString::fromUtf8(name));
    label->adjustSize();
    label->move(at);
    return label;
}

// Names a field that has no caption of its own for a screen reader: a caption beside it
// that nobody sees, its buddy, which the reader takes as the field's label.
inline QLabel* HiddenLabelFor(QWidget* field, const QString& name) {
    auto* label = new QLabel(name, field->parentWidget());
    label->setObjectName(field->objectName() + QStringLiteral("Label"));
    label->setBuddy(field);
    label->hide();
    return label;
}

// A reader lands in an editable list's field, not the list: the field is named by the caption.
inline void NameListField(QComboBox* list, const QLabel* caption) {
    if (list->lineEdit() != nullptr) list->lineEdit()->setAccessibleName(caption->text().trimmed());
}

}  // namespace kakeibo
