#pragma once

#include <QTableWidget>
#include <functional>

namespace kakeibo {

// The data sheet's grid: a table of texts whose row 0 (the headings, shown by the header) is
// hidden. A screen reader reads it as a table of the rows shown, the item names as row
// headers, each cell's text without padding or the item marks, item rows open or closed.
// Space, Enter and Return on an item row open or close it, as a press on its name does; Tab
// leaves the grid.
class TSheetGrid final : public QTableWidget {
    Q_OBJECT

public:
    explicit TSheetGrid(QWidget* parent = nullptr);

    // Flips the item of a grid row; false when the row is no item row.
    void SetFlipHandler(std::function<bool(int row)> handler) { onFlip_ = std::move(handler); }
    bool Flip(int row) { return onFlip_ && onFlip_(row); }

    // The rows a reader is given, in order: every row that is not hidden.
    QList<int> ShownRows() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::function<bool(int row)> onFlip_;
};

}  // namespace kakeibo
