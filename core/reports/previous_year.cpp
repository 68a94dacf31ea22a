#include "core/reports/previous_year.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "core/errors.h"
#include "core/files/file_io.h"
#include "core/files/ledger_files.h"
#include "core/files/ledger_paths.h"
#include "core/ledger/totals.h"
#include "core/numbers.h"

namespace kakeibo {

namespace {

namespace fs = std::filesystem;

PreviousYearCache::Stamp StampOf(const std::string& path) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0) return {};
    return PreviousYearCache::Stamp{
        true, static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino),
        static_cast<int64_t>(st.st_size),
        static_cast<int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec};
}

std::string FoundLine(const PreviousYearTotals& totals) {
    std::string line = "前年の家計簿：" + FileNameOf(totals.Path);
    if (totals.Year != 0) line += "（" + std::to_string(totals.Year) + "年）";
    return line;
}

}  // namespace

PreviousYearTotals ReadPreviousYearTotals(const Ledger& open, const std::string& path) {
    std::string dir;
    std::string name;
    SplitLedgerPath(path, dir, name);
    // Only what the totals read is taken from the open ledger: its rules, never its tables.
    auto scratch = std::make_unique<Ledger>();
    scratch->ItemTable = open.ItemTable;
    scratch->TaxRounding = open.TaxRounding;
    scratch->ReducedRateItems = open.ReducedRateItems;
    scratch->FullRateSubItems = open.FullRateSubItems;
    const LoadResult load = MonthLoad(*scratch, dir, name);
    if (!load.Loaded) {
        const std::string file = dir + EntriesFileName(name);
        throw LedgerError("ファイル「" + file + "」を" +
                          (FileExists(file) ? "開けませんでした。" : "見つけられませんでした。"));
    }
    RefreshData(*scratch, 1);

    PreviousYearTotals totals;
    totals.Path = path;
    for (int m = 0; m < kMonthCount; ++m) {
        for (int i = 0; i < kItemCount; ++i) {
            const auto& moved = scratch->MonthTotalTable[m][i];
            for (int c = 0; c < kColumnCount; ++c) totals.Net[m][i][c] = moved[c][0] - moved[c][1];
        }
        // The entries of one month sit in its first slots.
        const EntryRecord& first = scratch->EntryTable[m][0];
        if (totals.Year == 0 && first.Amount != 0) totals.Year = first.Year;
    }
    return totals;
}

void ChoosePreviousYearLedger(Ledger& ledger, const std::string& path) {
    ledger.PreviousYearChosenFor = ledger.EditDate.Year;
    if (ledger.PreviousYearLedger == path) return;
    ledger.PreviousYearLedger = path;
    // The settings file is written only with a changed ledger.
    ledger.LedgerChanged = true;
}

std::optional<int> EntriesFileYear(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    // The year is the first field of every line, in ASCII digits whatever the encoding.
    std::string line;
    if (!std::getline(in, line, ',')) return std::nullopt;
    if (line.size() > 11 || line.find('\n') != std::string::npos) return std::nullopt;
    try {
        return ParseInt32(line);
    } catch (const LedgerError&) {
        return std::nullopt;
    }
}

PreviousYearCache::Stamp PreviousYearCache::StampOfPath(const std::string& path) {
    return StampOf(path);
}

const PreviousYear& PreviousYearCache::Lookup(const Ledger& ledger) {
    Question question{ledger.PreviousYearLedger,
                      ledger.PreviousYearChosenFor,
                      ledger.DataDir,
                      ledger.DataDir + EntriesFileName(ledger.LedgerName),
                      ledger.EditDate.Year,
                      ledger.TaxRounding,
                      ledger.ReducedRateItems,
                      ledger.FullRateSubItems,
                      {}};
    for (int i = 0; i < kItemCount; ++i) question.Kinds[i] = ledger.ItemTable[i].Kind;
    const bool same = valid_ && question == question_;
    if (!same) {
        question_ = std::move(question);
        scanned_ = false;
    }
    valid_ = true;

    // The user's choice holds for the year it was made in; one remembered from another year
    // gives way to the ledger of the year before this one.
    std::string path;
    const std::string& chosen = question_.Chosen;
    if (!chosen.empty()) {
        const Stamp at = StampOf(chosen);
        if (question_.ChosenFor == question_.Year ||
            (at.Exists && YearOf(chosen, at) == question_.Year - 1)) {
            path = chosen;
        }
    }
    if (path.empty()) {
        // A ledger copied over another keeps the folder's time: the files' own stamps tell.
        const Stamp folder = StampOf(question_.DataDir);
        const bool filesChanged =
            std::any_of(scannedFiles_.begin(), scannedFiles_.end(),
                        [](const auto& file) { return StampOf(file.first) != file.second; });
        if (!scanned_ || folder != folder_ || filesChanged) {
            found_ = FindInDataFolder(question_);
            folder_ = folder;
            scanned_ = true;
        }
        // Without one, a choice that does not fit is still better than nothing.
        path = found_.empty() ? chosen : found_;
    }
    if (path.empty()) {
        read_.clear();
        answer_ = PreviousYear{nullptr, "データフォルダに" + std::to_string(question_.Year - 1) +
                                            "年の家計簿がありません"};
        return answer_;
    }
    const Stamp file = StampOf(path);
    if (!same || path != read_ || file != file_) Answer(ledger, path, file);
    return answer_;
}

std::optional<int> PreviousYearCache::YearOf(const std::string& path, const Stamp& at) {
    // Each file is read once; only one saved since needs its first line again.
    Candidate& known = years_[path];
    if (known.At != at || !known.Read) known = Candidate{at, true, EntriesFileYear(path)};
    return known.Year;
}

std::string PreviousYearCache::FindInDataFolder(const Question& question) {
    scannedFiles_.clear();
    std::string best;
    int64_t bestTime = 0;
    std::error_code error;
    for (fs::directory_iterator it(question.DataDir, error), end; !error && it != end;
         it.increment(error)) {
        const std::string file = it->path().filename().string();
        const std::string extension = kEntriesExtension;
        if (file.size() <= extension.size() ||
            file.compare(file.size() - extension.size(), extension.size(), extension) != 0) {
            continue;
        }
        const std::string path = question.DataDir + file;
        if (path == question.OpenFile) continue;
        const Stamp at = StampOf(path);
        scannedFiles_.emplace_back(path, at);
        if (!at.Exists || YearOf(path, at) != question.Year - 1) continue;
        // The most recently saved of several; the name decides between equals.
        if (best.empty() || at.ModifiedNs > bestTime ||
            (at.ModifiedNs == bestTime && path > best)) {
            best = path;
            bestTime = at.ModifiedNs;
        }
    }
    return best;
}

void PreviousYearCache::Answer(const Ledger& ledger, const std::string& path, const Stamp& file) {
    read_ = path;
    file_ = file;
    if (!file.Exists) {
        answer_ = PreviousYear{nullptr, "前年の家計簿「" + path + "」が見つかりません"};
        return;
    }
    try {
        auto totals = std::make_shared<PreviousYearTotals>(ReadPreviousYearTotals(ledger, path));
        answer_ = PreviousYear{totals, FoundLine(*totals)};
    } catch (const LedgerError& e) {
        answer_ = PreviousYear{nullptr, std::string("前年の家計簿を読み込めません: ") + e.what()};
    }
}

}  // namespace kakeibo
