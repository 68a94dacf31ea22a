// Carrying the year's closing balances over into next year's ledger.
#pragma once

#include <optional>
#include <string>

#include "core/files/backup.h"
#include "core/ledger/ledger.h"

namespace kakeibo {

// Writes the next year's ledger `name` into `dir`: the balance file whose 13 rows all hold
// the year-end balances of items 0 and 1 (zeros for the others), an empty budget file and
// an empty entries file. Recomputes the totals first; changes nothing else in the ledger.
// With `backup`, a next-year ledger already there is first kept as a generation.
void WriteCarryOver(Ledger& ledger, const std::string& dir, const std::string& name,
                    bool sync = true, const std::optional<Moment>& backup = std::nullopt);

// The name first offered for the next year's ledger: the last four-digit year in `name` one
// higher (kakei2024 → kakei2025); a name without one gets the next year after the ledger's
// `year` appended (家計簿 → 家計簿2027).
std::string NextYearLedgerName(const std::string& name, int year);

}  // namespace kakeibo
