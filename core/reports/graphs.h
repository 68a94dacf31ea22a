// The graph sheet's series, computed from the ledger.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/ledger/ledger.h"
#include "core/reports/all_years.h"

namespace kakeibo {

// The graph sheet's graphs, in the order of its list: three of the open ledger, then two over
// every year of the data folder.
enum class GraphKind {
    MonthExpense = 0,
    YearBalance = 1,
    AccountBalances = 2,
    YearsBalance = 3,
    Assets = 4
};
inline constexpr int kGraphCount = 5;

// The names the graph sheet's list shows, by GraphKind.
extern const std::array<const char*, kGraphCount> kGraphNames;

// 「今月の支出」: one bar per expense item with a name.
struct ExpenseBar {
    int Item = 0;
    std::string Name;
    int64_t Spent = 0;   // tax included, less what came back
    int64_t Budget = 0;  // the edit month's budget

    bool operator==(const ExpenseBar&) const = default;
};

// Recomputes the totals, then lists the edit month's expense items largest spending first
// (ties in item order). Items with neither spending nor budget only when HideZeroItems is off.
std::vector<ExpenseBar> MonthExpenseSeries(Ledger& ledger);

// 「年間の収支」: the month's totals over every expense and every income item.
struct MonthFigures {
    int64_t Expense = 0;
    int64_t Income = 0;
    int64_t Difference = 0;  // income less expense

    bool operator==(const MonthFigures&) const = default;
};

// Recomputes the totals; index 0 is January. Months after the edit month are there too.
std::array<MonthFigures, kMonthCount> YearBalanceSeries(Ledger& ledger);

// 「口座残高の推移」: one line per account sub-item with a name, then the item's total.
struct BalanceLine {
    int Item = 0;
    int Column = 0;  // the sub-item, or kTotalColumn for the item's total
    std::string Name;
    std::array<int64_t, kMonthCount> Balances{};  // at the end of January .. December

    bool operator==(const BalanceLine&) const = default;
};

// Recomputes the totals. With HideZeroItems on, a line that is 0 at every month's end is
// left out.
std::vector<BalanceLine> AccountBalanceSeries(Ledger& ledger);

// 「年別の収支」 and 「資産の推移」: the years that have a ledger, oldest first, the open
// ledger's last.
struct YearsFigures {
    std::vector<int> Years;
    std::vector<MonthFigures> Balance;  // each year's expense, income and their difference
    // The sum of the accounts' balances at each year's end, then one line per account
    // sub-item with a name (all zero ones left out with HideZeroItems on).
    std::vector<std::string> AssetNames;
    std::vector<std::vector<int64_t>> Assets;  // [line][year]

    bool operator==(const YearsFigures&) const = default;
};
inline constexpr const char* kAssetTotalName = "資産合計";
YearsFigures YearsSeries(Ledger& ledger, AllYearsCache& cache);

// The graph's heading for the ledger's edit date, e.g. "2026年7月の支出と予算（円）".
std::string GraphTitle(GraphKind kind, const Ledger& ledger);

// "7月".
std::string MonthLabel(int month);

// The hover text of one figure: "食費　実績：12,345円".
std::string GraphTip(const std::string& where, const std::string& what, int64_t yen);

// A yen axis from a round value at or below the smallest figure (and 0) to one at or above
// the largest, in at most `maxSteps` round steps (1, 2 or 5 times a power of ten).
struct YenAxis {
    int64_t Min = 0;
    int64_t Max = 0;
    int64_t Step = 1;
    std::vector<std::string> Labels;  // "12,345" for Min, Min + Step, ..., Max

    bool operator==(const YenAxis&) const = default;
};
YenAxis MakeYenAxis(int64_t low, int64_t high, int maxSteps = 5);

// The graph sheet's place from WindowLayout slot 1. Files written before the graph sheet
// existed hold the entry form's values there (and a missing line leaves zeros): such a slot
// was never placed, so the sheet starts hidden at its default place. A size that is not
// positive takes the default size.
LayoutSlot GraphSheetPlacement(const Ledger& ledger);
// Whether slot 1 says the graph sheet was never placed (see GraphSheetPlacement).
bool GraphSheetNeverPlaced(const Ledger& ledger);
inline constexpr LayoutSlot kGraphSheetDefault{0, 0, 81, 400, 600};

}  // namespace kakeibo
