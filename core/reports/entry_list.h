// The entry form's list of the edited month as texts, for the list and its CSV export.
#pragma once

#include <array>
#include <string>

#include "core/ledger/ledger.h"
#include "core/reports/csv.h"

namespace kakeibo {

// The entry form's list of the edited month, as texts: what the list shows and what its CSV
// export writes. Both take every cell from EntryListCellText, so they never differ.
inline constexpr int kEntryListColumns = 8;
const std::array<const char*, kEntryListColumns>& EntryListHeadings();

// The names the list shows for an entry's item and sub-item numbers.
struct EntryListNames {
    std::array<std::string, kItemCount> Items;
    std::array<std::array<std::string, kSubItemCount>, kItemCount> SubItems;
};
EntryListNames EntryListNamesOf(const Ledger& ledger);

// One cell of an entry's row: day, shop, item 1, sub-item 1, item 2, sub-item 2, amount, memo.
// An item or sub-item number without a name, or a column outside the eight, gives "".
std::string EntryListCellText(const EntryRecord& entry, const EntryText& text,
                              const EntryListNames& names, int column);

// One row per used slot of the edited month (slots 0..NextSlot-1), then the spare empty row.
TextTable EntryListRows(const Ledger& ledger);
// The question before an entry is deleted, naming it: 「6/15　セブンイレブン　298円
// を削除しますか？」 (the first item's name stands for a shop not given); the plain question for a
// slot that holds no entry.
std::string DeleteQuestion(const Ledger& ledger, int month, int slot);

// The headings' row followed by EntryListRows: the list as its export writes it.
TextTable EntryListTable(const Ledger& ledger);

}  // namespace kakeibo
