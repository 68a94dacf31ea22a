// Saving the ledger and the program's files as two groups.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/files/backup.h"
#include "core/files/file_stamp.h"
#include "core/ledger/ledger.h"
#include "core/notice.h"

namespace kakeibo {

// What a save takes from the windows.
struct SaveInputs {
    LayoutSlot EntryForm;  // Visible, Left, Top, Height, Width as the window is now
    LayoutSlot DataSheet;
    std::optional<LayoutSlot> GraphSheet;  // none: slot 1 repeats the entry form's
    std::vector<std::string> ShopHistory;
    std::vector<std::string> MemoHistory;
    bool Sync = true;  // fsync every file before the renames, and each folder after them
    // When set, the ledger files on disk are first kept as a generation taken at this time.
    std::optional<Moment> Backup;
    // Told, before the first file is written, what each file this save writes (both groups)
    // will hold: the journal notes it.
    std::function<void(const std::vector<FileStamp>&)> BeforeWrite;
};

// What a save that wrote the ledger has to tell: the warning about the program folder's
// files (settings, item names) that could not be written, if any.
struct SaveResult {
    std::optional<Notice> Warning;
    // With a backup: what is left of it, for FinishBackup once the save is reported.
    std::optional<PendingBackup> Backup;
};

inline constexpr const char* kSaveFinishedMessage = "保存が終了しました";
inline constexpr const char* kPartlySavedMessage = "一部だけ保存されました";

// Writes the ledger `name` into `dir` (ending with "/") as two groups (see WriteFileGroup).
// The data folder's group: with LedgerChanged the balance, budget and entries files, and
// always the two histories. The program folder's group: with LedgerChanged the settings,
// with MastersChanged the masters. Every text is encoded before anything is written, so a
// text that cannot be stored throws LedgerError with no file touched. A failure of the data
// folder's group throws LedgerError; every old file stays and no flag changes. A failure
// of the program folder's group does not stop the ledger: its files stay as they were and
// the result's warning says what could not be saved and why. LedgerChanged is cleared
// once the ledger's files are written, MastersChanged only once the masters are. With a
// backup, the files about to be replaced are kept first (LinkGeneration): without that
// generation nothing is written; tidying the generations is left to the caller
// (FinishBackup with the result's Backup), so that it never delays the save. A data folder
// group that could neither be finished nor undone throws LedgerError saying
// kPartlySavedMessage and which files are new and which are not.
SaveResult MonthSave(Ledger& ledger, const std::string& dir, const std::string& name,
                     const SaveInputs& inputs);

}  // namespace kakeibo
