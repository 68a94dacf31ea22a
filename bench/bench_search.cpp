#include <benchmark/benchmark.h>

#include "bench_support.h"
#include "core/reports/search.h"

namespace kakeibo {
namespace {

// "ン" is in two of the eight shop names: 3,000 hits, sorted by shop and turned into the
// grid's texts, as "検索開始" followed by a click on the shop heading does.
void BM_SearchFullYear(benchmark::State& state) {
    auto ledger = bench::MakeFullYearLedger();
    const SearchConditions conditions{-1, -1, "ン", ""};
    for (auto _ : state) {
        SearchResult result = SearchEntries(*ledger, conditions);
        SortHits(*ledger, result.HitList, 2);
        benchmark::DoNotOptimize(HitRows(*ledger, result.HitList));
    }
    state.counters["hits"] = static_cast<double>(SearchEntries(*ledger, conditions).HitList.size());
}
BENCHMARK(BM_SearchFullYear)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kakeibo
