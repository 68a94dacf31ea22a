#include "fuzz_tables.h"

#include <memory>

#include "core/errors.h"
#include "core/files/ledger_files.h"
#include "core/files/ledger_writers.h"
#include "fuzz_support.h"

namespace kakeibo::fuzz {

namespace {

// Money flows into and out of the wallet, an expense item and an income item every month,
// so the balances roll over something.
constexpr const char* kEntries =
    "2024,1,5,2,0,0,0,1200,0,,\r\n"
    "2024,1,25,0,0,29,0,250000,0,,\r\n"
    "2024,3,1,1,1,0,0,30000,0,,\r\n"
    "2024,12,31,2,3,1,1,999,1,,\r\n";

}  // namespace

int FuzzNumberTable(const uint8_t* data, size_t size, const std::string& suffix) {
    const std::string& dir = FreshFolder();
    WriteFile(dir + "家計.nbd", kEntries);
    WriteFile(dir + "家計" + suffix, AsText(data, size));
    auto ledger = std::make_unique<Ledger>();
    ledger->ItemTable[29].Kind = kKindIncome;
    try {
        MonthLoad(*ledger, dir, "家計");
    } catch (const LedgerError&) {
        Require(ledger->LedgerName == kNewLedgerName, "a refused load leaves the ledger as it was");
        return 0;
    }
    RecomputeAll(*ledger);

    const bool budget = suffix == "y.dat";
    WriteFile(dir + "写し.nbd", kEntries);
    WriteFile(dir + "写し" + suffix,
              SavedBytes(budget ? BudgetFileLines(*ledger) : BalanceFileLines(*ledger), dir));
    auto again = std::make_unique<Ledger>();
    try {
        MonthLoad(*again, dir, "写し");
    } catch (const LedgerError&) {
        Require(false, "a saved table loads again");
    }
    Require(budget ? again->BudgetTable == ledger->BudgetTable
                   : again->BalanceTable == ledger->BalanceTable,
            "a saved table reads back the same");
    return 0;
}

}  // namespace kakeibo::fuzz
