#include "ui/sheet/passbook_choice.h"

#include <QComboBox>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>

#include "core/reports/sheets.h"
#include "ui/controls/border_label.h"
#include "ui/platform/focus_return.h"
#include "ui/platform/platform.h"

namespace kakeibo {

TFormkoza::TFormkoza(const Ledger& ledger, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), ledger_(ledger) {
    setObjectName(QStringLiteral("TFormkoza"));
    setWindowTitle(QStringLiteral("通帳記帳口座選択"));
    setFixedSize(463, 90);
    setModal(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::white);
    setPalette(palette);
    setAutoFillBackground(true);

    auto label = [this](TBorderLabel*& l, const char* name, const QString& text, int top) {
        l = MakeBorderLabel(this, name, QRect(72, top, 69, 20), text,
                            this->palette().color(QPalette::Window), Qt::AlignHCenter);
    };
    label(BorderLabel1, "BorderLabel1", QStringLiteral("口座項目"), 16);
    label(BorderLabel2, "BorderLabel2", QStringLiteral("細目"), 48);
    // Pick-only, so Ok always has a line of each list to report.
    auto list = [this](QComboBox*& c, const char* name, int top) {
        c = new QComboBox(this);
        c->setObjectName(QString::fromUtf8(name));
        c->setGeometry(160, top, 145, 20);
    };
    list(ComboBox1, "ComboBox1", 16);
    list(ComboBox2, "ComboBox2", 48);
    auto button = [this](QPushButton*& b, const char* name, const QString& text, int top) {
        b = new QPushButton(text, this);
        b->setObjectName(QString::fromUtf8(name));
        b->setGeometry(352, top, 75, 25);
    };
    button(Button1, "Button1", QStringLiteral("Ok"), 16);
    button(Button2, "Button2", QStringLiteral("Cancel"), 48);
    Button1->setDefault(true);

    ConnectGuarded(ComboBox1, &QComboBox::currentIndexChanged, this, &TFormkoza::ComboBox1Change);
    ConnectGuarded(Button1, &QPushButton::clicked, this, &TFormkoza::Button1Click);
    ConnectGuarded(Button2, &QPushButton::clicked, this, &TFormkoza::Button2Click);
}

int32_t TFormkoza::Choose(const Ledger& ledger, QWidget* parent) {
    TFormkoza dialog(ledger, parent);
    dialog.exec();
    return dialog.Code();
}

int32_t Platform::ChoosePassbookAccount(const Ledger& ledger, QWidget* over) {
    const FocusReturn back;
    return TFormkoza::Choose(ledger, over);
}

void TFormkoza::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void TFormkoza::FormShow() {
    code_ = 1;
    const QSignalBlocker blocker(ComboBox1);
    ComboBox1->clear();
    for (int a = 0; a < 2; ++a)
        ComboBox1->addItem(QString::fromStdString(ledger_.ItemTable[a].Name));
    ComboBox1->setCurrentIndex(0);
    setHojyo1(0);
}

void TFormkoza::ComboBox1Change() {
    setHojyo1(ComboBox1->currentIndex());
}

void TFormkoza::setHojyo1(int a) {
    ComboBox2->clear();
    if (a < 0 || a > 1) return;
    for (const std::string& name : ledger_.SubItemTable[a]) {
        ComboBox2->addItem(QString::fromStdString(name));
    }
    ComboBox2->setCurrentIndex(0);
}

void TFormkoza::Button1Click() {
    code_ = EncodePassbookChoice(ComboBox1->currentIndex(), ComboBox2->currentIndex());
    accept();
}

void TFormkoza::Button2Click() {
    code_ = 1;
    reject();
}

}  // namespace kakeibo
