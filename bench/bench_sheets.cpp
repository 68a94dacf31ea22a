#include <benchmark/benchmark.h>

#include "bench_support.h"
#include "core/sheets.h"

namespace kakeibo {
namespace {

// One fill of a sheet over a full year, totals recomputed as every fill does; the argument
// is the sheet kind. Every item is expanded and the passbook shows the wallet, the heaviest
// cases of each sheet.
void BM_SheetFill(benchmark::State& state) {
    auto ledger = bench::MakeFullYearLedger();
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
}
BENCHMARK(BM_SheetFill)->DenseRange(0, 6)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kakeibo
