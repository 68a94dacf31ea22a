// The month and year totals, balances and the consumption tax of an entry.
#pragma once

#include <cstdint>

#include "core/calendar.h"
#include "core/ledger/ledger.h"

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

// The consumption tax, in percent, that a tax-excluded amount booked on `date` to `item` (the
// entry's Item1) pays: 5 before 1 April 2014, 8 from then, 10 from 1 October 2019, and from
// then 8 for an expense item marked in ReducedRateItems, unless `subItem` is one of its
// FullRateSubItems (-1: the item alone). A date that is no real day of 2000..2100 (only a
// hand-edited file has one) pays 5, as every such entry always did.
int TaxRate(const Ledger& ledger, const Date& date, int32_t item, int32_t subItem = -1);

// The tax-included amount of a tax-excluded amount booked on `date` to `item` and `subItem`,
// rounded by TaxRounding.
int64_t Shohizei(const Ledger& ledger, int64_t amount, const Date& date, int32_t item,
                 int32_t subItem = -1);

// What the monthly totals count for an entry: its amount, with the tax when tax-excluded.
int64_t CountedAmount(const Ledger& ledger, const EntryRecord& e);

}  // namespace kakeibo
