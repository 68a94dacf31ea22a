// The entries file: a load either refuses the file and leaves the ledger as it was, or
// gives entries that a save writes and a second load reads back unchanged.
#include <memory>

#include "core/errors.h"
#include "core/files/ledger_files.h"
#include "core/files/ledger_writers.h"
#include "fuzz_support.h"

using namespace kakeibo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& dir = fuzz::FreshFolder();
    fuzz::WriteFile(dir + "家計.nbd", fuzz::AsText(data, size));
    auto ledger = std::make_unique<Ledger>();
    try {
        MonthLoad(*ledger, dir, "家計");
    } catch (const LedgerError&) {
        fuzz::Require(
            ledger->LedgerName == kNewLedgerName && ledger->EntryTable[0][0] == EntryRecord{},
            "a refused load leaves the ledger as it was");
        return 0;
    }
    fuzz::RecomputeAll(*ledger);

    fuzz::WriteFile(dir + "写し.nbd", fuzz::SavedBytes(EntriesFileLines(*ledger), dir));
    auto again = std::make_unique<Ledger>();
    try {
        MonthLoad(*again, dir, "写し");
    } catch (const LedgerError&) {
        fuzz::Require(false, "a saved entries file loads again");
    }
    fuzz::Require(again->EntryTable == ledger->EntryTable, "saved entries read back the same");
    for (int m = 0; m < kMonthCount; ++m) {
        for (int s = 0; s < kSlotCount; ++s) {
            const EntryText& before = ledger->EntryTextTable[m][s];
            const EntryText& after = again->EntryTextTable[m][s];
            fuzz::Require(after.Shop == StorableShop(before.Shop), "shop read back the same");
            fuzz::Require(after.Memo == OneLine(before.Memo), "memo read back the same");
        }
    }
    return 0;
}
