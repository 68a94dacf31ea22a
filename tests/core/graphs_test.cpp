#include "core/reports/graphs.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "core/files/file_io.h"
#include "core/files/group_write.h"
#include "core/files/settings_file.h"
#include "test_files.h"

namespace kakeibo {
namespace {

// Accounts 0 現金 (お財布) and 1 銀行 (みずほ, an unnamed one, ゆうちょ); expenses 2 食費,
// 3 日用品, 4 unnamed, 5 交通費, 7 医療費; income 6 給与. July is edited.
// June: salary 250,000 into みずほ, food 2,000 from the wallet. July: food 999 without tax
// (1,079 with the reduced eight percent), daily goods 3,000, 500 to the unnamed item from みずほ,
// and 20,000 moved from みずほ into the wallet.
std::unique_ptr<Ledger> HandWorkedLedger() {
    auto ledger = std::make_unique<Ledger>();
    const char* items[][2] = {{"現金", "0"}, {"銀行", "0"},    {"食費", "-1"}, {"日用品", "-1"},
                              {"", "-1"},    {"交通費", "-1"}, {"給与", "1"},  {"医療費", "-1"}};
    for (int i = 0; i < 8; ++i) ledger->ItemTable[i] = {items[i][0], items[i][1]};
    ledger->FullRateSubItems = {};  // every food sub-item at the item's reduced rate
    ledger->SubItemTable[0] = {"お財布", "", "", "", ""};
    ledger->SubItemTable[1] = {"みずほ", "", "ゆうちょ", "", ""};
    ledger->BalanceTable[0][0][0] = ledger->BalanceTable[0][0][kTotalColumn] = 30000;
    ledger->BalanceTable[0][1][0] = ledger->BalanceTable[0][1][kTotalColumn] = 200000;
    ledger->BudgetTable[7][2] = 40000;
    ledger->BudgetTable[7][5] = 10000;
    ledger->EntryTable[5][0] = {2026, 6, 25, 1, 0, 6, 0, 250000, 0};
    ledger->EntryTable[5][1] = {2026, 6, 26, 2, 0, 0, 0, 2000, 0};
    ledger->EntryTable[6][0] = {2026, 7, 3, 2, 1, 0, 0, 999, 1};
    ledger->EntryTable[6][1] = {2026, 7, 4, 3, 0, 0, 0, 3000, 2};
    ledger->EntryTable[6][2] = {2026, 7, 5, 4, 0, 1, 0, 500, 0};
    ledger->EntryTable[6][3] = {2026, 7, 6, 0, 0, 1, 0, 20000, 0};
    ledger->EditDate = {2026, 7, 20};
    ledger->EditMonth = 7;
    return ledger;
}

TEST(Graphs, MonthExpenseIsTaxIncludedLargestFirstWithBudgets) {
    auto ledger = HandWorkedLedger();
    // The unnamed item spent 500 but has no bar; those without spending follow in item order.
    const ExpenseBar goods{3, "日用品", 3000, 0}, food{2, "食費", 1079, 40000},
        fares{5, "交通費", 0, 10000}, medical{7, "医療費", 0, 0};
    EXPECT_EQ(MonthExpenseSeries(*ledger), (std::vector{goods, food, fares, medical}));
    ledger->HideZeroItems = true;
    EXPECT_EQ(MonthExpenseSeries(*ledger), (std::vector{goods, food, fares}));
    // A refund that cancels 日用品 out hides it; a new entry comes first.
    ledger->EntryTable[6][4] = {2026, 7, 9, 0, 0, 3, 0, 3000, 0};
    ledger->EntryTable[6][5] = {2026, 7, 9, 7, 0, 0, 0, 8000, 0};
    EXPECT_EQ(MonthExpenseSeries(*ledger),
              (std::vector{ExpenseBar{7, "医療費", 8000, 0}, food, fares}));
}

TEST(Graphs, YearBalanceCountsEveryExpenseAndIncomeButNoTransfer) {
    auto ledger = HandWorkedLedger();
    std::array<MonthFigures, kMonthCount> want{};
    want[5] = {2000, 250000, 248000};
    want[6] = {1079 + 3000 + 500, 0, -4579};  // the unnamed item is spending all the same
    EXPECT_EQ(YearBalanceSeries(*ledger), want);
}

TEST(Graphs, AccountBalancesAtEachMonthEnd) {
    auto ledger = HandWorkedLedger();
    auto months = [](int64_t toMay, int64_t june, int64_t fromJuly) {
        std::array<int64_t, kMonthCount> b{};
        for (int m = 0; m < kMonthCount; ++m) b[m] = m < 5 ? toMay : m == 5 ? june : fromJuly;
        return b;
    };
    const BalanceLine wallet{0, 0, "お財布", months(30000, 28000, 43921)},
        cash{0, 5, "現金　合計", months(30000, 28000, 43921)},
        mizuho{1, 0, "みずほ", months(200000, 450000, 429500)},
        yucho{1, 2, "ゆうちょ", months(0, 0, 0)},
        bank{1, 5, "銀行　合計", months(200000, 450000, 429500)};
    EXPECT_EQ(AccountBalanceSeries(*ledger), (std::vector{wallet, cash, mizuho, yucho, bank}));
    ledger->HideZeroItems = true;
    EXPECT_EQ(AccountBalanceSeries(*ledger), (std::vector{wallet, cash, mizuho, bank}));
}

TEST(Graphs, YenAxisTakesRoundStepsThroughZero) {
    struct Row {
        int64_t Low, High;
        YenAxis Want;
    };
    const Row rows[] = {
        {0, 0, {0, 1000, 200, {"0", "200", "400", "600", "800", "1,000"}}},
        {1, 7, {0, 8, 2, {"0", "2", "4", "6", "8"}}},
        {1049, 43951, {0, 50000, 10000, {"0", "10,000", "20,000", "30,000", "40,000", "50,000"}}},
        {-4549,
         250000,
         {-100000, 300000, 100000, {"-100,000", "0", "100,000", "200,000", "300,000"}}},
        {-12345, -10, {-15000, 0, 5000, {"-15,000", "-10,000", "-5,000", "0"}}},
        // Across zero, rounding both ends out must not add a sixth step.
        {-12358,
         2242850,
         {-1000000, 3000000, 1000000, {"-1,000,000", "0", "1,000,000", "2,000,000", "3,000,000"}}},
    };
    for (const Row& row : rows) EXPECT_EQ(MakeYenAxis(row.Low, row.High), row.Want) << row.High;
}

TEST(Graphs, GraphSlotIsWrittenAndReadBackUnlessItEchoesTheEntryForm) {
    test::TempDir dir;
    const std::string path = dir.Path() + "rozed.ini";
    const LayoutSlot entry{1, 427, 81, 483, 583};
    struct Row {
        std::optional<LayoutSlot> Graph;
        const char* Slots;  // line 6
        LayoutSlot Placed;
    };
    const Row rows[] = {
        // Older files, and saves without a graph sheet, repeat the entry form: never placed.
        {std::nullopt, "1,427,81,483,583,1,427,81,483,583,1,0,81,618,425,", kGraphSheetDefault},
        {LayoutSlot{0, 5, 100, 350, 640}, "1,427,81,483,583,0,5,100,350,640,1,0,81,618,425,",
         LayoutSlot{0, 5, 100, 350, 640}},
        // A graph sheet lying exactly on the entry form moves a pixel to keep its place.
        {entry, "1,427,81,483,583,1,428,81,483,583,1,0,81,618,425,", {1, 428, 81, 483, 583}},
    };
    for (const Row& row : rows) {
        auto ledger = std::make_unique<Ledger>();
        const auto lines = SettingsFileLines(*ledger, entry, {1, 0, 81, 618, 425}, row.Graph);
        EXPECT_EQ(lines[5], row.Slots);
        WriteFileAtomic(path, EncodeLines(lines, path), false);
        SetStartupDefaults(*ledger, 768);
        ReadSettingsFile(*ledger, path);
        EXPECT_EQ(GraphSheetPlacement(*ledger), row.Placed) << row.Slots;
    }
    // No line 6 leaves zeros: never placed. A short line 6 has no size: the default size.
    auto fresh = std::make_unique<Ledger>();
    SetStartupDefaults(*fresh, 768);
    EXPECT_EQ(GraphSheetPlacement(*fresh), kGraphSheetDefault);
    fresh->WindowLayout[kLayoutGraphSheet] = LayoutSlot{1, 30, 120, 0, 0};
    EXPECT_EQ(GraphSheetPlacement(*fresh), (LayoutSlot{1, 30, 120, 400, 600}));
}

}  // namespace
}  // namespace kakeibo
