#include "core/entries.h"

#include <utility>

namespace kakeibo {

namespace {

bool HoldsEntry(const Ledger& ledger, int slot) {
    return slot >= 0 && slot < ledger.NextSlot && slot < kSlotCount;
}

}  // namespace

bool AddEntry(Ledger& ledger, const EntryRecord& entry, const EntryText& text) {
    if (ledger.NextSlot < 0 || ledger.NextSlot >= kSlotCount) return false;
    const int m = ledger.EditMonth - 1;
    ledger.EntryTable[m][ledger.NextSlot] = entry;
    ledger.EntryTextTable[m][ledger.NextSlot] = text;
    ledger.NextSlot += 1;
    ledger.LedgerChanged = true;
    return true;
}

bool ReplaceEntry(Ledger& ledger, int slot, const EntryRecord& entry, const EntryText& text) {
    if (!HoldsEntry(ledger, slot)) return false;
    const int m = ledger.EditMonth - 1;
    ledger.EntryTable[m][slot] = entry;
    ledger.EntryTextTable[m][slot] = text;
    ledger.LedgerChanged = true;
    return true;
}

bool DeleteEntry(Ledger& ledger, int slot) {
    if (!HoldsEntry(ledger, slot)) return false;
    const int m = ledger.EditMonth - 1;
    auto& entries = ledger.EntryTable[m];
    auto& texts = ledger.EntryTextTable[m];
    for (int t = slot; t < kSlotCount - 1; ++t) {
        entries[t] = entries[t + 1];
        texts[t] = std::move(texts[t + 1]);
    }
    entries[kSlotCount - 1] = EntryRecord{};
    texts[kSlotCount - 1] = EntryText{};
    ledger.NextSlot -= 1;
    ledger.LedgerChanged = true;
    return true;
}

}  // namespace kakeibo
