// How a data-sheet cell is drawn: gauges and red figures, decided from its text.
#pragma once

#include <optional>
#include <string>

#include "core/reports/sheets.h"

namespace kakeibo {

// The whole budget is this many pixels of gauge: the width of the item column.
inline constexpr int kGaugeLength = 128;
// The gauge strip runs from this far below the cell's top to the cell's bottom.
inline constexpr int kGaugeTop = 20;

// The gauge under an item's name: a cyan strip the cell's width, and on it a bar from
// BarLeft to BarRight (pixels from the cell's left edge, the right end excluded; empty when
// they meet), red where the budget is missed, blue otherwise.
struct BudgetGauge {
    int BarLeft = 0;
    int BarRight = 0;
    bool Red = false;

    bool operator==(const BudgetGauge&) const = default;
};

// The gauge of a row of 今月の支出 or 今月の収入 from its texts in column 0 (the label), 2 (this
// month's actual) and 3 (the budget). Nothing for other sheets, rows that are not item rows,
// a budget of 0, or a figure that is not a whole number.
std::optional<BudgetGauge> GaugeOf(int kind, const std::string& label, const std::string& actual,
                                   const std::string& budget);

// A cell right of column 0 whose text is a number below 0 is drawn in red, as this text;
// nothing for every other text (names, memos, rates with their "%", positive figures).
std::optional<std::string> RedFigure(const std::string& text);

// What a press on the grid does: nothing, a refill, or the flip of one item and a refill.
struct SheetClick {
    bool Refill = false;
    int FlipItem = -1;  // the item whose expansion flips, -1 for none

    bool operator==(const SheetClick&) const = default;
};

// A press on the sheet `kind` filled as `grid`, on row `row` as the grid shows it (0 = the
// headings) and in column `column`. Only item rows of 今月の支出, 今月の収入, 科目日計表 and the
// three year sheets act; a press in the item column flips the item, elsewhere on the row the
// sheet is only refilled.
SheetClick ClickOnSheet(const SheetGrid& grid, const SheetState& state, int kind, int row,
                        int column);

// A cell as a screen reader speaks it: without the blanks that pad it (ideographic ones too;
// a run of them inside becomes one blank) and, in the item column, without the "+" or "-"
// that marks an item row, which says instead whether the item is open.
struct SpokenCell {
    std::string Text;
    bool Expandable = false;  // an item row that opens into its sub-items
    bool Expanded = false;

    bool operator==(const SpokenCell&) const = default;
};
SpokenCell SpeakCell(const std::string& text, int column);

}  // namespace kakeibo
