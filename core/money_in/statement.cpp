#include "core/money_in/statement.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <limits>
#include <unordered_map>

#include "core/errors.h"
#include "core/files/file_io.h"
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

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// A lone surrogate or an odd last byte becomes U+FFFD, which no save can store.
std::string DecodeUtf16(std::string_view bytes, bool bigEndian) {
    std::string out;
    out.reserve(bytes.size() * 3 / 2);
    auto unit = [&](size_t i) -> char32_t {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        return bigEndian ? (a << 8 | b) : (b << 8 | a);
    };
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        char32_t cp = unit(i);
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 3 < bytes.size()) {
            const char32_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        if (cp >= 0xD800 && cp <= 0xDFFF) cp = 0xFFFD;
        AppendUtf8(out, cp);
    }
    if (bytes.size() % 2 != 0) AppendUtf8(out, 0xFFFD);
    return out;
}

// UTF-16 without a byte-order mark, as some programs save "Unicode text": a statement is
// mostly digits and separators, so in little-endian order most odd bytes are 0 and hardly
// any even one is.
bool LooksLikeUtf16Le(std::string_view bytes) {
    const size_t pairs = std::min<size_t>(bytes.size() / 2, 4096);
    if (pairs < 2) return false;
    size_t oddZeros = 0;
    size_t evenZeros = 0;
    for (size_t k = 0; k < pairs; ++k) {
        evenZeros += bytes[2 * k] == '\0';
        oddZeros += bytes[2 * k + 1] == '\0';
    }
    return oddZeros * 3 >= pairs && evenZeros * 20 <= pairs;
}

// CP932 text of Japanese is almost never valid UTF-8, while UTF-8 text is valid by definition.
std::string DecodeStatementText(std::string_view bytes) {
    if (bytes.starts_with(kBom)) return RepairUtf8(bytes.substr(kBom.size()));
    if (bytes.starts_with("\xFF\xFE")) return DecodeUtf16(bytes.substr(2), false);
    if (bytes.starts_with("\xFE\xFF")) return DecodeUtf16(bytes.substr(2), true);
    if (LooksLikeUtf16Le(bytes)) return DecodeUtf16(bytes, false);
    if (IsUtf8(bytes)) return std::string(bytes);
    return DecodeCp932Runs(bytes);
}

// How far a quoted field may run past its line before it counts as a quote never closed: a
// real field with line breaks is a short note, not a thousand characters.
constexpr int kMaxQuotedCharacters = 1000;

