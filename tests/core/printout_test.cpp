#include "core/reports/printout.h"

#include <gtest/gtest.h>

namespace kakeibo {
namespace {

// Rows fall on pages below the repeated headings; a table wider than the page is scaled to
// its width and then holds more rows per page.
TEST(PrintoutTest, RowsFallOnPagesBelowTheHeadingsAndAWideTableIsScaled) {
    struct Row {
        std::vector<int> widths;
        int rows;
        double width, height;
        double scale;
        std::vector<PageRows> pages;
    };
    const Row rows[] = {
        {{100, 100}, 1, 500, 100, 1.0, {{1, 1}}},                    // headings only: one page
        {{100, 100}, 9, 500, 100, 1.0, {{1, 5}, {5, 9}}},            // 4 rows of 20 per page
        {{100, 100}, 10, 500, 100, 1.0, {{1, 5}, {5, 9}, {9, 10}}},  // one row more
        {{400, 400}, 10, 400, 100, 0.5, {{1, 10}}},                  // half as tall: 9 a page
        {{100}, 4, 100, 10, 1.0, {{1, 2}, {2, 3}, {3, 4}}},          // never fewer than one
    };
    for (const Row& row : rows) {
        const TablePages pages = PaginateTable(row.widths, row.rows, 20, row.width, row.height);
        EXPECT_DOUBLE_EQ(pages.Scale, row.scale) << row.rows;
        EXPECT_EQ(pages.Pages, row.pages) << row.rows;
    }
}

TEST(PrintoutTest, NamesFiguresAndPageNumbers) {
    EXPECT_EQ(PrintTitle(2025, 6, "今月の支出"), "2025年6月　今月の支出");
    EXPECT_EQ(PrintTitle(2025, 0, "年間推移"), "2025年　年間推移");
    EXPECT_EQ(PdfFileName(2025, 6, "今月の支出"), "家計簿_2025年06月_今月の支出.pdf");
    EXPECT_EQ(PdfFileName(2025, 0, "a/b"), "家計簿_2025年_a_b.pdf");
    EXPECT_EQ(PrintedOnText(2026, 12, 7), "印刷日 2026/12/07");
    EXPECT_EQ(PageNumberText(1, 3), "1 / 3");
    for (const char* figure : {"     1,500", "-500", "0.13%", "12", "1,000円"}) {
        EXPECT_TRUE(IsFigure(figure)) << figure;
    }
    for (const char* text : {"", "   ", "食費", "-", "%", "2025/06/15", "1,000 円台"}) {
        EXPECT_FALSE(IsFigure(text)) << text;
    }
}

}  // namespace
}  // namespace kakeibo
