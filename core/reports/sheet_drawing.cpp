#include "core/reports/sheet_drawing.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "core/numbers.h"

namespace kakeibo {

namespace {

constexpr int kSubItemRows = kSubItemCount;

// A figure as the sheets write it: "," between groups, blanks before it.
std::optional<long double> FigureOf(const std::string& text) {
    const std::string plain = RemoveCommas(text);
    const size_t first = plain.find_first_not_of(' ');
    if (first == std::string::npos) return std::nullopt;
    return ParseDecimal(std::string_view(plain).substr(first));
}

bool IsItemLabel(const std::string& label) {
    return !label.empty() && (label[0] == '+' || label[0] == '-');
}

// A bar clipped to the strip; a bar that starts right of its end is empty.
BudgetGauge Bar(double from, double to, bool red) {
    const double length = kGaugeLength;
    const int left = static_cast<int>(std::clamp(from, 0.0, length));
    const int right = static_cast<int>(std::clamp(to, 0.0, length));
    return BudgetGauge{left, std::max(left, right), red};
}

}  // namespace

std::optional<BudgetGauge> GaugeOf(int kind, const std::string& label, const std::string& actual,
                                   const std::string& budget) {
    if ((kind != ExpenseSheet && kind != IncomeSheet) || !IsItemLabel(label)) return std::nullopt;
    const auto a = FigureOf(actual);
    const auto b = FigureOf(budget);
    if (!a || !b || *a != std::trunc(*a) || *b != std::trunc(*b) || *b == 0) return std::nullopt;
    // The default rounding mode takes halves to the even neighbour.
    const double n = std::nearbyint(static_cast<double>(*a) / static_cast<double>(*b) *
                                    static_cast<double>(kGaugeLength));
    const double full = kGaugeLength;
    if (kind == ExpenseSheet) {
        // Spent so far in blue; beyond the budget, the overspent share in red.
        return n <= full ? Bar(0, n, false) : Bar(0, n - full, true);
    }
    // Still to come in red; beyond the budget, the share received over it in blue.
    return n <= full ? Bar(n, full, true) : Bar(0, n - full, false);
}

std::optional<std::string> RedFigure(const std::string& text) {
    const auto value = FigureOf(text);
    if (!value || *value >= 0) return std::nullopt;
    return FormatNumber(*value, 10, 0);
}

SheetClick ClickOnSheet(const SheetGrid& grid, const SheetState& state, int kind, int row,
                        int column) {
    const bool year = kind == YearSheet || kind == YearComparisonSheet || kind == YearsSheet;
    if (kind != ExpenseSheet && kind != IncomeSheet && kind != DailySheet && !year) return {};
    if (row < 1 || row >= grid.RowCount() || grid.ColumnCount() == 0) return {};
    // Sub-item rows begin with a blank, the rows below the list are empty.
    if (!IsItemLabel(grid.Cell(row, 0))) return {};
    const auto& items = state.SheetRowItems[kind];
    const auto& expanded = state.ExpandedItems[kind];
    int position = 0;
    if (year) {
        // Totals and blank rows stand between the groups; every item row there has its label.
        for (int r = 1; r < row; ++r) position += IsItemLabel(grid.Cell(r, 0)) ? 1 : 0;
    } else {
        // Every expanded item above the row adds its sub-item rows to the row number.
        position = row - 1;
        for (int j = 0; j < position && j < kItemCount; ++j) {
            const int item = items[j];
            if (item >= 0 && item < kItemCount && expanded[item]) position -= kSubItemRows;
        }
    }
    SheetClick click{true, -1};
    if (column == 0 && position >= 0 && position < kItemCount) click.FlipItem = items[position];
    return click;
}

SpokenCell SpeakCell(const std::string& text, int column) {
    SpokenCell spoken;
    std::string_view rest = text;
    if (column == 0 && IsItemLabel(text) && text.size() > 1) {
        spoken.Expandable = true;
        spoken.Expanded = text[0] == '-';
        rest.remove_prefix(1);
    }
    static constexpr std::string_view kIdeographicBlank = "\xE3\x80\x80";
    bool blank = false;
    for (size_t i = 0; i < rest.size();) {
        const bool ideographic = rest.substr(i, kIdeographicBlank.size()) == kIdeographicBlank;
        if (ideographic || rest[i] == ' ') {
            blank = true;
            i += ideographic ? kIdeographicBlank.size() : 1;
            continue;
        }
        if (blank && !spoken.Text.empty()) spoken.Text += ' ';
        blank = false;
        spoken.Text += rest[i++];
    }
    return spoken;
}

}  // namespace kakeibo
