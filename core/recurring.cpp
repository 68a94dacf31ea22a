#include "core/recurring.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <unordered_map>

#include "core/calendar.h"
#include "core/errors.h"
#include "core/file_io.h"
#include "core/ledger_writers.h"
#include "core/sjis.h"

namespace kakeibo {

namespace {

constexpr int kNumberFields = 14;  // every field before the texts
constexpr int kNearDays = 3;

std::vector<std::string> SplitFields(const std::string& line) {
    std::vector<std::string> fields;
    size_t start = 0;
    while (true) {
        const size_t comma = line.find(',', start);
        fields.push_back(line.substr(start, comma - start));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return fields;
}

bool ParseField(const std::string& text, int32_t& value) {
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end;
}

bool ValidInterval(int interval) {
    return std::find(std::begin(kRecurringIntervals), std::end(kRecurringIntervals), interval) !=
           std::end(kRecurringIntervals);
}

int MonthNumber(int year, int month) {
    return year * 12 + month - 1;
}

// The fields as they must hold for the schedule to be computed at all.
bool ScheduleSound(const RecurringEntry& e) {
    return e.Day >= kMonthEnd && e.Day <= 31 && ValidInterval(e.Interval) && e.StartYear >= 1 &&
           e.StartMonth >= 1 && e.StartMonth <= 12 &&
           ((e.EndYear == 0 && e.EndMonth == 0) || (e.EndMonth >= 1 && e.EndMonth <= 12));
}

bool ItemsInRange(const RecurringEntry& e) {
    const auto in = [](int v, int n) { return v >= 0 && v < n; };
    return in(e.Item1, kItemCount) && in(e.Item2, kItemCount) && in(e.SubItem1, kSubItemCount) &&
           in(e.SubItem2, kSubItemCount) && e.TaxKind >= 0 && e.TaxKind <= 2 &&
           static_cast<int>(e.Tab) >= 0 && static_cast<int>(e.Tab) <= 2;
}

RecurringEntry ParseLine(const std::string& line, const std::string& path, int number) {
    const std::vector<std::string> f = SplitFields(line);
    const auto fail = [&]() -> LedgerError {
        return LedgerError(path + " の " + std::to_string(number) + "行目を読めません：「" +
                           QuoteForMessage(line) + "」");
    };
    if (f.size() != kNumberFields + 3) throw fail();
    int32_t n[kNumberFields];
    for (int i = 0; i < kNumberFields; ++i) {
        if (!ParseField(f[static_cast<size_t>(i)], n[i])) throw fail();
    }
    RecurringEntry e;
    e.Tab = static_cast<RecurringTab>(n[0]);
    e.Item1 = n[1];
    e.SubItem1 = n[2];
    e.Item2 = n[3];
    e.SubItem2 = n[4];
    e.Amount = n[5];
    e.TaxKind = n[6];
    e.Day = n[7];
    e.Interval = n[8];
    e.StartYear = n[9];
    e.StartMonth = n[10];
    e.EndYear = n[11];
    e.EndMonth = n[12];
    e.AmountVaries = n[13] != 0;
    if (!ScheduleSound(e) || !ItemsInRange(e) || e.Amount < 1) throw fail();
    e.Name = f[kNumberFields];
    e.Shop = f[kNumberFields + 1];
    e.Memo = f[kNumberFields + 2];
    return e;
}

void AppendNumber(std::string& out, int64_t value) {
    out += std::to_string(value);
    out += ',';
}

uint32_t ItemsKey(int item1, int sub1, int item2, int sub2) {
    return static_cast<uint32_t>(
        ((item1 * kSubItemCount + sub1) * kItemCount + item2) * kSubItemCount + sub2);
}

struct Seen {
    int64_t Day;
    int32_t Amount;
};

}  // namespace

std::string RecurringLine(const RecurringEntry& e) {
    std::string line;
    for (int64_t v :
         {static_cast<int64_t>(e.Tab), int64_t{e.Item1}, int64_t{e.SubItem1}, int64_t{e.Item2},
          int64_t{e.SubItem2}, int64_t{e.Amount}, int64_t{e.TaxKind}, int64_t{e.Day},
          int64_t{e.Interval}, int64_t{e.StartYear}, int64_t{e.StartMonth}, int64_t{e.EndYear},
          int64_t{e.EndMonth}, int64_t{e.AmountVaries ? 1 : 0}}) {
        AppendNumber(line, v);
    }
    // Texts last, commas widened as in the entries file, so that a line always splits the same.
    line += StorableShop(e.Name) + ',' + StorableShop(e.Shop) + ',' + StorableShop(e.Memo);
    return line;
}

std::vector<RecurringEntry> ReadRecurring(const std::string& dataDir) {
    const std::string path = dataDir + kRecurringFile;
    const auto lines = ReadTextLines(path);
    std::vector<RecurringEntry> entries;
    if (!lines) return entries;
    int number = 0;
    for (const std::string& line : *lines) {
        ++number;
        if (line.empty()) continue;
        entries.push_back(ParseLine(line, path, number));
    }
    return entries;
}

void WriteRecurring(const std::string& dataDir, const std::vector<RecurringEntry>& entries) {
    const std::string path = dataDir + kRecurringFile;
    std::vector<std::string> lines;
    lines.reserve(entries.size());
    for (const RecurringEntry& e : entries) lines.push_back(RecurringLine(e));
    WriteFileAtomic(path, EncodeLines(lines, path));
}

std::string RecurringFault(const Ledger& ledger, const RecurringEntry& e) {
    if (e.Name.empty()) return "名前を入力してください。";
    if (e.Amount < 1) return "金額が正しくありません";
    if (!ItemsInRange(e)) return "項目を選択してください。";
    const std::string& kind1 = ledger.ItemTable[e.Item1].Kind;
    const std::string& kind2 = ledger.ItemTable[e.Item2].Kind;
    const bool kindsMatch =
        (e.Tab == RecurringTab::Expense && kind1 == kKindExpense && kind2 == kKindAccount) ||
        (e.Tab == RecurringTab::Transfer && kind1 == kKindAccount && kind2 == kKindAccount) ||
        (e.Tab == RecurringTab::Income && kind1 == kKindAccount && kind2 == kKindIncome);
    if (!kindsMatch) return "項目を選択してください。";
    if (!ScheduleSound(e)) return "日付が正しくありません。";
    if (e.EndYear != 0 &&
        MonthNumber(e.EndYear, e.EndMonth) < MonthNumber(e.StartYear, e.StartMonth)) {
        return "終了月が開始月より前です。";
    }
    for (const auto& [field, text] : {std::pair<const char*, const std::string*>{"名前", &e.Name},
                                      {"店名", &e.Shop},
                                      {"メモ", &e.Memo}}) {
        const std::string bad = FirstUnstorableCharacter(*text);
        if (!bad.empty()) {
            return std::string("「") + field + "」に保存できない文字「" + bad + "」があります。";
        }
    }
    return {};
}

RecurringEntry RecurringFromEntry(const EntryRecord& r, const EntryText& text) {
    RecurringEntry e;
    e.Item1 = r.Item1;
    e.SubItem1 = r.SubItem1;
    e.Item2 = r.Item2;
    e.SubItem2 = r.SubItem2;
    e.Amount = r.Amount;
    e.TaxKind = r.TaxKind;
    e.Day = r.Day;
    e.StartYear = r.Year;
    e.StartMonth = r.Month;
    e.Shop = text.Shop;
    e.Memo = text.Memo;
    e.Name = text.Shop.empty() ? text.Memo : text.Shop;
    return e;
}

std::vector<int> RecurringItemChoices(const Ledger& ledger, RecurringTab tab, int side) {
    const char* kinds[3][2] = {
        {kKindExpense, kKindAccount}, {kKindAccount, kKindAccount}, {kKindAccount, kKindIncome}};
    const std::string kind = kinds[static_cast<int>(tab)][side == 0 ? 0 : 1];
    std::vector<int> items;
    for (int i = 0; i < kItemCount; ++i) {
        if (ledger.ItemTable[i].Kind == kind) items.push_back(i);
    }
    return items;
}

std::string DueText(const Ledger& ledger, const RecurringEntry& e, const EntryRecord& due) {
    const auto name = [&ledger](int item, int sub) {
        if (item < 0 || item >= kItemCount || sub < 0 || sub >= kSubItemCount) return std::string();
        return ledger.ItemTable[item].Name + "・" + ledger.SubItemTable[item][sub];
    };
    return std::to_string(due.Month) + "月" + std::to_string(due.Day) + "日　" + e.Name + "　" +
           name(due.Item1, due.SubItem1) + "／" + name(due.Item2, due.SubItem2);
}

int ScheduledDay(const RecurringEntry& e, int year, int month) {
    const int last = DaysInMonth(year, month);
    return e.Day == kMonthEnd ? last : std::min(e.Day, last);
}

bool IsScheduled(const RecurringEntry& e, int year, int month) {
    if (!ScheduleSound(e)) return false;
    const int at = MonthNumber(year, month);
    const int start = MonthNumber(e.StartYear, e.StartMonth);
    if (at < start || (at - start) % e.Interval != 0) return false;
    return e.EndYear == 0 || at <= MonthNumber(e.EndYear, e.EndMonth);
}

std::vector<RecurringProposal> DueRecurring(const Ledger& ledger,
                                            const std::vector<RecurringEntry>& templates, int year,
                                            int month) {
    std::vector<RecurringProposal> due;
    if (month < 1 || month > kMonthCount) return due;
    // Only entries with a template's items matter: index those keys, then read the year up to
    // the month after once.
    std::unordered_map<uint32_t, std::vector<Seen>> seen;
    for (const RecurringEntry& e : templates) {
        if (ItemsInRange(e)) seen[ItemsKey(e.Item1, e.SubItem1, e.Item2, e.SubItem2)];
    }
    if (seen.empty()) return due;
    for (int m = 1; m <= std::min(kMonthCount, month + 1); ++m) {
        const int used = UsedSlots(ledger, m);
        for (int s = 0; s < used; ++s) {
            const EntryRecord& r = ledger.EntryTable[m - 1][s];
            const auto found = seen.find(ItemsKey(r.Item1, r.SubItem1, r.Item2, r.SubItem2));
            if (found == seen.end()) continue;
            const Date date{r.Year, r.Month, r.Day};
            if (IsValidDate(date)) found->second.push_back({DayNumber(date), r.Amount});
        }
    }
    for (size_t t = 0; t < templates.size(); ++t) {
        const RecurringEntry& e = templates[t];
        if (!ItemsInRange(e) || !IsScheduled(e, year, month)) continue;
        const Date when{year, month, ScheduledDay(e, year, month)};
        const int64_t day = DayNumber(when);
        bool written = false;
        int32_t amount = e.Amount;
        int64_t latest = -1;
        for (const Seen& s : seen[ItemsKey(e.Item1, e.SubItem1, e.Item2, e.SubItem2)]) {
            if (std::llabs(s.Day - day) <= kNearDays && (e.AmountVaries || s.Amount == e.Amount)) {
                written = true;
                break;
            }
            // A varying amount is proposed as it was last time.
            if (e.AmountVaries && s.Day < day && s.Day >= latest) {
                latest = s.Day;
                amount = s.Amount;
            }
        }
        if (written) continue;
        const EntryRecord record{year,    month,      when.Day, e.Item1,  e.SubItem1,
                                 e.Item2, e.SubItem2, amount,   e.TaxKind};
        due.push_back({static_cast<int>(t), {record, {e.Shop, e.Memo}}});
    }
    return due;
}

}  // namespace kakeibo
