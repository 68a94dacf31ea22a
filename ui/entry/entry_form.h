#pragma once

#include <QPixmap>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/ledger/ledger.h"
#include "core/money_in/recurring.h"
#include "core/session/ledger_session.h"
#include "ui/entry/entry_logic.h"
#include "ui/window/tool_window.h"

class QAction;
class QComboBox;
class QKeyEvent;
class QLabel;
class QMenu;
class QPushButton;
class QRadioButton;
class QTableView;

namespace kakeibo {

class EntryListModel;
class TBorderLabel;
class TBevelPanel;
class TNValEdit;
class TNValLabel;
class TPictureButton;
class TTabStrip;
class PendingComposition;

// The entry form "各種入力フォーム": a frameless tool window that records entries and budgets.
// It lists the edited month's entries, edits and deletes them, and keeps the shop and memo
// histories. It stays alive while hidden.
class TForm3 final : public TToolWindow {
    Q_OBJECT

public:
    TForm3(Ledger& ledger, Workspace& mainWindow, QWidget* parent = nullptr);
    static constexpr int kFormWidth = 583;  // the form's fixed size
    static constexpr int kFormHeight = 483;

    // Placement from WindowLayout slot 0, histories from DataDir, expense tab, receipt 0.
    void FormCreate();
    // Refills the entry list of the edited month and the wallet balance.
    void DrawCell();
    void Refill() override { DrawCell(); }
    // The month's entry list, every entry of it.
    std::unique_ptr<PrintDocument> Printed() const override;

    // Shows the session's shop and memo histories in the two lists, the typed texts kept.
    void ShowTextHistories(const TextHistories& texts);
    // The shop and memo history lists, newest first, as a save writes them.
    std::vector<std::string> ShopHistory() const;
    std::vector<std::string> MemoHistory() const;

    // The tab strip and the panel.
    void TabDraw(int k);
    void Tab1MouseDown(int x);
    // Configures the panel for a tab and makes it the current tab (the settings dialog calls
    // it with CurrentTab() after a change of items).
    void SetKamoku(EntryTab tab);
    // Refills the sub-item lists: only the first after a change of ComboBox5, only the
    // second after a change of ComboBox3, both for any other source.
    void SetHojyo(const QObject* source);
    EntryTab CurrentTab() const { return currentTab_; }
    // Position in ComboBox5 / ComboBox3 -> item number; positions not filled hold 0.
    const std::array<int32_t, 31>& Item1Map() const { return item1Map_; }
    const std::array<int32_t, 31>& Item2Map() const { return item2Map_; }

    // Recording.
    void KinyuClick();
    void RecieptClear();
    int64_t ReceiptTotal() const { return receiptTotal_; }

    // The entry list.
    void SG31Click();
    void SG31MouseDown(Qt::MouseButton button, int x, int y);
    void sakujyo1Click();
    void henshu();
    int SelectedSlot() const { return selectedSlot_; }
    // Back to writing new entries, as after a write.
    void LeaveEditMode() { SetEditMode(false); }
    // The list's rows as shown: the headings, one row per entry, the spare row.
    int EntryListRowCount() const;
    QString EntryListCell(int row, int column) const;
    // The list's current row counted like EntryListCell (1 = the first entry).
    int EntryListCurrentRow() const;

    // Budgets.
    void YosanClick();
    void Button1Click();

