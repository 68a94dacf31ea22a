#include <benchmark/benchmark.h>

#include "bench_support.h"
#include "core/ledger/totals.h"

namespace kakeibo {
namespace {

// What the data sheet runs before it draws a sheet of monthly amounts.
void BM_RefreshDataFullYear(benchmark::State& state) {
    auto ledger = bench::MakeFullYearLedger();
    for (auto _ : state) {
        RefreshData(*ledger, 1);
        RefreshData(*ledger, 2);
        benchmark::DoNotOptimize(ledger->BalanceTable[12][0][kTotalColumn]);
    }
}
BENCHMARK(BM_RefreshDataFullYear)->Unit(benchmark::kMicrosecond);

// 3 March: the week reaches back into February, so two full months are scanned.
void BM_DataSum(benchmark::State& state) {
    auto ledger = bench::MakeFullYearLedger();
    const Date date{2026, 3, 3};
    for (auto _ : state) {
        DataSum(*ledger, 3, date);
        benchmark::DoNotOptimize(ledger->WeekTable[0][6][kTotalColumn]);
    }
}
BENCHMARK(BM_DataSum)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kakeibo
