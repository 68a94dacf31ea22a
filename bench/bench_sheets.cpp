#include <benchmark/benchmark.h>

#include <filesystem>

#include "bench_support.h"
#include "core/files/save.h"
#include "core/reports/sheets.h"

namespace kakeibo {
namespace {

// One fill of a sheet over a full year, totals recomputed as every fill does; the argument
// is the sheet kind. Every item is expanded and the passbook shows the wallet, the heaviest
// cases of each sheet. The data folder holds last year's full ledger for 前年比較, read by
// the first fill and kept, as the data sheet keeps it.
void BM_SheetFill(benchmark::State& state) {
    const std::string data = bench::MakeTempDir();
    const std::string program = bench::MakeTempDir();
    auto last = bench::MakeFullYearLedger(2025);
    last->ExeDir = program;
    last->LedgerChanged = true;
    SaveInputs inputs;
    inputs.Sync = false;
    MonthSave(*last, data, "2025", inputs);
    last.reset();

    auto ledger = bench::MakeFullYearLedger();
    ledger->DataDir = data;
    ledger->LedgerName = "2026";
    const int kind = static_cast<int>(state.range(0));
    SheetState sheet;
    for (auto& kindFlags : sheet.ExpandedItems) kindFlags.fill(true);
    sheet.PassbookChoice = 10;
    int rows = 0;
    for (auto _ : state) {
        const SheetGrid grid = FillSheet(*ledger, kind, sheet);
        rows = grid.RowCount();
        benchmark::DoNotOptimize(grid.Cell(rows - 1, 0).data());
    }
    state.counters["rows"] = rows;
    std::filesystem::remove_all(data);
    std::filesystem::remove_all(program);
}
BENCHMARK(BM_SheetFill)->DenseRange(0, kSheetKindCount - 1)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kakeibo
