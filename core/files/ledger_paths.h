// The names of the program's files and the path of a ledger split into folder and name.
#pragma once

#include <string>
#include <vector>

namespace kakeibo {

// The names of the ledger's and the program's files, spelled here and nowhere else. Only the
// scratch files of a save (core/files/save_intent.h) and the backup generations
// (core/files/backup.h) name their own, which no user reads. A ledger named N is three files in its
// data folder: N.nbd, Nr.dat and Ny.dat.
inline constexpr const char* kEntriesExtension = ".nbd";
inline constexpr const char* kBalanceSuffix = "r.dat";
inline constexpr const char* kBudgetSuffix = "y.dat";
// Beside the ledgers, shared by every ledger of the folder.
inline constexpr const char* kShopHistoryFile = "mise.dat";
inline constexpr const char* kMemoHistoryFile = "memo.dat";
// The household's statement-import rules and remembered column choices.
inline constexpr const char* kImportSettingsFile = "torikomi.dat";
// The household's recurring entries (core/money_in/recurring.h).
inline constexpr const char* kRecurringFile = "teiki.dat";
// In the program's folder.
inline constexpr const char* kItemMasterFile = "kamoku.dat";
inline constexpr const char* kSubItemMasterFile = "hojyo.dat";
inline constexpr const char* kSettingsFile = "rozed.ini";
// Beside an open ledger N: N.journal, its changes not yet saved (N.journal.old, one kept
// aside), and the hidden .N.lock, the program that has it open.
inline constexpr const char* kJournalSuffix = ".journal";
inline constexpr const char* kAsideSuffix = ".old";
inline constexpr const char* kLockSuffix = ".lock";
// In the program's folder: the journals of ledgers whose folder cannot hold one.
inline constexpr const char* kFallbackJournalFolder = "journal/";
// What the file dialogs offer for a ledger: its entries file.
inline constexpr const char* kLedgerFilter = "家計簿データ(*.nbd)|*.nbd";

inline std::string EntriesFileName(const std::string& name) {
    return name + kEntriesExtension;
}
inline std::string BalanceFileName(const std::string& name) {
    return name + kBalanceSuffix;
}
inline std::string BudgetFileName(const std::string& name) {
    return name + kBudgetSuffix;
}

inline std::string JournalFileName(const std::string& name) {
    return name + kJournalSuffix;
}
inline std::string LockFileName(const std::string& name) {
    return "." + name + kLockSuffix;
}

// The ledger's three files in the order a backup copies them: entries, budget, balance.
std::vector<std::string> LedgerFileNames(const std::string& name);

// Splits a chosen ledger path into the directory (with its trailing "/") and the name without
// the extension at its end. Every command that takes a ledger path from a file dialog splits
// it here.
void SplitLedgerPath(const std::string& path, std::string& dir, std::string& name);

}  // namespace kakeibo
