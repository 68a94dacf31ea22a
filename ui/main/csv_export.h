#pragma once

#include <string>

#include "core/reports/csv.h"

namespace kakeibo {

// Asks where to write the table (starting in `dataDir`), writes it and says so. Nothing
// happens when the dialog is cancelled; a failed write throws LedgerError.
void ExportCsv(const TextTable& rows, const std::string& dataDir);

}  // namespace kakeibo
