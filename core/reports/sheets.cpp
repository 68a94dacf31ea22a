#include "core/reports/sheets.h"

#include <algorithm>
#include <cstdlib>

#include "core/ledger/totals.h"
#include "core/numbers.h"

namespace kakeibo {

namespace {

const char* const kSheetNames[kSheetKindCount] = {
    "今月の支出",       "今月の収入", "口座残高", "科目日計表", "今月の収支",
    "今月の詳細データ", "通帳記帳",   "年間推移", "前年比較",   "年別推移"};

const char* const kWeekdays[7] = {"日", "月", "火", "水", "木", "金", "土"};

// The full-width blank of the summary sheets, two blanks in the daily table.
const char* const kSubItemIndent = "　";
const char* const kDailySubItemIndent = "  ";

constexpr int kItemRowsAtLayout = 30;
constexpr int kBalanceRowsAtLayout = 35;
constexpr int kDailyDays = 7;

// Shared by every fill: the month and the tables it reads.
struct Month {
    int E = 1;  // the edited month
    int P = 0;  // the month before; 0 stands before January
};

Month EditedMonth(const Ledger& ledger) {
    const int e = std::clamp(ledger.EditMonth, 1, kMonthCount);
    return Month{e, e - 1};
}

// The ledger holds no month before January: its figures are 0.
int64_t Moved(const Ledger& ledger, int month, int item, int column, int side) {
    if (month < 1) return 0;
    return ledger.MonthTotalTable[month - 1][item][column][side];
}

int64_t Spent(const Ledger& ledger, int month, int item, int column) {
    return Moved(ledger, month, item, column, 0) - Moved(ledger, month, item, column, 1);
}

int64_t Earned(const Ledger& ledger, int month, int item, int column) {
    return -Spent(ledger, month, item, column);
}

int64_t Balance(const Ledger& ledger, int month, int item, int column) {
    return ledger.BalanceTable[month][item][column];
}

bool ZeroHidden(const Ledger& ledger, const Month& m, int item) {
    return ledger.HideZeroItems && Balance(ledger, m.E, item, kTotalColumn) == 0;
}

// Names of indexes a hand-edited file may carry outside the tables are empty.
std::string ItemName(const Ledger& ledger, int item) {
    if (item < 0 || item >= kItemCount) return {};
    return ledger.ItemTable[item].Name;
}

std::string SubItemName(const Ledger& ledger, int item, int sub) {
    if (item < 0 || item >= kItemCount || sub < 0 || sub >= kSubItemCount) return {};
    return ledger.SubItemTable[item][sub];
}

SheetGrid LaidOut(int kind) {
    const SheetLayout layout = SheetLayoutOf(kind);
    SheetGrid grid(layout.RowCount, layout.ColumnCount);
    for (int c = 0; c < layout.ColumnCount; ++c) grid.Set(0, c, layout.Headings[c]);
    return grid;
}

std::string ItemLabel(const Ledger& ledger, int item, bool expanded) {
    return (expanded ? "-" : "+") + ledger.ItemTable[item].Name;
}

// 今月の支出 and 今月の収入: the same sheet, spent or earned.
SheetGrid FillBudgetSheet(Ledger& ledger, int kind, SheetState& state) {
    RecomputeTotals(ledger);
    const Month m = EditedMonth(ledger);
    const bool income = kind == IncomeSheet;
    const char* wanted = income ? kKindIncome : kKindExpense;
    auto figure = [&](int month, int item, int column) {
        return income ? Earned(ledger, month, item, column) : Spent(ledger, month, item, column);
    };
    SheetGrid grid = LaidOut(kind);
    grid.EnsureRows(kItemRowsAtLayout + 1);
    auto& positions = state.SheetRowItems[kind];
    positions.fill(0);
    int row = 1;
    int position = 0;
    for (int i = 0; i < kItemCount; ++i) {
        const ItemRecord& item = ledger.ItemTable[i];
        if (ZeroHidden(ledger, m, i) || item.Kind != wanted || item.Name.empty()) continue;
        positions[position++] = i;
        const bool expanded = state.ExpandedItems[kind][i];
        const int64_t actual = figure(m.E, i, kTotalColumn);
        const int32_t budget = ledger.BudgetTable[m.E][i];
        grid.Set(row, 0, ItemLabel(ledger, i, expanded));
        grid.Set(row, 1, AmountText(figure(m.P, i, kTotalColumn)));
        grid.Set(row, 2, AmountText(actual));
        grid.Set(row, 3, AmountText(budget));
        grid.Set(row, 4, RateText(actual, budget));
        grid.Set(row, 5, AmountText(Balance(ledger, m.E, i, kTotalColumn)));
        ++row;
        if (!expanded) continue;
        grid.EnsureRows(grid.RowCount() + kSubItemCount);
        for (int s = 0; s < kSubItemCount; ++s, ++row) {
            grid.Set(row, 0, kSubItemIndent + ledger.SubItemTable[i][s]);
            grid.Set(row, 1, AmountText(figure(m.P, i, s)));
            grid.Set(row, 2, AmountText(figure(m.E, i, s)));
            grid.Set(row, 5, AmountText(Balance(ledger, m.E, i, s)));
        }
    }
    return grid;
}

SheetGrid FillAccountSheet(Ledger& ledger) {
    RecomputeTotals(ledger);
    const Month m = EditedMonth(ledger);
    SheetGrid grid = LaidOut(AccountSheet);
    int row = 1;
    auto writeFigures = [&](int item, int column) {
        const int64_t carry = Balance(ledger, m.P, item, column);
        const int64_t in = Moved(ledger, m.E, item, column, 0);
        const int64_t out = Moved(ledger, m.E, item, column, 1);
        grid.Set(row, 1, AmountText(carry));
        grid.Set(row, 2, AmountText(in));
        grid.Set(row, 3, AmountText(out));
        grid.Set(row, 4, AmountText(carry + in - out));
        ++row;
    };
    for (int i = 0; i < 2; ++i) {
        if (ZeroHidden(ledger, m, i) || ledger.ItemTable[i].Kind != kKindAccount) continue;
        grid.Set(row, 0, ledger.ItemTable[i].Name);
        writeFigures(i, kTotalColumn);
        for (int s = 0; s < kSubItemCount; ++s) {
            if (ledger.HideZeroItems && Balance(ledger, m.E, i, s) == 0) continue;
            grid.Set(row, 0, kSubItemIndent + ledger.SubItemTable[i][s]);
            writeFigures(i, s);
        }
    }
    return grid;
}

SheetGrid FillDailySheet(Ledger& ledger, SheetState& state) {
    // The balances only decide which items are hidden; recomputed so they are never stale.
    RecomputeTotals(ledger);
    DataSum(ledger, 3, ledger.EditDate);
    const Month m = EditedMonth(ledger);
    SheetGrid grid = LaidOut(DailySheet);
    const bool dated = IsValidDate(ledger.EditDate);
    for (int c = 1; c <= kDailyDays; ++c) {
        grid.Set(0, c, dated ? DateHeading(AddDays(ledger.EditDate, c - kDailyDays)) : "");
    }
    grid.EnsureRows(kItemRowsAtLayout + 1);
    auto& positions = state.SheetRowItems[DailySheet];
    positions.fill(0);
    int row = 1;
    int position = 0;
    for (int i = 0; i < kItemCount; ++i) {
        if (ZeroHidden(ledger, m, i)) continue;
        positions[position++] = i;
        const bool expanded = state.ExpandedItems[DailySheet][i];
        const auto& week = ledger.WeekTable[i];
        if (!ledger.ItemTable[i].Name.empty()) grid.Set(row, 0, ItemLabel(ledger, i, expanded));
        for (int c = 1; c <= kDailyDays; ++c) {
            grid.Set(row, c, AmountText(week[c - 1][kTotalColumn]));
        }
        ++row;
        if (!expanded) continue;
        grid.EnsureRows(grid.RowCount() + kSubItemCount);
        for (int s = 0; s < kSubItemCount; ++s, ++row) {
            grid.Set(row, 0, kDailySubItemIndent + ledger.SubItemTable[i][s]);
            for (int c = 1; c <= kDailyDays; ++c) grid.Set(row, c, AmountText(week[c - 1][s]));
        }
    }
    return grid;
}

SheetGrid FillBalanceSheet(Ledger& ledger) {
    RecomputeTotals(ledger);
    const Month m = EditedMonth(ledger);
    SheetGrid grid = LaidOut(BalanceSheet);
    int row = 1;
    auto put = [&](const std::string& label, int64_t month, int64_t year) {
        grid.EnsureRows(row + 1);
        grid.Set(row, 0, label);
        grid.Set(row, 1, AmountText(month));
        grid.Set(row, 2, AmountText(year));
        ++row;
    };
    auto group = [&](const char* kind, bool income, int64_t& sum, int64_t& balance) {
        for (int i = 0; i < kItemCount; ++i) {
            if (ZeroHidden(ledger, m, i) || ledger.ItemTable[i].Kind != kind) continue;
            const int64_t month =
                income ? Earned(ledger, m.E, i, kTotalColumn) : Spent(ledger, m.E, i, kTotalColumn);
            const int64_t year = Balance(ledger, m.E, i, kTotalColumn);
            put(ledger.ItemTable[i].Name, month, year);
            sum += month;
            balance += year;
        }
    };
    int64_t incomeSum = 0;
    int64_t incomeBalance = 0;
    int64_t expenseSum = 0;
    int64_t expenseBalance = 0;
    group(kKindIncome, true, incomeSum, incomeBalance);
    put("収入合計", incomeSum, incomeBalance);
    ++row;
    group(kKindExpense, false, expenseSum, expenseBalance);
    put("費用合計", expenseSum, expenseBalance);
    ++row;
    put("差し引き", incomeSum - expenseSum, incomeBalance - expenseBalance);
    return grid;
}

SheetGrid FillDetailSheet(const Ledger& ledger) {
    const Month m = EditedMonth(ledger);
    const int n = ledger.GetIndex(m.E);
    SheetGrid grid = LaidOut(DetailSheet);
    grid.EnsureRows(n + 2);
    const auto& entries = ledger.EntryTable[m.E - 1];
    const auto& texts = ledger.EntryTextTable[m.E - 1];
    int row = 1;
    for (int j = 0; j < n; ++j) {
        const EntryRecord& e = entries[j];
        if (e.Amount == 0) continue;
        grid.Set(row, 0, std::to_string(e.Year));
        grid.Set(row, 1, std::to_string(e.Month));
        grid.Set(row, 2, std::to_string(e.Day));
        grid.Set(row, 3, ItemName(ledger, e.Item1));
        grid.Set(row, 4, SubItemName(ledger, e.Item1, e.SubItem1));
        grid.Set(row, 5, ItemName(ledger, e.Item2));
        grid.Set(row, 6, SubItemName(ledger, e.Item2, e.SubItem2));
        grid.Set(row, 7, AmountText(e.Amount));
        grid.Set(row, 8, TaxText(e.TaxKind));
        grid.Set(row, 9, texts[j].Shop);
        grid.Set(row, 10, texts[j].Memo);
        ++row;
    }
    return grid;
}

SheetGrid FillPassbookSheet(Ledger& ledger, int32_t choice) {
    const Month m = EditedMonth(ledger);
    RecomputeTotals(ledger);
    SheetGrid grid = LaidOut(PassbookSheet);
    const auto account = DecodePassbookChoice(choice);
    if (!account) return grid;
    const int a = account->Item;
    const int s = account->SubItem;
    int64_t b = Balance(ledger, m.P, a, s);
    grid.Set(1, 3, ledger.ItemTable[a].Name);
    grid.Set(1, 4, ledger.SubItemTable[a][s]);
    grid.Set(1, 5, "前月繰越金額");
    grid.Set(1, 8, AmountText(b));

    const auto& entries = ledger.EntryTable[m.E - 1];
    std::vector<int> order;
    order.reserve(kSlotCount);
    for (int j = 0; j < kSlotCount && entries[j].Amount != 0; ++j) {
        // Entries the totals cannot place count nowhere, here as there.
        if (EntryInTables(entries[j])) order.push_back(j);
    }
    std::stable_sort(order.begin(), order.end(),
                     [&](int x, int y) { return entries[x].Day < entries[y].Day; });
    int row = 2;
    for (int j : order) {
        const EntryRecord& e = entries[j];
        const bool in = e.Item1 == a && e.SubItem1 == s;
        if (!in && !(e.Item2 == a && e.SubItem2 == s)) continue;
        // Moved by what the totals count, so the last balance is the account's real one.
        const int64_t amount = CountedAmount(ledger, e);
        grid.EnsureRows(row + 1);
        grid.Set(row, 0, std::to_string(e.Year));
        grid.Set(row, 1, std::to_string(e.Month));
        grid.Set(row, 2, std::to_string(e.Day));
        const int otherItem = in ? e.Item2 : e.Item1;
        const int otherSub = in ? e.SubItem2 : e.SubItem1;
        grid.Set(row, 3, ledger.ItemTable[otherItem].Name);
        grid.Set(row, 4, ledger.SubItemTable[otherItem][otherSub]);
        grid.Set(row, 5, ledger.EntryTextTable[m.E - 1][j].Memo);
        // Money from the account into itself is both columns at once and leaves the
        // balance as the totals leave it.
        const bool out = e.Item2 == a && e.SubItem2 == s;
        if (in) grid.Set(row, 7, AmountText(amount));
        if (out) grid.Set(row, 6, AmountText(amount));
        b += (in ? amount : 0) - (out ? amount : 0);
        grid.Set(row, 8, AmountText(b));
        ++row;
    }
    return grid;
}

// The year sheets: expense items and their total, income items and theirs, then the
// difference, as 今月の収支 groups them.
struct YearGroup {
    const char* Kind;
    bool Income;
    const char* TotalLabel;
};
constexpr YearGroup kYearGroups[] = {{kKindExpense, false, "費用合計"},
                                     {kKindIncome, true, "収入合計"}};
constexpr const char* kDifferenceLabel = "差し引き";

// Column 0 and a column per month, then the year's total, its budget and the rate.
constexpr int kYearBudgetColumn = kMonthCount + 2;
constexpr int kYearRateColumn = kMonthCount + 3;

// A row of the year sheet: months 1..12 at 0..11, the year at 12.
using YearFigures = std::array<int64_t, kMonthCount + 1>;

YearFigures FiguresOfYear(const Ledger& ledger, int item, int column, bool income) {
    YearFigures figures{};
    for (int month = 1; month <= kMonthCount; ++month) {
        const int64_t v =
            income ? Earned(ledger, month, item, column) : Spent(ledger, month, item, column);
        figures[month - 1] = v;
        figures[kMonthCount] += v;
    }
    return figures;
}

int64_t YearBudget(const Ledger& ledger, int item) {
    int64_t sum = 0;
    for (int month = 1; month <= kMonthCount; ++month) sum += ledger.BudgetTable[month][item];
    return sum;
}

// An item with no figure at all is listed like on the other sheets, unless the option hides
// it; one without a name only when money was booked to it, so that the totals add up.
bool ListedOnYearSheet(const Ledger& ledger, int item, bool zero) {
    return !zero || (!ledger.HideZeroItems && !ledger.ItemTable[item].Name.empty());
}

SheetGrid FillYearSheet(Ledger& ledger, SheetState& state) {
    RecomputeTotals(ledger);
    SheetGrid grid = LaidOut(YearSheet);
    auto& positions = state.SheetRowItems[YearSheet];
    positions.fill(0);
    int position = 0;
    int row = 1;
    auto put = [&](const std::string& label, const YearFigures& figures,
                   std::optional<int64_t> budget, bool rate) {
        grid.EnsureRows(row + 1);
        grid.Set(row, 0, label);
        for (int c = 0; c <= kMonthCount; ++c) grid.Set(row, 1 + c, AmountText(figures[c]));
        if (budget) grid.Set(row, kYearBudgetColumn, AmountText(*budget));
        if (budget && rate) grid.Set(row, kYearRateColumn, RateText(figures[kMonthCount], *budget));
        ++row;
    };
    YearFigures sums[2]{};
    int64_t budgets[2]{};
    for (int g = 0; g < 2; ++g) {
        const YearGroup& group = kYearGroups[g];
        for (int i = 0; i < kItemCount; ++i) {
            if (ledger.ItemTable[i].Kind != group.Kind) continue;
            const YearFigures figures = FiguresOfYear(ledger, i, kTotalColumn, group.Income);
            const int64_t budget = YearBudget(ledger, i);
            const bool zero = budget == 0 && std::all_of(figures.begin(), figures.end(),
                                                         [](int64_t v) { return v == 0; });
            if (!ListedOnYearSheet(ledger, i, zero)) continue;
            for (int c = 0; c <= kMonthCount; ++c) sums[g][c] += figures[c];
            budgets[g] += budget;
            positions[position++] = i;
            const bool expanded = state.ExpandedItems[YearSheet][i];
            put(ItemLabel(ledger, i, expanded), figures, budget, true);
            if (!expanded) continue;
            for (int s = 0; s < kSubItemCount; ++s) {
                put(kSubItemIndent + ledger.SubItemTable[i][s],
                    FiguresOfYear(ledger, i, s, group.Income), std::nullopt, false);
            }
        }
        put(group.TotalLabel, sums[g], budgets[g], true);
        ++row;
    }
    YearFigures difference{};
    for (int c = 0; c <= kMonthCount; ++c) difference[c] = sums[1][c] - sums[0][c];
    put(kDifferenceLabel, difference, budgets[1] - budgets[0], false);
    return grid;
}

SheetGrid FillYearComparisonSheet(Ledger& ledger, SheetState& state) {
    RecomputeTotals(ledger);
    const Month m = EditedMonth(ledger);
    const PreviousYear& previous = state.PreviousYear.Lookup(ledger);
    const PreviousYearTotals* last = previous.Totals.get();
    SheetGrid grid = LaidOut(YearComparisonSheet);
    grid.Set(1, 0, previous.Line);
    // Both years up to the end of the edited month.
    auto thisYear = [&](int item, int column, bool income) {
        int64_t sum = 0;
        for (int month = 1; month <= m.E; ++month) {
            sum +=
                income ? Earned(ledger, month, item, column) : Spent(ledger, month, item, column);
        }
        return sum;
    };
    auto lastYear = [&](int item, int column, bool income) -> std::optional<int64_t> {
        if (last == nullptr) return std::nullopt;
        int64_t sum = 0;
        for (int month = 1; month <= m.E; ++month) sum += last->Net[month - 1][item][column];
        return income ? -sum : sum;
    };
    int row = 2;
    auto put = [&](const std::string& label, int64_t now, std::optional<int64_t> before) {
        grid.EnsureRows(row + 1);
        grid.Set(row, 0, label);
        grid.Set(row, 1, AmountText(now));
        if (before) {
            grid.Set(row, 2, AmountText(*before));
            grid.Set(row, 3, AmountText(now - *before));
            // Against last year's size, so a balance that improves grows whatever its sign.
            if (*before != 0) grid.Set(row, 4, RateText(now - *before, std::llabs(*before)));
        }
        ++row;
    };
    auto& positions = state.SheetRowItems[YearComparisonSheet];
    positions.fill(0);
    int position = 0;
    int64_t sumsNow[2]{};
    std::optional<int64_t> sumsBefore[2];
    for (int g = 0; g < 2; ++g) {
        const YearGroup& group = kYearGroups[g];
        if (last != nullptr) sumsBefore[g] = 0;
        for (int i = 0; i < kItemCount; ++i) {
            if (ledger.ItemTable[i].Kind != group.Kind) continue;
            const int64_t now = thisYear(i, kTotalColumn, group.Income);
            const std::optional<int64_t> before = lastYear(i, kTotalColumn, group.Income);
            if (!ListedOnYearSheet(ledger, i, now == 0 && before.value_or(0) == 0)) continue;
            sumsNow[g] += now;
            if (before) *sumsBefore[g] += *before;
            positions[position++] = i;
            const bool expanded = state.ExpandedItems[YearComparisonSheet][i];
            put(ItemLabel(ledger, i, expanded), now, before);
            if (!expanded) continue;
            for (int s = 0; s < kSubItemCount; ++s) {
                put(kSubItemIndent + ledger.SubItemTable[i][s], thisYear(i, s, group.Income),
                    lastYear(i, s, group.Income));
            }
        }
        put(group.TotalLabel, sumsNow[g], sumsBefore[g]);
        ++row;
    }
    std::optional<int64_t> difference;
    if (last != nullptr) difference = *sumsBefore[1] - *sumsBefore[0];
    put(kDifferenceLabel, sumsNow[1] - sumsNow[0], difference);
    return grid;
}

}  // namespace

const char* SheetName(int kind) {
    return kind >= 0 && kind < kSheetKindCount ? kSheetNames[kind] : "";
}

SheetLayout SheetLayoutOf(int kind) {
    SheetLayout layout;
    auto columns = [&](std::vector<int> widths, std::vector<std::string> headings) {
        layout.ColumnCount = static_cast<int>(widths.size());
        layout.ColumnWidths = std::move(widths);
        layout.Headings = std::move(headings);
    };
    switch (kind) {
        case ExpenseSheet:
        case IncomeSheet:
            columns({128, 82, 82, 82, 82, 82},
                    {"", "前月実績", "当月実績", "当月予算", "予算達成率", "累計"});
            layout.RowCount = kItemRowsAtLayout;
            break;
        case AccountSheet:
            columns({128, 82, 82, 82, 82}, {"", "前月繰越", "当月入金", "当月出金", "次月繰越"});
            layout.RowCount = kItemRowsAtLayout;
            break;
        case DailySheet:
            // Column 0 and one column for each of the seven days, the edit date the last.
            columns({128, 75, 75, 75, 75, 75, 75, 75}, std::vector<std::string>(8));
            layout.RowCount = kItemRowsAtLayout;
            break;
        case BalanceSheet:
            columns({128, 82, 82}, {"", "当月収支", "累計収支"});
            layout.RowCount = kBalanceRowsAtLayout;
            break;
        case DetailSheet:
            columns({32, 32, 32, 128, 128, 128, 128, 64, 64, 256, 256},
                    {"年", "月", "日", "項目1", "細目1", "項目2", "細目2", "金額", "税区分",
                     "適用1", "適用2"});
            layout.RowCount = 2;
            layout.FixedColumn = false;
            break;
        case PassbookSheet:
            columns({32, 32, 32, 128, 128, 256, 64, 64, 64},
                    {"年", "月", "日", "", "", "適用", "支出", "収入", "残高"});
            layout.RowCount = 2;
            layout.FixedColumn = false;
            break;
        case YearSheet: {
            std::vector<int> widths(1, 128);
            std::vector<std::string> headings(1);
            for (int month = 1; month <= kMonthCount; ++month) {
                widths.push_back(75);
                headings.push_back(std::to_string(month) + "月");
            }
            widths.insert(widths.end(), {82, 82, 82});
            headings.insert(headings.end(), {"合計", "予算合計", "達成率"});
            columns(std::move(widths), std::move(headings));
            layout.RowCount = kItemRowsAtLayout;
            break;
        }
        case YearComparisonSheet:
            columns({128, 82, 82, 82, 82}, {"", "今年累計", "前年同期", "差額", "増減率"});
            layout.RowCount = kItemRowsAtLayout;
            break;
        case YearsSheet:
            // A column per year comes before 平均 as the fill finds the years.
            columns({128, 82}, {"", "平均"});
            layout.RowCount = kItemRowsAtLayout;
            break;
        default:
            break;
    }
    return layout;
}

SheetGrid::SheetGrid(int rows, int columns)
    : rows_(rows), columns_(columns), cells_(static_cast<size_t>(rows) * columns) {}

void SheetGrid::EnsureRows(int rows) {
    if (rows <= rows_) return;
    rows_ = rows;
    cells_.resize(static_cast<size_t>(rows_) * columns_);
}

int32_t EncodePassbookChoice(int item, int subItem) {
    return 10 + 10 * item + subItem;
}

std::optional<PassbookAccount> DecodePassbookChoice(int32_t choice) {
    if ((choice >= 10 && choice <= 14) || (choice >= 20 && choice <= 24)) {
        return PassbookAccount{choice / 10 - 1, choice % 10};
    }
    return std::nullopt;
}

SheetGrid FillSheet(Ledger& ledger, int kind, SheetState& state) {
    switch (kind) {
        case ExpenseSheet:
        case IncomeSheet:
            return FillBudgetSheet(ledger, kind, state);
        case AccountSheet:
            return FillAccountSheet(ledger);
        case DailySheet:
            return FillDailySheet(ledger, state);
        case BalanceSheet:
            return FillBalanceSheet(ledger);
        case DetailSheet:
            return FillDetailSheet(ledger);
        case PassbookSheet:
            return FillPassbookSheet(ledger, state.PassbookChoice);
        case YearSheet:
            return FillYearSheet(ledger, state);
        case YearComparisonSheet:
            return FillYearComparisonSheet(ledger, state);
        case YearsSheet:
            return FillYearsSheet(ledger, state);
        default:
            return SheetGrid();
    }
}

std::string AmountText(int64_t value) {
    // The general number format goes through a decimal expansion of a long double; whole yen
    // need none, and a detail sheet writes a thousand of them per fill.
    char digits[32];
    int n = 0;
    uint64_t magnitude =
        value < 0 ? uint64_t{0} - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    do {
        if (n % 4 == 3) digits[n++] = ',';
        digits[n++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0) digits[n++] = '-';
    std::string text(n < 10 ? 10 - n : 0, ' ');
    for (int i = n - 1; i >= 0; --i) text.push_back(digits[i]);
    return text;
}

std::string RateText(int64_t actual, int64_t budget) {
    // Hundredths of a percent from the exact quotient, halves away from zero; a double
    // quotient would round 1 of 800 (0.125%) down.
    int64_t hundredths = 0;
    if (budget != 0) {
        const int64_t n = actual * 10000;
        hundredths = n / budget;
        const int64_t rest = n % budget;
        if (2 * std::llabs(rest) >= std::llabs(budget))
            hundredths += (n < 0) == (budget < 0) ? 1 : -1;
    }
    const int64_t magnitude = std::llabs(hundredths);
    std::string text = hundredths < 0 ? "-" : "";
    text += FormatNumber(static_cast<long double>(magnitude / 100), 0, 0);
    text += '.';
    text += FormatZeroPadded(magnitude % 100, 2);
    if (text.size() < 9) text.insert(0, 9 - text.size(), ' ');
    return text + "%";
}

std::string DateHeading(const Date& date) {
    return std::to_string(date.Month) + "月" + std::to_string(date.Day) + "日(" +
           kWeekdays[Weekday(date)] + ")";
}

std::string TaxText(int32_t taxKind) {
    switch (taxKind) {
        case 0:
            return "税込み";
        case 1:
            return "税抜き";
        case 2:
            return "その他";
        default:
            return {};
    }
}

}  // namespace kakeibo
