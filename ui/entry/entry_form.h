#pragma once

#include <QPixmap>
#include <QWidget>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/ledger.h"
#include "ui/entry/entry_logic.h"

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
class Workspace;
class TNValEdit;
class TNValLabel;
class TPictureButton;
class TTabStrip;
class PendingComposition;

// The entry form "各種入力フォーム": a frameless tool window that records entries and budgets.
// It lists the edited month's entries, edits and deletes them, and keeps the shop and memo
// histories. It stays alive while hidden.
class TForm3 final : public QWidget {
    Q_OBJECT

public:
    TForm3(Ledger& ledger, Workspace& mainWindow, QWidget* parent = nullptr);

    // Placement from WindowLayout slot 0, histories from DataDir, expense tab, receipt 0.
    void FormCreate();
    // Refills the entry list of the edited month and the wallet balance.
    void DrawCell();

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
    // The list's rows as shown: the headings, one row per entry, the spare row.
    int EntryListRowCount() const;
    QString EntryListCell(int row, int column) const;
    // The list's current row counted like EntryListCell (1 = the first entry).
    int EntryListCurrentRow() const;

    // Budgets.
    void YosanClick();
    void Button1Click();

    // Controls, by their names.
    QLabel* Image3 = nullptr;
    QTableView* SG31 = nullptr;
    TTabStrip* tab1 = nullptr;
    std::array<QLabel*, kEntryTabCount> TabPictures{};  // tab2, tab3, tab4, tab5 (hidden)
    TBevelPanel* Panel1 = nullptr;
    QLabel* Image1 = nullptr;
    TBorderLabel* BorderLabel1 = nullptr;
    QComboBox* ComboBox5 = nullptr;
    QComboBox* ComboBox12 = nullptr;
    TBorderLabel* BorderLabel9 = nullptr;
    QComboBox* ComboBox3 = nullptr;
    QComboBox* ComboBox4 = nullptr;
    TBorderLabel* BorderLabel2 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    TBorderLabel* BorderLabel3 = nullptr;
    QRadioButton* RadioButton1 = nullptr;
    QRadioButton* RadioButton2 = nullptr;
    QRadioButton* RadioButton3 = nullptr;
    TBorderLabel* BorderLabel4 = nullptr;
    TNValEdit* NValEdit5 = nullptr;
    TBorderLabel* BorderLabel5 = nullptr;
    QComboBox* ComboBox2 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    TPictureButton* SPB5 = nullptr;
    TBorderLabel* BorderLabel6 = nullptr;
    TPictureButton* SPB6 = nullptr;
    TBorderLabel* BorderLabel7 = nullptr;
    TBorderLabel* BorderLabel11 = nullptr;
    QLabel* Panel2 = nullptr;
    TBorderLabel* BorderLabel8 = nullptr;
    TNValLabel* NValLabel1 = nullptr;
    TPictureButton* Image2 = nullptr;
    TBorderLabel* BorderLabel10 = nullptr;
    TNValLabel* NValLabel2 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* Delete1 = nullptr;
    QAction* Edit1 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void BuildPanel();
    void BuildEntryList();
    void ConnectHandlers();
    void SetTabOrder();
    void FormShow();
    void FormPaint();
    // Opens the drop-down of an item or sub-item list on a blank; true when it did.
    bool AnyBoxKeyPress(QObject* source, QChar key);
    // Enter in the amount field; true when it wrote (or tried to write) the entry.
    bool AmountEnter(const QKeyEvent& key);
    void FillSubItems(QComboBox* list, const std::array<int32_t, 31>& map, int position);
    void SetWalletBalance();
    void SetEditMode(bool editing);

    // Recording steps.
    bool CheckWritable(bool newEntry);
    void DataWrite(int slot);
    void RememberText(QComboBox* field, const QString& text, int max);
    QString ShopText() const;
    QString MemoText() const;
    void MoveCurrentRow(int modelRow);

    Ledger& ledger_;
    Workspace& mainWindow_;
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
};

}  // namespace kakeibo
