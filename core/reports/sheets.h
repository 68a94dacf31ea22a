// The data sheet's nine sheets filled as tables of texts.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/ledger/ledger.h"
#include "core/reports/all_years.h"
#include "core/reports/previous_year.h"

namespace kakeibo {

// The sheets of the data sheet, in the order of its drop-down list: the seven of the edited
// month, then the three of whole years.
enum SheetKindNumber : int {
    ExpenseSheet = 0,         // 今月の支出
    IncomeSheet = 1,          // 今月の収入
    AccountSheet = 2,         // 口座残高
    DailySheet = 3,           // 科目日計表
    BalanceSheet = 4,         // 今月の収支
    DetailSheet = 5,          // 今月の詳細データ
    PassbookSheet = 6,        // 通帳記帳
    YearSheet = 7,            // 年間推移
    YearComparisonSheet = 8,  // 前年比較
    YearsSheet = 9,           // 年別推移
};
inline constexpr int kSheetKindCount = 10;

// The drop-down list's text of a sheet kind (0..9).
const char* SheetName(int kind);

// What the data sheet keeps between fills, for the life of the process.
struct SheetState {
    int32_t SheetKind = ExpenseSheet;
    // [kind][item]: the item's five sub-item rows are shown. Kinds 0, 1, 3, 7, 8 and 9 use it.
    std::array<std::array<bool, kItemCount>, kSheetKindCount> ExpandedItems{};
    // [kind][listing position]: the item shown at that position of kinds 0, 1, 3, 7, 8 and 9.
    std::array<std::array<int32_t, kItemCount>, kSheetKindCount> SheetRowItems{};
    // The passbook account: 1 cancelled, 10 + 10 x account item + sub-item otherwise.
    int32_t PassbookChoice = 0;
    // Last year's totals for 前年比較, read once and kept while its file stays as it was.
    PreviousYearCache PreviousYear;
    // Every year's totals for 年別推移, each kept while its files stay as they were.
    AllYearsCache Years;
};

// How the grid is laid out for a kind before its first fill.
struct SheetLayout {
    int ColumnCount = 0;
    int RowCount = 0;  // the heading row included
    bool FixedColumn = true;
    std::vector<int> ColumnWidths;      // pixels, one per column
    std::vector<std::string> Headings;  // row 0, one per column
};
SheetLayout SheetLayoutOf(int kind);

// A whole sheet as the grid holds it: every cell's text, row 0 the headings, empty cells "".
class SheetGrid final {
public:
    SheetGrid() = default;
    SheetGrid(int rows, int columns);

    int RowCount() const { return rows_; }
    int ColumnCount() const { return columns_; }
    const std::string& Cell(int row, int column) const { return cells_[Index(row, column)]; }
    void Set(int row, int column, std::string text) {
        cells_[Index(row, column)] = std::move(text);
    }
    // Grows (never shrinks) to `rows` rows of empty cells.
    void EnsureRows(int rows);

private:
    size_t Index(int row, int column) const { return static_cast<size_t>(row) * columns_ + column; }

    int rows_ = 0;
    int columns_ = 0;
    std::vector<std::string> cells_;
};

// An account (an account item and its sub-item) as one number, as the passbook choice answers:
// 10 + 10 x item + sub-item. Decoding gives nothing for a cancelled or meaningless code,
// which must never index the tables.
struct PassbookAccount {
    int Item = 0;
    int SubItem = 0;
};
int32_t EncodePassbookChoice(int item, int subItem);
std::optional<PassbookAccount> DecodePassbookChoice(int32_t choice);

// Fills the sheet of `kind` for the edited month, recomputing the totals it reads first, and
// writes the listing positions of the sheets that expand items into state.SheetRowItems.
// 前年比較 also looks up last year's ledger through state.PreviousYear.
SheetGrid FillSheet(Ledger& ledger, int kind, SheetState& state);
// 年別推移: every year of the data folder through state.Years, the open ledger's the last.
SheetGrid FillYearsSheet(Ledger& ledger, SheetState& state);

// The texts of the sheets.
std::string AmountText(int64_t value);                 // "%10.0n"
std::string RateText(int64_t actual, int64_t budget);  // "%9.2n" and "%", 0.00% at budget 0
std::string DateHeading(const Date& date);             // "1月3日(土)"
std::string TaxText(int32_t taxKind);                  // 税込み, 税抜き, その他

}  // namespace kakeibo
