#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/ledger/entry_tabs.h"
#include "core/ledger/ledger.h"

namespace kakeibo {

// The tab under a press on the strip at `x` pixels from its left edge: click zones are 80
// pixels wide although the tabs are drawn 72 apart.
std::optional<EntryTab> TabAtStripX(int x);

// The caption of the tax-excluded button: the rate such an amount gets on `date` in `item`
// and `subItem` (-1: none chosen), as 「税抜(10%)」.
std::string TaxExcludedCaption(const Ledger& ledger, const Date& date, int item, int subItem = -1);

}  // namespace kakeibo
