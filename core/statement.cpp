#include "core/statement.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <limits>
#include <unordered_map>

#include "core/errors.h"
#include "core/file_io.h"
#include "core/sjis.h"
#include "core/text_fold.h"

namespace kakeibo {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

// Strict UTF-8 length of the sequence at text[i], or 0 when it is not valid UTF-8.
size_t Utf8SequenceLength(std::string_view text, size_t i) {
    const auto b0 = static_cast<unsigned char>(text[i]);
    if (b0 < 0x80) return 1;
    size_t len = 0;
    char32_t min = 0;
    char32_t cp = 0;
    if ((b0 & 0xE0) == 0xC0) {
        len = 2, min = 0x80, cp = b0 & 0x1F;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3, min = 0x800, cp = b0 & 0x0F;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4, min = 0x10000, cp = b0 & 0x07;
    } else {
        return 0;
    }
    if (i + len > text.size()) return 0;
    for (size_t k = 1; k < len; ++k) {
        const auto b = static_cast<unsigned char>(text[i + k]);
        if ((b & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return len;
}

bool IsUtf8(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        const size_t len = Utf8SequenceLength(text, i);
        if (len == 0) return false;
        i += len;
    }
    return true;
}

// A file that says it is UTF-8 but holds a broken sequence: the broken bytes become U+FFFD,
// which no save can store, so the line they are in is shown and cannot be imported unedited.
std::string RepairUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const size_t len = Utf8SequenceLength(text, i);
        if (len == 0) {
            out += "\xEF\xBF\xBD";
            ++i;
        } else {
            out.append(text.substr(i, len));
            i += len;
        }
    }
    return out;
}

bool IsCp932LeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// A statement is mostly ASCII (dates, amounts, separators) around a few shop names that come
// again and again: ASCII is copied, and each run of other characters is decoded once.
std::string DecodeCp932Runs(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 3 / 2);
    std::unordered_map<std::string_view, std::string> decoded;
    for (size_t i = 0; i < bytes.size();) {
        if (static_cast<unsigned char>(bytes[i]) < 0x80) {
            out += bytes[i++];
            continue;
        }
        // A run ends before an ASCII byte that is not the second byte of a character.
        size_t end = i;
        while (end < bytes.size() && static_cast<unsigned char>(bytes[end]) >= 0x80) {
            end += IsCp932LeadByte(static_cast<unsigned char>(bytes[end])) ? 2 : 1;
        }
        end = std::min(end, bytes.size());
        const std::string_view run = bytes.substr(i, end - i);
        auto it = decoded.find(run);
        if (it == decoded.end()) it = decoded.emplace(run, DecodeCp932(run)).first;
        out += it->second;
        i = end;
    }
    return out;
}

// CP932 text of Japanese is almost never valid UTF-8, while UTF-8 text is valid by definition.
std::string DecodeStatementText(std::string_view bytes) {
    if (bytes.starts_with(kBom)) return RepairUtf8(bytes.substr(kBom.size()));
    if (IsUtf8(bytes)) return std::string(bytes);
    return DecodeCp932Runs(bytes);
}

// Splits text into records: `separator` between fields, a field may be quoted with "" for a
// quote inside it and line ends inside the quotes; CR LF, LF or CR end a record.
std::vector<StatementRecord> SplitRecords(std::string_view text, char separator) {
    std::vector<StatementRecord> records;
    StatementRecord record;
    std::string field;
    int line = 1;
    bool inQuotes = false;
    bool fieldStarted = false;  // the record has a field or text so far
    auto endField = [&] {
        record.Fields.push_back(std::move(field));
        field.clear();
    };
    // An empty line is a record of one empty field, so that it is counted as skipped; the
    // line end after the last line starts nothing.
    auto endRecord = [&](bool lineEnd) {
        if (fieldStarted || !field.empty() || lineEnd) endField();
        if (!record.Fields.empty()) records.push_back(std::move(record));
        record = StatementRecord{};
        fieldStarted = false;
    };
    record.Line = line;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inQuotes) {
            if (c == '"') {
                if (i + 1 < text.size() && text[i + 1] == '"') {
                    field += '"';
                    ++i;
                } else {
                    inQuotes = false;
                }
            } else {
                if (c == '\n' || (c == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n'))) {
                    ++line;
                }
                field += c;
            }
            continue;
        }
        if (c == separator) {
            endField();
            fieldStarted = true;
        } else if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            endRecord(true);
            ++line;
            record.Line = line;
        } else if (c == '"' && field.find_first_not_of(" \t") == std::string::npos) {
            field.clear();
            inQuotes = true;
            fieldStarted = true;
        } else {
            // The plain run up to the next separator, line end or quote, in one append.
            size_t end = i + 1;
            while (end < text.size() && text[end] != separator && text[end] != '\r' &&
                   text[end] != '\n' && text[end] != '"') {
                ++end;
            }
            field.append(text.substr(i, end - i));
            fieldStarted = true;
            i = end - 1;
        }
    }
    endRecord(false);
    return records;
}

