#include "ui/entry/entry_logic.h"

#include "core/totals.h"

namespace kakeibo {

namespace {

// The kind each list of a tab asks for; nullptr offers every item.
const char* KindFilter(EntryTab tab, ItemSide side) {
    const bool first = side == ItemSide::First;
    switch (tab) {
        case EntryTab::Expense:
            return first ? kKindExpense : kKindAccount;
        case EntryTab::Transfer:
            return kKindAccount;
        case EntryTab::Income:
            return first ? kKindAccount : kKindIncome;
        case EntryTab::Budget:
            break;
    }
    return nullptr;
}

}  // namespace

std::vector<int> ItemChoices(const Ledger& ledger, EntryTab tab, ItemSide side) {
    const char* kind = KindFilter(tab, side);
    std::vector<int> items;
    for (int i = 0; i < kItemCount; ++i) {
        if (kind == nullptr || ledger.ItemTable[i].Kind == kind) items.push_back(i);
    }
    return items;
}

std::optional<EntryTab> TabForKinds(std::string_view kind1, std::string_view kind2) {
    if (kind1 == kKindExpense && kind2 == kKindAccount) return EntryTab::Expense;
    if (kind1 == kKindAccount && kind2 == kKindAccount) return EntryTab::Transfer;
    if (kind1 == kKindAccount && kind2 == kKindIncome) return EntryTab::Income;
    return std::nullopt;
}

std::optional<EntryTab> TabAtStripX(int x) {
    if (x < 0) return std::nullopt;
    const int k = x / 80;
    if (k >= kEntryTabCount) return std::nullopt;
    return static_cast<EntryTab>(k);
}

std::string TaxExcludedCaption(const Ledger& ledger, const Date& date, int item, int subItem) {
    return "税抜(" + std::to_string(TaxRate(ledger, date, item, subItem)) + "%)";
}

}  // namespace kakeibo
