// Every year's ledger of the data folder, read aside and kept as its year's totals.
#include "core/reports/all_years.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "core/errors.h"
#include "core/files/file_io.h"
#include "core/files/ledger_files.h"
#include "core/files/ledger_paths.h"
#include "core/ledger/totals.h"

namespace kakeibo {

namespace {

namespace fs = std::filesystem;

// No household kept books before this: a file claiming an older year is not a ledger of ours,
// and must not stretch the sheet over centuries.
constexpr int kOldestYear = 1900;

std::string BalancePathOf(const std::string& path) {
    std::string dir;
    std::string name;
    SplitLedgerPath(path, dir, name);
    return dir + BalanceFileName(name);
}

bool IsEntriesFile(const std::string& file) {
    const std::string extension = kEntriesExtension;
    return file.size() > extension.size() &&
           file.compare(file.size() - extension.size(), extension.size(), extension) == 0;
}

// The totals of a ledger whose tables are counted already.
YearSummary Summed(const Ledger& ledger) {
    YearSummary summary;
    summary.Year = LedgerYearOf(ledger);
    for (int m = 0; m < kMonthCount; ++m) {
        for (int i = 0; i < kItemCount; ++i) {
            const auto& moved = ledger.MonthTotalTable[m][i];
            for (int c = 0; c < kColumnCount; ++c) summary.Net[i][c] += moved[c][0] - moved[c][1];
        }
    }
    summary.End = ledger.BalanceTable[kMonthCount];
    return summary;
}

// Loads a ledger aside under the open ledger's rules; its budgets and balances are its own,
// never left over from the ledger read before it.
void LoadAside(const Ledger& open, const std::string& path, Ledger& scratch) {
    std::string dir;
    std::string name;
    SplitLedgerPath(path, dir, name);
    scratch.ItemTable = open.ItemTable;
    scratch.TaxRounding = open.TaxRounding;
    scratch.ReducedRateItems = open.ReducedRateItems;
    // A ledger without entries stands for no year.
    scratch.EditDate = Date{};
    if (!MonthLoad(scratch, dir, name, MissingTables::Empty).Loaded) {
        throw LedgerError("ファイル「" + path + "」を" +
                          (FileExists(path) ? "開けませんでした。" : "見つけられませんでした。"));
    }
}

}  // namespace

int LedgerYearOf(const Ledger& ledger) {
    // The entries of one month sit in its first slots.
    for (const auto& month : ledger.EntryTable) {
        if (month[0].Amount != 0 && month[0].Year != 0) return month[0].Year;
    }
    return ledger.EditDate.Year;
}

YearSummary ReadYearSummary(const Ledger& open, const std::string& path, Ledger& scratch) {
    LoadAside(open, path, scratch);
    RecomputeTotals(scratch);
    YearSummary summary = Summed(scratch);
    return summary;
}

YearSummary SummaryOf(Ledger& ledger) {
    RecomputeTotals(ledger);
    return Summed(ledger);
}

std::string YearLedgers::Line() const {
    std::string line = std::to_string(First) + "年";
    if (First != Last) line += "〜" + std::to_string(Last) + "年";
    line += "の家計簿";
    for (const std::string& note : Notes) line += "　" + note;
    return line;
}

const YearSummary* AllYears::Of(int year) const {
    const int index = year - Ledgers.First;
    if (index < 0 || index >= static_cast<int>(Years.size())) return nullptr;
    return Years[index].get();
}

AllYears AllYearsCache::Figures(Ledger& open) {
    std::unique_ptr<Ledger> scratch;
    AllYears all;
    all.Ledgers = Choose(open, scratch, nullptr);
    all.Years.resize(static_cast<size_t>(all.Ledgers.Last - all.Ledgers.First + 1));
    for (const YearLedger& found : all.Ledgers.Found) {
        auto& year = all.Years[found.Year - all.Ledgers.First];
        if (found.Path.empty()) {
            auto summary = std::make_shared<YearSummary>(SummaryOf(open));
            summary->Year = found.Year;
            year = std::move(summary);
        } else {
            year = files_[found.Path].Summary;
        }
    }
    return all;
}

YearLedgers AllYearsCache::VisitLedgers(Ledger& open, const Visit& visit) {
    std::unique_ptr<Ledger> scratch;
    return Choose(open, scratch, &visit);
}

AllYearsCache::File& AllYearsCache::Examine(const Ledger& open, const std::string& path,
                                            std::unique_ptr<Ledger>& scratch, bool& loaded) {
    File& file = files_[path];
    const Stamp balance = PreviousYearCache::StampOfPath(BalancePathOf(path));
    loaded = false;
    if (file.Read && file.Balance == balance) return file;
    file.Balance = balance;
    file.Read = true;
    if (!scratch) scratch = std::make_unique<Ledger>();
    try {
        file.Summary = std::make_shared<YearSummary>(ReadYearSummary(open, path, *scratch));
        file.Error.clear();
        loaded = true;
    } catch (const LedgerError& e) {
        file.Summary = nullptr;
        file.Error = e.what();
    }
    return file;
}

YearLedgers AllYearsCache::Choose(Ledger& open, std::unique_ptr<Ledger>& scratch,
                                  const Visit* visit) {
    Rules rules{open.TaxRounding, open.ReducedRateItems, {}};
    for (int i = 0; i < kItemCount; ++i) rules.Kinds[i] = open.ItemTable[i].Kind;
    if (!(rules == rules_)) {
        // Totals counted under other rules are counted again; the years stay.
        for (auto& [path, file] : files_) file.Read = false;
        rules_ = std::move(rules);
    }

    YearLedgers result;
    result.Last = LedgerYearOf(open);
    result.First = result.Last;
    const std::string openFile = open.DataDir + EntriesFileName(open.LedgerName);

    struct Candidate {
        std::string Path;
        int64_t ModifiedNs = 0;
    };
    std::map<int, std::vector<Candidate>> byYear;
    std::vector<std::string> names;
    std::error_code error;
    if (!open.DataDir.empty()) {
        for (fs::directory_iterator it(open.DataDir, error), end; !error && it != end;
             it.increment(error)) {
            std::string name = it->path().filename().string();
            if (IsEntriesFile(name)) names.push_back(std::move(name));
        }
    }
    // In the order of their names, so that the notes keep theirs from fill to fill.
    std::sort(names.begin(), names.end());
    std::map<std::string, File> listed;
    for (const std::string& name : names) {
        const std::string path = open.DataDir + name;
        if (path == openFile) continue;
        const Stamp at = PreviousYearCache::StampOfPath(path);
        if (!at.Exists) continue;
        auto known = files_.find(path);
        File& file = listed[path] = known != files_.end() ? std::move(known->second) : File{};
        if (file.Entries != at) {
            // Saved, copied or edited since: its year and totals are read anew.
            file = File{};
            file.Entries = at;
            file.FirstLineYear = EntriesFileYear(path);
        }
    }
    // Files gone from the folder are forgotten.
    files_ = std::move(listed);
    for (auto& [path, file] : files_) {
        std::optional<int> year = file.FirstLineYear;
        if (!year && file.Entries.Size > 0) {
            // The first line does not say: the whole file does, or says why it cannot be read.
            bool loaded = false;
            const File& read = Examine(open, path, scratch, loaded);
            if (!read.Summary) {
                result.Notes.push_back("「" + FileNameOf(path) + "」は読めないため除外（" +
                                       read.Error + "）");
            } else if (read.Summary->Year != 0) {
                year = read.Summary->Year;
            }
        }
        if (year && *year >= kOldestYear && *year <= result.Last) {
            byYear[*year].push_back({path, file.Entries.ModifiedNs});
        }
    }

    for (auto& [year, candidates] : byYear) {
        // The most recently saved first; the name decides between equals.
        std::sort(candidates.begin(), candidates.end(), [](const Candidate& a, const Candidate& b) {
            return a.ModifiedNs != b.ModifiedNs ? a.ModifiedNs > b.ModifiedNs : a.Path > b.Path;
        });
        const std::string yearText = std::to_string(year) + "年";
        if (year == result.Last) {
            for (const Candidate& c : candidates) {
                result.Notes.push_back("「" + FileNameOf(c.Path) + "」は除外（" + yearText +
                                       "は開いている家計簿を使用）");
            }
            continue;
        }
        std::string chosen;
        for (const Candidate& c : candidates) {
            const std::string name = FileNameOf(c.Path);
            if (!chosen.empty()) {
                result.Notes.push_back("「" + name + "」は除外（" + yearText + "は「" +
                                       FileNameOf(chosen) + "」を使用）");
                continue;
            }
            bool loaded = false;
            File& file = Examine(open, c.Path, scratch, loaded);
            if (file.Summary && visit != nullptr && !loaded) {
                // Known by its totals, but the visit needs its entries.
                try {
                    if (!scratch) scratch = std::make_unique<Ledger>();
                    LoadAside(open, c.Path, *scratch);
                    loaded = true;
                } catch (const LedgerError& e) {
                    file.Summary = nullptr;
                    file.Error = e.what();
                }
            }
            if (!file.Summary) {
                result.Notes.push_back("「" + name + "」は読めないため除外（" + file.Error + "）");
                continue;
            }
            chosen = c.Path;
            result.Found.push_back({year, c.Path});
            result.First = std::min(result.First, year);
            if (visit != nullptr) (*visit)(year, c.Path, *scratch);
        }
    }
    result.Found.push_back({result.Last, ""});
    if (visit != nullptr) (*visit)(result.Last, "", open);
    return result;
}

}  // namespace kakeibo
