// A bank statement of 10,000 lines read and assigned against a full year: the time between
// choosing the file and seeing the preview.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench_support.h"
#include "core/money_in/statement.h"
#include "core/money_in/statement_import.h"
#include "core/numbers.h"
#include "core/sjis.h"

namespace kakeibo::bench {
namespace {

// Lines above the table, the header, 10,000 records over the year and a total: half of the
// shops are the ledger's own (learned), some half-width, some taken by rules, some new.
std::string TenThousandLines(int year) {
    const char* shops[] = {"スーパーいなげや", "ｾﾌﾞﾝｲﾚﾌﾞﾝ ｵﾓﾃｻﾝﾄﾞｳﾃﾝ",
                           "ﾄｳｷﾖｳﾃﾞﾝﾘﾖｸ",      "AMAZON.CO.JP, BOOKS",
                           "八百屋",           "ﾗｸﾃﾝｶｰﾄﾞ",
                           "ﾐﾂｲｽﾐﾄﾓｶｰﾄﾞ",      "ドラッグストア①"};
    std::string text =
        "みずほ銀行 入出金明細\r\n口座番号,普通 1234567\r\n"
        "日付,摘要,お支払金額,お預り金額,差引残高\r\n";
    for (int k = 0; k < 10000; ++k) {
        const int month = 1 + k * 12 / 10000;
        const int day = 1 + k % 28;
        const int amount = 100 + (k * 97) % 90000;
        const std::string amountText = FormatNumber(amount, 1, 0);
        text += std::to_string(year) + "/" + (month < 10 ? "0" : "") + std::to_string(month) + "/" +
                (day < 10 ? "0" : "") + std::to_string(day) + ",\"" + shops[k % 8] + "\",";
        text += k % 10 == 9 ? ",\"" + amountText + "\"," : "\"" + amountText + "\",,";
        text += "\"1,000,000\"\r\n";
    }
    text += "合計,,,,\r\n";
    return EncodeCp932(text);
}

void BM_StatementRead(benchmark::State& state) {
    const auto ledger = MakeFullYearLedger(2026);
    const std::string bytes = TenThousandLines(2026);
    const std::vector<ImportRule> rules = {
        {"ﾃﾞﾝﾘﾖｸ", 4, 0}, {"amazon", 3, 1}, {"ラクテン", 0, 1}, {"給与", 6, 0},
        {"セブン", 2, 2}, {"ガス", 4, 1},   {"水道", 4, 2},     {"JR", 5, 0},
    };
    size_t lines = 0;
    for (auto _ : state) {
        const StatementTable table = ParseStatement(bytes);
        const StatementReading reading = ReadStatement(table, table.Guessed, 2026);
        const std::vector<ImportLine> prepared = PrepareImport(*ledger, reading, rules, 1, 0);
        lines = prepared.size();
        benchmark::DoNotOptimize(prepared.data());
    }
    if (lines != 10000) state.SkipWithError("lines were lost");
}
BENCHMARK(BM_StatementRead)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kakeibo::bench
