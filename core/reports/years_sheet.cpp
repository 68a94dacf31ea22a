// 年別推移: each item's year total and each account's year-end balance, one column per year.
#include <algorithm>
#include <cstdlib>
#include <optional>
#include <vector>

#include "core/reports/sheets.h"

namespace kakeibo {

namespace {

constexpr const char* kSubItemIndent = "　";
constexpr const char* kAverageHeading = "平均";

// A row's figures: one per year of the sheet, nothing for a year without a ledger.
using Figures = std::vector<std::optional<int64_t>>;

struct Group {
    const char* Kind;
    bool Income;
    const char* TotalLabel;
};
// As 年間推移 groups its rows.
constexpr Group kGroups[] = {{kKindExpense, false, "費用合計"}, {kKindIncome, true, "収入合計"}};

class YearsFill {
public:
    YearsFill(Ledger& ledger, SheetState& state)
        : ledger_(ledger), state_(state), all_(state.Years.Figures(ledger)) {
        const int years = static_cast<int>(all_.Years.size());
        grid_ = SheetGrid(RowsAtLayout(), years + 2);
        for (int y = 0; y < years; ++y) {
            grid_.Set(0, 1 + y, std::to_string(all_.Ledgers.First + y) + "年");
        }
        grid_.Set(0, years + 1, kAverageHeading);
        grid_.Set(1, 0, all_.Ledgers.Line());
    }

    SheetGrid Fill() {
        auto& positions = state_.SheetRowItems[YearsSheet];
        positions.fill(0);
        int position = 0;
        Figures sums[2];
        for (int g = 0; g < 2; ++g) {
            const Group& group = kGroups[g];
            sums[g] = Figures(all_.Years.size());
            for (size_t y = 0; y < all_.Years.size(); ++y) {
                if (all_.Years[y]) sums[g][y] = 0;
            }
            for (int i = 0; i < kItemCount; ++i) {
                if (ledger_.ItemTable[i].Kind != group.Kind) continue;
                const Figures figures = Totals(i, kTotalColumn, group.Income);
                const bool zero = AllZero(figures);
                // As on 年間推移: an item without money is listed by its name unless hidden.
                if (zero && (ledger_.HideZeroItems || ledger_.ItemTable[i].Name.empty())) continue;
                for (size_t y = 0; y < figures.size(); ++y) {
                    if (figures[y]) *sums[g][y] += *figures[y];
                }
                positions[position++] = i;
                const bool expanded = state_.ExpandedItems[YearsSheet][i];
                Put((expanded ? "-" : "+") + ledger_.ItemTable[i].Name, figures);
                if (!expanded) continue;
                for (int s = 0; s < kSubItemCount; ++s) {
                    Put(kSubItemIndent + ledger_.SubItemTable[i][s], Totals(i, s, group.Income));
                }
            }
            Put(group.TotalLabel, sums[g]);
            ++row_;
        }
        Figures difference(all_.Years.size());
        for (size_t y = 0; y < difference.size(); ++y) {
            if (sums[0][y]) difference[y] = *sums[1][y] - *sums[0][y];
        }
        Put("差し引き", difference);
        ++row_;
        PutAccounts();
        return std::move(grid_);
    }

private:
    static int RowsAtLayout() { return SheetLayoutOf(YearsSheet).RowCount; }

    Figures Totals(int item, int column, bool income) const {
        Figures figures(all_.Years.size());
        for (size_t y = 0; y < figures.size(); ++y) {
            if (const YearSummary* year = all_.Years[y].get()) {
                const int64_t net = year->Net[item][column];
                figures[y] = income ? -net : net;
            }
        }
        return figures;
    }

    Figures Balances(int item, int column) const {
        Figures figures(all_.Years.size());
        for (size_t y = 0; y < figures.size(); ++y) {
            if (const YearSummary* year = all_.Years[y].get()) figures[y] = year->End[item][column];
        }
        return figures;
    }

    static bool AllZero(const Figures& figures) {
        return std::all_of(figures.begin(), figures.end(),
                           [](const std::optional<int64_t>& v) { return v.value_or(0) == 0; });
    }

    // The years before the open ledger's that have a ledger, to the nearest yen.
    static std::optional<int64_t> Average(const Figures& figures) {
        int64_t sum = 0;
        int64_t count = 0;
        for (size_t y = 0; y + 1 < figures.size(); ++y) {
            if (!figures[y]) continue;
            sum += *figures[y];
            ++count;
        }
        if (count == 0) return std::nullopt;
        const int64_t half = count / 2;
        return sum >= 0 ? (sum + half) / count : -((-sum + half) / count);
    }

    void Put(const std::string& label, const Figures& figures) {
        grid_.EnsureRows(row_ + 1);
        grid_.Set(row_, 0, label);
        for (size_t y = 0; y < figures.size(); ++y) {
            if (figures[y]) grid_.Set(row_, 1 + static_cast<int>(y), AmountText(*figures[y]));
        }
        if (const auto average = Average(figures)) {
            grid_.Set(row_, static_cast<int>(figures.size()) + 1, AmountText(*average));
        }
        ++row_;
    }

    // The balances at each year's end: the account items as 口座残高 lists them.
    void PutAccounts() {
        for (int i = 0; i < 2; ++i) {
            if (ledger_.ItemTable[i].Kind != kKindAccount) continue;
            const Figures total = Balances(i, kTotalColumn);
            if (ledger_.HideZeroItems && AllZero(total)) continue;
            Put(ledger_.ItemTable[i].Name, total);
            for (int s = 0; s < kSubItemCount; ++s) {
                const Figures figures = Balances(i, s);
                const bool zero = AllZero(figures);
                if (zero && (ledger_.HideZeroItems || ledger_.SubItemTable[i][s].empty())) continue;
                Put(kSubItemIndent + ledger_.SubItemTable[i][s], figures);
            }
        }
    }

    Ledger& ledger_;
    SheetState& state_;
    AllYears all_;
    SheetGrid grid_;
    int row_ = 2;  // below the headings and the line naming the ledgers
};

}  // namespace

SheetGrid FillYearsSheet(Ledger& ledger, SheetState& state) {
    return YearsFill(ledger, state).Fill();
}

}  // namespace kakeibo