std::string Field(const StatementRecord& record, int column) {
    if (column < 0 || column >= static_cast<int>(record.Fields.size())) return {};
    return TrimBlanks(record.Fields[column]);
}

bool IsBlankRecord(const StatementRecord& record) {
    return std::all_of(record.Fields.begin(), record.Fields.end(),
                       [](const std::string& f) { return TrimBlanks(f).empty(); });
}

// What a header name says a column holds, in the order the names are tried: a balance is
// never an amount, 入出金額 is one signed column although it holds 出金, and お支払金額 is
// money out although it holds 金額.
enum class Role { None, Balance, Date, Signed, Out, In, Amount, Memo, Description };

struct RoleWords {
    Role Kind;
    std::array<std::string_view, 12> Words;
};

constexpr RoleWords kRoleWords[] = {
    {Role::Balance, {"残高"}},
    {Role::Date,
     {"日付", "年月日", "取引日", "利用日", "取扱日", "日時", "計上日", "入出金日", "約定日",
      "date"}},
    {Role::Signed, {"入出金", "入出", "取引金額", "利用金額", "利用額"}},
    {Role::Out, {"出金", "支払金額", "支払額", "引出", "引落", "支出", "debit"}},
    {Role::In, {"入金", "預り", "預か", "預入", "受入", "収入", "credit"}},
    {Role::Amount, {"金額", "amount"}},
    {Role::Memo, {"メモ", "備考", "memo", "通信欄"}},
    {Role::Description,
     {"摘要", "内容", "店名", "利用先", "取引先", "加盟店", "明細", "商品名", "品名", "支払先",
      "description"}},
};

Role RoleOf(const std::string& name) {
    const std::string key = FoldKey(name);
    if (key.empty()) return Role::None;
    for (const RoleWords& role : kRoleWords) {
        for (std::string_view word : role.Words) {
            if (!word.empty() && key.find(word) != std::string::npos) return role.Kind;
        }
    }
    return Role::None;
}

// Columns from a header row's names: each role takes the first column that names it.
StatementColumns ColumnsFromNames(const std::vector<std::string>& names) {
    StatementColumns c;
    int signedColumn = -1;
    int amountColumn = -1;
    for (int i = 0; i < static_cast<int>(names.size()); ++i) {
        auto take = [i](int& column) {
            if (column < 0) column = i;
        };
        switch (RoleOf(names[i])) {
            case Role::Date:
                take(c.Date);
                break;
            case Role::Signed:
                take(signedColumn);
                break;
            case Role::Out:
                take(c.Out);
                break;
            case Role::In:
                take(c.In);
                break;
            case Role::Amount:
                take(amountColumn);
                break;
            case Role::Memo:
                take(c.Memo);
                break;
            case Role::Description:
                take(c.Description);
                break;
            default:
                break;
        }
    }
    // Two columns when both sides are named; otherwise a signed column wins over a lone side
    // (a card's ご利用金額 beside its お支払金額 of the month).
    if (c.Out >= 0 && c.In >= 0) return c;
    const int single = signedColumn >= 0 ? signedColumn : amountColumn;
    if (single >= 0) {
        c.Amount = single;
        c.Out = c.In = -1;
        // A bank's signed column (入出金額) shows withdrawals negative.
        c.PositiveIsOut = FoldKey(names[single]).find("入出") == std::string::npos;
    }
    return c;
}

bool HasAmount(const StatementColumns& c) {
    return c.Amount >= 0 || c.Out >= 0 || c.In >= 0;
}

int RecognisedCount(const StatementColumns& c) {
    return (c.Date >= 0) + (c.Description >= 0) + (c.Amount >= 0) + (c.Out >= 0) + (c.In >= 0) +
           (c.Memo >= 0);
}

