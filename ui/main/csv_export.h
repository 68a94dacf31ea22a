#pragma once

#include <string>

#include "core/csv.h"

class QTableWidget;

namespace kakeibo {

class TForm3;

// Every cell of a grid as it is shown, row by row; a cell without an item is empty.
TextTable GridTexts(const QTableWidget& grid);
// The entry form's month list as shown: the headings, one row per entry, the spare row.
TextTable EntryListTexts(const TForm3& form);

// Asks where to write the table (starting in `dataDir`), writes it and says so. Nothing
// happens when the dialog is cancelled; a failed write throws LedgerError.
void ExportCsv(const TextTable& rows, const std::string& dataDir);

}  // namespace kakeibo
