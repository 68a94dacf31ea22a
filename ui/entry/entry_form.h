#pragma once

#include <QWidget>
#include <string>
#include <vector>

#include "core/ledger.h"

namespace kakeibo {

class TForm1;

// The entry form "各種入力フォーム": a frameless tool window that records entries and budgets.
class TForm3 final : public QWidget {
    Q_OBJECT

public:
    TForm3(Ledger& ledger, TForm1& mainWindow, QWidget* parent = nullptr);

    // Placement from WindowLayout slot 0, histories from DataDir, expense tab, receipt 0.
    void FormCreate();
    // Refills the entry list of the edited month and the wallet balance.
    void DrawCell();

    // The shop and memo history lists, newest first, as a save writes them.
    std::vector<std::string> ShopHistory() const;
    std::vector<std::string> MemoHistory() const;

private:
    Ledger& ledger_;
    TForm1& mainWindow_;
    std::vector<std::string> shopHistory_;
    std::vector<std::string> memoHistory_;
};

}  // namespace kakeibo
