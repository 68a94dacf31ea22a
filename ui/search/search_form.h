#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "core/ledger.h"
#include "core/search.h"

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

    // It only reads the ledger and never calls the main window back.
    explicit TForm6(Ledger& ledger, QWidget* parent = nullptr);

    // Where the entry form's shop and memo histories come from; read at every showing.
    void SetHistories(HistorySource shops, HistorySource memos);

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

    const std::vector<int32_t>& HitList() const { return result_.HitList; }
    // The grid's rows below the heading, and one cell's text.
    int HitRowCount() const;
    QString HitCell(int row, int column) const;

    // Controls, by their names.
    QLabel* Image1 = nullptr;
    TBorderLabel* BorderLabel1 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    TBorderLabel* BorderLabel3 = nullptr;
    QComboBox* ComboBox3 = nullptr;
    TBorderLabel* BorderLabel2 = nullptr;
    QComboBox* ComboBox2 = nullptr;
    TBorderLabel* BorderLabel4 = nullptr;
    QComboBox* ComboBox4 = nullptr;
    TBorderLabel* BorderLabel13 = nullptr;
    TBorderLabel* BorderLabel15 = nullptr;
    TBorderLabel* BorderLabel14 = nullptr;
    TBorderLabel* BorderLabel5 = nullptr;
    TBorderLabel* BL7 = nullptr;
    TBorderLabel* BL11 = nullptr;
    TBorderLabel* BL9 = nullptr;
    TBorderLabel* BorderLabel6 = nullptr;
    TBorderLabel* BL8 = nullptr;
    TBorderLabel* BL12 = nullptr;
    TBorderLabel* BL10 = nullptr;
    QTableView* SG1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;

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

    Ledger& ledger_;
    HistorySource shops_;
    HistorySource memos_;
    SearchResult result_;
    HitTableModel* model_ = nullptr;
};

}  // namespace kakeibo
