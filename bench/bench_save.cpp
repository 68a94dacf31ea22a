#include <benchmark/benchmark.h>

#include <filesystem>

#include "bench_support.h"
#include "core/ledger_paths.h"
#include "core/save.h"

namespace kakeibo {
namespace {

// Every file of a save of a full year: ledger files, settings, masters and histories.
void BM_MonthSaveFullYear(benchmark::State& state) {
    auto ledger = bench::MakeFullYearLedger();
    const std::string dir = bench::MakeTempDir();
    ledger->ExeDir = dir;
    ledger->IniPath = dir + kSettingsFile;
    ledger->DataDir = dir;
    ledger->LedgerName = "家計簿2026";
    SaveInputs inputs;
    inputs.EntryForm = {1, 427, 81, 483, 583};
    inputs.DataSheet = {1, 0, 81, 618, 425};
    for (int i = 0; i < 30; ++i) {
        inputs.ShopHistory.push_back("スーパーいなげや" + std::to_string(i));
        inputs.MemoHistory.push_back("夕食の材料、牛乳,卵" + std::to_string(i));
    }
    inputs.Sync = state.range(0) != 0;
    int second = 0;
    for (auto _ : state) {
        // A new second each time, so every save keeps a generation of its own.
        if (state.range(1) != 0)
            inputs.Backup = Moment{Date{2026, 7, 15}, 12, second / 60 % 60, second % 60};
        ++second;
        ledger->LedgerChanged = true;
        ledger->MastersChanged = true;
        MonthSave(*ledger, dir, ledger->LedgerName, inputs);
    }
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_MonthSaveFullYear)
    ->ArgNames({"sync", "backup"})
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kakeibo
