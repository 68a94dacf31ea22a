#include "core/ledger/totals.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "core/ledger/ledger.h"

namespace kakeibo {
namespace {

constexpr int kWallet = 0;  // account item; sub-item 0 is the wallet
constexpr int kBank = 1;    // account item
constexpr int kFood = 2;    // expense item
constexpr int kSalary = 3;  // income item

std::unique_ptr<Ledger> MakeLedger() {
    auto ledger = std::make_unique<Ledger>();
    ledger->ItemTable[kWallet] = {"現金", "0"};
    ledger->ItemTable[kBank] = {"銀行", "0"};
    ledger->ItemTable[kFood] = {"食費", "-1"};
    ledger->ItemTable[kSalary] = {"給与", "1"};
    return ledger;
}

EntryRecord Entry(int year, int month, int day, int item1, int sub1, int item2, int sub2,
                  int32_t amount, int taxKind = 0) {
    return EntryRecord{year, month, day, item1, sub1, item2, sub2, amount, taxKind};
}

void Refresh(Ledger& ledger) {
    RefreshData(ledger, 1);
    RefreshData(ledger, 2);
}

TEST(Totals, ExpenseInMarchLowersTheWalletFromMarchOn) {
    auto ledger = MakeLedger();
    ledger->BalanceTable[0][kWallet][0] = 10000;
    ledger->BalanceTable[0][kWallet][5] = 10000;
    ledger->EntryTable[2][0] = Entry(2026, 3, 14, kFood, 1, kWallet, 0, 1000);
    Refresh(*ledger);

    const auto& march = ledger->MonthTotalTable[2];
    EXPECT_EQ(march[kFood][1][0], 1000);
    EXPECT_EQ(march[kFood][5][0], 1000);
    EXPECT_EQ(march[kFood][1][1], 0);
    EXPECT_EQ(march[kWallet][0][1], 1000);
    EXPECT_EQ(march[kWallet][5][1], 1000);
    EXPECT_EQ(march[kWallet][0][0], 0);
    for (int month = 0; month < kMonthCount; ++month) {
        for (int c = 0; c < kColumnCount; ++c) {
            EXPECT_EQ(ledger->MonthTotalTable[month][kItemCount][c][0], 0);
            EXPECT_EQ(ledger->MonthTotalTable[month][kItemCount][c][1], 0);
        }
    }

    for (int row = 0; row <= 12; ++row) {
        const int64_t wallet = row < 3 ? 10000 : 9000;
        const int64_t food = row < 3 ? 0 : 1000;
        EXPECT_EQ(ledger->BalanceTable[row][kWallet][0], wallet) << "row " << row;
        EXPECT_EQ(ledger->BalanceTable[row][kWallet][5], wallet) << "row " << row;
        EXPECT_EQ(ledger->BalanceTable[row][kFood][1], food) << "row " << row;
        EXPECT_EQ(ledger->BalanceTable[row][kFood][5], food) << "row " << row;
    }
}

TEST(Totals, IncomeGrowsPositiveOnBothSides) {
    auto ledger = MakeLedger();
    ledger->BalanceTable[0][kSalary][2] = 300;
    ledger->BalanceTable[0][kSalary][5] = 300;
    ledger->EntryTable[0][0] = Entry(2026, 1, 25, kBank, 3, kSalary, 2, 5000);
    Refresh(*ledger);

    for (int row = 1; row <= 12; ++row) {
        EXPECT_EQ(ledger->BalanceTable[row][kSalary][2], 5300) << "row " << row;
        EXPECT_EQ(ledger->BalanceTable[row][kSalary][5], 5300) << "row " << row;
        EXPECT_EQ(ledger->BalanceTable[row][kBank][3], 5000) << "row " << row;
        EXPECT_EQ(ledger->BalanceTable[row][kBank][5], 5000) << "row " << row;
    }
    EXPECT_EQ(ledger->BalanceTable[0][kSalary][2], 300);  // the opening row is input only
    EXPECT_EQ(ledger->MonthTotalTable[0][kSalary][2][1], 5000);

    // A refund booked back to the income item lowers it again.
    ledger->EntryTable[5][0] = Entry(2026, 6, 2, kSalary, 2, kBank, 3, 700);
    Refresh(*ledger);
    EXPECT_EQ(ledger->BalanceTable[5][kSalary][5], 5300);
    EXPECT_EQ(ledger->BalanceTable[6][kSalary][5], 4600);
    EXPECT_EQ(ledger->BalanceTable[12][kBank][3], 4300);
}

TEST(Totals, TaxExcludedAmountCountsWithTaxInTotalsButAsEnteredInTheWeek) {
    auto ledger = MakeLedger();
    ledger->EntryTable[2][0] = Entry(2013, 3, 3, kFood, 0, kWallet, 0, 1000, 1);
    ledger->EntryTable[2][1] = Entry(2013, 3, 2, kFood, 0, kWallet, 0, 999, 1);
    ledger->EntryTable[2][2] = Entry(2013, 3, 2, kFood, 0, kWallet, 0, 999, 2);

    // 999 without tax is 1,048.95 with it; the third entry is not tax-excluded.
    const int64_t totals[3] = {1050 + 1049 + 999, 1050 + 1048 + 999, 1050 + 1049 + 999};
    for (int rounding = 0; rounding < 3; ++rounding) {
        ledger->TaxRounding = rounding;
        Refresh(*ledger);
        const int64_t total = totals[rounding];
        EXPECT_EQ(ledger->MonthTotalTable[2][kFood][0][0], total) << rounding;
        EXPECT_EQ(ledger->MonthTotalTable[2][kWallet][0][1], total) << rounding;
        EXPECT_EQ(ledger->BalanceTable[3][kWallet][0], -total) << rounding;
        EXPECT_EQ(ledger->BalanceTable[12][kFood][5], total) << rounding;
    }

    DataSum(*ledger, 3, Date{2013, 3, 3});
    EXPECT_EQ(ledger->WeekTable[kFood][6][0], 1000);
    EXPECT_EQ(ledger->WeekTable[kWallet][6][0], -1000);
    EXPECT_EQ(ledger->WeekTable[kFood][5][0], 999 + 999);
    EXPECT_EQ(ledger->WeekTable[kFood][5][5], 999 + 999);
}

TEST(Totals, ShohizeiRoundsExactlyByTheChosenRule) {
    auto ledger = MakeLedger();
    const Date before{2005, 6, 1};  // five percent
    struct Row {
        int64_t amount;
        int64_t halfUp, down, up;
    };
    const Row rows[] = {
        {10, 11, 10, 11},
        {20, 21, 21, 21},
        {1, 1, 1, 2},
        {60, 63, 63, 63},
        {0, 0, 0, 0},
        {9, 9, 9, 10},     // 9.45
        {30, 32, 31, 32},  // 31.5
        {1000, 1050, 1050, 1050},
        // 225,485,782,935 / 100: no floating point may come near this.
        {2147483647, 2254857829, 2254857829, 2254857830},
        {1999999990, 2099999990, 2099999989, 2099999990},  // 2,099,999,989.5
    };
    for (const Row& row : rows) {
        ledger->TaxRounding = 0;
        EXPECT_EQ(Shohizei(*ledger, row.amount, before, kFood), row.halfUp) << row.amount;
        ledger->TaxRounding = 1;
        EXPECT_EQ(Shohizei(*ledger, row.amount, before, kFood), row.down) << row.amount;
        ledger->TaxRounding = 2;
        EXPECT_EQ(Shohizei(*ledger, row.amount, before, kFood), row.up) << row.amount;
    }
}

TEST(Totals, TheRateFollowsTheEntrysDateAndItem) {
    auto ledger = MakeLedger();
    constexpr int kGoods = 4;
    ledger->ItemTable[kGoods] = {"日用品", "-1"};
    ledger->ReducedRateItems = {};
    ledger->ReducedRateItems[kFood] = true;
    ledger->ReducedRateItems[kSalary] = true;  // an income item: never the reduced rate
    // 1,255 yen: 1,317.75 at 5 %, 1,355.4 at 8 %, 1,380.5 at 10 %.
    const std::array<int64_t, 3> five{1318, 1317, 1318}, eight{1355, 1355, 1356},
        ten{1381, 1380, 1381};
    const struct {
        Date date;
        int item;
        std::array<int64_t, 3> want;  // half up, down, up
    } rows[] = {
        {{2014, 3, 31}, kGoods, five},  {{2014, 3, 31}, kFood, five},
        {{2014, 4, 1}, kGoods, eight},  {{2014, 4, 1}, kFood, eight},
        {{2019, 9, 30}, kGoods, eight}, {{2019, 9, 30}, kFood, eight},
        {{2019, 10, 1}, kGoods, ten},   {{2019, 10, 1}, kFood, eight},
        {{2025, 12, 31}, kSalary, ten}, {{2100, 12, 31}, kFood, eight},
        {{2005, 6, 1}, kFood, five},    {{2019, 2, 29}, kGoods, five},
        {{2025, 13, 1}, kGoods, five},  {{2101, 1, 1}, kGoods, five},
        {{1999, 12, 31}, kGoods, five}, {{0, 0, 0}, kFood, five},
    };
    for (const auto& row : rows) {
        for (int rounding = 0; rounding < 3; ++rounding) {
            ledger->TaxRounding = rounding;
            const Date& d = row.date;
            const std::string what = std::to_string(d.Year) + "-" + std::to_string(d.Month) + "-" +
                                     std::to_string(d.Day) + " item " + std::to_string(row.item) +
                                     " rule " + std::to_string(rounding);
            EXPECT_EQ(Shohizei(*ledger, 1255, d, row.item), row.want[rounding]) << what;
            // The totals count the entry by its own date, whatever month holds it.
            ledger->EntryTable[5][0] =
                Entry(d.Year, d.Month, d.Day, row.item, 0, kWallet, 0, 1255, 1);
            RefreshData(*ledger, 1);
            EXPECT_EQ(ledger->MonthTotalTable[5][kWallet][0][1], row.want[rounding]) << what;
        }
    }
}

// Worked out by hand: food at the reduced 8 %, everything else at 10 %.
TEST(Totals, A2025LedgerCountsFoodAtEightAndTheRestAtTen) {
    auto ledger = MakeLedger();
    ledger->FullRateSubItems = {};  // every food sub-item at the item's rate
    constexpr int kGoods = 4;
    ledger->ItemTable[kGoods] = {"日用品", "-1"};
    ledger->BalanceTable[0][kWallet][0] = ledger->BalanceTable[0][kWallet][5] = 20000;
    ledger->EntryTable[2][0] = Entry(2025, 3, 3, kFood, 0, kWallet, 0, 1000, 1);   // 1,080
    ledger->EntryTable[2][1] = Entry(2025, 3, 3, kFood, 1, kWallet, 0, 999, 1);    // 1,078.92
    ledger->EntryTable[2][2] = Entry(2025, 3, 4, kFood, 0, kWallet, 0, 500, 0);    // 500
    ledger->EntryTable[2][3] = Entry(2025, 3, 4, kGoods, 0, kWallet, 0, 1000, 1);  // 1,100
    ledger->EntryTable[2][4] = Entry(2025, 3, 5, kGoods, 2, kBank, 0, 999, 1);     // 1,098.9
    ledger->EntryTable[2][5] = Entry(2025, 3, 5, kGoods, 0, kWallet, 0, 300, 2);   // 300
    ledger->EntryTable[3][0] = Entry(2025, 4, 1, kBank, 0, kSalary, 0, 1000, 1);   // 1,100

    const struct {
        int rounding;
        int64_t food, goods, wallet, bank;
    } rows[] = {
        {0, 1080 + 1079 + 500, 1100 + 1099 + 300, 1080 + 1079 + 500 + 1100 + 300, 1099},
        {1, 1080 + 1078 + 500, 1100 + 1098 + 300, 1080 + 1078 + 500 + 1100 + 300, 1098},
        {2, 1080 + 1079 + 500, 1100 + 1099 + 300, 1080 + 1079 + 500 + 1100 + 300, 1099},
    };
    for (const auto& row : rows) {
        ledger->TaxRounding = row.rounding;
        Refresh(*ledger);
        const auto& march = ledger->MonthTotalTable[2];
        EXPECT_EQ(march[kFood][kTotalColumn][0], row.food) << row.rounding;
        EXPECT_EQ(march[kGoods][kTotalColumn][0], row.goods) << row.rounding;
        EXPECT_EQ(march[kWallet][0][1], row.wallet) << row.rounding;
        EXPECT_EQ(ledger->BalanceTable[3][kWallet][5], 20000 - row.wallet) << row.rounding;
        EXPECT_EQ(ledger->BalanceTable[12][kBank][0], 1100 - row.bank) << row.rounding;
        EXPECT_EQ(ledger->BalanceTable[12][kSalary][5], 1100) << row.rounding;
    }
    // Without the mark food pays the standard rate too.
    ledger->TaxRounding = 0;
    ledger->ReducedRateItems[kFood] = false;
    Refresh(*ledger);
    EXPECT_EQ(ledger->MonthTotalTable[2][kFood][kTotalColumn][0], 1100 + 1099 + 500);
}

// 外食 under 食費 is excepted from the item's reduced rate as shipped: a meal out pays 10 %.
// An exception counts only under a marked expense item.
TEST(Totals, ASubItemExceptedFromItsItemsMarkPaysTheFullRate) {
    auto ledger = MakeLedger();
    constexpr int kGoods = 4;
    constexpr int kMeals = 1;  // 外食, the food item's second sub-item as shipped
    ledger->ItemTable[kGoods] = {"日用品", "-1"};
    SubItemMarks goodsExcepted{};
    goodsExcepted[kGoods][0] = true;
    const SubItemMarks shipped = ledger->FullRateSubItems;
    const struct {
        const char* what;
        SubItemMarks fullRate;
        bool foodMarked;
        int item, subItem;
        int rate;
    } rows[] = {
        {"食料品", shipped, true, kFood, 0, 8},
        {"外食", shipped, true, kFood, kMeals, 10},
        {"the item alone", shipped, true, kFood, -1, 8},
        {"外食 without the exception", {}, true, kFood, kMeals, 8},
        {"an exception under an unmarked item", goodsExcepted, true, kGoods, 0, 10},
        {"食料品 with the food mark removed", shipped, false, kFood, 0, 10},
    };
    const Date day{2025, 3, 3};
    for (const auto& row : rows) {
        ledger->FullRateSubItems = row.fullRate;
        ledger->ReducedRateItems[kFood] = row.foodMarked;
        EXPECT_EQ(TaxRate(*ledger, day, row.item, row.subItem), row.rate) << row.what;
        EXPECT_EQ(Shohizei(*ledger, 1000, day, row.item, row.subItem), 10 * (100 + row.rate))
            << row.what;
        if (row.subItem < 0) continue;
        // The month's totals count the entry in its own sub-item at the same rate.
        ledger->EntryTable[2][0] = Entry(2025, 3, 3, row.item, row.subItem, kWallet, 0, 1000, 1);
        RefreshData(*ledger, 1);
        EXPECT_EQ(ledger->MonthTotalTable[2][row.item][row.subItem][0], 10 * (100 + row.rate))
            << row.what;
    }
}

TEST(Totals, LargeMonthsSumWithoutWrapping) {
    auto ledger = MakeLedger();
    for (int s = 0; s < kSlotCount; ++s) {
        ledger->EntryTable[11][s] = Entry(2013, 12, 1 + s % 31, kFood, 4, kBank, 1, 2000000000, 1);
    }
    Refresh(*ledger);
    EXPECT_EQ(ledger->MonthTotalTable[11][kFood][4][0], 2100000000000);
    EXPECT_EQ(ledger->MonthTotalTable[11][kFood][5][0], 2100000000000);
    EXPECT_EQ(ledger->BalanceTable[12][kBank][1], -2100000000000);
    EXPECT_EQ(ledger->BalanceTable[12][kBank][5], -2100000000000);
}

TEST(Totals, TheTableMonthDecidesAndEveryColumnFiveIsTheSum) {
    auto ledger = MakeLedger();
    // A slot of April whose own month says May still counts in April.
    ledger->EntryTable[3][0] = Entry(2026, 5, 1, kFood, 0, kWallet, 0, 100);
    ledger->EntryTable[3][1] = Entry(2026, 4, 2, kFood, 3, kWallet, 1, 20);
    ledger->EntryTable[3][2] = Entry(2026, 4, 3, kBank, 4, kWallet, 0, 3);
    // Behind a free slot: not saved, but the totals run over every slot of the month.
    ledger->EntryTable[3][4] = Entry(2026, 4, 9, kFood, 0, kWallet, 0, 4000);
    Refresh(*ledger);

    const auto& april = ledger->MonthTotalTable[3];
    EXPECT_EQ(april[kFood][0][0], 4100);
    EXPECT_EQ(april[kFood][3][0], 20);
    EXPECT_EQ(april[kFood][5][0], 4120);
    EXPECT_EQ(april[kWallet][0][1], 4103);
    EXPECT_EQ(april[kWallet][1][1], 20);
    EXPECT_EQ(april[kWallet][5][1], 4123);
    EXPECT_EQ(april[kBank][5][0], 3);
    EXPECT_EQ(ledger->MonthTotalTable[4][kFood][5][0], 0);
    EXPECT_EQ(ledger->BalanceTable[4][kWallet][5], -4123);
    EXPECT_EQ(ledger->BalanceTable[4][kWallet][0] + ledger->BalanceTable[4][kWallet][1],
              ledger->BalanceTable[4][kWallet][5]);

    // Sums are recomputed from scratch: removing the entry removes its amount.
    ledger->EntryTable[3][4] = EntryRecord{};
    Refresh(*ledger);
    EXPECT_EQ(ledger->MonthTotalTable[3][kFood][5][0], 120);
    EXPECT_EQ(ledger->BalanceTable[12][kWallet][5], -123);
}

TEST(Totals, OtherKindsLeaveTheTablesAlone) {
    auto ledger = MakeLedger();
    ledger->EntryTable[0][0] = Entry(2026, 1, 5, kFood, 0, kWallet, 0, 100);
    ledger->MonthTotalTable[0][kFood][0][0] = 7;
    ledger->BalanceTable[1][kFood][0] = 8;
    ledger->WeekTable[kFood][6][0] = 9;
    RefreshData(*ledger, 0);
    RefreshData(*ledger, 3);
    DataSum(*ledger, 1, Date{2026, 1, 5});
    EXPECT_EQ(ledger->MonthTotalTable[0][kFood][0][0], 7);
    EXPECT_EQ(ledger->BalanceTable[1][kFood][0], 8);
    EXPECT_EQ(ledger->WeekTable[kFood][6][0], 9);
}

TEST(Totals, SlotsOutsideTheTablesCountNowhere) {
    auto ledger = MakeLedger();
    ledger->EntryTable[0][0] = Entry(2026, 1, 5, 45, 0, kWallet, 0, 100);
    ledger->EntryTable[0][1] = Entry(2026, 1, 5, kFood, 7, kWallet, 0, 100);
    ledger->EntryTable[0][2] = Entry(2026, 1, 5, kFood, 0, -1, 0, 100);
    ledger->EntryTable[0][3] = Entry(2026, 1, 5, kFood, 0, kWallet, 0, 50);
    Refresh(*ledger);
    DataSum(*ledger, 3, Date{2026, 1, 5});
    EXPECT_EQ(ledger->MonthTotalTable[0][kWallet][5][1], 50);
    EXPECT_EQ(ledger->BalanceTable[12][kFood][5], 50);
    EXPECT_EQ(ledger->WeekTable[kWallet][6][5], -50);
    EXPECT_EQ(ledger->WeekTable[kFood][6][5], 50);
}

TEST(Week, SevenDaysEndAtTheDateAcrossTheMonth) {
    auto ledger = MakeLedger();
    ledger->EntryTable[1][0] = Entry(2026, 2, 24, kFood, 0, kWallet, 0, 1);     // a day early
    ledger->EntryTable[1][1] = Entry(2026, 2, 25, kFood, 2, kWallet, 0, 10);    // index 0
    ledger->EntryTable[1][2] = Entry(2026, 2, 28, kBank, 1, kWallet, 3, 20);    // index 3
    ledger->EntryTable[1][3] = Entry(2026, 2, 30, kFood, 0, kWallet, 0, 40);    // no such day
    ledger->EntryTable[2][0] = Entry(2026, 3, 1, kWallet, 0, kSalary, 4, 300);  // index 4
    ledger->EntryTable[2][1] = Entry(2026, 3, 3, kFood, 2, kWallet, 0, 500);    // index 6
    ledger->EntryTable[2][2] = Entry(2026, 3, 4, kFood, 2, kWallet, 0, 2);      // a day late
    ledger->EntryTable[2][3] = Entry(2025, 3, 3, kFood, 2, kWallet, 0, 4);      // last year
    ledger->EntryTable[0][0] = Entry(2026, 1, 1, kFood, 2, kWallet, 0, 8);      // outside m0..m
    DataSum(*ledger, 3, Date{2026, 3, 3});

    const auto& week = ledger->WeekTable;
    EXPECT_EQ(week[kFood][0][2], 10);
    EXPECT_EQ(week[kFood][0][5], 10);
    EXPECT_EQ(week[kWallet][0][0], -10);
    EXPECT_EQ(week[kWallet][0][5], -10);
    EXPECT_EQ(week[kBank][3][1], 20);
    EXPECT_EQ(week[kWallet][3][3], -20);
    EXPECT_EQ(week[kWallet][4][0], 300);
    EXPECT_EQ(week[kSalary][4][4], 300);
    EXPECT_EQ(week[kSalary][4][5], 300);
    EXPECT_EQ(week[kFood][6][2], 500);
    EXPECT_EQ(week[kWallet][6][5], -500);
    int64_t everything = 0;
    for (const auto& item : week) {
        for (const auto& day : item) {
            for (int64_t v : day) everything += v < 0 ? -v : v;
        }
    }
    // Only the five entries above, each counted in a sub-item and a total on both sides.
    EXPECT_EQ(everything, 4 * (10 + 20 + 300 + 500));
    EXPECT_EQ(week[kFood][5][0], 0);  // 2 March: the slot of 30 February is in no week
    EXPECT_EQ(week[kFood][5][5], 0);

    // In a leap year the week before 3 March starts on 26 February and holds the 29th.
    auto leap = MakeLedger();
    leap->EntryTable[1][0] = Entry(2024, 2, 29, kFood, 0, kWallet, 0, 70);
    leap->EntryTable[1][1] = Entry(2024, 2, 25, kFood, 0, kWallet, 0, 6);
    DataSum(*leap, 3, Date{2024, 3, 3});
    EXPECT_EQ(leap->WeekTable[kFood][3][0], 70);
    EXPECT_EQ(leap->WeekTable[kFood][0][5], 0);
}

TEST(Week, FourJanuaryCoversOnlyThisYearsFirstDays) {
    auto ledger = MakeLedger();
    ledger->EntryTable[0][0] = Entry(2027, 1, 1, kFood, 0, kWallet, 0, 11);
    ledger->EntryTable[0][1] = Entry(2027, 1, 4, kFood, 0, kWallet, 0, 44);
    ledger->EntryTable[0][2] = Entry(2027, 1, 5, kFood, 0, kWallet, 0, 55);
    // Last year's December is not in this ledger, even if a slot claims it.
    ledger->EntryTable[11][0] = Entry(2026, 12, 30, kFood, 0, kWallet, 0, 99);
    ledger->WeekTable[kFood][0][0] = 123;  // stale values from the last call go
    DataSum(*ledger, 3, Date{2027, 1, 4});

    const auto& food = ledger->WeekTable[kFood];
    EXPECT_EQ(food[0][0], 0);
    EXPECT_EQ(food[1][0], 0);
    EXPECT_EQ(food[2][0], 0);
    EXPECT_EQ(food[3][0], 11);
    EXPECT_EQ(food[4][0], 0);
    EXPECT_EQ(food[5][0], 0);
    EXPECT_EQ(food[6][0], 44);
    EXPECT_EQ(food[6][5], 44);
}

}  // namespace
}  // namespace kakeibo
