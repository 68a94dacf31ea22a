#include "core/settings_work.h"

#include <gtest/gtest.h>

#include <memory>

namespace kakeibo {
namespace {

TEST(SettingsWorkTest, HistoryArrowsStayBetweenZeroAndNinetyNine) {
    const struct {
        long double value;
        int step;
        int expected;
    } rows[] = {{0, -1, 0}, {1, -1, 0}, {30, 1, 31}, {98, 1, 99}, {99, 1, 99}, {7.9L, 1, 8}};
    for (const auto& row : rows) {
        EXPECT_EQ(StepHistoryLength(row.value, row.step), row.expected)
            << static_cast<double>(row.value) << " " << row.step;
    }
}

TEST(SettingsWorkTest, OnlyChangedNamesTheMastersCannotHoldAreFound) {
    auto ledger = std::make_unique<Ledger>();
    ledger->ItemTable[3].Name = "旧€";  // as loaded: never refused
    SettingsWork work;
    CopyMasters(*ledger, work);
    EXPECT_FALSE(FindUnstorableName(*ledger, work));

    work.SubItems[4][2] = "a\r\nb";
    auto fault = FindUnstorableName(*ledger, work);
    ASSERT_TRUE(fault);
    EXPECT_EQ(fault->Item, 4);
    EXPECT_EQ(fault->SubItem, 2);
    EXPECT_EQ(fault->Character, "");

    work.Items[1].Name = "口座😀";
    fault = FindUnstorableName(*ledger, work);
    ASSERT_TRUE(fault);
    EXPECT_EQ(fault->Item, 1);
    EXPECT_EQ(fault->SubItem, -1);
    EXPECT_EQ(fault->Character, "😀");
}

TEST(SettingsWorkTest, WriteStoresSumsFlagsAndWholeHistoryLengths) {
    auto ledger = std::make_unique<Ledger>();
    SettingsWork work;
    CopyMasters(*ledger, work);
    work.Opening[0] = {2'000'000'000, 2'000'000'000, -5, 0, 0, 0};
    RenameSubItem(work, 0, 0, "財布");
    RenameSubItem(work, 0, 1, "口座");
    WriteSettings(*ledger, work, 12.9L, 0);
    EXPECT_EQ(ledger->BalanceTable[0][0][5], 3'999'999'995);  // no 32-bit wrap
    EXPECT_EQ(work.Opening[0][5], 3'999'999'995);
    EXPECT_EQ(ledger->SubItemTable[0][0], "お財布");
    EXPECT_EQ(ledger->SubItemTable[0][1], "口座");
    EXPECT_EQ(ledger->ShopHistoryMax, 12);
    EXPECT_EQ(ledger->MemoHistoryMax, 0);
    EXPECT_TRUE(ledger->LedgerChanged && ledger->MastersChanged);
}

}  // namespace
}  // namespace kakeibo
