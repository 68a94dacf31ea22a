#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kakeibo {

// A grid as it is shown: rows of cell texts (UTF-8), the heading rows and columns included.
using TextTable = std::vector<std::vector<std::string>>;

// A cell as the file holds it: every "," and "+" removed, and every "-" too, except the one
// leading sign of a cell that reads as a negative number (blanks around it, "," between
// digit groups, decimals and a trailing "%" allowed), so that a negative figure stays
// negative.
std::string CsvField(std::string_view cell);

// One line per row, its fields joined with ",".
std::vector<std::string> CsvLines(const TextTable& rows);

// Writes the table to `path` as CP932 with CR LF line ends, through a temporary file, so a
// failed export leaves no half-written file. Throws LedgerError naming the file.
void WriteCsv(const std::string& path, const TextTable& rows, bool sync = true);

}  // namespace kakeibo
