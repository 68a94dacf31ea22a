#include "core/reports/csv.h"

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

TEST(CsvTest, FieldsASpreadsheetWouldRunAsAFormulaAreWrittenAsText) {
    const struct {
        const char* cell;
        const char* field;
    } rows[] = {
        {"=cmd|' /C calc'!A0", "'=cmd|' /C calc'!A0"},
        {"@SUM(A1)", "'@SUM(A1)"},
        {"\t=HYPERLINK(\"x\")", "\"'\t=HYPERLINK(\"\"x\"\")\""},
        {"\r=1", "\"'\r=1\""},
        // "+" and "-" are removed first; what is left may still start a formula.
        {"+=1", "'=1"},
        {"-@A1", "'@A1"},
        {"-1,234", "-1234"},
        {"   -12.50%", "   -12.50%"},
        {" =1", " =1"},
        {"\"引用\"", "\"\"\"引用\"\"\""},
        {"a\"b", "\"a\"\"b\""},
        {"行\n改行", "\"行\n改行\""},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(CsvField(row.cell), row.field) << row.cell;
    }
    EXPECT_EQ(CsvLines({{"=1", "-5", "\"q"}}), std::vector<std::string>{"'=1,-5,\"\"\"q\""});
}

}  // namespace
}  // namespace kakeibo
