// Bank and card statement files read into lines that can become entries.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/calendar.h"

namespace kakeibo {

// A bank's or card company's statement file, read into lines that can become entries.
// Reading takes two steps: the file's table (encoding, separator, header row, guessed
// columns), then its records under the columns the user confirmed, which can be redone
// whenever the user changes a column without reading the file again.

// Which field of a record holds what; -1 for none. The amount is one signed column
// (`Amount`) or two columns (`Out` for money going out, `In` for money coming in).
struct StatementColumns {
    int Date = -1;
    int Description = -1;
    int Amount = -1;
    int Out = -1;
    int In = -1;
    int Memo = -1;
    // For the signed column: a positive amount is money going out (a card's ご利用金額),
    // rather than money coming in (a bank's 入出金額, where withdrawals are negative).
    bool PositiveIsOut = true;

    bool operator==(const StatementColumns&) const = default;
};

// One record of the file: its fields and the line of the file it starts on (from 1).
struct StatementRecord {
    int Line = 0;
    std::vector<std::string> Fields;
    // A quote opened here never closed within a few lines: the record is reported, not read,
    // and the lines after the quote's line are read as records of their own.
    bool Unclosed = false;
};

struct StatementTable {
    std::vector<StatementRecord> Records;
    // Index into Records of the header row; -1 when none was found (the table then starts
    // at the first record).
    int Header = -1;
    // The header row's fields joined by ",": the key under which a source's choices are kept.
    std::string HeaderText;
    // The names offered for choosing columns: 「勘定日（1列目）」 under a header, 「1列目」 for a
    // column without a name.
    std::vector<std::string> ColumnNames;
    StatementColumns Guessed;
    bool Tabs = false;  // tab-separated rather than comma-separated
    // Why the bytes cannot be a statement (they are not text); empty when they can.
    std::string Refusal;
};

// Bytes of the file: UTF-8 with or without a byte-order mark, UTF-16 with a byte-order mark
// or little-endian without one, else CP932. Never throws for what the bytes hold; a file of
// nothing gives an empty table, bytes that are not text an empty table with a Refusal.
StatementTable ParseStatement(std::string_view bytes);

// The whole file's bytes; LedgerError naming the file when it cannot be read.
std::string ReadStatementBytes(const std::string& path);

// One line of the statement that can become an entry.
struct StatementLine {
    int Line = 0;  // of the file, from 1
    Date On{};
    std::string Description;  // blanks at both ends removed
    std::string Memo;
    int32_t Amount = 0;  // > 0
    bool MoneyIn = false;
};

// A line not imported and why: 「日付「2025/13/01」を読めません」. Line 0 for a reason that
// concerns the whole file (no date column chosen).
struct UnreadLine {
    int Line = 0;
    std::string Reason;

    bool operator==(const UnreadLine&) const = default;
};

struct StatementReading {
    std::vector<StatementLine> Lines;
    // Lines not imported, each as 「12行目：日付「2025/13/01」を読めません」.
    std::vector<std::string> Unread;
    // The same, line and reason apart, in the same order.
    std::vector<UnreadLine> UnreadLines;
    // Blank lines and the lines below the table (totals and the like), skipped.
    int Skipped = 0;
};

// Reads the records below the header under `columns`; lines dated outside `year` are not
// imported, nor lines whose amount is 0. A date without a year (06/15, 6月15日) takes `year`.
StatementReading ReadStatement(const StatementTable& table, const StatementColumns& columns,
                               int year);

// The readers of one field, on the field's text; nothing when it cannot be read.
// Dates: 2025/06/15, 2025-06-15, 2025.6.15, 20250615, 2025年6月15日, 25/06/15, 06/15,
// 6月15日, R7.6.15, 令和7年6月15日, H31.4.30, full-width digits, a time after a blank.
std::optional<Date> ParseStatementDate(std::string_view text, int year);
// Amounts: 1,234, ￥1,234, ¥1,234, 1234円, full-width digits; negative as -1,234, △1,234,
// ▲1,234 or (1,234). An empty field reads as 0.
std::optional<int64_t> ParseStatementAmount(std::string_view text);

}  // namespace kakeibo
