// Merging another computer's save of a full year back into the open ledger.
#include <benchmark/benchmark.h>

#include <memory>

#include "bench_support.h"
#include "core/session/ledger_merge.h"

namespace kakeibo {
namespace {

// 500 of the year's entries changed on one side: every 24th slot from `offset`, three edited
// for each one deleted, so that the two sides touch different entries all through the year.
void ChangeSide(Ledger& ledger, int offset) {
    int changed = 0;
    for (int m = 0; m < kMonthCount; ++m) {
        auto& records = ledger.EntryTable[m];
        auto& texts = ledger.EntryTextTable[m];
        int kept = 0;
        for (int s = 0; s < kSlotCount && records[s].Amount > 0; ++s) {
            const bool touched = s % 24 == offset && changed < 500;
            if (touched && changed++ % 4 == 3) continue;  // deleted
            records[kept] = records[s];
            texts[kept] = texts[s];
            if (touched) {
                records[kept].Amount += 7;
                texts[kept].Memo = SharedText("直した");
            }
            ++kept;
        }
        for (int s = kept; s < kSlotCount; ++s) {
            records[s] = EntryRecord{};
            texts[s] = EntryText{};
        }
    }
}

void BM_MergeLedgers(benchmark::State& state) {
    const auto base = bench::MakeFullYearLedger();
    auto ours = std::make_unique<Ledger>(*base);
    ChangeSide(*ours, 0);
    auto theirs = std::make_unique<Ledger>(*base);
    ChangeSide(*theirs, 12);
    for (auto _ : state) {
        state.PauseTiming();
        auto open = std::make_unique<Ledger>(*ours);
        state.ResumeTiming();
        const LedgerMerge merge = MergeLedgers(base.get(), *open, *theirs);
        benchmark::DoNotOptimize(ApplyMerge(*open, merge));
    }
}
BENCHMARK(BM_MergeLedgers)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kakeibo
