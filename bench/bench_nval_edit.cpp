#include <benchmark/benchmark.h>

#include "ui/controls/nval_edit_logic.h"

namespace kakeibo {
namespace {

// Typing must stay instant: 1,000 key presses per round, digits up to the full nine and
// Backspace back to empty, half of them with decimals.
void BM_NValEditKeystroke(benchmark::State& state) {
    int beeps = 0;
    NValEditLogic logic([&beeps] { ++beeps; });
    constexpr int kKeys = 1000;
    for (auto _ : state) {
        logic.Clear();
        int pressed = 0;
        int round = 0;
        while (pressed < kKeys) {
            const bool decimals = round++ % 2 == 1;
            int typed = 0;
            for (int digit = 1; digit <= 9 && pressed < kKeys; ++digit, ++pressed) {
                if (decimals && digit == 4) {
                    logic.TypePoint(false);
                } else {
                    logic.TypeDigit(digit, false);
                }
                ++typed;
            }
            for (; typed > 0 && pressed < kKeys; --typed, ++pressed) {
                logic.DeleteLastDigit(false);
            }
        }
        benchmark::DoNotOptimize(logic.Text().data());
    }
    state.counters["per_key"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kKeys,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["beeps"] = beeps;
}
BENCHMARK(BM_NValEditKeystroke)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kakeibo
