// The data sheet over a full year: a write's full refresh, and the grid's refill per sheet.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QEvent>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTableWidget>
#include <cstdio>
#include <memory>

#include "bench_support.h"
#include "ui/entry/entry_form.h"
#include "ui/main/main_window.h"
#include "ui/print/printout.h"
#include "ui/sheet/data_sheet.h"
#include "ui_bench_support.h"

namespace kakeibo::bench {
namespace {

// Main window, entry form and data sheet over a full year, both tool windows shown.
struct SheetBench : WindowsBench {
    SheetBench() : WindowsBench(MakeFullYearLedger(2026)) {}
};

// What follows every write: totals, the entry list and the shown sheet ("今月の支出").
void BM_AllUpdate(benchmark::State& state) {
    SheetBench bench;
    for (auto _ : state) {
        bench.main.AllUpdate();
        QCoreApplication::processEvents();  // the repaints
    }
    if (bench.sheet.Grid().RowCount() != 31) state.SkipWithError("not the expense sheet");
}
BENCHMARK(BM_AllUpdate)->Unit(benchmark::kMillisecond);

// The window's refill of each sheet: the fill and the copy into the grid, with the repaint.
// The passbook shows the cancelled choice's empty sheet, as no dialog can be answered here.
void BM_SheetRefill(benchmark::State& state) {
    SheetBench bench;
    const int kind = static_cast<int>(state.range(0));
    bench.sheet.DrawCell(kind);
    for (auto _ : state) {
        bench.sheet.DrawCell(kind);
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_SheetRefill)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);

// A full repaint of the grid's rows, every visible cell drawn from its text: the sheet's own
// drawing (second argument 0) against the toolkit's plain item drawing (1) for scale.
void BM_SheetPaint(benchmark::State& state) {
    SheetBench bench;
    const int kind = static_cast<int>(state.range(0));
    if (state.range(1) == 1) {
        bench.sheet.StringGrid1->setItemDelegate(new QStyledItemDelegate(bench.sheet.StringGrid1));
    }
    bench.sheet.DrawCell(kind);
    QCoreApplication::processEvents();
    QWidget* rows = bench.sheet.StringGrid1->viewport();
    for (auto _ : state) rows->repaint();
}
BENCHMARK(BM_SheetPaint)
    ->ArgsProduct({{ExpenseSheet, DailySheet, DetailSheet}, {0, 1}})
    ->Unit(benchmark::kMicrosecond);

// The PDF of the detail sheet of a month of 1,000 entries, as 「PDFに出力…」 writes it: the
// table taken from the grid, laid out on pages, drawn and written to the file.
void BM_DetailSheetPdf(benchmark::State& state) {
    SheetBench bench;
    bench.sheet.DrawCell(DetailSheet);
    const std::string path = "/tmp/kakeibo_bench_detail.pdf";
    for (auto _ : state) WritePdf(*bench.sheet.Printed(), path);
    std::remove(path.c_str());
    if (bench.sheet.Grid().RowCount() < 1001) state.SkipWithError("not 1,000 rows");
}
BENCHMARK(BM_DetailSheetPdf)->Unit(benchmark::kMillisecond);

// Counts the paints of the widget it watches.
class PaintCounter final : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        Paints += event->type() == QEvent::Paint;
        return false;
    }
    int Paints = 0;
};

// The timed part on its own, so that a profile can collect it alone
// (valgrind --tool=callgrind --toggle-collect='*ShowAndPaint*').
[[gnu::noinline]] void ShowAndPaint(QWidget& window) {
    window.show();
    QCoreApplication::processEvents();
}

// The first paint of a window over a new ledger (the masters, no entries): the data sheet
// (0) against the entry form with its list (1). Made untimed; timed are the show and the
// paint it brings, as at every start.
void BM_FirstPaintEmptyLedger(benchmark::State& state) {
    QuietPlatform platform;
    Platform* previous = SetPlatform(&platform);
    auto ledger = MakeFullYearLedger(2026);
    for (int m = 0; m < kMonthCount; ++m) {
        for (int s = 0; s < kSlotCount; ++s) {
            ledger->EntryTable[m][s] = EntryRecord{};
            ledger->EntryTextTable[m][s] = EntryText{};
        }
    }
    ledger->NextSlot = 0;
    ledger->WindowLayout[kLayoutEntryForm] = LayoutSlot{0, 427, 81, 483, 583};
    ledger->WindowLayout[kLayoutDataSheet] = LayoutSlot{0, 0, 81, 618, 425};
    TForm1 main(*ledger);
    // The main window is up before the tool windows, with its fonts, as at a start.
    main.show();
    QCoreApplication::processEvents();
    const bool sheet = state.range(0) == 0;
    PaintCounter grid;
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<TToolWindow> window;
        QWidget* rows = nullptr;
        if (sheet) {
            auto* form = new TForm5(*ledger, main);
            form->FormCreate();
            rows = form->StringGrid1->viewport();
            window.reset(form);
        } else {
            auto* form = new TForm3(*ledger, main);
            form->FormCreate();
            rows = form->SG31->viewport();
            window.reset(form);
        }
        rows->installEventFilter(&grid);
        state.ResumeTiming();
        ShowAndPaint(*window);
        state.PauseTiming();
        window.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    SetPlatform(previous);
    if (grid.Paints < state.iterations()) state.SkipWithError("the grid was not painted");
}
BENCHMARK(BM_FirstPaintEmptyLedger)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kakeibo::bench

int main(int argc, char* argv[]) {
    return kakeibo::bench::RunUiBenchmarks(argc, argv);
}
