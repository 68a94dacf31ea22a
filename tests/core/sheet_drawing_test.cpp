#include "core/reports/sheet_drawing.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace kakeibo {
namespace {

TEST(SheetDrawing, GaugeRoundsAndClipsAndOnlyNegativeNumbersAreRed) {
    using G = std::optional<BudgetGauge>;
    const struct {
        int kind;
        const char* label;
        const char* actual;
        const char* budget;
        G gauge;
    } gauges[] = {
        {IncomeSheet, "+給与", "    30,000", "    20,000", BudgetGauge{0, 64, false}},
        {ExpenseSheet, "-食費", "         1", "       256", BudgetGauge{0, 0, false}},  // 0.5
        {ExpenseSheet, "+食費", "         3", "       256", BudgetGauge{0, 2, false}},  // 1.5
        {ExpenseSheet, "+食費", "12,345,678,901", "         1", BudgetGauge{0, 128, true}},
        {IncomeSheet, "+給与", "    -5,000", "    20,000", BudgetGauge{0, 128, true}},
        {ExpenseSheet, "+食費", "    30,000", "         0", G{}},
        {ExpenseSheet, "　食料品", "    30,000", "    20,000", G{}},
        {DailySheet, "+食費", "    30,000", "    20,000", G{}},
    };
    for (const auto& g : gauges) {
        EXPECT_EQ(GaugeOf(g.kind, g.label, g.actual, g.budget), g.gauge) << g.actual << g.budget;
    }
    const std::pair<const char*, std::optional<std::string>> figures[] = {
        {"-1234567", "-1,234,567"},
        {"       -12", "       -12"},
        {"    -0.13%", {}},
        {"     1,500", {}},
        {"-", {}},
        {"-12 ", {}}};
    for (const auto& [text, red] : figures) EXPECT_EQ(RedFigure(text), red) << text;
}

TEST(SheetDrawing, PressFindsTheItemBelowExpandedOnes) {
    auto ledger = std::make_unique<Ledger>();
    const char* names[] = {"現金", "銀行", "食費", "日用品", "給与", "交際費"};
    const char* kinds[] = {"0", "0", "-1", "-1", "1", "-1"};
    for (int i = 0; i < 6; ++i) ledger->ItemTable[i] = {names[i], kinds[i]};
    const struct {
        int kind;
        std::vector<int> expanded;
        int row, column;
        SheetClick click;
    } presses[] = {
        {ExpenseSheet, {2, 3}, 13, 0, {true, 5}},
        {ExpenseSheet, {2, 3}, 7, 0, {true, 3}},
        {ExpenseSheet, {2}, 3, 0, {}},
        {ExpenseSheet, {}, 4, 0, {}},  // below the list
        {ExpenseSheet, {}, 2, 3, {true, -1}},
        {IncomeSheet, {}, 1, 0, {true, 4}},
        {DailySheet, {0}, 7, 0, {true, 1}},
        {AccountSheet, {}, 1, 0, {}},
    };
    for (const auto& p : presses) {
        SheetState state;
        for (int item : p.expanded) state.ExpandedItems[p.kind][item] = true;
        const SheetGrid grid = FillSheet(*ledger, p.kind, state);
        EXPECT_EQ(ClickOnSheet(grid, state, p.kind, p.row, p.column), p.click) << p.row;
    }
}

TEST(SheetDrawing, SpokenCellsLoseTheirPaddingAndItemMarks) {
    struct Row {
        const char* Text;
        int Column;
        SpokenCell Spoken;
    } rows[] = {
        {"+食費", 0, {"食費", true, false}},
        {"-食費", 0, {"食費", true, true}},
        {"  　外食", 0, {"外食", false, false}},
        {"　費用項目　及び　細目", 0, {"費用項目 及び 細目", false, false}},
        {"    -1,280", 2, {"-1,280", false, false}},
        {"+", 0, {"+", false, false}},
        {"-12", 3, {"-12", false, false}},
        {"", 0, {"", false, false}},
        {"   ", 1, {"", false, false}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(SpeakCell(row.Text, row.Column), row.Spoken) << row.Text;
    }
}

}  // namespace
}  // namespace kakeibo
