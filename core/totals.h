#pragma once

#include <cstdint>

#include "core/calendar.h"
#include "core/ledger.h"

namespace kakeibo {

// kind 1: MonthTotalTable; kind 2: BalanceTable rows 1..12 (needs kind 1 first);
// other kinds do nothing.
void RefreshData(Ledger& ledger, int kind);

// The monthly totals, then the balances they lead to: what every reader of either needs.
void RecomputeTotals(Ledger& ledger);

// A hand-edited file may carry indexes outside the tables; such a slot counts nowhere: not in
// the totals, and not in any list that must agree with them.
bool EntryInTables(const EntryRecord& e);

// kind 3: WeekTable for the seven days ending at `date`; other kinds do nothing.
void DataSum(Ledger& ledger, int kind, const Date& date);

// The tax-included amount (5 percent) of a tax-excluded amount, rounded by TaxRounding.
int64_t Shohizei(const Ledger& ledger, int64_t amount);

}  // namespace kakeibo
