#pragma once

#include <QLabel>
#include <QRect>
#include <QWidget>
#include <functional>

#include "core/ledger.h"
#include "core/sheets.h"

class QComboBox;
class QPainter;
class QTableWidget;

namespace kakeibo {

class Workspace;

// A picture that acts on a click (the close and maximise symbols).
class TClickImage final : public QLabel {
public:
    explicit TClickImage(QWidget* parent = nullptr);
    std::function<void()> OnClick;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// The data sheet "データシート": a frameless tool window that shows one of the seven sheets
// of the edited month in its grid. It stays alive while hidden and is refilled by the main
// window after every change of the ledger or of the edit date.
class TForm5 final : public QWidget {
    Q_OBJECT

public:
    TForm5(Ledger& ledger, Workspace& mainWindow, QWidget* parent = nullptr);

    // Placement from WindowLayout slot 2, the sheet list, no expansions, then "今月の支出".
    void FormCreate();
    // Lays the grid out for a sheet kind, then fills; the passbook asks for its account first
    // and changes nothing when none is chosen.
    void GridMode(int kind);
    void ComboBox1Change();
    // Fills the grid with the texts of a sheet kind, from the ledger as it is now.
    void DrawCell(int kind);
    // DrawCell of the sheet chosen in ComboBox1: the main window's refill after a change.
    void DrawCurrentSheet();
    // Collapses every item of every sheet.
    void HojyoInit();
    // Draws one cell from the grid's texts and the sheet kind alone: the headings centred,
    // column 0 left-aligned with the budget gauge under item rows of the two budget sheets,
    // the other columns right-aligned with negative figures in red.
    void StringGrid1DrawCell(QPainter& painter, int column, int row, const QRect& rect, bool fixed,
                             bool selected) const;
    // A press of any button at x, y of the grid's rows (its viewport): flips the item of an
    // item row when pressed in the item column, and refills.
    void StringGrid1MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void Image2Click();
    void Image3Click();
    bool Maximised() const { return maximised_; }

    // The size a request gets: while maximised the window sits right under the main window
    // and ends 50 pixels above the screen's bottom; its width stays as requested.
    static QRect FormCanResize(bool maximised, const QRect& requested, int mainHeight,
                               int screenHeight);

    // SheetKind, ExpandedItems, SheetRowItems and PassbookChoice.
    SheetState State;
    // The texts of the last fill, cell by cell as the grid holds them.
    const SheetGrid& Grid() const { return grid_; }

    QLabel* Image1 = nullptr;             // title picture "データシート"; drags the window
    TClickImage* Image2 = nullptr;        // close symbol (Image2Click)
    TClickImage* Image3 = nullptr;        // maximise/restore symbol (Image3Click)
    QLabel* Image5 = nullptr;             // restore symbol, Image3's picture while maximised
    QLabel* Image6 = nullptr;             // decoration in the corner where the window is sized
    QComboBox* ComboBox1 = nullptr;       // which of the seven sheets is shown
    QTableWidget* StringGrid1 = nullptr;  // the sheet, one text per cell; a press expands an item

protected:
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void FormResize();
    void FormPaint();
    QString CellText(int row, int column) const;
    void KeepMaximisedPlace();
    int MainWindowHeight() const;
    int ScreenHeight() const;

    Ledger& ledger_;
    Workspace& mainWindow_;
    SheetGrid grid_;
    bool maximised_ = false;
    QRect normalGeometry_;
};

}  // namespace kakeibo
