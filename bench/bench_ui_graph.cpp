// The graph sheet over a full year: a refill of each graph, and a write on the entry form with
// the graph sheet shown against one with it hidden.
#include <benchmark/benchmark.h>

#include <QComboBox>
#include <QCoreApplication>
#include <memory>

#include "bench_support.h"
#include "ui/controls/nval_edit.h"
#include "ui/entry/entry_form.h"
#include "ui/graph/graph_sheet.h"
#include "ui/main/main_window.h"
#include "ui_bench_support.h"

namespace kakeibo::bench {
namespace {

// A full year edited in July, with budgets; the graph sheet shown on `kind`, or hidden when
// `kind` is negative.
struct GraphBench {
    explicit GraphBench(int kind) {
        previous = SetPlatform(&platform);
        for (int i = 2; i < 6; ++i) ledger->BudgetTable[7][i] = 400000 + 50000 * i;
        main.SetEntryForm(&form);
        main.SetGraphSheet(&graph);
        form.show();
        if (kind >= 0) {
            graph.ComboBox1->setCurrentIndex(kind);
            graph.show();
        }
        QCoreApplication::processEvents();
    }
    ~GraphBench() { SetPlatform(previous); }

    QuietPlatform platform;
    Platform* previous = nullptr;
    std::unique_ptr<Ledger> ledger = MakeFullYearLedger(2026);
    TForm1 main{*ledger};
    TForm3 form{*ledger, main};
    TForm4 graph{*ledger, main};
};

// What AllUpdate does after a write: July's last slot alternates between two amounts, so
// every refill has figures to change.
void BM_GraphRefill(benchmark::State& state) {
    GraphBench bench(static_cast<int>(state.range(0)));
    EntryRecord& slot = bench.ledger->EntryTable[6][kSlotCount - 1];
    int32_t amount = slot.Amount;
    for (auto _ : state) {
        amount = amount == 1280 ? 2560 : 1280;
        slot.Amount = amount;
        bench.graph.DrawChart();
        QCoreApplication::processEvents();  // the chart's layout and repaint
    }
    state.SetLabel(bench.graph.ComboBox1->currentText().toStdString());
}
BENCHMARK(BM_GraphRefill)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// Picking a graph: the chart is built from nothing.
void BM_GraphBuild(benchmark::State& state) {
    GraphBench bench(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        bench.graph.ComboBox1Change();
        QCoreApplication::processEvents();
    }
    state.SetLabel(bench.graph.ComboBox1->currentText().toStdString());
}
BENCHMARK(BM_GraphBuild)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// Argument -1: the graph sheet hidden; 0..2: shown on that graph.
void BM_WriteEntryWithGraphSheet(benchmark::State& state) {
    GraphBench bench(static_cast<int>(state.range(0)));
    Ledger& ledger = *bench.ledger;
    const int m = ledger.EditMonth - 1;
    const int last = kSlotCount - 1;
    bench.form.ComboBox1->setEditText(QStringLiteral("スーパーいなげや"));
    int64_t amount = 1280;
    for (auto _ : state) {
        state.PauseTiming();
        ledger.EntryTable[m][last] = EntryRecord{};
        ledger.EntryTextTable[m][last] = EntryText{};
        ledger.NextSlot = last;
        // Two amounts in turn, so that every write changes what the graph shows.
        amount = amount == 1280 ? 2560 : 1280;
        bench.form.NValEdit5->SetValue(amount);
        state.ResumeTiming();
        bench.form.KinyuClick();
        QCoreApplication::processEvents();  // the list's and the chart's repaint
    }
    if (bench.platform.Boxes != 0 || ledger.EntryTable[m][last].Amount != amount) {
        state.SkipWithError("the write was refused");
    }
}
BENCHMARK(BM_WriteEntryWithGraphSheet)
    ->Arg(-1)
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kakeibo::bench

int main(int argc, char* argv[]) {
    return kakeibo::bench::RunUiBenchmarks(argc, argv);
}