// Without a header: the first record that has a date, and after it an amount, shows the
// columns; the first other text is the description.
StatementColumns ColumnsFromContent(const std::vector<StatementRecord>& records) {
    for (const StatementRecord& record : records) {
        StatementColumns c;
        for (int i = 0; i < static_cast<int>(record.Fields.size()); ++i) {
            const std::string text = Field(record, i);
            if (text.empty()) continue;
            if (c.Date < 0 && ParseStatementDate(text, 2000)) {
                c.Date = i;
            } else if (c.Date >= 0 && c.Amount < 0 && ParseStatementAmount(text)) {
                c.Amount = i;
            } else if (c.Description < 0 && !ParseStatementAmount(text)) {
                c.Description = i;
            }
        }
        if (c.Date >= 0 && c.Amount >= 0) return c;
    }
    return {};
}

struct Candidate {
    std::vector<StatementRecord> Records;
    int Header = -1;
    StatementColumns Columns;
};

// Lines above the table (bank, account, period) are passed over: the header is the first
// record among the first ones that names a date and an amount.
Candidate FindTable(std::vector<StatementRecord> records) {
    constexpr size_t kHeaderSearch = 100;
    Candidate candidate;
    for (size_t i = 0; i < records.size() && i < kHeaderSearch; ++i) {
        StatementColumns c = ColumnsFromNames(records[i].Fields);
        if (c.Date >= 0 && HasAmount(c)) {
            candidate.Header = static_cast<int>(i);
            candidate.Columns = c;
            break;
        }
    }
    if (candidate.Header < 0) candidate.Columns = ColumnsFromContent(records);
    candidate.Records = std::move(records);
    return candidate;
}

int Score(const Candidate& c) {
    return (c.Header >= 0 ? 100 : 0) + RecognisedCount(c.Columns) * 10;
}

