#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/calendar.h"

namespace kakeibo {

// A moment in local time, to the second: names a generation.
struct Moment {
    Date Day;
    int Hour = 0;
    int Minute = 0;
    int Second = 0;
};

// One kept state of a ledger's files: DIR/backup/NAME/YYYYMMDD-HHMMSS[-n]/.
struct BackupGeneration {
    std::string Path;  // the generation's folder, ending with "/"
    Moment Taken;
    int Sequence = 1;  // 2, 3, ... for later generations of the same second
    int Entries = 0;   // lines of its entries file
};

inline constexpr int kBackupGenerations = 20;

// The folder that holds the generations of ledger `name` saved in `dir` (ending with "/").
std::string BackupFolder(const std::string& dir, const std::string& name);

// Keeps the ledger files of `name` now in `dir` (NAME.nbd, NAMEy.dat, NAMEr.dat, those that
// exist) as a new generation taken at `now`, then removes all but the newest `keep`. Does
// nothing and returns nothing when none of the files exists. The generation appears whole or
// not at all; when it cannot be made, throws LedgerError saying why, before anything of the
// ledger is replaced.
std::optional<BackupGeneration> KeepGeneration(const std::string& dir, const std::string& name,
                                               const Moment& now, int keep = kBackupGenerations);

// The generations of ledger `name` in `dir`, newest first.
std::vector<BackupGeneration> ListGenerations(const std::string& dir, const std::string& name);

// "2026/12/07 11:04:48" (and " (2)" for a later generation of the same second).
std::string GenerationLabel(const BackupGeneration& generation);

}  // namespace kakeibo
