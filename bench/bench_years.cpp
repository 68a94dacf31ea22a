// The sheets and the search over every year of a data folder of full-year ledgers.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench_support.h"
#include "core/files/save.h"
#include "core/reports/sheets.h"
#include "core/reports/year_search.h"

namespace kakeibo {
namespace {

constexpr int kOpenYear = 2026;

// The folders the benchmarks made, removed as the program ends.
struct Folders {
    std::vector<std::string> Made;
    ~Folders() {
        for (const std::string& dir : Made) std::filesystem::remove_all(dir);
    }
};

// A data folder of `count` full years before the open one, each saved as a household saves
// it, and the open year in memory beside them. Made once per count.
Ledger& OpenLedgerOver(int count) {
    static Folders folders;
    static std::map<int, std::unique_ptr<Ledger>> made;
    auto& open = made[count];
    if (open) return *open;
    const std::string dir = bench::MakeTempDir();
    const std::string program = bench::MakeTempDir();
    folders.Made.insert(folders.Made.end(), {dir, program});
    for (int year = kOpenYear - count; year < kOpenYear; ++year) {
        auto ledger = bench::MakeFullYearLedger(year);
        ledger->ExeDir = program;
        ledger->LedgerChanged = true;
        SaveInputs inputs;
        inputs.Sync = false;
        MonthSave(*ledger, dir, "家計簿" + std::to_string(year), inputs);
    }
    open = bench::MakeFullYearLedger(kOpenYear);
    open->DataDir = dir;
    open->LedgerName = "家計簿" + std::to_string(kOpenYear);
    return *open;
}

// The first fill after a start: every ledger of the folder read once.
void BM_YearsSheet(benchmark::State& state) {
    Ledger& open = OpenLedgerOver(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        SheetState sheet;
        benchmark::DoNotOptimize(FillSheet(open, YearsSheet, sheet));
    }
}
BENCHMARK(BM_YearsSheet)->Arg(30)->Unit(benchmark::kMillisecond);

// A refill with nothing changed on disk: only the open ledger is counted.
void BM_YearsSheetAgain(benchmark::State& state) {
    Ledger& open = OpenLedgerOver(static_cast<int>(state.range(0)));
    SheetState sheet;
    FillSheet(open, YearsSheet, sheet);
    for (auto _ : state) benchmark::DoNotOptimize(FillSheet(open, YearsSheet, sheet));
}
BENCHMARK(BM_YearsSheetAgain)->Arg(30)->Unit(benchmark::kMillisecond);

// 「全ての年」 after a start: "ン" is in two of the eight shop names, so 3,000 hits a year,
// sorted by shop and turned into the grid's texts.
void BM_SearchAllYears(benchmark::State& state) {
    Ledger& open = OpenLedgerOver(static_cast<int>(state.range(0)));
    const SearchConditions conditions{-1, -1, "ン", ""};
    size_t hits = 0;
    for (auto _ : state) {
        AllYearsCache cache;
        YearSearchResult result = SearchAllYears(open, conditions, cache);
        SortYearHits(result.Hits, 3);
        benchmark::DoNotOptimize(YearHitRows(result.Hits));
        hits = result.Hits.size();
    }
    state.counters["hits"] = static_cast<double>(hits);
}
BENCHMARK(BM_SearchAllYears)->Arg(30)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kakeibo
