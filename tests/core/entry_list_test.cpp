#include "core/reports/entry_list.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace kakeibo {
namespace {

// Numbers a damaged file may hold name no item rather than a wrong one; the list's ordinary
// cells are checked by the list's and the export's own tests.
TEST(EntryListTable, NamesOnlyKnownItemsAndSubItems) {
    auto ledger = std::make_unique<Ledger>();
    ledger->ItemTable[0].Name = "現金";
    ledger->ItemTable[2].Name = "食費";
    ledger->SubItemTable[0][0] = "お財布";
    ledger->EditMonth = 7;
    ledger->EntryTable[6][0] = {2026, 7, 31, -1, 0, kItemCount, 0, 2147483647, 2};
    ledger->EntryTextTable[6][0] = {"店", ""};
    ledger->EntryTable[6][1] = {2026, 7, 2, 2, -1, 0, kSubItemCount, 9, 0};
    ledger->EntryTextTable[6][1] = {"", "メモ"};
    ledger->NextSlot = 2;
    const TextTable rows = EntryListRows(*ledger);
    EXPECT_EQ(rows, (TextTable{{"31", "店", "", "", "", "", "2147483647", ""},
                               {"2", "", "食費", "", "現金", "", "9", "メモ"},
                               std::vector<std::string>(kEntryListColumns)}));
}

}  // namespace
}  // namespace kakeibo
