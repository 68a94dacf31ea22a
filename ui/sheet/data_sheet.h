#pragma once

#include <QRect>

#include "core/ledger/ledger.h"
#include "core/reports/sheets.h"
#include "ui/window/tool_window.h"

class QComboBox;
class QLabel;
class QPainter;
class QPushButton;
class QTableWidget;

namespace kakeibo {

// The data sheet "データシート": a frameless tool window that shows one of the seven sheets
// of the edited month, or one of the three of whole years, in its grid. It stays alive while
// hidden and is refilled by the main window after every change of the ledger or of the edit
// date.
class TForm5 final : public TSheetWindow {
    Q_OBJECT

public:
    TForm5(Ledger& ledger, Workspace& mainWindow, QWidget* parent = nullptr);

    // Placement from WindowLayout slot 2, the sheet list, no expansions, then "今月の支出".
    void FormCreate();
    // The window's width at which 「今月の支出」 and 「今月の収入」 show every column whole,
    // beside the scroll bar.
    static int MonthSheetWidth();
    // Lays the grid out for a sheet kind, then fills; the passbook asks for its account first
    // and changes nothing when none is chosen.
    void GridMode(int kind);
    // The user's pick in the sheet list: the sheet, shown whole where the screen has room.
    void ComboBox1Change();
    // The window's width at which every column of the sheet on show reads whole.
    int WholeWidth() const;
    // Fills the grid with the texts of a sheet kind, from the ledger as it is now.
    void DrawCell(int kind);
    // DrawCell of the sheet chosen in ComboBox1: the main window's refill after a change.
    void DrawCurrentSheet();
    void Refill() override { DrawCurrentSheet(); }
    TextTable ShownTable() const override;
    QString ShownTitle() const override;
    std::unique_ptr<PrintDocument> Printed() const override;
    // Collapses every item of every sheet.
    void HojyoInit();
    // 「前年の家計簿を選ぶ…」: the ledger 前年比較 compares with, chosen in a file dialog.
    void Button1Click();
    // Draws one cell from the grid's texts and the sheet kind alone: the headings centred,
    // column 0 left-aligned with the budget gauge under item rows of the two budget sheets,
    // the other columns right-aligned with negative figures in red.
    void StringGrid1DrawCell(QPainter& painter, int column, int row, const QRect& rect, bool fixed,
                             bool selected) const;
    // A press of any button at x, y of the grid's rows (its viewport): flips the item of an
    // item row when pressed in the item column, and refills.
    void StringGrid1MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    // Space or Enter on a row: opens or closes its item, as a press on the name does; false
    // for a row that is no item row.
    bool FlipRow(int row);
    // SheetKind, ExpandedItems, SheetRowItems, PassbookChoice and last year's totals.
    SheetState State;
    // The texts of the last fill, cell by cell as the grid holds them.
    const SheetGrid& Grid() const { return grid_; }

    QLabel* Image1 = nullptr;        // title picture "データシート"; drags the window
    QLabel* Image6 = nullptr;        // decoration in the corner where the window is sized
    QComboBox* ComboBox1 = nullptr;  // which of the ten sheets is shown
    QPushButton* Button1 = nullptr;  // 「前年の家計簿を選ぶ…」, beside the list on 前年比較
    QTableWidget* StringGrid1 = nullptr;  // the sheet, one text per cell; a press expands an item

protected:
    void FormResize() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    QString CellText(int row, int column) const;

    Ledger& ledger_;
    SheetGrid grid_;
};

}  // namespace kakeibo
