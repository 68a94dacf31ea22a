#include "core/reports/entry_list.h"

#include <algorithm>

#include "core/numbers.h"

namespace kakeibo {

const std::array<const char*, kEntryListColumns>& EntryListHeadings() {
    static const std::array<const char*, kEntryListColumns> headings = {
        "日", "お店の名前等", "項　目1", "細　目1", "項　目2", "細　目2", "金　額", "メ　モ"};
    return headings;
}

EntryListNames EntryListNamesOf(const Ledger& ledger) {
    EntryListNames names;
    for (int i = 0; i < kItemCount; ++i) names.Items[i] = ledger.ItemTable[i].Name;
    names.SubItems = ledger.SubItemTable;
    return names;
}

std::string EntryListCellText(const EntryRecord& entry, const EntryText& text,
                              const EntryListNames& names, int column) {
    auto item = [&](int i) { return i >= 0 && i < kItemCount ? names.Items[i] : std::string(); };
    auto subItem = [&](int i, int sub) {
        return i >= 0 && i < kItemCount && sub >= 0 && sub < kSubItemCount ? names.SubItems[i][sub]
                                                                           : std::string();
    };
    switch (column) {
        case 0:
            return std::to_string(entry.Day);
        case 1:
            return text.Shop;
        case 2:
            return item(entry.Item1);
        case 3:
            return subItem(entry.Item1, entry.SubItem1);
        case 4:
            return item(entry.Item2);
        case 5:
            return subItem(entry.Item2, entry.SubItem2);
        case 6:
            return std::to_string(entry.Amount);
        case 7:
            return text.Memo;
        default:
            return {};
    }
}

TextTable EntryListRows(const Ledger& ledger) {
    const int used = std::clamp(ledger.NextSlot, 0, kSlotCount);
    const EntryListNames names = EntryListNamesOf(ledger);
    const int m = std::clamp(ledger.EditMonth, 1, kMonthCount) - 1;
    TextTable rows(static_cast<size_t>(used) + 1);
    for (int s = 0; s < used; ++s) {
        rows[s].reserve(kEntryListColumns);
        for (int c = 0; c < kEntryListColumns; ++c) {
            rows[s].push_back(
                EntryListCellText(ledger.EntryTable[m][s], ledger.EntryTextTable[m][s], names, c));
        }
    }
    rows[used].assign(kEntryListColumns, std::string());
    return rows;
}

std::string DeleteQuestion(const Ledger& ledger, int month, int slot) {
    const int used = month == ledger.EditMonth ? ledger.NextSlot : ledger.GetIndex(month);
    if (month < 1 || month > kMonthCount || slot < 0 || slot >= std::min(used, kSlotCount)) {
        return "削除してよろしいですか？";
    }
    const EntryRecord& e = ledger.EntryTable[month - 1][slot];
    std::string what = ledger.EntryTextTable[month - 1][slot].Shop;
    if (what.empty()) what = EntryListCellText(e, {}, EntryListNamesOf(ledger), 2);
    std::string text = std::to_string(e.Month) + "/" + std::to_string(e.Day) + "\u3000";
    if (!what.empty()) text += what + "\u3000";
    return text + FormatNumber(e.Amount, 0, 0) + "円 を削除しますか？";
}

TextTable EntryListTable(const Ledger& ledger) {
    TextTable table = EntryListRows(ledger);
    const auto& headings = EntryListHeadings();
    table.insert(table.begin(), std::vector<std::string>(headings.begin(), headings.end()));
    return table;
}

}  // namespace kakeibo
