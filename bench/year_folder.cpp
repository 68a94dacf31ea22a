// Writes a program folder as a user's looks after saving a full year (rozed.ini naming the
// ledger, the masters, the ledger's files and the histories), for measuring a real start.
#include <cstdio>
#include <string>

#include "bench_support.h"
#include "core/files/save.h"

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: year_folder FOLDER/\n");
        return 2;
    }
    std::string dir = argv[1];
    if (dir.back() != '/') dir += '/';
    auto ledger = kakeibo::bench::MakeFullYearLedger(2026);
    ledger->ExeDir = dir;
    ledger->DataDir = dir;
    ledger->LedgerName = "家計簿2026";
    ledger->LedgerChanged = true;
    ledger->MastersChanged = true;
    kakeibo::SaveInputs inputs;
    inputs.EntryForm = kakeibo::LayoutSlot{1, 427, 81, 483, 583};
    inputs.DataSheet = kakeibo::LayoutSlot{1, 0, 81, 618, 425};
    inputs.ShopHistory = {"スーパーいなげや", "セブンイレブン表参道店", "八百屋"};
    inputs.MemoHistory = {"夕食の材料", "週末の買い出し"};
    inputs.Sync = false;
    kakeibo::MonthSave(*ledger, dir, ledger->LedgerName, inputs);
    return 0;
}
