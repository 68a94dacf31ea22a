#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/ledger/ledger.h"
#include "core/reports/previous_year.h"

namespace kakeibo {

// What the sheets over the years keep of one year's ledger: its year's totals and its balances
// at the end of December, counted as that ledger opened alone counts them, and no more.
struct YearSummary {
    int Year = 0;
    // [item][column]: the year's money received less given (side 0 less side 1).
    std::array<std::array<int64_t, kColumnCount>, kItemCount> Net{};
    // [item][column]: the balance at the end of the year.
    std::array<std::array<int64_t, kColumnCount>, kItemCount> End{};
};

// Reads the ledger whose entries file is `path` into `scratch` under the open ledger's rules
// (item kinds, tax rounding, reduced-rate items) and sums its year. Throws LedgerError when
// the file is missing or cannot be read. Neither `open` nor the file is ever changed.
YearSummary ReadYearSummary(const Ledger& open, const std::string& path, Ledger& scratch);

// The year and totals of a ledger already in memory: the open one, with its unsaved changes.
YearSummary SummaryOf(Ledger& ledger);

// The year a ledger stands for: the year its entries carry, else the edited date's.
int LedgerYearOf(const Ledger& ledger);

// One ledger used for a year; an empty Path is the open ledger.
struct YearLedger {
    int Year = 0;
    std::string Path;
};

// Every year the data folder holds, from the oldest to the open ledger's: one ledger per year,
// and what was passed over and why.
struct YearLedgers {
    int First = 0;
    int Last = 0;                    // the open ledger's year
    std::vector<YearLedger> Found;   // ascending years, at most one each; gaps are missing years
    std::vector<std::string> Notes;  // ledgers left out (another of their year) or unreadable
    // The sheet's first row: the years shown and the notes.
    std::string Line() const;
};

// Every year's figures: a summary per year from First to Last, nullptr for a missing year.
struct AllYears {
    YearLedgers Ledgers;
    std::vector<std::shared_ptr<const YearSummary>> Years;
    const YearSummary* Of(int year) const;
};

// The ledgers of the data folder, each classed by the year of its entries, as 前年比較 finds
// last year's: of several of one year the one saved last, the open ledger for its own year.
// Only a ledger's totals are kept, by the stamps of its entries and balance files, so a fill
// with nothing changed on disk reads nothing; a file saved since is read again. Reading
// never writes a file and takes no lock.
class AllYearsCache final {
public:
    // Every year's figures, the open ledger's counted as it is now.
    AllYears Figures(Ledger& open);
    // The ledgers every year uses, each visited in ascending years: the open ledger as it is,
    // the others read file by file into one scratch ledger, dropped after the visit.
    using Visit = std::function<void(int year, const std::string& path, const Ledger& ledger)>;
    YearLedgers VisitLedgers(Ledger& open, const Visit& visit);

private:
    using Stamp = PreviousYearCache::Stamp;
    struct File {
        Stamp Entries;
        std::optional<int> FirstLineYear;
        Stamp Balance;
        bool Read = false;  // Summary or Error answers Entries and Balance
        std::shared_ptr<const YearSummary> Summary;
        std::string Error;
    };
    struct Rules {
        int32_t TaxRounding = 0;
        ItemMarks ReducedRate{};
        std::array<std::string, kItemCount> Kinds;
        bool operator==(const Rules&) const = default;
    };

    // Reads the file when its summary is not known for its stamps; `scratch` holds its entries
    // afterwards only when it was read now.
    File& Examine(const Ledger& open, const std::string& path, std::unique_ptr<Ledger>& scratch,
                  bool& loaded);
    YearLedgers Choose(Ledger& open, std::unique_ptr<Ledger>& scratch, const Visit* visit);

    Rules rules_;
    std::map<std::string, File> files_;
};

}  // namespace kakeibo