bool ContainsDigit(std::string_view text) {
    const std::string folded = FoldText(text);
    return std::any_of(folded.begin(), folded.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string OneLineText(std::string text) {
    std::replace(text.begin(), text.end(), '\r', ' ');
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
}

std::string LineReason(int line, const std::string& reason) {
    return std::to_string(line) + "行目：" + reason;
}

// Eras of the dates a statement may carry, with their first and last days.
struct Era {
    std::string_view Name;
    std::string_view Letter;  // as folded: lower case
    int Offset;               // Gregorian year = era year + Offset
    Date First;
    Date Last;
};

constexpr Era kEras[] = {
    {"令和", "r", 2018, {2019, 5, 1}, {9999, 12, 31}},
    {"平成", "h", 1988, {1989, 1, 8}, {2019, 4, 30}},
    {"昭和", "s", 1925, {1926, 12, 25}, {1989, 1, 7}},
};

// A time of day after the date ("2025/06/15 10:23" or "10:23:45").
bool IsTime(std::string_view text) {
    int colons = 0;
    if (text.empty() || text.front() == ':' || text.back() == ':') return false;
    for (char c : text) {
        if (c == ':') {
            ++colons;
        } else if (c < '0' || c > '9') {
            return false;
        }
    }
    return colons == 1 || colons == 2;
}

}  // namespace

std::optional<Date> ParseStatementDate(std::string_view text, int year) {
    std::string s = TrimBlanks(FoldText(TrimBlanks(text)));
    if (const size_t blank = s.find(' '); blank != std::string::npos) {
        if (!IsTime(TrimBlanks(s.substr(blank + 1)))) return std::nullopt;
        s.resize(blank);
    }
    // A weekday in brackets after the date: 6月15日(日).
    if (s.ends_with(')')) {
        const size_t open = s.rfind('(');
        if (open == std::string::npos || open == 0) return std::nullopt;
        s.resize(open);
    }
    std::string_view rest = s;
    const Era* era = nullptr;
    for (const Era& e : kEras) {
        if (rest.starts_with(e.Name)) {
            era = &e;
            rest.remove_prefix(e.Name.size());
        } else if (rest.starts_with(e.Letter)) {
            era = &e;
            rest.remove_prefix(e.Letter.size());
        }
        if (era) break;
    }
    // Digit groups and the separators after them.
    std::vector<std::string> groups;
    std::vector<std::string> separators;
    while (!rest.empty()) {
        size_t n = 0;
        while (n < rest.size() && rest[n] >= '0' && rest[n] <= '9') ++n;
        if (n == 0 && era && groups.empty() && rest.starts_with("元")) {
            groups.emplace_back("1");
            rest.remove_prefix(std::string_view("元").size());
        } else if (n == 0 || n > 8) {
            return std::nullopt;
        } else {
            groups.emplace_back(rest.substr(0, n));
            rest.remove_prefix(n);
        }
        std::string separator;
        for (std::string_view sep : {"/", "-", ".", "年", "月", "日"}) {
            if (rest.starts_with(sep)) {
                separator = sep;
                rest.remove_prefix(sep.size());
                break;
            }
        }
        if (separator.empty() && !rest.empty()) return std::nullopt;
        separators.push_back(separator);
    }
    auto number = [](const std::string& g) { return std::stoi(g); };
    Date date;
    auto plain = [](const std::string& sep) { return sep == "/" || sep == "-" || sep == "."; };
    if (groups.size() == 1 && !era && groups[0].size() == 8 && separators[0].empty()) {
        date = {number(groups[0].substr(0, 4)), number(groups[0].substr(4, 2)),
                number(groups[0].substr(6, 2))};
    } else if (groups.size() == 3) {
        const bool ascii =
            plain(separators[0]) && separators[1] == separators[0] && separators[2].empty();
        const bool kanji = separators[0] == "年" && separators[1] == "月" &&
                           (separators[2].empty() || separators[2] == "日");
        if (!ascii && !kanji) return std::nullopt;
        if (groups[1].size() > 2 || groups[2].size() > 2) return std::nullopt;
        int y = number(groups[0]);
        if (era) {
            if (groups[0].size() > 2 || y < 1) return std::nullopt;
            y += era->Offset;
        } else if (groups[0].size() == 2) {
            y += 2000;
        } else if (groups[0].size() != 4) {
            return std::nullopt;
        }
        date = {y, number(groups[1]), number(groups[2])};
    } else if (groups.size() == 2 && !era) {
        const bool ascii = plain(separators[0]) && separators[1].empty();
        const bool kanji =
            separators[0] == "月" && (separators[1].empty() || separators[1] == "日");
        if (!ascii && !kanji) return std::nullopt;
        if (groups[0].size() > 2 || groups[1].size() > 2) return std::nullopt;
        date = {year, number(groups[0]), number(groups[1])};
    } else {
        return std::nullopt;
    }
    if (!IsValidDate(date)) return std::nullopt;
    if (era && (date < era->First || date > era->Last)) return std::nullopt;
    return date;
}

std::optional<int64_t> ParseStatementAmount(std::string_view text) {
    std::string s;
    for (char c : FoldText(TrimBlanks(text))) {
        if (c != ' ') s += c;
    }
    std::string_view rest = s;
    if (rest.empty()) return 0;
    bool negative = false;
    if (rest.starts_with('(') && rest.ends_with(')')) {
        negative = true;
        rest = rest.substr(1, rest.size() - 2);
    }
    // A sign and a yen sign, in either order: -¥1,234 and ¥-1,234. A CP932 file writes the
    // yen sign as 0x5C, which reads as a backslash.
    bool signSeen = negative;
    bool yenSeen = false;
    for (bool more = true; more;) {
        more = false;
        for (std::string_view sign : {"-", "\u2212", "\u25B3", "\u25B2", "+"}) {
            if (!signSeen && rest.starts_with(sign)) {
                negative = sign != "+";
                signSeen = more = true;
                rest.remove_prefix(sign.size());
            }
        }
        for (std::string_view yen : {"\u00A5", "\\"}) {
            if (!yenSeen && rest.starts_with(yen)) {
                yenSeen = more = true;
                rest.remove_prefix(yen.size());
            }
        }
    }
    if (rest.ends_with("円")) rest.remove_suffix(std::string_view("円").size());
    // Decimals of zero only: 1234.00.
    if (const size_t point = rest.find('.'); point != std::string_view::npos) {
        const std::string_view decimals = rest.substr(point + 1);
        if (decimals.empty() || decimals.find_first_not_of('0') != std::string_view::npos) {
            return std::nullopt;
        }
        rest = rest.substr(0, point);
    }
    if (rest.empty() || rest.front() == ',' || rest.back() == ',') return std::nullopt;
    int64_t value = 0;
    int digits = 0;
    for (char c : rest) {
        if (c == ',') continue;
        if (c < '0' || c > '9' || ++digits > 18) return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return negative ? -value : value;
}

std::string ReadStatementBytes(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        throw LedgerError("ファイル「" + path + "」を開けませんでした。" + FileErrorReason(errno));
    }
    std::string bytes;
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
    const bool failed = std::ferror(f) != 0;
    const int error = errno;
    std::fclose(f);
    if (failed) {
        throw LedgerError("ファイル「" + path + "」を読み込めませんでした。" +
                          FileErrorReason(error));
    }
    return bytes;
}

StatementTable ParseStatement(std::string_view bytes) {
    const std::string text = DecodeStatementText(bytes);
    Candidate best = FindTable(SplitRecords(text, ','));
    bool tabs = false;
    if (text.find('\t') != std::string::npos) {
        Candidate tabbed = FindTable(SplitRecords(text, '\t'));
        if (Score(tabbed) > Score(best)) {
            best = std::move(tabbed);
            tabs = true;
        }
    }
    StatementTable table;
    table.Tabs = tabs;
    table.Header = best.Header;
    table.Guessed = best.Columns;
    size_t columns = 0;
    for (const StatementRecord& record : best.Records) {
        columns = std::max(columns, record.Fields.size());
    }
    if (table.Header >= 0) {
        const StatementRecord& header = best.Records[table.Header];
        for (size_t i = 0; i < header.Fields.size(); ++i) {
            const std::string name = OneLineText(TrimBlanks(header.Fields[i]));
            if (i > 0) table.HeaderText += ',';
            table.HeaderText += name;
            table.ColumnNames.push_back(name.empty() ? std::to_string(i + 1) + "列目" : name);
        }
    }
    for (size_t i = table.ColumnNames.size(); i < columns; ++i) {
        table.ColumnNames.push_back(std::to_string(i + 1) + "列目");
    }
    table.Records = std::move(best.Records);
    return table;
}

StatementReading ReadStatement(const StatementTable& table, const StatementColumns& columns,
                               int year) {
    StatementReading reading;
    if (columns.Date < 0) {
        reading.Unread.push_back("日付の列が選ばれていません");
        return reading;
    }
    if (!HasAmount(columns)) {
        reading.Unread.push_back("金額の列が選ばれていません");
        return reading;
    }
    const int first = table.Header + 1;
    const int count = static_cast<int>(table.Records.size());
    // Below the last dated record lie totals and notes, not records.
    int lastDated = first - 1;
    for (int i = count - 1; i >= first; --i) {
        if (ParseStatementDate(Field(table.Records[i], columns.Date), year)) {
            lastDated = i;
            break;
        }
    }
    for (int i = first; i < count; ++i) {
        const StatementRecord& record = table.Records[i];
        if (IsBlankRecord(record)) {
            ++reading.Skipped;
            continue;
        }
        const std::string dateText = Field(record, columns.Date);
        if (i > lastDated && !ContainsDigit(dateText)) {
            ++reading.Skipped;
            continue;
        }
        auto unread = [&](const std::string& reason) {
            reading.Unread.push_back(LineReason(record.Line, OneLineText(reason)));
        };
        const std::optional<Date> date = ParseStatementDate(dateText, year);
        if (!date) {
            unread("日付「" + QuoteForMessage(dateText) + "」を読めません");
            continue;
        }
        if (date->Year != year) {
            unread("日付「" + dateText + "」は" + std::to_string(year) + "年ではありません");
            continue;
        }
        // Money out as a positive value, money in as a negative one.
        int64_t out = 0;
        bool readable = true;
        auto amountOf = [&](int column, const char* name) -> int64_t {
            if (column < 0) return 0;
            const std::string text = Field(record, column);
            const std::optional<int64_t> value = ParseStatementAmount(text);
            if (!value) {
                if (readable)
                    unread(std::string(name) + "「" + QuoteForMessage(text) + "」を読めません");
                readable = false;
                return 0;
            }
            return *value;
        };
        if (columns.Amount >= 0) {
            const int64_t value = amountOf(columns.Amount, "金額");
            out = columns.PositiveIsOut ? value : -value;
        } else {
            const int64_t paid = amountOf(columns.Out, "出金");
            const int64_t received = amountOf(columns.In, "入金");
            if (readable && paid != 0 && received != 0) {
                unread("出金「" + Field(record, columns.Out) + "」と入金「" +
                       Field(record, columns.In) + "」の両方に金額があります");
                continue;
            }
            out = paid != 0 ? paid : -received;
        }
        if (!readable) continue;
        if (out == 0) {
            unread("金額が0円です");
            continue;
        }
        const int64_t amount = out < 0 ? -out : out;
        if (amount > std::numeric_limits<int32_t>::max()) {
            unread("金額「" + std::to_string(amount) + "」が大きすぎます");
            continue;
        }
        StatementLine line;
        line.Line = record.Line;
        line.On = *date;
        line.Description = TrimBlanks(Field(record, columns.Description));
        line.Memo = Field(record, columns.Memo);
        line.Amount = static_cast<int32_t>(amount);
        line.MoneyIn = out < 0;
        reading.Lines.push_back(std::move(line));
    }
    return reading;
}

}  // namespace kakeibo
