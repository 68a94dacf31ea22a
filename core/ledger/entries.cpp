#include "core/ledger/entries.h"

#include <algorithm>
#include <map>
#include <string>
#include <string_view>
#include <utility>

#include "core/errors.h"

namespace kakeibo {

namespace {

bool ValidMonth(int month) {
    return month >= 1 && month <= kMonthCount;
}

bool HoldsEntry(const Ledger& ledger, int month, int slot) {
    return slot >= 0 && slot < UsedSlots(ledger, month) && slot < kSlotCount;
}

// The slots [first, end) of a month as they are now, as both sides of a span; the caller
// writes the ledger and then takes the After side.
SlotSpan Capture(const Ledger& ledger, int month, int first, int end) {
    SlotSpan span;
    span.Month = month;
    span.First = first;
    const auto& records = ledger.EntryTable[month - 1];
    const auto& texts = ledger.EntryTextTable[month - 1];
    span.Before.assign(records.begin() + first, records.begin() + end);
    span.BeforeText.assign(texts.begin() + first, texts.begin() + end);
    return span;
}

void TakeAfter(const Ledger& ledger, SlotSpan& span) {
    const auto& records = ledger.EntryTable[span.Month - 1];
    const auto& texts = ledger.EntryTextTable[span.Month - 1];
    const auto end = static_cast<long>(span.First + span.Before.size());
    span.After.assign(records.begin() + span.First, records.begin() + end);
    span.AfterText.assign(texts.begin() + span.First, texts.begin() + end);
}

Change Finish(Ledger& ledger, ChangeKind kind, std::vector<SlotSpan> spans) {
    Change change;
    change.Kind = kind;
    for (SlotSpan& span : spans) TakeAfter(ledger, span);
    change.Slots = std::move(spans);
    ledger.LedgerChanged = true;
    return change;
}

}  // namespace

std::optional<Change> AddEntry(Ledger& ledger, int month, const EntryRecord& entry,
                               const EntryText& text) {
    if (!ValidMonth(month)) return std::nullopt;
    const int slot = UsedSlots(ledger, month);
    if (slot < 0 || slot >= kSlotCount) return std::nullopt;
    std::vector<SlotSpan> spans{Capture(ledger, month, slot, slot + 1)};
    ledger.EntryTable[month - 1][slot] = entry;
    ledger.EntryTextTable[month - 1][slot] = text;
    if (month == ledger.EditMonth) ledger.NextSlot = slot + 1;
    return Finish(ledger, ChangeKind::Write, std::move(spans));
}

std::optional<Change> ReplaceEntry(Ledger& ledger, int month, int slot, const EntryRecord& entry,
                                   const EntryText& text) {
    if (!ValidMonth(month) || !HoldsEntry(ledger, month, slot)) return std::nullopt;
    std::vector<SlotSpan> spans{Capture(ledger, month, slot, slot + 1)};
    ledger.EntryTable[month - 1][slot] = entry;
    ledger.EntryTextTable[month - 1][slot] = text;
    return Finish(ledger, ChangeKind::Edit, std::move(spans));
}

std::optional<Change> DeleteEntry(Ledger& ledger, int month, int slot) {
    if (!ValidMonth(month) || !HoldsEntry(ledger, month, slot)) return std::nullopt;
    const int used = UsedSlots(ledger, month);
    std::vector<SlotSpan> spans{Capture(ledger, month, slot, used)};
    auto& entries = ledger.EntryTable[month - 1];
    auto& texts = ledger.EntryTextTable[month - 1];
    for (int t = slot; t < used - 1; ++t) {
        entries[t] = entries[t + 1];
        texts[t] = std::move(texts[t + 1]);
    }
    entries[used - 1] = EntryRecord{};
    texts[used - 1] = EntryText{};
    if (month == ledger.EditMonth) ledger.NextSlot = used - 1;
    return Finish(ledger, ChangeKind::Delete, std::move(spans));
}

Change AddEntries(Ledger& ledger, const std::vector<NewEntry>& entries, ChangeKind kind) {
    std::map<int, int> wanted;
    for (const NewEntry& e : entries) {
        if (!ValidMonth(e.Record.Month)) {
            throw LedgerError("日付「" + std::to_string(e.Record.Year) + "/" +
                              std::to_string(e.Record.Month) + "/" + std::to_string(e.Record.Day) +
                              "」の月は記入できません。何も記入していません。");
        }
        wanted[e.Record.Month] += 1;
    }
    for (const auto& [month, count] : wanted) {
        const int used = UsedSlots(ledger, month);
        if (used + count > kSlotCount) {
            throw LedgerError(std::to_string(month) + "月の入力件数が上限の" +
                              std::to_string(kSlotCount) + "件を超えます（記入済み " +
                              std::to_string(used) + "件、追加 " + std::to_string(count) +
                              "件）。何も記入していません。");
        }
    }
    std::vector<SlotSpan> spans;
    std::map<int, int> next;
    for (const auto& [month, count] : wanted) {
        const int used = UsedSlots(ledger, month);
        spans.push_back(Capture(ledger, month, used, used + count));
        next[month] = used;
    }
    for (const NewEntry& e : entries) {
        const int m = e.Record.Month;
        const int slot = next[m]++;
        ledger.EntryTable[m - 1][slot] = e.Record;
        ledger.EntryTextTable[m - 1][slot] = e.Text;
    }
    if (wanted.count(ledger.EditMonth) != 0) ledger.NextSlot = next[ledger.EditMonth];
    return Finish(ledger, kind, std::move(spans));
}

int32_t TaxKindAsTyped(const Ledger& ledger, const EntryRecord& entry, int32_t chosen) {
    auto kind = [&ledger](int item) -> std::string_view {
        return item >= 0 && item < kItemCount ? std::string_view(ledger.ItemTable[item].Kind)
                                              : std::string_view();
    };
    const bool income = kind(entry.Item2) == kKindIncome;
    const bool transfer = kind(entry.Item1) == kKindAccount && kind(entry.Item2) == kKindAccount;
    return income || transfer ? 2 : chosen;
}

}  // namespace kakeibo