// Splits text into records: `separator` between fields, a field may be quoted with "" for a
// quote inside it and line ends inside the quotes; CR LF, LF or CR end a record. A quote that
// runs past its line and then past kMaxQuotedCharacters or to the end of the text gives an
// Unclosed record, and reading goes on at the line after the quote's.
std::vector<StatementRecord> SplitRecords(std::string_view text, char separator) {
    std::vector<StatementRecord> records;
    StatementRecord record;
    std::string field;
    int line = 1;
    bool inQuotes = false;
    bool fieldStarted = false;  // the record has a field or text so far
    // The quote that is open: where it began, on which line, and what it has run over.
    size_t quoteAt = 0;
    int quoteLine = 0;
    bool quotePastLine = false;
    int quoteCharacters = 0;
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
    // Gives up the open quote's record; returns where reading goes on.
    auto unclosed = [&]() -> size_t {
        StatementRecord broken;
        broken.Line = record.Line;
        broken.Fields.emplace_back();
        broken.Unclosed = true;
        records.push_back(std::move(broken));
        size_t next = text.find_first_of("\r\n", quoteAt);
        next += text.compare(next, 2, "\r\n") == 0 ? 2 : 1;
        line = quoteLine + 1;
        record = StatementRecord{};
        record.Line = line;
        field.clear();
        inQuotes = false;
        fieldStarted = false;
        return next;
    };
    record.Line = line;
    for (size_t i = 0;; ++i) {
        if (i >= text.size()) {
            if (inQuotes && quotePastLine) {
                i = unclosed() - 1;
                continue;
            }
            break;
        }
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
                    quotePastLine = true;
                }
                if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++quoteCharacters;
                if (quotePastLine && quoteCharacters > kMaxQuotedCharacters) {
                    i = unclosed() - 1;
                    continue;
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
            quoteAt = i;
            quoteLine = line;
            quotePastLine = false;
            quoteCharacters = 0;
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

// The headings banks and card companies write, each a whole name (with or without 円 and
// blanks). One of them makes a row the header.
constexpr RoleWords kHeadings[] = {
    {Role::Date,
     {"日付", "年月日", "取引日", "お取引日", "取扱日", "勘定日", "起算日", "利用日", "ご利用日",
      "利用年月日"}},
    {Role::Description,
     {"摘要", "お取引内容", "内容", "取引内容", "お預り・お引出し内容", "利用店名", "ご利用店名",
      "ご利用先", "利用先"}},
    {Role::Amount, {"金額"}},
    // A card's purchase amount: what was bought, beside what is paid this month.
    {Role::Signed, {"利用金額", "ご利用金額"}},
    {Role::Out,
     {"支払金額", "お支払金額", "出金", "出金金額", "お引出し", "お引出金額", "支払", "支払額"}},
    {Role::In, {"入金", "入金金額", "お預入れ", "お預入金額", "預入"}},
    {Role::Balance, {"残高", "差引残高", "現在高"}},
    {Role::Memo, {"メモ", "備考"}},
};

// Other names, by a part of them.
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

// A heading folded, without the unit: 「お引出金額（円）」 and 「お引出金額 円」 are お引出金額.
std::string HeadingKey(const std::string& name) {
    std::string key = FoldKey(name);
    for (std::string_view unit : {"(円)", "[円]", "円"}) {
        if (key.size() > unit.size() && key.ends_with(unit)) {
            key.resize(key.size() - unit.size());
            break;
        }
    }
    return key;
}

// The whole headings, folded once.
const std::unordered_map<std::string, Role>& HeadingRoles() {
    static const std::unordered_map<std::string, Role> roles = [] {
        std::unordered_map<std::string, Role> map;
        for (const RoleWords& role : kHeadings) {
            for (std::string_view word : role.Words) {
                if (!word.empty()) map.emplace(FoldKey(word), role.Kind);
            }
        }
        return map;
    }();
    return roles;
}

// A whole heading that banks write; nothing for any other name.
std::optional<Role> HeadingRole(const std::string& key) {
    const auto& roles = HeadingRoles();
    const auto it = roles.find(key);
    if (it == roles.end()) return std::nullopt;
    return it->second;
}

Role RoleOf(const std::string& name) {
    const std::string key = HeadingKey(name);
    if (key.empty()) return Role::None;
    if (const std::optional<Role> role = HeadingRole(key)) return *role;
    for (const RoleWords& role : kRoleWords) {
        for (std::string_view word : role.Words) {
            if (!word.empty() && key.find(word) != std::string::npos) return role.Kind;
        }
    }
    return Role::None;
}

// Columns from a header row's names: each role takes the first column that names it.
// `named` gets the columns whose names say what they hold.
StatementColumns ColumnsFromNames(const std::vector<std::string>& names,
                                  std::vector<bool>* named = nullptr) {
    StatementColumns c;
    int signedColumn = -1;
    int amountColumn = -1;
    if (named) named->assign(names.size(), false);
    for (int i = 0; i < static_cast<int>(names.size()); ++i) {
        auto take = [i](int& column) {
            if (column < 0) column = i;
        };
        const Role role = RoleOf(names[i]);
        if (named && role != Role::None) (*named)[i] = true;
        switch (role) {
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

bool ReadsAsDate(const std::string& text) {
    return !text.empty() && ParseStatementDate(text, 2000).has_value();
}

// A header row: a heading banks write among at least two names, and no date (a line of data
// whose description happens to be 「入金」 is not a header).
bool IsHeaderRow(const StatementRecord& record) {
    int names = 0;
    bool known = false;
    for (const std::string& field : record.Fields) {
        const std::string text = TrimBlanks(field);
        if (text.empty()) continue;
        if (ReadsAsDate(text)) return false;
        ++names;
        known = known || HeadingRole(HeadingKey(text)).has_value();
    }
    return known && names >= 2;
}

// The columns a header leaves unnamed, found from the records below it (up to a few dozen
// with a date): the date where most fields read as dates, the amount where all of them read as
// amounts, the description where the texts differ most (a column that is the same on every
// line names the account, not the shop). `taken` marks the columns not to choose.
void FindByContent(const std::vector<StatementRecord>& records, size_t first,
                   std::vector<bool> taken, StatementColumns& c) {
    constexpr size_t kSample = 30;
    std::vector<const StatementRecord*> sample;
    size_t width = 0;
    for (size_t i = first; i < records.size() && sample.size() < kSample; ++i) {
        const StatementRecord& record = records[i];
        if (record.Unclosed) continue;
        bool dated = false;
        for (const std::string& field : record.Fields) {
            dated = dated || ReadsAsDate(TrimBlanks(field));
        }
        if (!dated) continue;
        sample.push_back(&record);
        width = std::max(width, record.Fields.size());
    }
    if (sample.empty()) return;
    taken.resize(std::max(taken.size(), width), false);
    for (int used : {c.Date, c.Description, c.Amount, c.Out, c.In, c.Memo}) {
        if (used >= 0 && used < static_cast<int>(taken.size())) taken[used] = true;
    }
    struct Counts {
        size_t Texts = 0;
        size_t Dates = 0;
        size_t Amounts = 0;
        size_t NonZero = 0;
        std::vector<std::string> Distinct;
    };
    std::vector<Counts> counts(width);
    for (const StatementRecord* record : sample) {
        for (size_t j = 0; j < record->Fields.size(); ++j) {
            const std::string text = TrimBlanks(record->Fields[j]);
            if (text.empty()) continue;
            Counts& k = counts[j];
            ++k.Texts;
            if (ReadsAsDate(text)) {
                ++k.Dates;
                continue;
            }
            if (const std::optional<int64_t> amount = ParseStatementAmount(text)) {
                ++k.Amounts;
                k.NonZero += *amount != 0;
                continue;
            }
            if (std::find(k.Distinct.begin(), k.Distinct.end(), text) == k.Distinct.end()) {
                k.Distinct.push_back(text);
            }
        }
    }
    const size_t half = (sample.size() + 1) / 2;
    if (c.Date < 0) {
        for (size_t j = 0; j < width; ++j) {
            if (!taken[j] && counts[j].Dates >= half) {
                c.Date = static_cast<int>(j);
                taken[j] = true;
                break;
            }
        }
    }
    if (!HasAmount(c)) {
        // The first column of figures after the date: a balance comes after the amount.
        for (size_t j = c.Date < 0 ? 0 : c.Date + 1; j < width; ++j) {
            const Counts& k = counts[j];
            if (!taken[j] && k.Texts >= half && k.Amounts == k.Texts && k.NonZero > 0) {
                c.Amount = static_cast<int>(j);
                taken[j] = true;
                break;
            }
        }
    }
    if (c.Description < 0) {
        size_t best = 0;
        for (size_t j = 0; j < width; ++j) {
            const size_t distinct = counts[j].Distinct.size();
            if (!taken[j] && distinct > best) {
                best = distinct;
                c.Description = static_cast<int>(j);
            }
        }
    }
}

struct Candidate {
    std::vector<StatementRecord> Records;
    int Header = -1;
    StatementColumns Columns;
};

// Lines above the table (bank, account, period) are passed over: the header is the first
// record among the first ones that holds a heading banks write, or names a date and an
// amount. Columns it leaves unnamed are found from the records below it.
Candidate FindTable(std::vector<StatementRecord> records) {
    constexpr size_t kHeaderSearch = 100;
    Candidate candidate;
    std::vector<bool> named;
    for (size_t i = 0; i < records.size() && i < kHeaderSearch; ++i) {
        if (records[i].Unclosed) continue;
        StatementColumns c = ColumnsFromNames(records[i].Fields, &named);
        if ((c.Date >= 0 && HasAmount(c)) || IsHeaderRow(records[i])) {
            candidate.Header = static_cast<int>(i);
            candidate.Columns = c;
            break;
        }
    }
    if (candidate.Header < 0) named.clear();
    FindByContent(records, static_cast<size_t>(candidate.Header + 1), named, candidate.Columns);
    if (candidate.Header < 0 && (candidate.Columns.Date < 0 || !HasAmount(candidate.Columns))) {
        candidate.Columns = {};
    }
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
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        throw LedgerError("ファイル「" + path + "」を開けませんでした。" + FileErrorReason(errno));
    }
    std::string bytes;
    int error = 0;
    const bool read = ReadAll(fd, bytes, error);
    ::close(fd);
    if (!read) {
        throw LedgerError("ファイル「" + path + "」を読み込めませんでした。" +
                          FileErrorReason(error));
    }
    return bytes;
}

StatementTable ParseStatement(std::string_view bytes) {
    const std::string text = DecodeStatementText(bytes);
    // Text has no control characters but tabs, line ends, form feeds and an old end-of-file
    // mark; anything else is a file of another kind.
    const bool binary = std::any_of(text.begin(), text.end(), [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b < 0x20 && b != '\t' && b != '\n' && b != '\r' && b != '\f' && b != 0x1A;
    });
    if (binary) {
        StatementTable refused;
        refused.Refusal = "文字ではないデータが含まれています（明細のファイルではありません）";
        return refused;
    }
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
            const std::string column = std::to_string(i + 1) + "列目";
            table.ColumnNames.push_back(name.empty() ? column : name + "（" + column + "）");
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
    if (columns.Date < 0 || !HasAmount(columns)) {
        const std::string reason =
            columns.Date < 0 ? "日付の列が選ばれていません" : "金額の列が選ばれていません";
        reading.Unread.push_back(reason);
        reading.UnreadLines.push_back({0, reason});
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
        auto unread = [&](const std::string& reason) {
            reading.Unread.push_back(LineReason(record.Line, OneLineText(reason)));
            reading.UnreadLines.push_back({record.Line, OneLineText(reason)});
        };
        if (record.Unclosed) {
            unread("引用符が閉じられていません");
            continue;
        }
        if (IsBlankRecord(record)) {
            ++reading.Skipped;
            continue;
        }
        const std::string dateText = Field(record, columns.Date);
        if (i > lastDated && !ContainsDigit(dateText)) {
            ++reading.Skipped;
            continue;
        }
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
