#include "core/sheet_drawing.h"

#include <gtest/gtest.h>

#include <memory>

namespace kakeibo {
namespace {

TEST(BudgetGauge, BarFromActualAndBudget) {
    using G = std::optional<BudgetGauge>;
    const struct {
        int kind;
        const char* label;
        const char* actual;
        const char* budget;
        G gauge;
    } rows[] = {
        {ExpenseSheet, "+食費", "    30,000", "    20,000", BudgetGauge{0, 64, true}},
        {IncomeSheet, "-給与", "    15,000", "    20,000", BudgetGauge{96, 128, true}},
        {ExpenseSheet, "+食費", "     1,500", "    30,000", BudgetGauge{0, 6, false}},
        {IncomeSheet, "+給与", "    30,000", "    20,000", BudgetGauge{0, 64, false}},
        {IncomeSheet, "+給与", "         0", "    20,000", BudgetGauge{0, 128, true}},
        // 0.5 and 2.5 of 128 go to the even neighbour, 1.5 up to 2.
        {ExpenseSheet, "+食費", "         1", "       256", BudgetGauge{0, 0, false}},
        {ExpenseSheet, "+食費", "         3", "       256", BudgetGauge{0, 2, false}},
        {ExpenseSheet, "+食費", "         5", "       256", BudgetGauge{0, 2, false}},
        // Far over the budget, or money back: the bar stays within the strip.
        {ExpenseSheet, "+食費", "12,345,678,901", "         1", BudgetGauge{0, 128, true}},
        {ExpenseSheet, "+食費", "    -5,000", "    20,000", BudgetGauge{0, 0, false}},
        {ExpenseSheet, "+食費", "    30,000", "         0", G{}},
        {ExpenseSheet, "　食料品", "    30,000", "    20,000", G{}},
        {ExpenseSheet, "", "", "", G{}},
        {DailySheet, "+食費", "    30,000", "    20,000", G{}},
        {ExpenseSheet, "+食費", "     0.00%", "    20,000", G{}},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(GaugeOf(r.kind, r.label, r.actual, r.budget), r.gauge)
            << r.kind << " " << r.actual << "/" << r.budget;
    }
}

TEST(RedFigure, OnlyNumbersBelowZero) {
    const struct {
        const char* text;
        std::optional<std::string> red;
    } rows[] = {
        {"-1,234,567", "-1,234,567"},
        {"       -12", "       -12"},
        {"-1234567", "-1,234,567"},
        {"    -0.13%", {}},
        {"     1,500", {}},
        {"         0", {}},
        {"2026", {}},
        {"-", {}},
        {"", {}},
        {"-12 ", {}},
        {"食費", {}},
        {"-1e3", {}},
    };
    for (const auto& r : rows) EXPECT_EQ(RedFigure(r.text), r.red) << "'" << r.text << "'";
}

TEST(SheetClick, FindsTheClickedItemBelowExpandedOnes) {
    // Expense items 2 食費, 3 日用品, 5 交際費; income item 4 給与.
    auto ledger = std::make_unique<Ledger>();
    const char* items[][2] = {{"現金", "0"},    {"銀行", "0"}, {"食費", "-1"},
                              {"日用品", "-1"}, {"給与", "1"}, {"交際費", "-1"}};
    for (int i = 0; i < 6; ++i) ledger->ItemTable[i] = {items[i][0], items[i][1]};
    ledger->EditDate = Date{2026, 3, 10};
    ledger->EditMonth = 3;
    const struct {
        int kind;
        std::vector<int> expanded;
        int row, column;
        SheetClick click;
    } rows[] = {
        {ExpenseSheet, {}, 1, 0, {true, 2}},
        {ExpenseSheet, {2}, 7, 0, {true, 3}},  // below the five rows of 食費
        {ExpenseSheet, {2, 3}, 13, 0, {true, 5}},
        {ExpenseSheet, {2, 3}, 7, 0, {true, 3}},  // collapses 日用品 again
        {ExpenseSheet, {2}, 3, 0, {}},            // a sub-item row
        {ExpenseSheet, {}, 0, 0, {}},             // the headings
        {ExpenseSheet, {}, 4, 0, {}},             // below the list
        {ExpenseSheet, {}, 2, 3, {true, -1}},     // right of the names: refill only
        {IncomeSheet, {}, 1, 0, {true, 4}},
        {DailySheet, {0}, 7, 0, {true, 1}},
        {DailySheet, {}, 5, 0, {true, 4}},
        {AccountSheet, {}, 1, 0, {}},
        {DetailSheet, {}, 1, 0, {}},
    };
    for (const auto& r : rows) {
        SheetState state;
        for (int item : r.expanded) state.ExpandedItems[r.kind][item] = true;
        const SheetGrid grid = FillSheet(*ledger, r.kind, state);
        EXPECT_EQ(ClickOnSheet(grid, state, r.kind, r.row, r.column), r.click)
            << r.kind << " row " << r.row << " column " << r.column;
    }
}

}  // namespace
}  // namespace kakeibo
