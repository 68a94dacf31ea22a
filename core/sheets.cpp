#include "core/sheets.h"

#include <algorithm>
#include <cstdlib>

#include "core/numbers.h"
#include "core/totals.h"

namespace kakeibo {

namespace {

const char* const kSheetNames[kSheetKindCount] = {"今月の支出", "今月の収入", "口座残高",
                                                  "科目日計表", "今月の収支", "今月の詳細データ",
                                                  "通帳記帳"};

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
