// One step of undo or redo over a full year, with the redraw it triggers: the main window,
// the entry form and the data sheet, all shown offscreen.
#include <benchmark/benchmark.h>

#include <QAction>
#include <QCoreApplication>
#include <memory>

#include "bench_support.h"
#include "core/ledger/entries.h"
#include "ui/entry/entry_form.h"
#include "ui/main/main_window.h"
#include "ui/sheet/data_sheet.h"
#include "ui_bench_support.h"

namespace kakeibo::bench {
namespace {

// The main window too is shown: undo and redo are its menu's.
struct UndoBench : WindowsBench {
    UndoBench() : WindowsBench(MakeFullYearLedger(2026), true) {}
};

// Each iteration takes one step, back and forth in turn, of an edit of one of July's entries
// (0) or of a delete of its first, which moves the 999 after it (1); AllUpdate alone (2) for
// scale.
void BM_UndoRedo(benchmark::State& state) {
    UndoBench bench;
    Ledger& ledger = *bench.ledger;
    const int kind = static_cast<int>(state.range(0));
    if (kind == 0) {
        EntryRecord e = ledger.EntryTable[6][500];
        e.Amount += 1;
        bench.main.Apply(*ReplaceEntry(ledger, 7, 500, e, EntryText{"八百屋", "夕食"}));
    } else if (kind == 1) {
        bench.main.Apply(*DeleteEntry(ledger, 7, 0));
    }
    QAction* undo = bench.main.findChild<QAction*>(QStringLiteral("Undo1"));
    QAction* redo = bench.main.findChild<QAction*>(QStringLiteral("Redo1"));
    bool back = true;
    for (auto _ : state) {
        if (kind == 2) {
            bench.main.AllUpdate();
        } else {
            (back ? undo : redo)->trigger();
            back = !back;
        }
        QCoreApplication::processEvents();  // the repaints
    }
    if (kind != 2 && !undo->isEnabled() && !redo->isEnabled()) state.SkipWithError("no step");
    if (bench.platform.Boxes != 0) state.SkipWithError("a message box was shown");
}
BENCHMARK(BM_UndoRedo)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kakeibo::bench

int main(int argc, char* argv[]) {
    return kakeibo::bench::RunUiBenchmarks(argc, argv);
}
