// The undo history's memory: what 1,000 entry writes leave in it, measured as the heap it
// takes (glibc's count of bytes in use, chunk overhead included); and one step's own time.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <memory>
#include <vector>

#include "bench_support.h"
#include "core/ledger/entries.h"
#include "core/ledger/history.h"

namespace kakeibo::bench {
namespace {

size_t HeapInUse() {
    return mallinfo2().uordblks;
}

// 1,000 writes spread over the year, each with a shop and a memo as long as a user's.
void BM_HistoryMemory(benchmark::State& state) {
    auto ledger = MakeFullYearLedger(2026);
    for (int m = 0; m < kMonthCount; ++m) {
        ledger->EntryTable[m].fill(EntryRecord{});
        ledger->EntryTextTable[m].fill(EntryText{});
    }
    ledger->NextSlot = 0;
    std::vector<Change> changes;
    for (int i = 0; i < 1000; ++i) {
        const int month = 1 + i % kMonthCount;
        changes.push_back(*AddEntry(*ledger, month,
                                    EntryRecord{2026, month, 1 + i % 28, 2, 0, 0, 0, 1000 + i, 0},
                                    EntryText{"セブンイレブン表参道店", "夕食の材料、牛乳,卵"}));
    }
    size_t bytes = 0;
    for (auto _ : state) {
        History history;
        const size_t before = HeapInUse();
        for (const Change& change : changes) history.Push(change, DescribeChange(*ledger, change));
        bytes = HeapInUse() - before;
        benchmark::DoNotOptimize(history.UndoCount());
    }
    state.counters["history_bytes"] = static_cast<double>(bytes);
    state.counters["bytes_per_step"] = static_cast<double>(bytes) / 1000.0;
}
BENCHMARK(BM_HistoryMemory)->Unit(benchmark::kMillisecond);

// The history's own share of BM_UndoRedo: one step back or forth, in turn, of a delete of
// July's first entry, which moves the 999 after it.
void BM_HistoryStep(benchmark::State& state) {
    auto ledger = MakeFullYearLedger(2026);
    History history;
    const Change change = *DeleteEntry(*ledger, 7, 0);
    history.Push(change, DescribeChange(*ledger, change));
    bool back = true;
    for (auto _ : state) {
        benchmark::DoNotOptimize(back ? history.Undo(*ledger) : history.Redo(*ledger));
        back = !back;
    }
}
BENCHMARK(BM_HistoryStep)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kakeibo::bench
