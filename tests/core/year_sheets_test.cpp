#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/files/ledger_files.h"
#include "core/files/save.h"
#include "core/reports/previous_year.h"
#include "core/reports/sheet_drawing.h"
#include "core/reports/sheets.h"
#include "core/session/carry_over.h"
#include "test_files.h"

namespace kakeibo {
namespace {

using Rows = std::vector<std::vector<std::string>>;

// 0 現金, 1 銀行 (accounts), 2 食費, 3 日用品, 4 (no name), 6 交際費 (expenses), 5 給与,
// 7 雑収入 (income).
void SetMasters(Ledger& ledger) {
    const char* items[][2] = {{"現金", "0"}, {"銀行", "0"}, {"食費", "-1"},   {"日用品", "-1"},
                              {"", "-1"},    {"給与", "1"}, {"交際費", "-1"}, {"雑収入", "1"}};
    for (int i = 0; i < 8; ++i) ledger.ItemTable[i] = {items[i][0], items[i][1]};
    ledger.SubItemTable[2] = {"食料品", "外食", "", "", ""};
    ledger.SubItemTable[5] = {"本給", "手当", "", "", ""};
}

void Book(Ledger& ledger, const EntryRecord& e) {
    ledger.EntryTable[e.Month - 1][ledger.GetIndex(e.Month)] = e;
}

Rows RowsOf(const SheetGrid& grid, int first, int count) {
    Rows rows;
    for (int r = first; r < first + count && r < grid.RowCount(); ++r) {
        std::vector<std::string> row;
        for (int c = 0; c < grid.ColumnCount(); ++c) row.push_back(grid.Cell(r, c));
        rows.push_back(row);
    }
    return rows;
}

// A row of 年間推移 worked out by hand: the figures of the months named (the others 0), their
// sum as the year's total, then the budget and the rate when the row has them.
std::vector<std::string> YearRow(const std::string& label, std::map<int, int64_t> months,
                                 std::optional<int64_t> budget = {}, const std::string& rate = "") {
    std::vector<std::string> row{label};
    int64_t total = 0;
    for (int m = 1; m <= 12; ++m) {
        row.push_back(AmountText(months[m]));
        total += months[m];
    }
    row.push_back(AmountText(total));
    row.push_back(budget ? AmountText(*budget) : "");
    row.push_back(rate);
    return row;
}

const std::vector<std::string> kBlankYearRow(16);

// The ledgers of these tests keep their tax-excluded entries before April 2014, when every one
// of them paid 5 %.

TEST(YearSheet, EachItemByMonthAsSummedFromItsEntries) {
    auto ledger = std::make_unique<Ledger>();
    SetMasters(*ledger);
    Book(*ledger, {2014, 1, 5, 2, 0, 0, 0, 3000, 0});
    Book(*ledger, {2014, 1, 25, 1, 0, 5, 0, 200000, 2});
    Book(*ledger, {2014, 2, 8, 2, 1, 0, 0, 1000, 1});  // counts 1,050
    Book(*ledger, {2014, 3, 3, 3, 0, 0, 0, 500, 0});
    Book(*ledger, {2014, 3, 9, 0, 0, 2, 0, 200, 0});  // a refund from 食料品
    Book(*ledger, {2014, 12, 10, 1, 0, 5, 1, 10000, 2});
    Book(*ledger, {2014, 12, 20, 4, 0, 0, 0, 700, 0});  // to the item without a name
    ledger->BudgetTable[1][2] = ledger->BudgetTable[2][2] = 5000;
    ledger->BudgetTable[1][5] = 200000;
    ledger->EditDate = Date{2014, 3, 10};
    ledger->EditMonth = 3;
    SheetState state;
    state.ExpandedItems[YearSheet][2] = true;

    const SheetGrid grid = FillSheet(*ledger, YearSheet, state);
    EXPECT_EQ(RowsOf(grid, 0, 1),
              (Rows{{"", "1月", "2月", "3月", "4月", "5月", "6月", "7月", "8月", "9月", "10月",
                     "11月", "12月", "合計", "予算合計", "達成率"}}));
    const Rows expected = {
        YearRow("-食費", {{1, 3000}, {2, 1050}, {3, -200}}, 10000, "    38.50%"),
        YearRow("　食料品", {{1, 3000}, {3, -200}}),
        YearRow("　外食", {{2, 1050}}),
        YearRow("　", {}),
        YearRow("　", {}),
        YearRow("　", {}),
        YearRow("+日用品", {{3, 500}}, 0, "     0.00%"),
        YearRow("+", {{12, 700}}, 0, "     0.00%"),
        YearRow("+交際費", {}, 0, "     0.00%"),
        YearRow("費用合計", {{1, 3000}, {2, 1050}, {3, 300}, {12, 700}}, 10000, "    50.50%"),
        kBlankYearRow,
        YearRow("+給与", {{1, 200000}, {12, 10000}}, 200000, "   105.00%"),
        YearRow("+雑収入", {}, 0, "     0.00%"),
        YearRow("収入合計", {{1, 200000}, {12, 10000}}, 200000, "   105.00%"),
        kBlankYearRow,
        YearRow("差し引き", {{1, 197000}, {2, -1050}, {3, -300}, {12, 9300}}, 190000),
    };
    EXPECT_EQ(RowsOf(grid, 1, 16), expected);
    // A press on an income item's name flips it, past the expense total between.
    EXPECT_EQ(ClickOnSheet(grid, state, YearSheet, 12, 0), (SheetClick{true, 5}));

    // Rows that are zero all year leave; the item without a name keeps its money in sight.
    ledger->HideZeroItems = true;
    const SheetGrid hidden = FillSheet(*ledger, YearSheet, state);
    EXPECT_EQ(hidden.Cell(8, 0) + hidden.Cell(9, 0) + hidden.Cell(12, 0), "+費用合計収入合計");

    // An item with a budget and no money yet stays, and its budget counts in the total's.
    ledger->BudgetTable[4][6] = 3000;
    const SheetGrid budgeted = FillSheet(*ledger, YearSheet, state);
    auto rowOf = [&](const std::string& label) {
        for (int r = 1; r < budgeted.RowCount(); ++r) {
            if (budgeted.Cell(r, 0) == label) return RowsOf(budgeted, r, 1).front();
        }
        return std::vector<std::string>{label + " is not listed"};
    };
    EXPECT_EQ(rowOf("+交際費"), YearRow("+交際費", {}, 3000, "     0.00%"));
    EXPECT_EQ(rowOf("費用合計"), YearRow("費用合計", {{1, 3000}, {2, 1050}, {3, 300}, {12, 700}},
                                         13000, "    38.85%"));
}

// Last year's ledger saved as a household would, this year's made from it by the carry-over.
class YearComparisonTest : public ::testing::Test {
protected:
    void SetUp() override {
        last = std::make_unique<Ledger>();
        SetMasters(*last);
        last->ExeDir = program.Path();
        last->BalanceTable[0][0][0] = last->BalanceTable[0][0][5] = 10000;
        Book(*last, {2013, 1, 10, 2, 0, 0, 0, 2000, 0});
        Book(*last, {2013, 1, 25, 1, 0, 5, 0, 180000, 2});
        Book(*last, {2013, 2, 14, 3, 0, 0, 0, 800, 0});
        Book(*last, {2013, 3, 20, 2, 1, 0, 0, 1000, 1});  // 1,050
        Book(*last, {2013, 4, 2, 2, 0, 0, 0, 9999, 0});   // after the compared months
        Save(*last, "2013");
        WriteCarryOver(*last, dir, "2014", false);

        open = std::make_unique<Ledger>();
        SetMasters(*open);
        open->ExeDir = program.Path();
        MonthLoad(*open, dir, "2014");
        open->DataDir = dir;
        Book(*open, {2014, 1, 10, 2, 0, 0, 0, 3000, 0});
        Book(*open, {2014, 1, 25, 1, 0, 5, 0, 200000, 2});
        Book(*open, {2014, 2, 11, 2, 1, 0, 0, 1500, 0});
        Book(*open, {2014, 3, 1, 6, 0, 0, 0, 4000, 0});
        open->EditDate = Date{2014, 3, 15};
        open->EditMonth = 3;
    }

