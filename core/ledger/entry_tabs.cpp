#include "core/ledger/entry_tabs.h"

namespace kakeibo {

const char* TabItemKind(EntryTab tab, ItemSide side) {
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

std::vector<int> ItemChoices(const Ledger& ledger, EntryTab tab, ItemSide side) {
    const char* kind = TabItemKind(tab, side);
    std::vector<int> items;
    for (int i = 0; i < kItemCount; ++i) {
        if (kind == nullptr || ledger.ItemTable[i].Kind == kind) items.push_back(i);
    }
    return items;
}

std::optional<EntryTab> TabForKinds(std::string_view kind1, std::string_view kind2) {
    for (const EntryTab tab : {EntryTab::Expense, EntryTab::Transfer, EntryTab::Income}) {
        if (kind1 == TabItemKind(tab, ItemSide::First) &&
            kind2 == TabItemKind(tab, ItemSide::Second)) {
            return tab;
        }
    }
    return std::nullopt;
}

}  // namespace kakeibo
