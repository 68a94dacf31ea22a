#include "core/ledger/settings_work.h"

#include <gtest/gtest.h>

#include <memory>

namespace kakeibo {
namespace {

TEST(SettingsWorkTest, HistoryArrowsStepWholeNumbersBetweenZeroAndNinetyNine) {
    const struct {
        long double value;
        int step;
        int expected;
    } rows[] = {{0, -1, 0}, {98, 1, 99}, {99, 1, 99}, {7.9L, 1, 8}};
    for (const auto& row : rows) EXPECT_EQ(StepHistoryLength(row.value, row.step), row.expected);
}

TEST(SettingsWorkTest, NamesAsLoadedAreNeverRefusedAndOpeningSumsDoNotWrap) {
    auto ledger = std::make_unique<Ledger>();
    ledger->ItemTable[3].Name = "旧€";
    SettingsWork work;
    CopyMasters(*ledger, work);
    EXPECT_FALSE(FindUnstorableName(*ledger, work));
    work.Items[1].Name = "口座😀";
    const auto fault = FindUnstorableName(*ledger, work);
    ASSERT_TRUE(fault);
    EXPECT_EQ(fault->Item, 1);
    EXPECT_EQ(fault->Character, "😀");

    work.Opening[0] = {2'000'000'000, 2'000'000'000, -5, 0, 0, 0};
    WriteSettings(*ledger, work, 12.9L, 0);
    EXPECT_EQ(ledger->BalanceTable[0][0][5], 3'999'999'995);
    EXPECT_EQ(ledger->ShopHistoryMax, 12);
}

}  // namespace
}  // namespace kakeibo
