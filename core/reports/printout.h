// Printed tables as pages: pagination, page numbers, titles and PDF file names.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/reports/csv.h"
#include "core/reports/sheet_drawing.h"

namespace kakeibo {

// A table as it goes on paper: every row the window holds, not only those in sight.
struct TablePrintout {
    std::string Title;  // 「2025年6月　今月の支出」: the page heading and the document's name
    std::string LedgerName;  // the ledger's name, under the title
    std::string PrintedOn;   // 「印刷日 2026/12/07」, right of the ledger's name
    std::string PdfName;  // the PDF file first offered: 「家計簿_2025年06月_今月の支出.pdf」
    TextTable Cells;                // row 0 the headings, repeated on every page
    std::vector<int> ColumnWidths;  // as on screen, in pixels
    // Per row, the budget gauge drawn under the item's name (empty: no row has one).
    std::vector<std::optional<BudgetGauge>> Gauges;
    // Per row, whether its first cell reads across the whole row (empty: none does).
    std::vector<bool> Spanned;
    // Starts in landscape: the table is wider than it is long on screen.
    bool Landscape = false;
};

// Rows [First, End) of a table on one page, below the repeated headings.
struct PageRows {
    int First = 1;
    int End = 1;

    bool operator==(const PageRows&) const = default;
};

// Where a table's rows fall on pages of one size.
struct TablePages {
    // The table's scale against its screen size: below 1 when it would not fit the width.
    double Scale = 1.0;
    std::vector<PageRows> Pages;  // at least one page, even for a table of headings only
};

// Lays a table of `rowCount` rows (the heading row included) of `rowHeight` each and columns
// of `columnWidths` onto pages whose table area is `width` by `height` (the same units as
// the widths and heights): scaled down to the width when wider, as many rows per page as fit
// below the headings, never fewer than one.
TablePages PaginateTable(const std::vector<int>& columnWidths, int rowCount, double rowHeight,
                         double width, double height);

// The footer of page `page` (from 1) of `count`: 「1 / 3」.
std::string PageNumberText(int page, int count);

// Whether a cell's text is a figure (an amount, a count or a rate), printed right-aligned.
bool IsFigure(const std::string& text);

// The heading of a month's printout: 「2025年6月　今月の支出」; `month` 0 names the year alone.
std::string PrintTitle(int year, int month, const std::string& what);

// The name a PDF of a month's printout is first offered under:
// 「家計簿_2025年06月_今月の支出.pdf」; `month` 0 names the year alone.
std::string PdfFileName(int year, int month, const std::string& what);

// The date line of a printout: 「印刷日 2026/12/07」.
std::string PrintedOnText(int year, int month, int day);

// Whether a data sheet of `kind` starts in landscape: the wide tables (科目日計表,
// 今月の詳細データ, 年間推移, 年別推移).
bool IsWideSheet(int kind);

}  // namespace kakeibo
