// Save records: a group write's renames made whole after a crash.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/files/process_info.h"
#include "core/notice.h"

namespace kakeibo {

// Renaming several files is not atomic as a set. Before its first rename the group writer
// leaves a small record in the folder saying which temporary file replaces which; the record
// goes once the renames are synced. A save cut short between its renames is completed (or,
// when a temporary file is missing, undone) by the next program that opens the ledger.

struct IntentFile {
    std::string Temp;  // names inside the folder
    std::string Target;
    int64_t Size = 0;  // of the temporary file, written and synced
    uint64_t Hash = 0;
};

struct SaveIntent {
    ProcessIdentity Writer;
    std::string LockPath;  // the lock of the ledger the save was for; empty when none
    std::vector<IntentFile> Files;
};

std::string IntentBytes(const SaveIntent& intent);
// Nothing when the record is incomplete or damaged: it was never synced, so no rename ran.
std::optional<SaveIntent> ParseIntent(const std::string& bytes);

// A new name for a scratch file beside `fileName`, unique to this process and this call:
// ".<fileName>.<pid>-<8 hex>.tmp". Created exclusively, two writers never share one.
std::string UniqueTempName(const std::string& fileName);
// The name of a new save record: ".kakeibo.<pid>-<8 hex>.save".
std::string UniqueIntentName();

// Completes or undoes the interrupted saves whose records lie in `folder` (ending with "/"):
// those of a process that is gone from this computer, and those of another computer made
// under the lock `heldLock` (which this program holds; empty: none). A record of a program
// still running is left alone. Returns what the user is told, one notice per save.
std::vector<Notice> RecoverInterruptedSaves(const std::string& folder, const std::string& heldLock);

// Removes the scratch files of kills from `folder`: temporary files and the hidden scratch
// folders of backups (under `backupFolder`, when given) last changed before `before` (seconds
// since the epoch) whose process is not running here, except those a pending save record
// still names. Temporary files of older versions ("rozed1.nbd.tmp") count too.
void RemoveLeftovers(const std::string& folder, const std::string& backupFolder, int64_t before);

}  // namespace kakeibo
