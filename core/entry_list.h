#pragma once

#include <array>

#include "core/csv.h"
#include "core/ledger.h"

namespace kakeibo {

// The entry form's list of the edited month, as texts: what the list shows and what its CSV
// export writes, made once for both.
inline constexpr int kEntryListColumns = 8;
const std::array<const char*, kEntryListColumns>& EntryListHeadings();

// One row per used slot of the edited month (slots 0..NextSlot-1), then the spare empty row.
TextTable EntryListRows(const Ledger& ledger);
// The headings' row followed by EntryListRows: the list as its export writes it.
TextTable EntryListTable(const Ledger& ledger);

}  // namespace kakeibo
