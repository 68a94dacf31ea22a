#include "bench_support.h"

#include <cstdlib>
#include <stdexcept>

namespace kakeibo::bench {

std::unique_ptr<Ledger> MakeFullYearLedger(int year) {
    auto ledger = std::make_unique<Ledger>();
    const char* items[][2] = {{"口座", "0"},    {"銀行", "0"},    {"食費", "-1"}, {"日用品", "-1"},
                              {"住居費", "-1"}, {"交通費", "-1"}, {"給与", "1"},  {"賞与", "1"}};
    for (int i = 0; i < 8; ++i) {
        ledger->ItemTable[i] = {items[i][0], items[i][1]};
        for (int s = 0; s < kSubItemCount; ++s) {
            ledger->SubItemTable[i][s] = std::string(items[i][0]) + "細目" + std::to_string(s);
        }
    }
    ledger->SubItemTable[0][0] = "お財布";
    const char* shops[] = {"スーパーいなげや", "セブンイレブン表参道店",
                           "ドラッグストア①",  "東京電力",
                           "ソフトバンク",     "",
                           "八百屋",           "本屋さん"};
    const char* memos[] = {"夕食の材料、牛乳,卵", "",     "日用品まとめ買い", "電気代 ７月分",
                           "立替分 ソ連表",       "メモ", "クリーニング",     "週末の買い出し"};
    for (int m = 0; m < kMonthCount; ++m) {
        for (int s = 0; s < kSlotCount; ++s) {
            EntryRecord& e = ledger->EntryTable[m][s];
            e.Year = year;
            e.Month = m + 1;
            e.Day = 1 + s % DaysInMonth(year, m + 1);
            const int kind = s % 3;
            if (kind == 0) {  // expense from the wallet or the bank
                e.Item1 = 2 + s % 4;
                e.SubItem1 = s % 5;
                e.Item2 = s % 2;
                e.SubItem2 = 0;
            } else if (kind == 1) {  // transfer
                e.Item1 = 0;
                e.SubItem1 = 0;
                e.Item2 = 1;
                e.SubItem2 = s % 5;
            } else {  // income
                e.Item1 = s % 2;
                e.SubItem1 = s % 5;
                e.Item2 = 6 + s % 2;
                e.SubItem2 = 0;
            }
            e.Amount = 100 + (s * 37) % 50000;
            e.TaxKind = s % 3 == 0 ? 1 : (kind == 0 ? 0 : 2);
            ledger->EntryTextTable[m][s] = {shops[s % 8], memos[(s / 3) % 8]};
        }
    }
    ledger->BalanceTable[0][0][0] = 100000;
    ledger->BalanceTable[0][0][kTotalColumn] = 100000;
    ledger->EditDate = Date{year, 7, 15};
    ledger->EditMonth = 7;
    ledger->EditMonthIndex = 6;
    ledger->NextSlot = kSlotCount;
    return ledger;
}

std::string MakeTempDir() {
    char pattern[] = "/tmp/kakeibo-bench-XXXXXX";
    if (!::mkdtemp(pattern)) throw std::runtime_error("mkdtemp failed");
    return std::string(pattern) + "/";
}

}  // namespace kakeibo::bench
