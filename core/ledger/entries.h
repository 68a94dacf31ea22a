// Adding, replacing and deleting a month's entries: the only writers of EntryTable.
#pragma once

#include <optional>
#include <vector>

#include "core/ledger/change.h"
#include "core/ledger/ledger.h"

namespace kakeibo {

// The only writers of a month's entries (month 1..12). They keep NextSlot on the edited
// month's first free slot, set LedgerChanged, and return the change they made; a refused
// write touches nothing and returns nothing.

// Stores the entry in the month's first free slot; refused when the month already holds
// kSlotCount entries.
std::optional<Change> AddEntry(Ledger& ledger, int month, const EntryRecord& entry,
                               const EntryText& text);

// Overwrites the entry in `slot`; refused when the slot holds no entry: an edit never writes
// behind the month's last entry.
std::optional<Change> ReplaceEntry(Ledger& ledger, int month, int slot, const EntryRecord& entry,
                                   const EntryText& text);

// Removes the entry in `slot`, moving the later ones up and emptying the last slot; refused
// when the slot holds no entry.
std::optional<Change> DeleteEntry(Ledger& ledger, int month, int slot);

struct NewEntry {
    EntryRecord Record;  // written into the month Record.Month
    EntryText Text;

    bool operator==(const NewEntry&) const = default;
};

// The tax kind the entry form gives an entry: その他 (2) for a transfer between accounts or an
// income, where the form's tax buttons are fixed to it; the `chosen` one otherwise.
int32_t TaxKindAsTyped(const Ledger& ledger, const EntryRecord& entry, int32_t chosen);

// Writes all of `entries`, in their order, each into the first free slot of its own month, as
// one change of `kind`. All or nothing: when a month would exceed kSlotCount entries, or an
// entry's month is not 1..12, it throws LedgerError (naming the month and the counts) and
// writes nothing.
Change AddEntries(Ledger& ledger, const std::vector<NewEntry>& entries, ChangeKind kind);

}  // namespace kakeibo
