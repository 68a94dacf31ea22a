#include "ui/main/main_window.h"

#include <QCloseEvent>

#include "ui/entry/entry_form.h"

namespace kakeibo {

TForm1::TForm1(Ledger& ledger, QWidget* parent) : QMainWindow(parent), ledger_(ledger) {}

void TForm1::FormCreate() {}
void TForm1::init() {}
void TForm1::AllUpdate() {}
void TForm1::ComboBox1Change() {}
void TForm1::ComboBox2Change() {}
void TForm1::ToolButton1Click() {}
void TForm1::ToolButton2Click() {}
void TForm1::N4Click() {}
void TForm1::N6Click() {}
void TForm1::N9Click() {}
void TForm1::N16Click() {}
void TForm1::N11Click() {}
void TForm1::N13Click() {}
void TForm1::FormVisibleInit() {}
void TForm1::Find1Click() {}
void TForm1::N3Click() {}
void TForm1::N5Click() {}
void TForm1::About1Click() {}
void TForm1::FormVisible(QObject*, bool) {}
void TForm1::SetEntryForm(TForm3* form) {
    entryForm_ = form;
}
void TForm1::SetDataSheet(QWidget* sheet, std::function<void()> refill) {
    dataSheet_ = sheet;
    dataSheetRefill_ = std::move(refill);
}
void TForm1::SelectDate(const Date&) {}
void TForm1::closeEvent(QCloseEvent* event) {
    event->accept();
}

}  // namespace kakeibo
