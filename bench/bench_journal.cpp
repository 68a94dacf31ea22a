// Putting back the changes of a killed program: 1,000 entries written, read from their journal
// and replayed onto the ledger as it was loaded.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "bench_support.h"
#include "core/files/journal.h"
#include "core/ledger/entries.h"

namespace kakeibo::bench {
namespace {

void BM_JournalReplay(benchmark::State& state) {
    const std::string dir = MakeTempDir();
    auto year = MakeFullYearLedger();
    // Room for 1,000 entries: July starts empty.
    for (int s = 0; s < kSlotCount; ++s) {
        year->EntryTable[6][s] = EntryRecord{};
        year->EntryTextTable[6][s] = EntryText{};
    }
    year->DataDir = dir;
    year->EditMonth = 7;
    year->NextSlot = 0;
    const auto loaded = std::make_unique<Ledger>(*year);
    // The bytes a program writes, without its 1,000 syncs.
    std::string bytes = JournalStartBytes(JournalHeader{});
    const auto full = MakeFullYearLedger();
    for (int s = 0; s < kSlotCount; ++s) {
        const auto change = AddEntry(*year, 7, full->EntryTable[6][s], full->EntryTextTable[6][s]);
        bytes += JournalRecordBytes({Moment{Date{2026, 7, 15}, 21, 4, 0}, *change});
    }
    const std::string path = JournalPath(dir, year->LedgerName);
    std::ofstream(path, std::ios::binary) << bytes;
    auto ledger = std::make_unique<Ledger>();
    for (auto _ : state) {
        state.PauseTiming();
        *ledger = *loaded;
        state.ResumeTiming();
        const JournalContents contents = ReadJournal(path);
        ReplayJournal(*ledger, contents.Records);
        benchmark::DoNotOptimize(ledger->NextSlot);
    }
    if (ledger->EntryTable[6] != year->EntryTable[6]) state.SkipWithError("replay differs");
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_JournalReplay)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kakeibo::bench
