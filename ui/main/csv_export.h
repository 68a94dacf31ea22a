#pragma once

#include <string>

#include "core/csv.h"

namespace kakeibo {

class TForm3;

// The entry form's month list as shown: the headings, one row per entry, the spare row.
TextTable EntryListTexts(const TForm3& form);

// Asks where to write the table (starting in `dataDir`), writes it and says so. Nothing
// happens when the dialog is cancelled; a failed write throws LedgerError.
void ExportCsv(const TextTable& rows, const std::string& dataDir);

}  // namespace kakeibo
