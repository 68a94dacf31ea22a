// rozed.ini: a read either stops at a malformed number or gives settings that a save writes
// and a second read gives back.
#include <memory>

#include "core/errors.h"
#include "core/files/ledger_files.h"
#include "core/files/ledger_writers.h"
#include "core/files/settings_file.h"
#include "fuzz_support.h"

using namespace kakeibo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = fuzz::FreshFolder() + "rozed.ini";
    fuzz::WriteFile(path, fuzz::AsText(data, size));
    auto ledger = std::make_unique<Ledger>();
    SetStartupDefaults(*ledger, 900);
    try {
        ReadSettingsFile(*ledger, path);
    } catch (const LedgerError&) {
        return 0;
    }

    const LayoutSlot& entryForm = ledger->WindowLayout[kLayoutEntryForm];
    const LayoutSlot& dataSheet = ledger->WindowLayout[kLayoutDataSheet];
    fuzz::WriteFile(path, fuzz::SavedBytes(SettingsFileLines(*ledger, entryForm, dataSheet), path));
    auto again = std::make_unique<Ledger>();
    SetStartupDefaults(*again, 900);
    try {
        ReadSettingsFile(*again, path);
    } catch (const LedgerError&) {
        fuzz::Require(false, "saved settings read again");
    }
    // The folder and the ledger's name are paths: any text comes back unchanged.
    fuzz::Require(again->DataDir == ledger->DataDir && again->LedgerName == ledger->LedgerName &&
                      again->ShopHistoryMax == ledger->ShopHistoryMax &&
                      again->MemoHistoryMax == ledger->MemoHistoryMax &&
                      again->HideZeroItems == ledger->HideZeroItems &&
                      again->TaxRounding == ledger->TaxRounding &&
                      again->ReducedRateItems == ledger->ReducedRateItems,
                  "settings read back the same");
    for (int slot : {kLayoutEntryForm, kLayoutDataSheet}) {
        LayoutSlot saved = ledger->WindowLayout[slot];
        saved.Visible = saved.Visible != 0 ? 1 : 0;
        fuzz::Require(again->WindowLayout[slot] == saved, "window placement read back the same");
    }
    return 0;
}
