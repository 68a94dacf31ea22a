#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/ledger.h"

namespace kakeibo {

// The four tabs of the entry form, in strip order.
enum class EntryTab : int { Expense = 0, Transfer = 1, Income = 2, Budget = 3 };
inline constexpr int kEntryTabCount = 4;

// Which of the two item lists of the panel: the first (Item1) or the second (Item2).
enum class ItemSide { First, Second };

// The item numbers a tab offers in one of its item lists, in item order. Items with an empty
// name are offered too; the budget tab offers all 30.
std::vector<int> ItemChoices(const Ledger& ledger, EntryTab tab, ItemSide side);

// The tab whose lists an entry with these item kinds came from; none for any other pair.
std::optional<EntryTab> TabForKinds(std::string_view kind1, std::string_view kind2);

// The tab under a press on the strip at `x` pixels from its left edge: click zones are 80
// pixels wide although the tabs are drawn 72 apart.
std::optional<EntryTab> TabAtStripX(int x);

// The caption of the tax-excluded button: the rate such an amount gets on `date` in `item`
// and `subItem` (-1: none chosen), as 「税抜(10%)」.
std::string TaxExcludedCaption(const Ledger& ledger, const Date& date, int item, int subItem = -1);

}  // namespace kakeibo
