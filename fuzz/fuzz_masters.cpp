// The item and sub-item masters: any bytes read as names and kinds that a save writes and a
// second read gives back.
#include <memory>

#include "core/files/ledger_files.h"
#include "core/files/ledger_writers.h"
#include "fuzz_support.h"

using namespace kakeibo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& dir = fuzz::FreshFolder();
    fuzz::WriteFile(dir + "kamoku.dat", fuzz::AsText(data, size));
    fuzz::WriteFile(dir + "hojyo.dat", fuzz::AsText(data, size));
    auto ledger = std::make_unique<Ledger>();
    fuzz::Require(ReadItemMaster(*ledger, dir + "kamoku.dat") &&
                      ReadSubItemMaster(*ledger, dir + "hojyo.dat"),
                  "present masters are read");

    fuzz::WriteFile(dir + "kamoku.dat", fuzz::SavedBytes(ItemMasterLines(*ledger), dir));
    fuzz::WriteFile(dir + "hojyo.dat", fuzz::SavedBytes(SubItemMasterLines(*ledger), dir));
    auto again = std::make_unique<Ledger>();
    ReadItemMaster(*again, dir + "kamoku.dat");
    ReadSubItemMaster(*again, dir + "hojyo.dat");
    for (int i = 0; i < kItemCount; ++i) {
        fuzz::Require(again->ItemTable[i].Name == OneLine(ledger->ItemTable[i].Name) &&
                          again->ItemTable[i].Kind == OneLine(ledger->ItemTable[i].Kind),
                      "item read back the same");
        for (int s = 0; s < kSubItemCount; ++s) {
            fuzz::Require(again->SubItemTable[i][s] == OneLine(ledger->SubItemTable[i][s]),
                          "sub-item read back the same");
        }
    }
    return 0;
}
