#pragma once

#include <string>

#include "core/csv.h"

class QTableWidget;

namespace kakeibo {

// Every cell of a grid as it is shown, row by row; a cell without an item is empty.
TextTable GridTexts(const QTableWidget& grid);

// Asks where to write the table (starting in `dataDir`), writes it and says so. Nothing
// happens when the dialog is cancelled; a failed write throws LedgerError.
void ExportCsv(const TextTable& rows, const std::string& dataDir);

}  // namespace kakeibo
