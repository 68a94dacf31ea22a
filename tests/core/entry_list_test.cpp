#include "core/entry_list.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace kakeibo {
namespace {

// The export's table is the list's: every cell comes from the same texts the list shows.
TEST(EntryListTable, ShowsEachUsedSlotOfTheEditedMonthAndNamesOnlyKnownItems) {
    auto ledger = std::make_unique<Ledger>();
    ledger->ItemTable[0].Name = "現金";
    ledger->ItemTable[2].Name = "食費";
    ledger->SubItemTable[0][0] = "お財布";
    ledger->SubItemTable[2][kSubItemCount - 1] = "外食";
    struct Case {
        EntryRecord entry;
        const char* shop;
        const char* memo;
        std::vector<std::string> cells;
    };
    const Case cases[] = {
        {{2026, 7, 5, 2, 4, 0, 0, 1280, 0},
         "八百屋",
         "野菜, 果物",
         {"5", "八百屋", "食費", "外食", "現金", "お財布", "1280", "野菜, 果物"}},
        // Numbers a damaged file may hold: no name rather than a wrong one.
        {{2026, 7, 31, -1, 0, kItemCount, 0, 2147483647, 2},
         "店",
         "",
         {"31", "店", "", "", "", "", "2147483647", ""}},
        {{2026, 7, 2, 2, -1, 0, kSubItemCount, 9, 0},
         "",
         "メモ",
         {"2", "", "食費", "", "現金", "", "9", "メモ"}},
    };
    ledger->EditMonth = 7;
    const int m = ledger->EditMonth - 1;
    TextTable expected = {{EntryListHeadings().begin(), EntryListHeadings().end()}};
    int slot = 0;
    for (const Case& c : cases) {
        ledger->EntryTable[m][slot] = c.entry;
        ledger->EntryTextTable[m][slot] = EntryText{c.shop, c.memo};
        expected.push_back(c.cells);
        ++slot;
    }
    ledger->NextSlot = slot;
    // Beyond the month's last entry, and another month: neither is listed.
    ledger->EntryTable[m][slot] = cases[0].entry;
    ledger->EntryTable[m + 1][0] = cases[0].entry;
    expected.push_back(std::vector<std::string>(kEntryListColumns));

    EXPECT_EQ(EntryListTable(*ledger), expected);
}

}  // namespace
}  // namespace kakeibo
