#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/files/backup.h"

namespace kakeibo {

// The copies a sync service leaves beside a file that two computers changed at once: the
// service keeps one version under the file's name and renames the other.

enum class SyncService { Syncthing, Nextcloud, OwnCloud, Dropbox, OneDrive };

// Which of the data folder's files a copy is of.
enum class SyncedFile {
    Entries,
    Balance,
    Budget,
    ShopHistory,
    MemoHistory,
    ImportSettings,
    Recurring
};

// One file's conflict copy, as its name tells it.
struct ConflictName {
    SyncService Service = SyncService::Syncthing;
    SyncedFile File = SyncedFile::Entries;
    std::string FileName;        // the copy's name in the data folder
    std::optional<Moment> When;  // the time the name gives (Dropbox: the day, at 00:00)
    bool HasTime = false;        // the name gives the time of day, not only the date
    std::string Who;             // the computer, device or user the name gives; may be empty

    bool operator==(const ConflictName&) const = default;
};

// What `fileName` is a conflict copy of, for the ledger `ledgerName` and the folder's shared
// files; nothing for any other name, a copy of another ledger's files among them.
std::optional<ConflictName> ParseConflictName(const std::string& fileName,
                                              const std::string& ledgerName);

// The files one save of another computer left as conflict copies: the same service, the same
// computer or user and the same time (within a few seconds, as a service renames one file
// after another).
struct SyncCopy {
    SyncService Service = SyncService::Syncthing;
    std::string Who;
    Moment When;  // from the names, or the newest file's time where they give none
    std::vector<ConflictName> Files;

    // The copy holds one of the ledger's own files (entries, budget, balance).
    bool HasLedgerFiles() const;
    const ConflictName* Find(SyncedFile file) const;
};

// The conflict copies of ledger `ledgerName` and of the folder's shared files in `dataDir`
// (ending with "/"), oldest first. The backup folder is not looked into: what lies there is
// not the ledger's. A name that only looks like a OneDrive copy but belongs to a ledger of
// its own (its budget or balance file is there) is left alone.
std::vector<SyncCopy> FindSyncCopies(const std::string& dataDir, const std::string& ledgerName);

// 「別のパソコンで保存された変更（kakei2025 の競合コピー、2025/12/08 10:10）を取り込みますか？」,
// with the computer or user after the time where the names give one.
std::string SyncCopyQuestion(const SyncCopy& copy, const std::string& ledgerName);

// The data folder's file a copy stands for: "kakei2025.nbd", "mise.dat".
std::string SyncedFileName(SyncedFile file, const std::string& ledgerName);

}  // namespace kakeibo
