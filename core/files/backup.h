// Backup generations: the files a save replaces, kept, named, pruned and restored.
#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "core/calendar.h"
#include "core/files/file_io.h"
#include "core/files/group_write.h"

namespace kakeibo {

// A moment in local time, to the second.
struct Moment {
    Date Day;
    int Hour = 0;
    int Minute = 0;
    int Second = 0;

    bool operator==(const Moment&) const = default;
};

// One kept state of a ledger's files: DIR/backup/NAME/<made>-YYYYMMDD-HHMMSS/, the time being
// when it was made. Generations made before they were numbered are named
// YYYYMMDD-HHMMSS[-n]/ and count as made before every numbered one.
struct BackupGeneration {
    std::string Path;             // the generation's folder, ending with "/"
    int64_t Made = 0;             // 1, 2, ... in the order of making; 0 when not numbered
    Moment Taken;                 // when it was made: just before a save replaced these files
    int SameSecond = 1;           // the "-n" of an unnumbered generation
    std::optional<Moment> Saved;  // when the save that wrote these files ran, if recorded
    int Repeat = 1;               // 2, 3, ... for a later generation with the same label
    int Entries = 0;              // lines of its entries file
};

inline constexpr int kBackupGenerations = 20;
inline constexpr int kKeepEveryGeneration = std::numeric_limits<int>::max();

// The folder that holds the generations of ledger `name` saved in `dir` (ending with "/").
std::string BackupFolder(const std::string& dir, const std::string& name);

// Keeps the ledger files of `name` now in `dir` (NAME.nbd, NAMEy.dat, NAMEr.dat, those that
// exist) as a new generation made at `now`, then removes all but the `keep` made last. Does
// nothing and returns nothing when none of the files exists or they are byte for byte the
// newest generation's: repeated saves of one state must not push older states out. The
// generation appears whole or not at all; when it cannot be made, throws LedgerError saying
// why, before anything of the ledger is replaced. Folders and files it makes are the user's
// alone.
std::optional<BackupGeneration> KeepGeneration(const std::string& dir, const std::string& name,
                                               const Moment& now, int keep = kBackupGenerations);

// What a save with a backup leaves for after it is reported: see LinkGeneration.
struct PendingBackup {
    std::string Dir;
    std::string Name;
    Moment SavedAt;                           // when the save ran
    std::vector<GroupFile> Written;           // the files as the save wrote them
    std::optional<BackupGeneration> Made;     // the generation of the files it replaced
    std::optional<std::string> PreviousNote;  // the save note as it was before the save
};

// For a save that replaces the ledger files of `name` in `dir` by renaming new files over
// them: keeps the files there now as a new generation made at `now`, as second names (hard
// links) of the same files, so that it costs a few calls whatever the ledger's size; the
// renames then leave the old files to the generation alone. A file that already has other
// names, or a folder that cannot link, gets a copy as in KeepGeneration. The generation
// appears whole or not at all; when it cannot be made, throws LedgerError saying why. The
// rest of KeepGeneration's work (dropping a generation equal to the one before, naming it
// by its save, pruning) and the save's note wait for FinishBackup, so that none of it
// delays the save. Made is empty when none of the files exists.
PendingBackup LinkGeneration(const std::string& dir, const std::string& name, const Moment& now);

// The save that LinkGeneration prepared failed: a generation that still shares every file
// with the ledger (nothing was replaced) is removed, being the ledger itself.
void DropUnusedGeneration(const PendingBackup& pending);

// Once the save has landed and been reported: drops the new generation when it holds the
// same bytes as the one made before it, names it by the save that wrote its files, notes
// what this save wrote (as RecordSave), and removes all but the `keep` generations made
// last. Best effort, like pruning always was: it never throws.
void FinishBackup(const PendingBackup& pending, int keep = kBackupGenerations);

// Notes that a save at `savedAt` wrote `written` (the ledger files among them count), so
// that the generation later made of those files is named by that save. Best effort: without
// the note, or when the files changed since, the generation is named by the time it was made.
void RecordSave(const std::string& dir, const std::string& name, const Moment& savedAt,
                const std::vector<GroupFile>& written);

// The generations of ledger `name` in `dir`, the last made first.
std::vector<BackupGeneration> ListGenerations(const std::string& dir, const std::string& name);

// "2026/12/07 11:04:48" when the save is known, else "2026/12/07 11:04:48 の保存の直前" (the
// time the copy was made); " (2)" follows for a later generation of the same label.
std::string GenerationLabel(const BackupGeneration& generation);

}  // namespace kakeibo
