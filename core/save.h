#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/backup.h"
#include "core/ledger.h"

namespace kakeibo {

// What a save takes from the windows.
struct SaveInputs {
    LayoutSlot EntryForm;  // Visible, Left, Top, Height, Width as the window is now
    LayoutSlot DataSheet;
    std::optional<LayoutSlot> GraphSheet;  // none: slot 1 repeats the entry form's
    std::vector<std::string> ShopHistory;
    std::vector<std::string> MemoHistory;
    bool Sync = true;  // fsync every file before it replaces the old one
    // When set, the ledger files on disk are first kept as a generation taken at this time.
    std::optional<Moment> Backup;
};

inline constexpr const char* kSaveFinishedMessage = "保存が終了しました";

// Writes the ledger `name` into `dir` (ending with "/"): with LedgerChanged the balance,
// budget, settings and entries files; with MastersChanged the masters into ExeDir; always
// the two histories. Clears both flags only after every file was written. Throws
// LedgerError at the first file that cannot be written; files written before it stay.
void MonthSave(Ledger& ledger, const std::string& dir, const std::string& name,
               const SaveInputs& inputs);

}  // namespace kakeibo
