// The ledger's tables turned into the lines of its files.
#pragma once

#include <string>
#include <vector>

#include "core/ledger/ledger.h"

namespace kakeibo {

// A text as one line of a file: line breaks become blanks.
std::string OneLine(const std::string& text);
// A shop name as the entries file can hold it: one line, "," as the full-width "，".
std::string StorableShop(const std::string& shop);

// The texts of the ledger's files as UTF-8 lines, in file order.
std::vector<std::string> EntriesFileLines(const Ledger& ledger);
std::vector<std::string> BalanceFileLines(const Ledger& ledger);
std::vector<std::string> BudgetFileLines(const Ledger& ledger);
std::vector<std::string> ItemMasterLines(const Ledger& ledger);
std::vector<std::string> SubItemMasterLines(const Ledger& ledger);

}  // namespace kakeibo
