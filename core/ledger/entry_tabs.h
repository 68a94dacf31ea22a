// The tabs of the entry form and the kinds of item each of its two item lists accepts.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "core/ledger/ledger.h"

namespace kakeibo {

// The four tabs of the entry form, in strip order. A recurring template keeps the number of
// the tab its items come from (never the budget tab).
enum class EntryTab : int32_t { Expense = 0, Transfer = 1, Income = 2, Budget = 3 };
inline constexpr int kEntryTabCount = 4;

// Which of the two item lists of the panel: the first (Item1) or the second (Item2).
enum class ItemSide { First, Second };

// The kind a list of a tab accepts: expense and account, account and account, account and
// income; nullptr for the budget tab, which accepts every item.
const char* TabItemKind(EntryTab tab, ItemSide side);

// The item numbers a tab offers in one of its item lists, in item order. Items with an empty
// name are offered too; the budget tab offers all 30.
std::vector<int> ItemChoices(const Ledger& ledger, EntryTab tab, ItemSide side);

// The tab whose lists an entry with these item kinds came from; none for any other pair.
std::optional<EntryTab> TabForKinds(std::string_view kind1, std::string_view kind2);

}  // namespace kakeibo
