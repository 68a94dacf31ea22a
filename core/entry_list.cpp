#include "core/entry_list.h"

#include <algorithm>
#include <string>

namespace kakeibo {

const std::array<const char*, kEntryListColumns>& EntryListHeadings() {
    static const std::array<const char*, kEntryListColumns> headings = {
        "日", "お店の名前等", "項　目1", "細　目1", "項　目2", "細　目2", "金　額", "メ　モ"};
    return headings;
}

TextTable EntryListRows(const Ledger& ledger) {
    const int used = std::clamp(ledger.NextSlot, 0, kSlotCount);
    auto itemName = [&](int item) {
        return item >= 0 && item < kItemCount ? ledger.ItemTable[item].Name : std::string();
    };
    auto subItemName = [&](int item, int sub) {
        return item >= 0 && item < kItemCount && sub >= 0 && sub < kSubItemCount
                   ? ledger.SubItemTable[item][sub]
                   : std::string();
    };
    const int m = std::clamp(ledger.EditMonth, 1, kMonthCount) - 1;
    TextTable rows(static_cast<size_t>(used) + 1);
    for (int s = 0; s < used; ++s) {
        const EntryRecord& e = ledger.EntryTable[m][s];
        const EntryText& t = ledger.EntryTextTable[m][s];
        rows[s] = {std::to_string(e.Day),    t.Shop,
                   itemName(e.Item1),        subItemName(e.Item1, e.SubItem1),
                   itemName(e.Item2),        subItemName(e.Item2, e.SubItem2),
                   std::to_string(e.Amount), t.Memo};
    }
    rows[used].assign(kEntryListColumns, std::string());
    return rows;
}

TextTable EntryListTable(const Ledger& ledger) {
    TextTable table = EntryListRows(ledger);
    const auto& headings = EntryListHeadings();
    table.insert(table.begin(), std::vector<std::string>(headings.begin(), headings.end()));
    return table;
}

}  // namespace kakeibo