    // Controls, by their names.
    QLabel* Image3 = nullptr;    // title picture "各種入力フォーム"; drags the window
    QTableView* SG31 = nullptr;  // the month's entries; right click for edit/delete
    TTabStrip* tab1 = nullptr;   // the strip of four tabs: expense, transfer, income, budget
    std::array<QLabel*, kEntryTabCount>
        TabPictures{};              // tab2..tab5: the strip drawn with each tab in front (hidden)
    TBevelPanel* Panel1 = nullptr;  // the bevelled panel below the strip that holds the fields
    QLabel* Image1 = nullptr;       // side picture of the panel
    TBorderLabel* BorderLabel1 = nullptr;  // caption of the first item list (follows the tab)
    QComboBox* ComboBox5 = nullptr;   // first item (Item1): expense item, destination account, ...
    QComboBox* ComboBox12 = nullptr;  // sub-item of ComboBox5
    TBorderLabel* BorderLabel9 = nullptr;  // caption of the second item list (follows the tab)
    QComboBox* ComboBox3 = nullptr;  // second item (Item2): the account paid from, income item, ...
    QComboBox* ComboBox4 = nullptr;  // sub-item of ComboBox3
    TBorderLabel* BorderLabel2 = nullptr;   // caption "お店の名前"
    QComboBox* ComboBox1 = nullptr;         // shop name, editable, with history (mise.dat)
    TBorderLabel* BorderLabel3 = nullptr;   // caption "税区分"
    QRadioButton* RadioButton1 = nullptr;   // tax included
    QRadioButton* RadioButton2 = nullptr;   // tax excluded, with its rate: 「税抜(10%)」
    QRadioButton* RadioButton3 = nullptr;   // other
    TBorderLabel* BorderLabel4 = nullptr;   // caption "金額"
    TNValEdit* NValEdit5 = nullptr;         // amount, separators added as typed; Enter writes
    TBorderLabel* BorderLabel5 = nullptr;   // caption "一言メモ"
    QComboBox* ComboBox2 = nullptr;         // memo, editable, with history (memo.dat)
    QPushButton* Button1 = nullptr;         // budget tab: copy last month's budgets
    QPushButton* Button2 = nullptr;         // budget tab: store the budget (YosanClick)
    TPictureButton* SPB5 = nullptr;         // write button (KinyuClick)
    TBorderLabel* BorderLabel6 = nullptr;   // caption "記入" under the write button
    TPictureButton* SPB6 = nullptr;         // close button
    TBorderLabel* BorderLabel7 = nullptr;   // caption "閉る" under the close button
    TBorderLabel* BorderLabel11 = nullptr;  // rule between the fields and the totals
    QLabel* Panel2 = nullptr;               // caption "入力" of the totals row
    TBorderLabel* BorderLabel8 = nullptr;   // caption "レシート合計"
    TNValLabel* NValLabel1 = nullptr;       // receipt total since the last clear
    TPictureButton* Image2 = nullptr;       // clears the receipt total (RecieptClear)
    TBorderLabel* BorderLabel10 = nullptr;  // caption "お財布残金"
    TNValLabel* NValLabel2 = nullptr;       // wallet's balance at the end of the edited month
    QMenu* PopupMenu1 = nullptr;            // the entry list's right-click menu
    QAction* Delete1 = nullptr;             // "削除" (sakujyo1Click)
    QAction* Edit1 = nullptr;               // "編集" (henshu)
    // 「定期入出金を記入（3件）」: what is due in the edited month (TeikiKinyuClick).
    QPushButton* Button3 = nullptr;
    QAction* Teiki1 = nullptr;  // popup "定期入出金に登録" (Teiki1Click)

    // Recurring entries: the due list written as one change; a template made from the
    // entry under the list's cursor; the button's caption and visibility.
    void TeikiKinyuClick();
    void Teiki1Click();
    void RefreshRecurring();

protected:
    void FormShow() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void BuildPanel();
    void BuildEntryList();
    // Names and labels for a screen reader.
    void NameControls();
    // The entry list's keys: the menu key and Shift+F10 open its menu, Delete deletes.
    bool EntryListKeyPress(const QKeyEvent& key);
    void ConnectHandlers();
    void SetTabOrder();
    // Opens the drop-down of an item or sub-item list on a blank; true when it did.
    bool AnyBoxKeyPress(QObject* source, QChar key);
    // Enter in the amount field; true when it wrote (or tried to write) the entry.
    bool AmountEnter(const QKeyEvent& key);
    void FillSubItems(QComboBox* list, const std::array<int32_t, 31>& map, int position);
    void SetWalletBalance();
    // 「税抜」 with the rate of the edited date and the chosen first item.
    void ShowTaxRate();
    void SetEditMode(bool editing);

    // Recording steps.
    // `amount`: the amount typed, read once (nothing when it is not one).
    bool CheckWritable(const std::optional<int64_t>& amount, bool newEntry);
    // Writes the panel with `amount` into `slot`; false when that changed nothing.
    bool DataWrite(int slot, int64_t amount);
    void RememberText(QComboBox* field, const QString& text, int max);
    QString ShopText() const;
    QString MemoText() const;
    void MoveCurrentRow(int modelRow);

    Ledger& ledger_;
    EntryListModel* model_ = nullptr;
    std::array<QPixmap, kEntryTabCount> tabPictures_{};
    std::array<QPixmap, kEntryTabCount> transparentTabs_{};
    std::array<std::array<QString, 2>, kEntryTabCount> TabCaptions{};
    EntryTab currentTab_ = EntryTab::Expense;
    std::array<int32_t, 31> item1Map_{};
    std::array<int32_t, 31> item2Map_{};
    int64_t receiptTotal_ = 0;
    // The shop's and memo's unfinished conversion, committed before a write reads them.
    PendingComposition* composition_ = nullptr;
    int selectedSlot_ = 0;
    // The data folder's templates, read again when the file changes.
    std::vector<RecurringEntry> recurring_;
    QString recurringStamp_;
};

}  // namespace kakeibo
