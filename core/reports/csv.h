// A shown grid as CSV text and the CSV file written from it.
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
// negative. A field that a spreadsheet would take for a formula (one starting with "=", "@",
// "+", "-", a tab or a CR, and not a negative figure) starts with "'", and one holding a quote
// or a line end is quoted, its quotes doubled.
std::string CsvField(std::string_view cell);

// One line per row, its fields joined with ",".
std::vector<std::string> CsvLines(const TextTable& rows);

// The text a CSV file holds: CP932 as every file of the program, or UTF-8 (without a
// byte-order mark) for tools that want it; both with CR LF line ends.
enum class CsvEncoding { Cp932, Utf8 };

// The whole file's bytes. Throws LedgerError naming `path` when CP932 cannot hold a text.
std::string CsvBytes(const TextTable& rows, CsvEncoding encoding, const std::string& path);

// Writes the table to `path` as CP932 with CR LF line ends, through a temporary file, so a
// failed export leaves no half-written file. Throws LedgerError naming the file.
void WriteCsv(const std::string& path, const TextTable& rows, bool sync = true);

}  // namespace kakeibo
