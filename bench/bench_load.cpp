#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "bench_support.h"
#include "core/files/ledger_files.h"
#include "core/files/ledger_paths.h"
#include "core/sjis.h"

namespace kakeibo::bench {
namespace {

// The three files of a full year, written here so the load is measured on its own.
std::string WriteFullYear(const std::string& dir, const std::string& name) {
    const auto ledger = MakeFullYearLedger();
    std::string entries;
    for (int m = 0; m < kMonthCount; ++m) {
        for (int s = 0; s < kSlotCount; ++s) {
            const EntryRecord& e = ledger->EntryTable[m][s];
            const EntryText& t = ledger->EntryTextTable[m][s];
            for (int32_t v : {e.Year, e.Month, e.Day, e.Item1, e.SubItem1, e.Item2, e.SubItem2,
                              e.Amount, e.TaxKind}) {
                entries += std::to_string(v) + ",";
            }
            entries += EncodeCp932(t.Shop) + "," + EncodeCp932(t.Memo) + "\r\n";
        }
    }
    std::string budget;
    for (const auto& row : ledger->BudgetTable) {
        for (int32_t v : row) budget += std::to_string(v) + "\r\n";
    }
    std::string balance;
    for (const auto& row : ledger->BalanceTable) {
        for (const auto& item : row) {
            for (int64_t v : item) balance += std::to_string(v) + "\r\n";
        }
    }
    std::ofstream(dir + EntriesFileName(name), std::ios::binary) << entries;
    std::ofstream(dir + BudgetFileName(name), std::ios::binary) << budget;
    std::ofstream(dir + BalanceFileName(name), std::ios::binary) << balance;
    return dir;
}

void BM_MonthLoadFullYear(benchmark::State& state) {
    const std::string dir = WriteFullYear(MakeTempDir(), "year");
    auto ledger = std::make_unique<Ledger>();
    for (auto _ : state) {
        const LoadResult result = MonthLoad(*ledger, dir, "year");
        benchmark::DoNotOptimize(result.Loaded);
    }
    if (ledger->GetIndex(12) != kSlotCount) state.SkipWithError("the year did not load whole");
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_MonthLoadFullYear)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kakeibo::bench
