#include "core/money_in/recurring.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <unordered_map>

#include "core/calendar.h"
#include "core/errors.h"
#include "core/files/file_io.h"
#include "core/files/group_write.h"
#include "core/files/ledger_writers.h"
#include "core/numbers.h"
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
    return e.Entry.Day >= kMonthEnd && e.Entry.Day <= 31 && ValidInterval(e.Interval) &&
           e.Entry.Year >= 1 && e.Entry.Month >= 1 && e.Entry.Month <= 12 &&
           ((e.EndYear == 0 && e.EndMonth == 0) || (e.EndMonth >= 1 && e.EndMonth <= 12));
}

bool ItemsInRange(const RecurringEntry& e) {
    const auto in = [](int v, int n) { return v >= 0 && v < n; };
    return in(e.Entry.Item1, kItemCount) && in(e.Entry.Item2, kItemCount) &&
           in(e.Entry.SubItem1, kSubItemCount) && in(e.Entry.SubItem2, kSubItemCount) &&
           e.Entry.TaxKind >= 0 && e.Entry.TaxKind <= 2 && e.Tab != EntryTab::Budget &&
           static_cast<int>(e.Tab) >= 0 && static_cast<int>(e.Tab) < kEntryTabCount;
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
    e.Tab = static_cast<EntryTab>(n[0]);
    e.Entry.Item1 = n[1];
    e.Entry.SubItem1 = n[2];
    e.Entry.Item2 = n[3];
    e.Entry.SubItem2 = n[4];
    e.Entry.Amount = n[5];
    e.Entry.TaxKind = n[6];
    e.Entry.Day = n[7];
    e.Interval = n[8];
    e.Entry.Year = n[9];
    e.Entry.Month = n[10];
    e.EndYear = n[11];
    e.EndMonth = n[12];
    e.AmountVaries = n[13] != 0;
    if (!ScheduleSound(e) || !ItemsInRange(e) || e.Entry.Amount < 1) throw fail();
    e.Name = f[kNumberFields];
    e.Text.Shop = f[kNumberFields + 1];
    e.Text.Memo = f[kNumberFields + 2];
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
    for (int64_t v : {static_cast<int64_t>(e.Tab), int64_t{e.Entry.Item1},
                      int64_t{e.Entry.SubItem1}, int64_t{e.Entry.Item2}, int64_t{e.Entry.SubItem2},
                      int64_t{e.Entry.Amount}, int64_t{e.Entry.TaxKind}, int64_t{e.Entry.Day},
                      int64_t{e.Interval}, int64_t{e.Entry.Year}, int64_t{e.Entry.Month},
                      int64_t{e.EndYear}, int64_t{e.EndMonth}, int64_t{e.AmountVaries ? 1 : 0}}) {
        AppendNumber(line, v);
    }
    // Texts last, commas widened as in the entries file, so that a line always splits the same.
    line +=
        StorableShop(e.Name) + ',' + StorableShop(e.Text.Shop) + ',' + StorableShop(e.Text.Memo);
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
    if (e.Entry.Amount < 1) return kBadAmountMessage;
    if (!ItemsInRange(e)) return "項目を選択してください。";
    const std::string& kind1 = ledger.ItemTable[e.Entry.Item1].Kind;
    const std::string& kind2 = ledger.ItemTable[e.Entry.Item2].Kind;
    if (TabForKinds(kind1, kind2) != e.Tab) return "項目を選択してください。";
    if (!ScheduleSound(e)) return "日付が正しくありません。";
    if (e.EndYear != 0 &&
        MonthNumber(e.EndYear, e.EndMonth) < MonthNumber(e.Entry.Year, e.Entry.Month)) {
        return "終了月が開始月より前です。";
    }
    for (const auto& [field, text] : {std::pair<const char*, const std::string*>{"名前", &e.Name},
                                      {"店名", &e.Text.Shop.str()},
                                      {"メモ", &e.Text.Memo.str()}}) {
        const std::string bad = FirstUnstorableCharacter(*text);
        if (!bad.empty()) {
            return std::string("「") + field + "」に保存できない文字「" + bad + "」があります。";
        }
    }
    return {};
}

RecurringEntry RecurringFromEntry(const EntryRecord& r, const EntryText& text) {
    RecurringEntry e;
    e.Entry = r;
    e.Text = text;
    e.Name = text.Shop.empty() ? text.Memo : text.Shop;
    return e;
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
    return e.Entry.Day == kMonthEnd ? last : std::min(e.Entry.Day, last);
}

bool IsScheduled(const RecurringEntry& e, int year, int month) {
    if (!ScheduleSound(e)) return false;
    const int at = MonthNumber(year, month);
    const int start = MonthNumber(e.Entry.Year, e.Entry.Month);
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
        if (ItemsInRange(e))
            seen[ItemsKey(e.Entry.Item1, e.Entry.SubItem1, e.Entry.Item2, e.Entry.SubItem2)];
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
        int32_t amount = e.Entry.Amount;
        int64_t latest = -1;
        for (const Seen& s :
             seen[ItemsKey(e.Entry.Item1, e.Entry.SubItem1, e.Entry.Item2, e.Entry.SubItem2)]) {
            if (std::llabs(s.Day - day) <= kNearDays &&
                (e.AmountVaries || s.Amount == e.Entry.Amount)) {
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
        EntryRecord record = e.Entry;
        record.Year = year;
        record.Month = month;
        record.Day = when.Day;
        record.Amount = amount;
        record.TaxKind = TaxKindAsTyped(ledger, record, e.Entry.TaxKind);
        due.push_back({static_cast<int>(t), {record, e.Text}});
    }
    return due;
}

}  // namespace kakeibo
