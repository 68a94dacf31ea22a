// The work without a window: --help, --version, --export and --check.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "core/calendar.h"
#include "core/cli/command_line.h"
#include "core/files/program_folder.h"
#include "core/ledger/ledger.h"
#include "core/notice.h"
#include "core/reports/csv.h"

namespace kakeibo {

// What the work without a window needs to know of the process: where the program lies,
// whose folders it may use, and today.
struct ProcessSetup {
    std::string ExeDir;     // the program's own folder, ending with "/"
    std::string SharedDir;  // where an install keeps the shipped masters
    bool ExeDirWritable = false;
    UserEnvironment Env;
    Date Today;
    std::string Version;
};
// This process: its folders, environment, today and the version of project().
ProcessSetup CurrentProcessSetup();

struct QuietLoad {
    std::optional<std::string> Refusal;  // why the ledger could not be loaded
    std::vector<Notice> Warnings;        // what a start with this ledger would show besides
};

// Loads the ledger file at `path` with the settings and masters the windows would read
// (the shipped masters where the user has none), writing nothing at all: no settings file,
// no data folder, no copied masters. DataDir and LedgerName follow the file.
QuietLoad LoadWithoutWriting(Ledger& ledger, const ProcessSetup& setup, const std::string& path);

// The year a ledger's entries carry (the first used slot in month order); `fallback` for a
// ledger without entries.
int LedgerYear(const Ledger& ledger, int fallback);

// The table the menu's CSV export writes for the edited date: a data sheet of `sheet` with
// every item collapsed (the passbook of `account`), or the entry list (kEntryListExport).
TextTable ExportTable(Ledger& ledger, int sheet, int account);

// Where `-o` writes, decided before anything is written.
struct OutputPlace {
    std::string Path;      // a link followed to its target
    bool InPlace = false;  // a device or a pipe: opened and written, never renamed over
};
// Refuses (LedgerError, one line) a file the program keeps: one of its names (ledgers, their
// balance and budget files, the histories, the settings, the masters, journals, locks,
// records, scratch files) in one of `folders`, the same file by identity under any other name,
// or anything under `wholeFolders` (the backups, the journals of the program's folder); and
// an existing file that is neither a regular file nor a device or a pipe.
OutputPlace CheckOutputPath(const std::string& path, const std::vector<std::string>& folders,
                            const std::vector<std::string>& wholeFolders);

// Carries out Help, Version, Export, Check, Import and Error; returns the exit status.
int RunWithoutWindow(const CommandLine& command, const ProcessSetup& setup, std::ostream& out,
                     std::ostream& err);

}  // namespace kakeibo
