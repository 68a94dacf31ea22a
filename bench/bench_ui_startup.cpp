// The start of the main window over a folder holding a full year: settings, masters, the
// ledger's three files, the selectors, shown offscreen.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <filesystem>
#include <memory>

#include "bench_support.h"
#include "core/files/save.h"
#include "ui/main/main_window.h"
#include "ui_bench_support.h"

namespace kakeibo::bench {
namespace {

// A program folder as a user's would look after saving a full year: masters, rozed.ini
// naming the ledger, the ledger's files and the histories.
std::string MakeProgramFolder() {
    const std::string dir = MakeTempDir();
    auto ledger = MakeFullYearLedger(2026);
    ledger->ExeDir = dir;
    ledger->DataDir = dir;
    ledger->LedgerName = "家計簿2026";
    ledger->LedgerChanged = true;
    ledger->MastersChanged = true;
    SaveInputs inputs;
    inputs.EntryForm = LayoutSlot{1, 427, 81, 483, 583};
    inputs.DataSheet = LayoutSlot{1, 0, 81, 618, 425};
    inputs.ShopHistory = {"スーパーいなげや", "セブンイレブン表参道店", "八百屋"};
    inputs.MemoHistory = {"夕食の材料", "週末の買い出し"};
    inputs.Sync = false;
    MonthSave(*ledger, dir, ledger->LedgerName, inputs);
    return dir;
}

void BM_StartUpFullYear(benchmark::State& state) {
    const std::string folder = MakeProgramFolder();
    QuietPlatform platform(QString::fromStdString(folder));
    Platform* previous = SetPlatform(&platform);
    for (auto _ : state) {
        auto ledger = std::make_unique<Ledger>();
        TForm1 window(*ledger);
        window.FormCreate();
        window.show();
        QCoreApplication::processEvents();
        if (ledger->EntryTable[11][999].Amount == 0) {
            state.SkipWithError("the full year was not loaded");
            break;
        }
    }
    SetPlatform(previous);
    std::filesystem::remove_all(folder);
    if (platform.Boxes != 0) state.SkipWithError("start-up showed a message box");
}
BENCHMARK(BM_StartUpFullYear)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kakeibo::bench

int main(int argc, char* argv[]) {
    return kakeibo::bench::RunUiBenchmarks(argc, argv);
}
