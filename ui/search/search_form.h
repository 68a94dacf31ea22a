#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "core/calendar.h"
#include "core/ledger/ledger.h"
#include "core/reports/search.h"
#include "core/reports/year_search.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QModelIndex;
class QPainter;
class QPushButton;
class QStyleOptionViewItem;
class QTableView;

namespace kakeibo {

class HitTableModel;
class TBorderLabel;

// The search window "検索フォーム": lists the year's entries that match an item, a sub-item,
// part of a shop name and part of a memo, sortable by column, with the highest and lowest
// amounts. Created once and shown modally; the last results stay between showings.
class TForm6 final : public QDialog {
    Q_OBJECT

public:
    using HistorySource = std::function<std::vector<std::string>()>;
    // Shows the entry of `date` in the ledger whose entries file is `path` (opening that
    // ledger first when it is not the open one); false when it was not shown.
    using HitOpener = std::function<bool(const std::string& path, const Date& date)>;

    // It only reads the ledger and never calls the main window back.
    explicit TForm6(Ledger& ledger, QWidget* parent = nullptr);

    // Where the entry form's shop and memo histories come from; read at every showing.
    void SetHistories(HistorySource shops, HistorySource memos);
    // Where a result is opened; without one a double click does nothing.
    void SetHitOpener(HitOpener open) { open_ = std::move(open); }

    // Resets the conditions and the grid's columns; keeps the results.
    void FormShow();
    // Refills the sub-item list for the chosen item.
    void ComboBox1Change();
    // Runs the search.
    void Button1Click();
    // Sorts by column 0 date, 1 amount, 2 shop or 3 memo (any other only refills) and
    // refills the grid.
    void DrawSG(int column);
    // A press in the grid at x, y (heading row at the top, scrolled columns counted).
    void SG1MouseDown(Qt::MouseButton button, int x, int y);
    void SG1DrawCell(QPainter* painter, const QStyleOptionViewItem& option,
                     const QModelIndex& index) const;
    void Button2Click();
    // A double click on result `row`: its entry's day, in its own year's ledger; the window
    // closes once it is shown.
    void SG1DblClick(int row);

    const std::vector<int32_t>& HitList() const { return result_.HitList; }
    // The hits of the last search over every year, in the grid's order.
    const std::vector<YearHit>& YearHits() const { return years_.Hits; }
    // The grid's rows below the heading, and one cell's text.
    int HitRowCount() const;
    QString HitCell(int row, int column) const;

    // Controls, by their names.
    QLabel* Image1 = nullptr;               // title picture
    TBorderLabel* BorderLabel1 = nullptr;   // caption "項目"
    QComboBox* ComboBox1 = nullptr;         // item to match, or any
    TBorderLabel* BorderLabel3 = nullptr;   // caption "お店の名前"
    QComboBox* ComboBox3 = nullptr;         // part of a shop name, editable, with the shop history
    TBorderLabel* BorderLabel2 = nullptr;   // caption "細目"
    QComboBox* ComboBox2 = nullptr;         // sub-item of ComboBox1, or any
    TBorderLabel* BorderLabel4 = nullptr;   // caption "一言メモ"
    QComboBox* ComboBox4 = nullptr;         // part of a memo, editable, with the memo history
    TBorderLabel* BorderLabel13 = nullptr;  // heading "日付" of the two summary rows
    TBorderLabel* BorderLabel15 = nullptr;  // heading "金額"
    TBorderLabel* BorderLabel14 = nullptr;  // heading "お店の名前"
    TBorderLabel* BorderLabel5 = nullptr;   // caption "最高値"
    TBorderLabel* BL7 = nullptr;            // date of the highest amount
    TBorderLabel* BL11 = nullptr;           // the highest amount
    TBorderLabel* BL9 = nullptr;            // shop of the highest amount
    TBorderLabel* BorderLabel6 = nullptr;   // caption "最安値"
    TBorderLabel* BL8 = nullptr;            // date of the lowest amount
    TBorderLabel* BL12 = nullptr;           // the lowest amount
    TBorderLabel* BL10 = nullptr;           // shop of the lowest amount
    QTableView* SG1 = nullptr;              // the hits; a click on a heading sorts (DrawSG)
    QPushButton* Button1 = nullptr;         // "検索開始": runs the search; also Enter
    QPushButton* Button2 = nullptr;         // "閉じる"
    QCheckBox* CheckBox1 = nullptr;  // 「全ての年」: every year's ledger, with a 年 column

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void BuildGrid();
    void FormPaint();
    void ShowLabels(TBorderLabel* date, TBorderLabel* amount, TBorderLabel* shop,
                    const HitLabels& labels);
    // The grid's columns for the one year or for every year.
    void SetColumns(bool allYears);
    std::string OpenLedgerFile() const;

    Ledger& ledger_;
    HistorySource shops_;
    HistorySource memos_;
    HitOpener open_;
    SearchResult result_;
    // The search over every year: its hits, the ledgers it read and the open ledger's file.
    bool allYears_ = false;
    YearSearchResult years_;
    std::string searchedFile_;
    AllYearsCache yearsCache_;
    HitTableModel* model_ = nullptr;
};

}  // namespace kakeibo