    void Save(Ledger& ledger, const std::string& name) {
        ledger.LedgerChanged = true;
        SaveInputs inputs;
        inputs.Sync = false;
        MonthSave(ledger, dir, name, inputs);
    }

    test::TempDir data;
    test::TempDir program;
    const std::string dir = data.Path();
    std::unique_ptr<Ledger> last;
    std::unique_ptr<Ledger> open;
    SheetState state;
};

TEST_F(YearComparisonTest, SameItemsUpToTheEditedMonthAgainstLastYearsNewestLedger) {
    // An older copy of last year and a ledger of the year before it are passed over.
    test::WriteBytes(dir + "2013古い.nbd", "2013,1,1,2,0,0,0,777777,0,,\r\n");
    std::filesystem::last_write_time(
        dir + "2013古い.nbd",
        std::filesystem::file_time_type::clock::now() - std::chrono::hours(24));
    test::WriteBytes(dir + "2012.nbd", "2012,1,1,2,0,0,0,555555,0,,\r\n");

    const SheetGrid grid = FillSheet(*open, YearComparisonSheet, state);
    const Rows expected = {
        {"", "今年累計", "前年同期", "差額", "増減率"},
        {"前年の家計簿：2013.nbd（2013年）", "", "", "", ""},
        {"+食費", "     4,500", "     3,050", "     1,450", "    47.54%"},
        {"+日用品", "         0", "       800", "      -800", "  -100.00%"},
        {"+交際費", "     4,000", "         0", "     4,000", ""},
        {"費用合計", "     8,500", "     3,850", "     4,650", "   120.78%"},
        {"", "", "", "", ""},
        {"+給与", "   200,000", "   180,000", "    20,000", "    11.11%"},
        {"+雑収入", "         0", "         0", "         0", ""},
        {"収入合計", "   200,000", "   180,000", "    20,000", "    11.11%"},
        {"", "", "", "", ""},
        {"差し引き", "   191,500", "   176,150", "    15,350", "     8.71%"},
    };
    EXPECT_EQ(RowsOf(grid, 0, 12), expected);

    // Sub-items are compared by their numbers too; a zero row in both years leaves.
    state.ExpandedItems[YearComparisonSheet][2] = true;
    open->HideZeroItems = true;
    const SheetGrid expanded = FillSheet(*open, YearComparisonSheet, state);
    EXPECT_EQ(RowsOf(expanded, 4, 1),
              (Rows{{"　外食", "     1,500", "     1,050", "       450", "    42.86%"}}));
    EXPECT_EQ(expanded.Cell(13, 0), "収入合計");
}

TEST_F(YearComparisonTest, LastYearIsReadOnceAndAgainOnlyWhenItsFileChanges) {
    const auto first = state.PreviousYear.Lookup(*open).Totals;
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->Year, 2013);
    // Saving this year's ledger or adding files changes the folder, not last year's file.
    open->LedgerChanged = true;
    Save(*open, "2014");
    test::WriteBytes(dir + "メモ.txt", "x");
    EXPECT_EQ(FillSheet(*open, YearComparisonSheet, state).Cell(2, 2), "     3,050");
    EXPECT_EQ(state.PreviousYear.Lookup(*open).Totals, first);
    // Last year is counted again under changed rules of the tax.
    open->ReducedRateItems[3] = true;
    EXPECT_NE(state.PreviousYear.Lookup(*open).Totals, first);

