#include "ui/entry/entry_logic.h"

#include "core/ledger/totals.h"

namespace kakeibo {

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
