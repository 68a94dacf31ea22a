#include "ui/entry/entry_form.h"

#include "core/ledger_files.h"

namespace kakeibo {

TForm3::TForm3(Ledger& ledger, TForm1& mainWindow, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint), ledger_(ledger), mainWindow_(mainWindow) {
    setObjectName(QStringLiteral("TForm3"));
    setWindowTitle(QStringLiteral("各種入力フォーム"));
    setFixedSize(583, 483);
}

void TForm3::FormCreate() {
    const LayoutSlot& slot = ledger_.WindowLayout[kLayoutEntryForm];
    move(slot.Left, slot.Top);
    shopHistory_ = ReadHistory(ledger_.DataDir + "mise.dat");
    memoHistory_ = ReadHistory(ledger_.DataDir + "memo.dat");
    setVisible(slot.Visible == 1);
}

void TForm3::DrawCell() {}

std::vector<std::string> TForm3::ShopHistory() const { return shopHistory_; }

std::vector<std::string> TForm3::MemoHistory() const { return memoHistory_; }

}  // namespace kakeibo
