#include <benchmark/benchmark.h>

#include <vector>

#include "bench_support.h"
#include "core/money_in/recurring.h"

namespace kakeibo {
namespace {

// 200 templates made from June's entries, every other one with a varying amount and a day
// moved so that it is due: what the entry form's button asks on every refill.
void BM_RecurringDue(benchmark::State& state) {
    auto ledger = bench::MakeFullYearLedger();
    ledger->EditMonth = 6;
    ledger->NextSlot = ledger->GetIndex(6);
    std::vector<RecurringEntry> templates;
    for (int t = 0; t < 200; ++t) {
        const int slot = t * 5;
        RecurringEntry e =
            RecurringFromEntry(ledger->EntryTable[5][slot], ledger->EntryTextTable[5][slot]);
        e.Entry.Month = 1;
        if (t % 2 == 1) {
            e.AmountVaries = true;
            e.Entry.Day = e.Entry.Day > 15 ? e.Entry.Day - 10 : e.Entry.Day + 10;
        }
        templates.push_back(e);
    }
    size_t due = 0;
    for (auto _ : state) {
        due = DueRecurring(*ledger, templates, 2026, 6).size();
        benchmark::DoNotOptimize(due);
    }
    state.counters["due"] = static_cast<double>(due);
}
BENCHMARK(BM_RecurringDue)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kakeibo
