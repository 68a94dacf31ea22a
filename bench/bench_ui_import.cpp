// A statement of 1,000 checked lines imported into a full year: the write through the change
// door and the one refresh of the entry list and the data sheet that follows it.
#include <benchmark/benchmark.h>

#include <QComboBox>
#include <QCoreApplication>
#include <memory>
#include <string>

#include "bench_support.h"
#include "core/files/file_io.h"
#include "core/files/group_write.h"
#include "core/sjis.h"
#include "ui/entry/entry_form.h"
#include "ui/import/statement_window.h"
#include "ui/main/main_window.h"
#include "ui/sheet/data_sheet.h"
#include "ui_bench_support.h"

namespace kakeibo::bench {
namespace {

constexpr int kLines = 1000;
constexpr int kUsedPerMonth = 900;

// Lines over the whole year, every one taken by a rule; the amounts are above any the
// ledger holds, so none is a possible duplicate.
std::string Statement() {
    const char* shops[] = {"ｽｰﾊﾟｰ ｲﾅｹﾞﾔ", "ﾄｳｷﾖｳﾃﾞﾝﾘﾖｸ", "ｷﾕｳﾖ ﾆﾝﾌﾞﾙ"};
    std::string text = "日付,摘要,お支払金額,お預り金額,残高\r\n";
    for (int k = 0; k < kLines; ++k) {
        const int month = 1 + k * 12 / kLines;
        const std::string amount = std::to_string(60000 + k);
        text += "2026/" + std::to_string(month) + "/" + std::to_string(1 + k % 28) + "," +
                shops[k % 3] + "," + (k % 3 == 2 ? "," + amount : amount + ",") + ",0\r\n";
    }
    return EncodeCp932(text);
}

// A year of 900 entries a month, with the statement and the rules in its data folder.
std::unique_ptr<Ledger> ImportLedger() {
    auto ledger = MakeFullYearLedger(2026);
    for (auto& month : ledger->EntryTable) {
        for (int s = kUsedPerMonth; s < kSlotCount; ++s) month[s] = EntryRecord{};
    }
    for (auto& month : ledger->EntryTextTable) {
        for (int s = kUsedPerMonth; s < kSlotCount; ++s) month[s] = EntryText{};
    }
    ledger->NextSlot = kUsedPerMonth;
    ledger->DataDir = MakeTempDir();
    WriteFileAtomic(ledger->DataDir + "meisai.csv", Statement(), false);
    WriteFileAtomic(ledger->DataDir + "torikomi.dat",
                    EncodeCp932("R,2,0,スーパー\r\nR,4,1,デンリヨク\r\nR,6,0,キユウヨ\r\n"), false);
    return ledger;
}

// Main window, entry form and data sheet over that year; `pristine` is the year each import
// starts from.
struct ImportBench : WindowsBench {
    ImportBench() : WindowsBench(ImportLedger()) {
        platform.OpenFileAnswer = QString::fromStdString(ledger->DataDir + "meisai.csv");
    }

    std::unique_ptr<Ledger> pristine = std::make_unique<Ledger>(*ledger);
};

void BM_ImportStatement(benchmark::State& state) {
    ImportBench bench;
    int checked = 0;
    for (auto _ : state) {
        state.PauseTiming();
        *bench.ledger = *bench.pristine;
        auto window = std::make_unique<TFormMeisai>(*bench.ledger, bench.main, nullptr);
        window->Button1Click();
        window->ComboBox8->setCurrentIndex(window->ComboBox8->findText(QString::fromStdString(
            bench.ledger->ItemTable[1].Name + "・" + bench.ledger->SubItemTable[1][1])));
        checked = 0;
        for (const ImportLine& line : window->Lines()) checked += line.Checked;
        state.ResumeTiming();
        window->Button7Click();
        QCoreApplication::processEvents();  // the repaints
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
    int used = 0;
    for (int m = 1; m <= kMonthCount; ++m) used += bench.ledger->GetIndex(m);
    if (checked != kLines || bench.platform.Boxes != 0 ||
        used != kMonthCount * kUsedPerMonth + kLines) {
        state.SkipWithError("the lines were not all imported");
    }
}
BENCHMARK(BM_ImportStatement)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kakeibo::bench

int main(int argc, char* argv[]) {
    return kakeibo::bench::RunUiBenchmarks(argc, argv);
}
