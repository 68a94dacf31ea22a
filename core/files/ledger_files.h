// Reading a ledger's files, its masters and its histories into the tables.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "core/files/file_stamp.h"
#include "core/ledger/ledger.h"
#include "core/notice.h"

namespace kakeibo {

struct LoadResult {
    bool Loaded = false;            // the entries (and the budget/balance files present) were read
    std::optional<Notice> Message;  // the warning about a missing entries file, if any
    // The entries, budget and balance files as they were read (Exists false for one that
    // was not there), taken during the reading itself.
    std::vector<FileStamp> Files;
};

// What a load does to the budgets and balances when their file is missing: keep what the
// ledger held (opening a ledger), or empty them, as a first load of those files would.
enum class MissingTables { Keep, Empty };

// Reads the ledger `name` from `dir` (ending with "/"). The entries file and, when present,
// the budget and balance files are read into fresh tables first; only when all of them read
// cleanly do they replace the ledger's tables and LedgerName. A missing entries file gives
// Loaded = false and the warning (silent for "rozed1" and the new ledger's name). A
// malformed line throws LedgerError naming the file, the line number and the line; the
// ledger is then untouched.
LoadResult MonthLoad(Ledger& ledger, const std::string& dir, const std::string& name,
                     MissingTables missing = MissingTables::Keep);

// The same reading from three files named as the caller says (a sync service's copies);
// LedgerName is left as it was, and a missing entries file gives Loaded = false and no message.
LoadResult LoadLedgerFiles(Ledger& ledger, const std::string& entriesPath,
                           const std::string& budgetPath, const std::string& balancePath,
                           MissingTables missing);

// The message for a line of a file that cannot be read, naming the file, the line number
// (from 1), the reason and the line's text. Shared by every reader of the program's files.
std::string LineErrorMessage(const std::string& path, size_t lineNumber, const std::string& reason,
                             const std::string& line);

// Item and sub-item masters: read line by line while the file lasts; missing lines leave
// the fields empty. Return false when the file does not exist.
bool ReadItemMaster(Ledger& ledger, const std::string& path);
bool ReadSubItemMaster(Ledger& ledger, const std::string& path);

// A history file (kShopHistoryFile, kMemoHistoryFile); empty when the file does not exist.
std::vector<std::string> ReadHistory(const std::string& path);

}  // namespace kakeibo
