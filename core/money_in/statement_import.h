// Statement lines assigned items and written as entries; the import rules file.
#pragma once

#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/ledger/change.h"
#include "core/ledger/entries.h"
#include "core/ledger/ledger.h"
#include "core/money_in/statement.h"

namespace kakeibo {

// Statement lines turned into entries of the ledger: the account the statement belongs to,
// an item for each line (the user's rules first, then what the ledger has learned), the
// lines the ledger already holds, and the household's remembered choices.

// 「摘要に Text を含む → Item・SubItem」. Compared on folded texts (FoldKey).
struct ImportRule {
    std::string Text;
    int Item = 0;
    int SubItem = 0;

    bool operator==(const ImportRule&) const = default;
};

// How many days apart a statement line and an entry of the ledger may lie and still be the
// same payment (a bank debits rent a few days before the day it was written for).
inline constexpr int kDuplicateDays = 5;
inline constexpr int kMaxDuplicateDays = 99;

// What was chosen for statements with one header row: the columns, the account and the
// duplicate window.
struct ImportSource {
    std::string HeaderText;
    StatementColumns Columns;
    int AccountItem = 0;  // an account: an item of kind "0"
    int AccountSubItem = 0;
    int DuplicateDays = kDuplicateDays;

    bool operator==(const ImportSource&) const = default;
};

// The household's import file in the data folder: the rules in order, and one source per
// header row.
struct ImportSettings {
    std::vector<ImportRule> Rules;
    std::vector<ImportSource> Sources;

    bool operator==(const ImportSettings&) const = default;

    // The choice remembered for `headerText`, or nullptr.
    const ImportSource* FindSource(const std::string& headerText) const;
    // Keeps `source` as the choice for its header row, replacing an older one.
    void RememberSource(const ImportSource& source);
};

std::string ImportSettingsPath(const std::string& dataDir);
// An absent file gives empty settings. LedgerError naming the file, the line and its text
// for a line that cannot be read, so that a damaged file is never overwritten unread.
ImportSettings ReadImportSettings(const std::string& dataDir);
// The file's lines (UTF-8), in order; written as CP932 with CR LF.
std::vector<std::string> ImportSettingsLines(const ImportSettings& settings);
void WriteImportSettings(const std::string& dataDir, const ImportSettings& settings);

// Where a line's item came from.
enum class Assignment { None, Rule, Learned, User };

struct ImportLine {
    StatementLine Source;
    std::string Shop;  // the description, blanks at both ends removed, half-width kana widened
    std::string Memo;
    // The first character of Shop or Memo that a save cannot store, or empty; kept by
    // SetLineTexts.
    std::string Unstorable;
    int Item = -1;  // -1 while unassigned
    int SubItem = 0;
    Assignment By = Assignment::None;
    int Rule = -1;  // the rule that assigned it
    bool Duplicate = false;
    Date DuplicateOf{};  // the date of the entry that explains the line, when Duplicate
    bool Checked = false;
};

// The item and sub-item the ledger uses most often this year for each shop (by FoldKey):
// expense items of expense entries for money out, income items of income entries for money
// in. A tie goes to the one used last. Each shop also counts the accounts it was paid from
// (or into).
class LearnedAssignments final {
public:
    struct Shop {
        std::pair<int, int> Item{-1, 0};
        std::map<std::pair<int, int>, int> Accounts;  // account -> uses
    };

    explicit LearnedAssignments(const Ledger& ledger);

    // The booked shop a statement's shop text stands for: the same folded name, else the
    // longest booked name (two characters or more) that it begins with or holds as a whole
    // word (セブンイレブン in 「セブンイレブン新宿店」 or 「デビット セブンイレブン」); nullptr
    // when the shop was never booked in that direction.
    const Shop* Match(const std::string& shop, bool moneyIn) const;
    // Match's item, or Item -1.
    std::pair<int, int> Find(const std::string& shop, bool moneyIn) const;

private:
    struct Known {
        std::string Key;    // FoldKey
        std::string Words;  // folded with single blanks, a blank at both ends
        Shop Booked;
    };
    std::vector<Known> out_;
    std::vector<Known> in_;
    std::unordered_map<std::string, size_t> outIndex_;
    std::unordered_map<std::string, size_t> inIndex_;
    mutable std::unordered_map<std::string, const Shop*> matched_[2];
};

// True when the line may be booked to `item`: an expense item or an account for money out,
// an income item or an account for money in, never the statement's own account.
bool FitsDirection(const Ledger& ledger, int item, int subItem, bool moneyIn, int accountItem,
                   int accountSubItem);

// Lines from a reading: shops, rules and learned items, duplicates, and the check marks
// (checked unless unassigned, a possible duplicate or holding a character that cannot be
// stored).
std::vector<ImportLine> PrepareImport(const Ledger& ledger, const StatementReading& reading,
                                      const std::vector<ImportRule>& rules, int accountItem,
                                      int accountSubItem, int duplicateDays = kDuplicateDays);

// Assigns again after the rules or the account changed: a line the user assigned keeps its
// item. Check marks follow: a line that gains an item is checked unless it is a duplicate.
void AssignLines(const Ledger& ledger, std::vector<ImportLine>& lines,
                 const std::vector<ImportRule>& rules, const LearnedAssignments& learned,
                 int accountItem, int accountSubItem);

// Flags the lines the ledger already holds, one to one: every entry of the line's amount on
// the account's side (paid from it for money out, paid into it for money in) at most `days`
// days from the line's date explains one line, whatever wrote it; lines take the nearest
// entry still free, in the statement's order.
void MarkDuplicates(const Ledger& ledger, std::vector<ImportLine>& lines, int accountItem,
                    int accountSubItem, int days = kDuplicateDays);
// MarkDuplicates again under a changed window: a line that stops or starts being a duplicate
// is checked or unchecked as a fresh reading would have it; the others keep their marks.
void RemarkDuplicates(const Ledger& ledger, std::vector<ImportLine>& lines, int accountItem,
                      int accountSubItem, int days);

// The account to propose for a statement no choice was remembered for: the one the lines'
// shops were paid from (or into) most often this year, as learned, and the one the entries of
// the items the rules give them were; the first account when nothing points anywhere. A tie
// goes to the account listed first.
std::pair<int, int> ProposeAccount(const Ledger& ledger, const StatementReading& reading,
                                   const std::vector<ImportRule>& rules);

// The columns to read a statement with: the remembered ones when the file has them all,
// else those the header and the content show.
StatementColumns ChooseColumns(const StatementTable& table, const ImportSource* remembered);

// Sets the line's shop and memo (as the user edits them) and what of them cannot be stored.
void SetLineTexts(ImportLine& line, std::string shop, std::string memo);
// The line can be checked: assigned and storable.
bool Importable(const ImportLine& line);
// The status column: 「保存できない文字「€」」, 「未割当」, 「重複の可能性」, or where the item
// came from.
std::string LineStatus(const ImportLine& line, const std::vector<ImportRule>& rules);

// The checked lines as entries of the year of the edited date, in date order (a statement
// listed newest first still fills each month in order): money out paid from the account,
// money in paid into it; an account as the item makes a transfer. The tax kind is the one
// the entry form gives: 税込 for an expense, その他 for an income or a transfer.
std::vector<NewEntry> ImportEntries(const Ledger& ledger, const std::vector<ImportLine>& lines,
                                    int accountItem, int accountSubItem);

// What an import wrote, for the user: 「12件を取り込みました（6月 10件、5月 2件）」, the months
// with the most entries first.
std::string ImportedText(const std::vector<NewEntry>& entries);

}  // namespace kakeibo
