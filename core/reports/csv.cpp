#include "core/reports/csv.h"

#include "core/files/file_io.h"
#include "core/files/group_write.h"

namespace kakeibo {

namespace {

constexpr std::string_view kFullWidthBlank = "　";

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Removes half-width and full-width blanks from both ends.
std::string_view TrimBlanks(std::string_view s) {
    for (;;) {
        if (s.starts_with(' ')) {
            s.remove_prefix(1);
        } else if (s.starts_with(kFullWidthBlank)) {
            s.remove_prefix(kFullWidthBlank.size());
        } else if (s.ends_with(' ')) {
            s.remove_suffix(1);
        } else if (s.ends_with(kFullWidthBlank)) {
            s.remove_suffix(kFullWidthBlank.size());
        } else {
            return s;
        }
    }
}

// "-" digits with single "," between them, optional ".digits", optional "%".
bool IsNegativeNumber(std::string_view s) {
    s = TrimBlanks(s);
    if (!s.starts_with('-')) return false;
    s.remove_prefix(1);
    if (s.ends_with('%')) s.remove_suffix(1);
    size_t i = 0;
    auto digits = [&] {
        const size_t start = i;
        while (i < s.size() && IsDigit(s[i])) ++i;
        return i > start;
    };
    if (!digits()) return false;
    while (i < s.size() && s[i] == ',') {
        ++i;
        if (!digits()) return false;
    }
    if (i < s.size() && s[i] == '.') {
        ++i;
        if (!digits()) return false;
    }
    return i == s.size();
}

void AppendStripped(std::string& out, std::string_view s) {
    for (char c : s) {
        if (c != ',' && c != '+' && c != '-') out.push_back(c);
    }
}

}  // namespace

std::string CsvField(std::string_view cell) {
    std::string out;
    out.reserve(cell.size());
    const bool negative = IsNegativeNumber(cell);
    if (negative) {
        // Only blanks stand before the sign, so they are copied as they are.
        const size_t sign = cell.find('-');
        out.append(cell.substr(0, sign + 1));
        cell.remove_prefix(sign + 1);
    }
    AppendStripped(out, cell);
    // A spreadsheet runs a field that starts like a formula (a shop named "=HYPERLINK(...)"
    // from a bank's statement): such a field is written as text.
    if (!negative && !out.empty() &&
        std::string_view("=@+-\t\r").find(out[0]) != std::string_view::npos) {
        out.insert(out.begin(), '\'');
    }
    // A quote, or a line end, inside a field would split or merge fields.
    if (out.find_first_of("\"\r\n") != std::string::npos) {
        std::string quoted = "\"";
        for (const char c : out) {
            if (c == '"') quoted += '"';
            quoted += c;
        }
        return quoted + '"';
    }
    return out;
}

std::vector<std::string> CsvLines(const TextTable& rows) {
    std::vector<std::string> lines;
    lines.reserve(rows.size());
    for (const auto& row : rows) {
        std::string line;
        for (size_t c = 0; c < row.size(); ++c) {
            if (c > 0) line += ',';
            line += CsvField(row[c]);
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

std::string CsvBytes(const TextTable& rows, CsvEncoding encoding, const std::string& path) {
    const std::vector<std::string> lines = CsvLines(rows);
    if (encoding == CsvEncoding::Cp932) return EncodeLines(lines, path);
    std::string bytes;
    for (const std::string& line : lines) {
        bytes += line;
        bytes += "\r\n";
    }
    return bytes;
}

void WriteCsv(const std::string& path, const TextTable& rows, bool sync) {
    WriteFileAtomic(path, CsvBytes(rows, CsvEncoding::Cp932, path), sync,
                    NewFileAccess::FollowUmask);
}

}  // namespace kakeibo
