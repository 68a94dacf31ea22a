// A bank's or card's statement: any bytes read, every line that becomes an entry of the year
// with an amount above 0, and every imported entry one that a save can write.
#include "core/errors.h"
#include "core/files/ledger_writers.h"
#include "core/ledger/change.h"
#include "core/ledger/entries.h"
#include "core/money_in/statement.h"
#include "core/money_in/statement_import.h"
#include "fuzz_support.h"

using namespace kakeibo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    constexpr int kYear = 2025;
    const StatementTable table = ParseStatement(fuzz::AsText(data, size));
    const StatementReading reading = ReadStatement(table, table.Guessed, kYear);
    for (const StatementLine& line : reading.Lines) {
        fuzz::Require(line.On.Year == kYear && IsValidDate(line.On), "a date of the year");
        fuzz::Require(line.Amount > 0, "an amount above 0");
    }
    // One ledger for the run (it is large): each import is taken back after its check.
    static Ledger& ledger = []() -> Ledger& {
        auto* l = new Ledger;
        l->ItemTable[0] = {"口座", "0"};
        l->ItemTable[1] = {"食費", "-1"};
        l->ItemTable[2] = {"給与", "1"};
        l->EditDate = {kYear, 1, 1};
        return *l;
    }();
    // Every line gets an item, so that only what cannot be stored keeps one out.
    std::vector<ImportLine> lines = PrepareImport(ledger, reading, {}, 0, 0);
    for (ImportLine& line : lines) {
        line.Item = line.Source.MoneyIn ? 2 : 1;
        line.Checked = Importable(line);
    }
    Change change;
    try {
        change = AddEntries(ledger, ImportEntries(ledger, lines, 0, 0), ChangeKind::Import);
    } catch (const LedgerError&) {
        return 0;  // a month over its slots: refused whole
    }
    fuzz::SavedBytes(EntriesFileLines(ledger), "x.nbd");
    ApplyChange(ledger, change, ChangeSide::Before);
    return 0;
}
