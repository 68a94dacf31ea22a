#include "core/sheet_drawing.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace kakeibo
