// Statement lines assigned items and written as entries; the import rules file.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "core/change.h"
#include "core/entries.h"
#include "core/ledger.h"
#include "core/statement.h"

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

// What was chosen for statements with one header row: the columns and the account.
struct ImportSource {
    std::string HeaderText;
    StatementColumns Columns;
    int AccountItem = 0;  // an account: an item of kind "0"
    int AccountSubItem = 0;

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
    bool Checked = false;
};

// The item and sub-item the ledger uses most often this year for each shop (by FoldKey):
// expense items of expense entries for money out, income items of income entries for money
// in. A tie goes to the one used last.
class LearnedAssignments final {
public:
    explicit LearnedAssignments(const Ledger& ledger);

    // Nothing (Item -1) when the shop was never booked in that direction.
    std::pair<int, int> Find(const std::string& key, bool moneyIn) const;

private:
    std::unordered_map<std::string, std::pair<int, int>> out_;
    std::unordered_map<std::string, std::pair<int, int>> in_;
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
                                      int accountSubItem);

// Assigns again after the rules or the account changed: a line the user assigned keeps its
// item. Check marks follow: a line that gains an item is checked unless it is a duplicate.
void AssignLines(const Ledger& ledger, std::vector<ImportLine>& lines,
                 const std::vector<ImportRule>& rules, const LearnedAssignments& learned,
                 int accountItem, int accountSubItem);

// Flags the lines the ledger already holds, one to one: every entry with the line's date and
// amount on the account's side (paid from it for money out, paid into it for money in)
// explains one line, in the statement's order.
void MarkDuplicates(const Ledger& ledger, std::vector<ImportLine>& lines, int accountItem,
                    int accountSubItem);

// Sets the line's shop and memo (as the user edits them) and what of them cannot be stored.
void SetLineTexts(ImportLine& line, std::string shop, std::string memo);
// The line can be checked: assigned and storable.
bool Importable(const ImportLine& line);
// The status column: 「保存できない文字「€」」, 「未割当」, 「重複の可能性」, or where the item
// came from.
std::string LineStatus(const ImportLine& line, const std::vector<ImportRule>& rules);

// The checked lines as entries of the year of the edited date, in date order (a statement
// listed newest first still fills each month in order): money out paid from the account,
// money in paid into it; an account as the item makes a transfer. TaxKind 0.
std::vector<NewEntry> ImportEntries(const Ledger& ledger, const std::vector<ImportLine>& lines,
                                    int accountItem, int accountSubItem);

}  // namespace kakeibo
