#pragma once

#include "core/ledger.h"

namespace kakeibo {

// The only writers of the edited month's entries. They keep NextSlot on the month's first
// free slot and set LedgerChanged, so that no window has to remember either.

// Stores the entry in the month's first free slot. Returns false, touching nothing, when
// the month already holds kSlotCount entries.
bool AddEntry(Ledger& ledger, const EntryRecord& entry, const EntryText& text);

// Overwrites the entry in `slot`. Returns false, touching nothing, when the slot holds no
// entry (slot >= NextSlot): an edit never writes behind the month's last entry.
bool ReplaceEntry(Ledger& ledger, int slot, const EntryRecord& entry, const EntryText& text);

// Removes the entry in `slot`, moving the later ones up and emptying the last slot.
// Returns false, touching nothing, when the slot holds no entry.
bool DeleteEntry(Ledger& ledger, int slot);

}  // namespace kakeibo
