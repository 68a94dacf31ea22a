// Setting a month's budgets and copying last month's: the only writers of BudgetTable.
#pragma once

#include <cstdint>

#include "core/ledger/change.h"
#include "core/ledger/ledger.h"

namespace kakeibo {

// The only writers of BudgetTable. They set LedgerChanged and return the change they made.

// One item's budget for a month (1..12).
Change SetBudget(Ledger& ledger, int month, int item, int32_t amount);

// Copies the budgets of the month before (row 0 for January) into `month`; with `emptyOnly`
// only where the month's budget is 0.
Change CopyPreviousBudgets(Ledger& ledger, int month, bool emptyOnly);

// True when the month (1..12) has at least one budget that is not 0.
bool MonthHasBudget(const Ledger& ledger, int month);

}  // namespace kakeibo
