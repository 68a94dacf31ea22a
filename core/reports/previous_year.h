// Last year's ledger for 前年比較: found in the data folder and read for its monthly totals.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/ledger/ledger.h"

namespace kakeibo {

// What the comparison with last year keeps of last year's ledger: its monthly totals and no
// more, so the open ledger's tables are never touched and little memory is held.
struct PreviousYearTotals {
    std::string Path;  // the entries file read
    int Year = 0;      // the year its entries carry; 0 for a ledger without entries
    // [month index][item][column]: received less given (side 0 less side 1), tax counted as
    // the totals count it.
    std::array<std::array<std::array<int64_t, kColumnCount>, kItemCount>, kMonthCount> Net{};
};

// Last year's ledger as the comparison sees it: its totals, or nothing and the reason.
struct PreviousYear {
    std::shared_ptr<const PreviousYearTotals> Totals;
    // The sheet's first row: which ledger is compared, or why none is.
    std::string Line;
};

// Reads the ledger whose entries file is `path` aside, counts its totals under the open
// ledger's rules (item kinds, tax rounding, reduced-rate items) and keeps only them. Throws
// LedgerError when the file is missing or cannot be read; `open` is never changed.
PreviousYearTotals ReadPreviousYearTotals(const Ledger& open, const std::string& path);

// Compares with the ledger whose entries file is `path` from now on, and keeps the choice
// with the settings at the next save.
void ChoosePreviousYearLedger(Ledger& ledger, const std::string& path);

// The year the entries of a ledger's entries file carry, taken from its first line; nothing
// for a file without entries or one that cannot be read.
std::optional<int> EntriesFileYear(const std::string& path);

// Finds and reads last year's ledger: the one the user chose (Ledger::PreviousYearLedger) in
// the edited date's year, or a remembered choice while its entries carry the year before
// that, or else the ledger in the data folder whose entries carry that year (the most
// recently saved of several; never the open ledger's own file), or else the chosen one
// whatever its year. What it found is kept until the data folder, one of its entries files,
// that file or the rules of the totals change, so a refill costs a look at the files, not a
// read.
class PreviousYearCache final {
public:
    const PreviousYear& Lookup(const Ledger& ledger);

    // How a file or folder stood when it was last looked at: any save (a new file renamed
    // over the old), copy or edit changes one of these.
    struct Stamp {
        bool Exists = false;
        uint64_t Device = 0;
        uint64_t Inode = 0;
        int64_t Size = 0;
        int64_t ModifiedNs = 0;
        bool operator==(const Stamp&) const = default;
    };
    // The stamp of a file or folder as it is now; Exists false when it is not there.
    static Stamp StampOfPath(const std::string& path);

private:
    // Everything the answer depends on besides the files themselves.
    struct Question {
        std::string Chosen;
        int32_t ChosenFor = 0;
        std::string DataDir;
        std::string OpenFile;
        int Year = 0;
        int32_t TaxRounding = 0;
        ItemMarks ReducedRate{};
        SubItemMarks FullRate{};
        std::array<std::string, kItemCount> Kinds;
        bool operator==(const Question&) const = default;
    };
    struct Candidate {
        Stamp At;
        bool Read = false;
        std::optional<int> Year;
    };

    std::optional<int> YearOf(const std::string& path, const Stamp& at);
    std::string FindInDataFolder(const Question& question);
    void Answer(const Ledger& ledger, const std::string& path, const Stamp& file);

    bool valid_ = false;
    Question question_;
    bool scanned_ = false;                    // found_ answers question_
    Stamp folder_;                            // the data folder when it was last scanned
    std::string found_;                       // the file that scan found ("" for none)
    std::map<std::string, Candidate> years_;  // the year of each ledger looked at, by path
    // Every entries file that scan looked at, as it stood then.
    std::vector<std::pair<std::string, Stamp>> scannedFiles_;
    std::string read_;  // the file answer_ comes from
    Stamp file_;        // that file when it was read
    PreviousYear answer_;
};

}  // namespace kakeibo
