#include "core/csv.h"

#include <gtest/gtest.h>

namespace kakeibo {
namespace {

TEST(CsvTest, FieldsKeepTheShownTextWithoutSeparatorsAndKeepTheSignOfNegativeFigures) {
    const struct {
        const char* cell;
        const char* field;
    } rows[] = {
        {"     1,234", "     1234"},
        {"    -1,234", "    -1234"},
        {"-1,234,567", "-1234567"},
        {"   -12.50%", "   -12.50%"},
        {"    75.00%", "    75.00%"},
        {"　-300　", "　-300　"},
        {"+食費", "食費"},
        {"-食費", "食費"},
        {" 外食", " 外食"},
        {"--5", "5"},
        {"1,000-", "1000"},
        {"- 5", " 5"},
        {"-.5", ".5"},
        {"03-1234-5678", "0312345678"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(CsvField(row.cell), row.field) << row.cell;
    }
}

}  // namespace
}  // namespace kakeibo
