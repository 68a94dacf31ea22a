#include "core/ledger/change.h"

#include <algorithm>

namespace kakeibo {

SettingsState CaptureSettings(const Ledger& ledger) {
    SettingsState s;
    s.Items = ledger.ItemTable;
    s.SubItems = ledger.SubItemTable;
    s.Opening = ledger.BalanceTable[0];
    s.TaxRounding = ledger.TaxRounding;
    s.ReducedRateItems = ledger.ReducedRateItems;
    s.ShopHistoryMax = ledger.ShopHistoryMax;
    s.MemoHistoryMax = ledger.MemoHistoryMax;
    s.HideZeroItems = ledger.HideZeroItems;
    return s;
}

namespace {

void RestoreSettings(Ledger& ledger, const SettingsState& s) {
    ledger.ItemTable = s.Items;
    ledger.SubItemTable = s.SubItems;
    ledger.BalanceTable[0] = s.Opening;
    ledger.TaxRounding = s.TaxRounding;
    ledger.ReducedRateItems = s.ReducedRateItems;
    ledger.ShopHistoryMax = s.ShopHistoryMax;
    ledger.MemoHistoryMax = s.MemoHistoryMax;
    ledger.HideZeroItems = s.HideZeroItems;
}

bool ValidSpan(const SlotSpan& span) {
    const size_t n = span.Before.size();
    return span.Month >= 1 && span.Month <= kMonthCount && span.First >= 0 &&
           span.After.size() == n && span.BeforeText.size() == n && span.AfterText.size() == n &&
           static_cast<size_t>(span.First) + n <= static_cast<size_t>(kSlotCount);
}

}  // namespace

int Change::FirstMonth() const {
    int first = 0;
    const auto take = [&first](int month) {
        if (month >= 1 && month <= kMonthCount && (first == 0 || month < first)) first = month;
    };
    for (const SlotSpan& span : Slots) take(span.Month);
    for (const BudgetCell& cell : Budgets) take(cell.Month);
    return first;
}

bool Change::ChangesMasters() const {
    if (!SettingsBefore || !SettingsAfter) return false;
    return SettingsBefore->Items != SettingsAfter->Items ||
           SettingsBefore->SubItems != SettingsAfter->SubItems;
}

void ApplyChange(Ledger& ledger, const Change& change, ChangeSide side) {
    const bool after = side == ChangeSide::After;
    for (const SlotSpan& span : change.Slots) {
        if (!ValidSpan(span)) continue;
        const auto& records = after ? span.After : span.Before;
        const auto& texts = after ? span.AfterText : span.BeforeText;
        const int m = span.Month - 1;
        std::copy(records.begin(), records.end(), ledger.EntryTable[m].begin() + span.First);
        std::copy(texts.begin(), texts.end(), ledger.EntryTextTable[m].begin() + span.First);
        if (span.Month == ledger.EditMonth) ledger.NextSlot = ledger.GetIndex(span.Month);
    }
    for (const BudgetCell& cell : change.Budgets) {
        if (cell.Month < 0 || cell.Month > kMonthCount || cell.Item < 0 ||
            cell.Item >= kItemCount) {
            continue;
        }
        ledger.BudgetTable[cell.Month][cell.Item] = after ? cell.After : cell.Before;
    }
    const auto& settings = after ? change.SettingsAfter : change.SettingsBefore;
    if (settings) RestoreSettings(ledger, *settings);
    ledger.LedgerChanged = true;
    if (change.ChangesMasters()) ledger.MastersChanged = true;
}

int UsedSlots(const Ledger& ledger, int month) {
    return month == ledger.EditMonth ? ledger.NextSlot : ledger.GetIndex(month);
}

}  // namespace kakeibo
