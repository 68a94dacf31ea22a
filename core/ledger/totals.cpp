#include "core/ledger/totals.h"

#include <array>

namespace kakeibo {

namespace {

// Kind is compared as text; doing it once per item keeps the slot loops free of strings.
std::array<bool, kItemCount> IncomeItems(const Ledger& ledger) {
    std::array<bool, kItemCount> income{};
    for (int i = 0; i < kItemCount; ++i) income[i] = ledger.ItemTable[i].Kind == kKindIncome;
    return income;
}

// The rate as the law changed it, each change on the first of a month; the reduced rate came
// with the ten percent.
constexpr int kFirstRate = 5;
constexpr int kSecondRate = 8;
constexpr int kThirdRate = 10;
constexpr int kReducedRate = 8;
constexpr int MonthNumber(int year, int month) {
    return year * 12 + month - 1;
}
constexpr int kFirstChangeYear = 2014;
constexpr int kSecondRateFrom = MonthNumber(kFirstChangeYear, 4);
constexpr int kThirdRateFrom = MonthNumber(2019, 10);

// Only expense items pay the reduced rate: a mark left on an item that became income or an
// account counts nothing.
// A sub-item excepted from its item's mark pays the full rate; -1 stands for the item as such.
bool ReducedItem(const Ledger& ledger, int32_t item, int32_t subItem) {
    if (static_cast<unsigned>(item) >= kItemCount || !ledger.ReducedRateItems[item] ||
        ledger.ItemTable[item].Kind != kKindExpense) {
        return false;
    }
    return static_cast<unsigned>(subItem) >= kSubItemCount ||
           !ledger.FullRateSubItems[item][subItem];
}

SubItemMarks ReducedItems(const Ledger& ledger) {
    SubItemMarks reduced{};
    for (int i = 0; i < kItemCount; ++i) {
        for (int s = 0; s < kSubItemCount; ++s) reduced[i][s] = ReducedItem(ledger, i, s);
    }
    return reduced;
}

// Runs for every tax-excluded slot of every fill. Years before the first change need no look
// at the calendar: a day that does not exist counts the first rate as well.
int RateOn(const Date& date, bool reduced) {
    if (date.Year < kFirstChangeYear || date.Year > 2100) return kFirstRate;
    if (date.Month < 1 || date.Month > 12 || date.Day < 1 ||
        (date.Day > 28 && date.Day > DaysInMonth(date.Year, date.Month))) {
        return kFirstRate;
    }
    const int month = MonthNumber(date.Year, date.Month);
    if (month < kSecondRateFrom) return kFirstRate;
    if (month < kThirdRateFrom) return kSecondRate;
    return reduced ? kReducedRate : kThirdRate;
}

int64_t WithTax(int64_t amount, int rate, int32_t rounding) {
    // Only a malformed file gives a negative amount; round its size the same way as a
    // positive one so that a refund and its payment cancel out.
    const int64_t p = (amount < 0 ? -amount : amount) * (100 + rate);
    const int64_t up = rounding == 1 ? 0 : rounding == 2 ? 99 : 50;
    const int64_t size = (p + up) / 100;
    return amount < 0 ? -size : size;
}

int64_t Counted(const EntryRecord& e, const SubItemMarks& reduced, int32_t rounding) {
    if (e.TaxKind != 1) return e.Amount;
    const bool marked = static_cast<unsigned>(e.Item1) < kItemCount &&
                        static_cast<unsigned>(e.SubItem1) < kSubItemCount &&
                        reduced[e.Item1][e.SubItem1];
    return WithTax(e.Amount, RateOn(Date{e.Year, e.Month, e.Day}, marked), rounding);
}

void SumMonths(Ledger& ledger) {
    auto& totals = ledger.MonthTotalTable;
    for (auto& month : totals) {
        for (auto& item : month) {
            for (auto& column : item) column = {0, 0};
        }
    }
    const auto reduced = ReducedItems(ledger);
    for (int m = 0; m < kMonthCount; ++m) {
        auto& month = totals[m];
        for (const EntryRecord& e : ledger.EntryTable[m]) {
            if (!EntryInTables(e)) continue;
            const int64_t v = Counted(e, reduced, ledger.TaxRounding);
            month[e.Item1][e.SubItem1][0] += v;
            month[e.Item2][e.SubItem2][1] += v;
        }
        for (int i = 0; i < kItemCount; ++i) {
            auto& item = month[i];
            for (int side = 0; side < 2; ++side) {
                int64_t sum = 0;
                for (int c = 0; c < kSubItemCount; ++c) sum += item[c][side];
                item[kTotalColumn][side] = sum;
            }
        }
    }
}

void RollBalances(Ledger& ledger) {
    const auto income = IncomeItems(ledger);
    auto& balance = ledger.BalanceTable;
    for (int m = 0; m < kMonthCount; ++m) {
        for (int i = 0; i < kItemCount; ++i) {
            const auto& moved = ledger.MonthTotalTable[m][i];
            for (int c = 0; c < kColumnCount; ++c) {
                const int64_t net = moved[c][0] - moved[c][1];
                balance[m + 1][i][c] = balance[m][i][c] + (income[i] ? -net : net);
            }
        }
    }
}

}  // namespace

void RefreshData(Ledger& ledger, int kind) {
    if (kind == 1) {
        SumMonths(ledger);
    } else if (kind == 2) {
        RollBalances(ledger);
    }
}

void RecomputeTotals(Ledger& ledger) {
    RefreshData(ledger, 1);
    RefreshData(ledger, 2);
}

void DataSum(Ledger& ledger, int kind, const Date& date) {
    if (kind != 3) return;
    auto& week = ledger.WeekTable;
    for (auto& item : week) {
        for (auto& day : item) day.fill(0);
    }
    if (!IsValidDate(date)) return;

    const Date first = AddDays(date, -6);
    const int firstMonthDays = DaysInMonth(first.Year, first.Month);
    // The days before 1 January belong to last year's ledger; this one starts at January.
    const int firstMonth = first.Year < date.Year ? 1 : first.Month;
    const auto income = IncomeItems(ledger);

    for (int m = firstMonth; m <= date.Month; ++m) {
        for (const EntryRecord& e : ledger.EntryTable[m - 1]) {
            if (e.Year == 0 || !EntryInTables(e)) continue;
            // The week touches at most two calendar months, so the entry's own date places
            // it by its day alone; a day that does not exist (30 February) is in no week.
            int k = -1;
            if (e.Year == date.Year && e.Month == date.Month) {
                if (e.Day >= 1 && e.Day <= date.Day) k = 6 - (date.Day - e.Day);
            } else if (e.Year == first.Year && e.Month == first.Month) {
                if (e.Day >= first.Day && e.Day <= firstMonthDays) k = e.Day - first.Day;
            }
            if (k < 0) continue;
            const int64_t v = e.Amount;
            auto& receiving = week[e.Item1][k];
            const int64_t in = income[e.Item1] ? -v : v;
            receiving[e.SubItem1] += in;
            receiving[kTotalColumn] += in;
            auto& giving = week[e.Item2][k];
            const int64_t out = income[e.Item2] ? v : -v;
            giving[e.SubItem2] += out;
            giving[kTotalColumn] += out;
        }
    }
}

int TaxRate(const Ledger& ledger, const Date& date, int32_t item, int32_t subItem) {
    return RateOn(date, ReducedItem(ledger, item, subItem));
}

int64_t Shohizei(const Ledger& ledger, int64_t amount, const Date& date, int32_t item,
                 int32_t subItem) {
    return WithTax(amount, TaxRate(ledger, date, item, subItem), ledger.TaxRounding);
}

int64_t CountedAmount(const Ledger& ledger, const EntryRecord& e) {
    if (e.TaxKind != 1) return e.Amount;
    return Shohizei(ledger, e.Amount, Date{e.Year, e.Month, e.Day}, e.Item1, e.SubItem1);
}

bool EntryInTables(const EntryRecord& e) {
    return static_cast<unsigned>(e.Item1) < kItemCount &&
           static_cast<unsigned>(e.Item2) < kItemCount &&
           static_cast<unsigned>(e.SubItem1) < kSubItemCount &&
           static_cast<unsigned>(e.SubItem2) < kSubItemCount;
}

}  // namespace kakeibo