    Book(*last, {2013, 2, 1, 2, 0, 0, 0, 100, 0});
    Save(*last, "2013");
    EXPECT_EQ(FillSheet(*open, YearComparisonSheet, state).Cell(2, 2), "     3,150");

    // A ledger chosen by the user wins over the one found.
    test::WriteBytes(program.Path() + "前年.nbd", "2013,3,1,2,0,0,0,60,0,,\r\n");
    open->PreviousYearLedger = program.Path() + "前年.nbd";
    const SheetGrid chosen = FillSheet(*open, YearComparisonSheet, state);
    EXPECT_EQ(chosen.Cell(1, 0), "前年の家計簿：前年.nbd（2013年）");
    EXPECT_EQ(chosen.Cell(2, 2), "        60");
    // A choice of an earlier year gives way to last year's ledger in the data folder.
    test::WriteBytes(program.Path() + "前年.nbd", "2012,3,1,2,0,0,0,6000,0,,\r\n");
    EXPECT_EQ(FillSheet(*open, YearComparisonSheet, state).Cell(1, 0),
              "前年の家計簿：2013.nbd（2013年）");
}

// Which ledger the sheet reads: a pick holds for the year it was made in, whatever the folder
// holds; a ledger written over in place (the folder's time unchanged) is seen at once.
TEST_F(YearComparisonTest, APickHoldsForItsYearAndAFileChangedInPlaceIsSeen) {
    const std::string older = program.Path() + "2012.nbd";
    test::WriteBytes(older, "2012,1,5,2,0,0,0,70,0,,\r\n");
    const std::string found = "前年の家計簿：2013.nbd（2013年）";
    const std::string none = "データフォルダに2013年の家計簿がありません";
    const std::string filled = "2013,1,5,2,0,0,0,400,0,,\r\n";
    const struct {
        const char* what;
        std::function<void()> act;
        std::string line;
    } steps[] = {
        {"the user picks 2012 while 2013 is in the folder",
         [&] { ChoosePreviousYearLedger(*open, older); }, "前年の家計簿：2012.nbd（2012年）"},
        {"a pick remembered from another year", [&] { open->PreviousYearChosenFor = 2013; }, found},
        {"no pick", [&] { open->PreviousYearLedger.clear(); }, found},
        // The carry-over's empty file, then filled by a copy over it.
        {"last year's file emptied in place", [&] { std::ofstream(dir + "2013.nbd"); }, none},
        {"filled in place", [&] { std::ofstream(dir + "2013.nbd") << filled; }, found},
        {"an older year copied over it",
         [&] { std::ofstream(dir + "2013.nbd") << "2012,1,5,2,0,0,0,9,0,,\r\n"; }, none},
    };
    for (const auto& step : steps) {
        const auto folderTime = std::filesystem::last_write_time(dir);
        step.act();
        ASSERT_EQ(std::filesystem::last_write_time(dir), folderTime) << step.what;
        EXPECT_EQ(FillSheet(*open, YearComparisonSheet, state).Cell(1, 0), step.line) << step.what;
    }
}

// Last year's tax-excluded entries count with this ledger's rounding, as this year's do:
// 999 and 1,001 yen before tax at 5 percent are 1,048.95 and 1,051.05.
TEST_F(YearComparisonTest, LastYearsTaxExcludedEntriesRoundByTheLedgersRule) {
    Book(*last, {2013, 2, 1, 3, 0, 0, 0, 999, 1});
    Book(*last, {2013, 2, 2, 3, 0, 0, 0, 1001, 1});
    Save(*last, "2013");
    const struct {
        int32_t rounding;
        const char* goods;  // 日用品 last year: 800 and the two taxed amounts
    } rows[] = {{0, "     2,900"}, {1, "     2,899"}, {2, "     2,901"}};
    for (const auto& row : rows) {
        open->TaxRounding = row.rounding;
        EXPECT_EQ(FillSheet(*open, YearComparisonSheet, state).Cell(3, 2), row.goods)
            << row.rounding;
    }
}

TEST_F(YearComparisonTest, WithoutLastYearTheFirstRowSaysWhyAndTheOpenLedgerStays) {
    const std::string broken = "2013,1,1,2,0,0,0,100,0,,\r\n2025,13,1,2,0,0,0,100,0,,\r\n";
    const struct {
        const char* what;
        std::string file;    // written into the data folder first, unless empty
        std::string chosen;  // the ledger the user chose, unless empty
        std::string line;    // the first row, or its beginning
    } cases[] = {
        {"nothing of last year", "", "", "データフォルダに2013年の家計簿がありません"},
        {"chosen and gone", "", dir + "無い.nbd",
         "前年の家計簿「" + dir + "無い.nbd」が見つかりません"},
        {"found and broken", "壊れ.nbd", "",
         "前年の家計簿を読み込めません: ファイル「" + dir + "壊れ.nbd」の 2 行目を読み込めません"},
    };
    std::filesystem::remove(dir + "2013.nbd");
    const auto entries = open->EntryTable;
    const auto texts = open->EntryTextTable;
    const auto budgets = open->BudgetTable;
    const auto opening = open->BalanceTable[0];
    for (const auto& c : cases) {
        if (!c.file.empty()) test::WriteBytes(dir + c.file, broken);
        open->PreviousYearLedger = c.chosen;
        const SheetGrid grid = FillSheet(*open, YearComparisonSheet, state);
        EXPECT_EQ(grid.Cell(1, 0).substr(0, c.line.size()), c.line) << c.what;
        EXPECT_EQ(RowsOf(grid, 2, 1), (Rows{{"+食費", "     4,500", "", "", ""}})) << c.what;
        std::filesystem::remove(dir + "壊れ.nbd");
    }
    EXPECT_EQ(open->EntryTable, entries);
    EXPECT_EQ(open->EntryTextTable, texts);
    EXPECT_EQ(open->BudgetTable, budgets);
    EXPECT_EQ(open->BalanceTable[0], opening);
    EXPECT_EQ(open->LedgerName, "2014");
}

}  // namespace
}  // namespace kakeibo
