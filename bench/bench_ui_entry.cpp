// The entry form over a full month: one write with the redraw it triggers, and a refill of
// the month's list.
#include <benchmark/benchmark.h>

#include <QComboBox>
#include <QCoreApplication>
#include <filesystem>
#include <memory>
#include <string>

#include "bench_support.h"
#include "ui/controls/nval_edit.h"
#include "ui/entry/entry_form.h"
#include "ui/main/main_window.h"
#include "ui_bench_support.h"

namespace kakeibo::bench {
namespace {

// A full year, the form shown over July; `used` slots of July hold entries. `journaled`:
// started as the program starts, so that every change goes to a journal file on the disk.
struct EntryFormBench {
    explicit EntryFormBench(int used, bool journaled = false) {
        previous = SetPlatform(&platform);
        if (journaled) {
            main.FormCreate();
            platform.Boxes = 0;  // no masters in the folder: not what is measured
        }
        const int m = ledger->EditMonth - 1;
        for (int s = used; s < kSlotCount; ++s) {
            ledger->EntryTable[m][s] = EntryRecord{};
            ledger->EntryTextTable[m][s] = EntryText{};
        }
        ledger->NextSlot = used;
        main.SetEntryForm(&form);
        form.show();
        QCoreApplication::processEvents();
    }
    ~EntryFormBench() {
        SetPlatform(previous);
        std::filesystem::remove_all(dir);
    }

    std::string dir = MakeTempDir();
    QuietPlatform platform{QString::fromStdString(dir)};
    Platform* previous = nullptr;
    std::unique_ptr<Ledger> ledger = MakeFullYearLedger(2026);
    TForm1 main{*ledger};
    TForm3 form{*ledger, main};
};

void WriteEntries(benchmark::State& state, bool journaled) {
    EntryFormBench bench(kSlotCount - 1, journaled);
    Ledger& ledger = *bench.ledger;
    const int m = ledger.EditMonth - 1;
    bench.form.ComboBox1->setEditText(QStringLiteral("スーパーいなげや"));
    for (auto _ : state) {
        state.PauseTiming();
        ledger.EntryTable[m][kSlotCount - 1] = EntryRecord{};
        ledger.EntryTextTable[m][kSlotCount - 1] = EntryText{};
        ledger.NextSlot = kSlotCount - 1;
        bench.form.NValEdit5->SetValue(1280);
        state.ResumeTiming();
        bench.form.KinyuClick();
        QCoreApplication::processEvents();  // the list's repaint
    }
    if (bench.platform.Boxes != 0 || ledger.EntryTable[m][kSlotCount - 1].Amount != 1280) {
        state.SkipWithError("the write was refused");
    }
}

void BM_WriteEntry(benchmark::State& state) {
    WriteEntries(state, false);
}
BENCHMARK(BM_WriteEntry)->Unit(benchmark::kMillisecond);

// The same write with the journal on a real file, synced before the redraw.
void BM_WriteEntryJournaled(benchmark::State& state) {
    WriteEntries(state, true);
}
BENCHMARK(BM_WriteEntryJournaled)->Unit(benchmark::kMillisecond);

void BM_EntryListRefill(benchmark::State& state) {
    EntryFormBench bench(kSlotCount);
    for (auto _ : state) {
        bench.form.DrawCell();
        QCoreApplication::processEvents();  // the list's repaint
    }
    if (bench.form.EntryListRowCount() != kSlotCount + 2) state.SkipWithError("rows missing");
}
BENCHMARK(BM_EntryListRefill)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kakeibo::bench

int main(int argc, char* argv[]) {
    return kakeibo::bench::RunUiBenchmarks(argc, argv);
}
