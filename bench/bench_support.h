#pragma once

#include <memory>
#include <string>

#include "core/ledger/ledger.h"

namespace kakeibo::bench {

// A full year: 12 months of 1,000 entries with Japanese shop names and memos, a third of
// them tax-excluded, over a small set of masters.
std::unique_ptr<Ledger> MakeFullYearLedger(int year = 2026);

// A fresh empty directory under /tmp (ending with "/").
std::string MakeTempDir();

}  // namespace kakeibo::bench
