#include "core/reports/graphs.h"

#include <algorithm>

#include "core/ledger/totals.h"
#include "core/numbers.h"

namespace kakeibo {

const std::array<const char*, kGraphCount> kGraphNames = {
    "今月の支出", "年間の収支", "口座残高の推移", "年別の収支", "資産の推移"};

namespace {

// The account items are the first two; the graph looks at no others, like the balance sheet.
constexpr int kAccountItems = 2;

void Refresh(Ledger& ledger) {
    RecomputeTotals(ledger);
}

// Money that went to an item in a month (0-based), less what came back from it.
int64_t Spent(const Ledger& ledger, int monthIndex, int item) {
    const auto& total = ledger.MonthTotalTable[monthIndex][item][kTotalColumn];
    return total[0] - total[1];
}

int64_t FloorToStep(int64_t v, int64_t step) {
    const int64_t q = v / step;
    return (v % step != 0 && v < 0 ? q - 1 : q) * step;
}

int64_t CeilToStep(int64_t v, int64_t step) {
    const int64_t q = v / step;
    return (v % step != 0 && v > 0 ? q + 1 : q) * step;
}

}  // namespace

std::vector<ExpenseBar> MonthExpenseSeries(Ledger& ledger) {
    Refresh(ledger);
    const int month = std::clamp(ledger.EditMonth, 1, kMonthCount);
    std::vector<ExpenseBar> bars;
    for (int i = 0; i < kItemCount; ++i) {
        const ItemRecord& item = ledger.ItemTable[i];
        if (item.Kind != kKindExpense || item.Name.empty()) continue;
        const int64_t spent = Spent(ledger, month - 1, i);
        const int64_t budget = ledger.BudgetTable[month][i];
        if (ledger.HideZeroItems && spent == 0 && budget == 0) continue;
        bars.push_back(ExpenseBar{i, item.Name, spent, budget});
    }
    std::stable_sort(bars.begin(), bars.end(),
                     [](const ExpenseBar& a, const ExpenseBar& b) { return a.Spent > b.Spent; });
    return bars;
}

std::array<MonthFigures, kMonthCount> YearBalanceSeries(Ledger& ledger) {
    Refresh(ledger);
    std::array<MonthFigures, kMonthCount> months{};
    for (int m = 0; m < kMonthCount; ++m) {
        MonthFigures& figures = months[m];
        // Unnamed items count as on the month's balance sheet: the totals are the ledger's.
        for (int i = 0; i < kItemCount; ++i) {
            const std::string& kind = ledger.ItemTable[i].Kind;
            if (kind == kKindExpense) {
                figures.Expense += Spent(ledger, m, i);
            } else if (kind == kKindIncome) {
                figures.Income -= Spent(ledger, m, i);
            }
        }
        figures.Difference = figures.Income - figures.Expense;
    }
    return months;
}

std::vector<BalanceLine> AccountBalanceSeries(Ledger& ledger) {
    Refresh(ledger);
    std::vector<BalanceLine> lines;
    auto add = [&](int item, int column, const std::string& name) {
        BalanceLine line{item, column, name, {}};
        bool allZero = true;
        for (int m = 0; m < kMonthCount; ++m) {
            line.Balances[m] = ledger.BalanceTable[m + 1][item][column];
            allZero = allZero && line.Balances[m] == 0;
        }
        if (!(ledger.HideZeroItems && allZero)) lines.push_back(std::move(line));
    };
    for (int i = 0; i < kAccountItems; ++i) {
        const ItemRecord& item = ledger.ItemTable[i];
        if (item.Kind != kKindAccount) continue;
        for (int s = 0; s < kSubItemCount; ++s) {
            const std::string& name = ledger.SubItemTable[i][s];
            if (!name.empty()) add(i, s, name);
        }
        if (!item.Name.empty()) add(i, kTotalColumn, item.Name + "　合計");
    }
    return lines;
}

YearsFigures YearsSeries(Ledger& ledger, AllYearsCache& cache) {
    const AllYears all = cache.Figures(ledger);
    YearsFigures figures;
    std::vector<std::pair<int, int>> accounts;  // item, sub-item
    figures.AssetNames.push_back(kAssetTotalName);
    for (int i = 0; i < kAccountItems; ++i) {
        if (ledger.ItemTable[i].Kind != kKindAccount) continue;
        for (int s = 0; s < kSubItemCount; ++s) {
            if (ledger.SubItemTable[i][s].empty()) continue;
            accounts.emplace_back(i, s);
            figures.AssetNames.push_back(ledger.SubItemTable[i][s]);
        }
    }
    figures.Assets.resize(figures.AssetNames.size());
    for (const YearLedger& found : all.Ledgers.Found) {
        const YearSummary* year = all.Of(found.Year);
        if (year == nullptr) continue;
        figures.Years.push_back(found.Year);
        MonthFigures balance;
        int64_t assets = 0;
        for (int i = 0; i < kItemCount; ++i) {
            const std::string& kind = ledger.ItemTable[i].Kind;
            const int64_t net = year->Net[i][kTotalColumn];
            if (kind == kKindExpense) balance.Expense += net;
            if (kind == kKindIncome) balance.Income -= net;
            if (kind == kKindAccount && i < kAccountItems) assets += year->End[i][kTotalColumn];
        }
        balance.Difference = balance.Income - balance.Expense;
        figures.Balance.push_back(balance);
        figures.Assets[0].push_back(assets);
        for (size_t a = 0; a < accounts.size(); ++a) {
            figures.Assets[a + 1].push_back(year->End[accounts[a].first][accounts[a].second]);
        }
    }
    if (ledger.HideZeroItems) {
        for (size_t line = figures.Assets.size(); line-- > 1;) {
            const auto& values = figures.Assets[line];
            if (std::any_of(values.begin(), values.end(), [](int64_t v) { return v != 0; })) {
                continue;
            }
            figures.Assets.erase(figures.Assets.begin() + static_cast<std::ptrdiff_t>(line));
            figures.AssetNames.erase(figures.AssetNames.begin() +
                                     static_cast<std::ptrdiff_t>(line));
        }
    }
    return figures;
}

std::string GraphTitle(GraphKind kind, const Ledger& ledger) {
    const std::string year = std::to_string(ledger.EditDate.Year) + "年";
    switch (kind) {
        case GraphKind::MonthExpense:
            return year + MonthLabel(ledger.EditMonth) + "の支出と予算（円）";
        case GraphKind::YearBalance:
            return year + "の収支（円）";
        case GraphKind::AccountBalances:
            return year + "の月末口座残高（円）";
        case GraphKind::YearsBalance:
            return "年別の収支（円）";
        case GraphKind::Assets:
            return "年末の資産の推移（円）";
    }
    return {};
}

std::string MonthLabel(int month) {
    return std::to_string(month) + "月";
}

std::string GraphTip(const std::string& where, const std::string& what, int64_t yen) {
    return where + "　" + what + "：" + FormatNumber(static_cast<long double>(yen), 1, 0) + "円";
}

YenAxis MakeYenAxis(int64_t low, int64_t high, int maxSteps) {
    low = std::min<int64_t>(low, 0);
    high = std::max<int64_t>(high, 0);
    // An empty graph still gets a scale a household would recognise.
    if (low == high) high = 1000;
    maxSteps = std::max(maxSteps, 1);
    const int64_t span = high - low;
    const int64_t wanted = (span + maxSteps - 1) / maxSteps;
    // Rounding both ends outwards can add a step where the range crosses zero: take the
    // first round step from the wanted one on that still fits.
    int64_t step = 1;
    bool found = false;
    for (int64_t power = 1; !found; power *= 10) {
        for (const int64_t c : {power, 2 * power, 5 * power}) {
            if (c < wanted || (CeilToStep(high, c) - FloorToStep(low, c)) / c > maxSteps) continue;
            step = c;
            found = true;
            break;
        }
    }
    YenAxis axis;
    axis.Min = FloorToStep(low, step);
    axis.Max = CeilToStep(high, step);
    axis.Step = step;
    for (int64_t v = axis.Min; v <= axis.Max; v += step) {
        axis.Labels.push_back(FormatNumber(static_cast<long double>(v), 1, 0));
    }
    return axis;
}

bool GraphSheetNeverPlaced(const Ledger& ledger) {
    const LayoutSlot& slot = ledger.WindowLayout[kLayoutGraphSheet];
    return slot == ledger.WindowLayout[kLayoutEntryForm] || slot == LayoutSlot{};
}

LayoutSlot GraphSheetPlacement(const Ledger& ledger) {
    if (GraphSheetNeverPlaced(ledger)) return kGraphSheetDefault;
    const LayoutSlot& slot = ledger.WindowLayout[kLayoutGraphSheet];
    LayoutSlot placed = slot;
    placed.Visible = slot.Visible == 1 ? 1 : 0;
    if (placed.Width <= 0 || placed.Height <= 0) {
        placed.Width = kGraphSheetDefault.Width;
        placed.Height = kGraphSheetDefault.Height;
    }
    return placed;
}

}  // namespace kakeibo
