// Recurring entries: the templates in teiki.dat, their schedule and what is due.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/files/ledger_paths.h"
#include "core/ledger/entries.h"
#include "core/ledger/entry_tabs.h"
#include "core/ledger/ledger.h"

namespace kakeibo {

inline constexpr int kMonthEnd = 0;  // Day of a template that falls on the month's last day
inline constexpr int kRecurringIntervals[] = {1, 2, 3, 6, 12};

// A payment or receipt that comes back every few months: rent, pay, a subscription.
struct RecurringEntry {
    std::string Name;
    EntryTab Tab = EntryTab::Expense;  // the tab its items come from
    // The entry it writes, dated on its first month (Year, Month) and its day (1..31, or
    // kMonthEnd).
    EntryRecord Entry{.Year = 0, .Month = 1, .Day = 1};
    int32_t Interval = 1;  // months: one of kRecurringIntervals
    int32_t EndYear = 0;   // 0: no end
    int32_t EndMonth = 0;
    bool AmountVaries = false;
    EntryText Text;  // shop and memo

    bool operator==(const RecurringEntry&) const = default;
};

// The templates of a data folder, in the user's order; none when the file does not exist.
// A malformed line throws LedgerError naming the file, the line and its text.
std::vector<RecurringEntry> ReadRecurring(const std::string& dataDir);
// Writes them whole (CP932, CR LF), replacing the file only when every line is written.
void WriteRecurring(const std::string& dataDir, const std::vector<RecurringEntry>& entries);
// One line of the file, as WriteRecurring writes it.
std::string RecurringLine(const RecurringEntry& entry);

// The first thing the user would have to mend before the template can be kept, as the
// message to show; empty when it is sound. Checks the items against the ledger's kinds.
std::string RecurringFault(const Ledger& ledger, const RecurringEntry& entry);

// A template made from an entry of the ledger: every month from the entry's month, on its day.
RecurringEntry RecurringFromEntry(const EntryRecord& record, const EntryText& text);

// The day a template falls on in a month: its day, or the month's last day when the month is
// shorter or the template says 月末.
int ScheduledDay(const RecurringEntry& entry, int year, int month);
// True when the template's schedule hits the month.
bool IsScheduled(const RecurringEntry& entry, int year, int month);

struct RecurringProposal {
    int Template = 0;  // index into the templates
    NewEntry Entry;    // dated on its scheduled day of the month, with the amount to propose
};

// A due template as the entry form lists it: 「6月27日　家賃　住居費・家賃／銀行・みずほ」.
std::string DueText(const Ledger& ledger, const RecurringEntry& entry, const EntryRecord& due);

// What is due in `month` (1..12) of the ledger's year: every template whose schedule hits
// the month and that is not already written, i.e. no entry with the same items and sub-items
// (and the same amount, unless it varies) lies within 3 days of the scheduled day. A template
// whose amount varies is proposed with the amount of its latest entry before that day.
std::vector<RecurringProposal> DueRecurring(const Ledger& ledger,
                                            const std::vector<RecurringEntry>& templates, int year,
                                            int month);

}  // namespace kakeibo
