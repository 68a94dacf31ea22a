#include "core/ledger/budgets.h"

namespace kakeibo {

namespace {

bool ValidMonth(int month) {
    return month >= 1 && month <= kMonthCount;
}

}  // namespace

Change SetBudget(Ledger& ledger, int month, int item, int32_t amount) {
    Change change;
    change.Kind = ChangeKind::Budget;
    if (!ValidMonth(month) || item < 0 || item >= kItemCount) return change;
    int32_t& cell = ledger.BudgetTable[month][item];
    change.Budgets.push_back({month, item, cell, amount});
    cell = amount;
    ledger.LedgerChanged = true;
    return change;
}

Change CopyPreviousBudgets(Ledger& ledger, int month, bool emptyOnly) {
    Change change;
    change.Kind = ChangeKind::BudgetCopy;
    if (!ValidMonth(month)) return change;
    auto& row = ledger.BudgetTable[month];
    const auto& previous = ledger.BudgetTable[month - 1];
    for (int i = 0; i < kItemCount; ++i) {
        if (emptyOnly && row[i] != 0) continue;
        if (row[i] != previous[i]) change.Budgets.push_back({month, i, row[i], previous[i]});
        row[i] = previous[i];
    }
    ledger.LedgerChanged = true;
    return change;
}

bool MonthHasBudget(const Ledger& ledger, int month) {
    if (!ValidMonth(month)) return false;
    for (int32_t budget : ledger.BudgetTable[month]) {
        if (budget != 0) return true;
    }
    return false;
}

}  // namespace kakeibo
