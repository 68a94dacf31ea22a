#include "core/reports/printout.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "core/reports/sheets.h"

namespace kakeibo {

namespace {

// `value` with leading zeros to `digits` digits.
std::string Padded(int value, size_t digits) {
    std::string text = std::to_string(value);
    if (text.size() < digits) text.insert(0, digits - text.size(), '0');
    return text;
}

}  // namespace

TablePages PaginateTable(const std::vector<int>& columnWidths, int rowCount, double rowHeight,
                         double width, double height) {
    TablePages pages;
    const double tableWidth = std::accumulate(columnWidths.begin(), columnWidths.end(), 0.0);
    if (tableWidth > width && tableWidth > 0) pages.Scale = width / tableWidth;
    const double scaledRow = rowHeight * pages.Scale;
    // The headings take one row of every page.
    const int perPage =
        std::max(1, scaledRow > 0 ? static_cast<int>(std::floor(height / scaledRow)) - 1 : 1);
    const int bodyRows = std::max(0, rowCount - 1);
    for (int first = 1; first <= bodyRows; first += perPage) {
        pages.Pages.push_back({first, std::min(first + perPage, bodyRows + 1)});
    }
    if (pages.Pages.empty()) pages.Pages.push_back({1, 1});
    return pages;
}

std::string PageNumberText(int page, int count) {
    return std::to_string(page) + " / " + std::to_string(count);
}

bool IsFigure(const std::string& text) {
    // Blanks around, one leading sign, digits in groups, decimals, a trailing "%" or "円".
    size_t i = text.find_first_not_of(' ');
    size_t end = text.find_last_not_of(' ');
    if (i == std::string::npos) return false;
    std::string body = text.substr(i, end - i + 1);
    for (const std::string unit : {"%", "円"}) {
        if (body.size() > unit.size() && body.ends_with(unit)) {
            body.resize(body.size() - unit.size());
            break;
        }
    }
    size_t at = 0;
    if (body[0] == '-') at = 1;
    bool digit = false;
    for (; at < body.size(); ++at) {
        const char c = body[at];
        if (c >= '0' && c <= '9') {
            digit = true;
        } else if (c != ',' && c != '.') {
            return false;
        }
    }
    return digit;
}

std::string PrintTitle(int year, int month, const std::string& what) {
    std::string title = std::to_string(year) + "年";
    if (month > 0) title += std::to_string(month) + "月";
    return title + "\u3000" + what;
}

std::string PdfFileName(int year, int month, const std::string& what) {
    std::string period = Padded(year, 4) + "年";
    if (month > 0) period += Padded(month, 2) + "月";
    // A name holds no "/": a title with one would name a folder.
    std::string name = what;
    std::replace(name.begin(), name.end(), '/', '_');
    return "家計簿_" + period + "_" + name + ".pdf";
}

std::string PrintedOnText(int year, int month, int day) {
    return "印刷日 " + Padded(year, 4) + "/" + Padded(month, 2) + "/" + Padded(day, 2);
}

bool IsWideSheet(int kind) {
    return kind == DailySheet || kind == DetailSheet || kind == YearSheet || kind == YearsSheet;
}

}  // namespace kakeibo
