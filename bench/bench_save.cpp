#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "bench_support.h"
#include "core/files/backup.h"
#include "core/files/ledger_paths.h"
#include "core/files/save.h"

namespace kakeibo {
namespace {

struct SaveSetup {
    std::unique_ptr<Ledger> ledger = bench::MakeFullYearLedger();
    std::string dir = bench::MakeTempDir();
    SaveInputs inputs;
    int second = 0;

    SaveSetup(bool sync, bool backup) {
        ledger->ExeDir = dir;
        ledger->IniPath = dir + kSettingsFile;
        ledger->DataDir = dir;
        ledger->LedgerName = "家計簿2026";
        inputs.EntryForm = {1, 427, 81, 483, 583};
        inputs.DataSheet = {1, 0, 81, 618, 425};
        for (int i = 0; i < 30; ++i) {
            inputs.ShopHistory.push_back("スーパーいなげや" + std::to_string(i));
            inputs.MemoHistory.push_back("夕食の材料、牛乳,卵" + std::to_string(i));
        }
        inputs.Sync = sync;
        backup_ = backup;
    }
    ~SaveSetup() { std::filesystem::remove_all(dir); }

    // A save after one changed entry, a second after the last, as a user saves: each keeps a
    // generation of its own, and past the twentieth the oldest goes.
    SaveResult Save() {
        if (backup_) inputs.Backup = Moment{Date{2026, 7, 15}, 12, second / 60 % 60, second % 60};
        ledger->EntryTable[6][0].Amount = 1000 + second++;
        ledger->LedgerChanged = true;
        ledger->MastersChanged = true;
        return MonthSave(*ledger, dir, ledger->LedgerName, inputs);
    }

    // The seconds between a user's saves, in which the system writes back and discards what
    // the last one freed: without them each save would pay for the one before.
    void Settle() const {
        const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd >= 0) ::syncfs(fd);
        if (fd >= 0) ::close(fd);
    }

private:
    bool backup_ = false;
};

// Every file of a save of a full year (ledger files, settings, masters and histories), as
// the user waits for it: the backup's tidying after the save is reported is left out here
// and measured below.
void BM_MonthSaveFullYear(benchmark::State& state) {
    SaveSetup setup(state.range(0) != 0, state.range(1) != 0);
    for (auto _ : state) {
        const SaveResult result = setup.Save();
        state.PauseTiming();
        if (result.Backup) FinishBackup(*result.Backup);
        setup.Settle();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_MonthSaveFullYear)
    ->ArgNames({"sync", "backup"})
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

// What a save leaves for after it is reported: the generation named or dropped, the save's
// note, and the oldest generation removed.
void BM_FinishBackupFullYear(benchmark::State& state) {
    SaveSetup setup(false, true);
    for (auto _ : state) {
        state.PauseTiming();
        const SaveResult result = setup.Save();
        state.ResumeTiming();
        FinishBackup(*result.Backup);
        state.PauseTiming();
        setup.Settle();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FinishBackupFullYear)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kakeibo
