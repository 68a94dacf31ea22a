#include "core/ledger/entries.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace kakeibo {
namespace {

EntryRecord At(int day, int amount) {
    return {2026, 3, day, 2, 0, 0, 0, amount, 0};
}

// Every change of the edited month goes through these three: they alone move NextSlot and
// set LedgerChanged, and a refused change touches nothing.
TEST(Entries, AddReplaceAndDeleteKeepNextSlotAndTheChangedFlag) {
    struct Row {
        const char* what;
        int used;     // entries of March before the change
        char change;  // 'a' add, 'r' replace slot 1, 'd' delete slot 1
        bool done;
        int nextSlot;
        std::string shops;  // the shops of slots 0..3 after the change
    };
    const Row rows[] = {
        {"add after three", 3, 'a', true, 4, "ABCN"},
        {"add into a full month", kSlotCount, 'a', false, kSlotCount, "ABCD"},
        {"replace the middle", 3, 'r', true, 3, "ANC."},
        {"replace behind the last", 1, 'r', false, 1, "A..."},
        {"delete moves the rest up", 3, 'd', true, 2, "AC.."},
        {"delete behind the last", 1, 'd', false, 1, "A..."},
        {"delete from a full month", kSlotCount, 'd', true, kSlotCount - 1, "ACDE"},
    };
    for (const Row& row : rows) {
        auto ledger = std::make_unique<Ledger>();
        ledger->EditMonth = 3;
        for (int s = 0; s < row.used; ++s) {
            ledger->EntryTable[2][s] = At(s + 1, 100 + s);
            ledger->EntryTextTable[2][s] = {std::string(1, static_cast<char>('A' + s % 26)), ""};
        }
        ledger->NextSlot = row.used;
        const EntryRecord fresh = At(20, 777);
        bool done = false;
        if (row.change == 'a') done = AddEntry(*ledger, 3, fresh, {"N", "memo"}).has_value();
        if (row.change == 'r') {
            done = ReplaceEntry(*ledger, 3, 1, fresh, {"N", "memo"}).has_value();
        }
        if (row.change == 'd') done = DeleteEntry(*ledger, 3, 1).has_value();

        EXPECT_EQ(done, row.done) << row.what;
        EXPECT_EQ(ledger->LedgerChanged, row.done) << row.what;
        EXPECT_EQ(ledger->NextSlot, row.nextSlot) << row.what;
        std::string shops;
        for (int s = 0; s < 4; ++s) {
            const std::string& shop = ledger->EntryTextTable[2][s].Shop;
            shops += shop.empty() ? "." : shop;
        }
        EXPECT_EQ(shops, row.shops) << row.what;
        // Nothing lies behind the month's last entry, and the slot freed by a delete is empty.
        EXPECT_EQ(ledger->EntryTable[2][kSlotCount - 1].Year, row.nextSlot == kSlotCount ? 2026 : 0)
            << row.what;
        if (row.change == 'd' && row.done) {
            EXPECT_EQ(ledger->EntryTable[2][1], At(3, 102)) << row.what;
        }
        if (row.change != 'd' && row.done) {
            EXPECT_EQ(ledger->EntryTable[2][row.change == 'a' ? 3 : 1], fresh) << row.what;
        }
    }
}

}  // namespace
}  // namespace kakeibo
