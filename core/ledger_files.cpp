#include "core/ledger_files.h"

#include <memory>
#include <string_view>
#include <type_traits>
#include <utility>

#include "core/errors.h"
#include "core/file_io.h"
#include "core/ledger_paths.h"
#include "core/numbers.h"

namespace kakeibo {

namespace {

constexpr int kBudgetRows = 13;
constexpr int kBalanceRows = 13;
constexpr int kEntryFieldCount = 11;

// Everything a load replaces, read aside so that a fault half-way leaves the ledger as it was.
struct LoadScratch {
    std::array<std::array<EntryRecord, kSlotCount>, kMonthCount> Entries{};
    std::array<std::array<EntryText, kSlotCount>, kMonthCount> Texts{};
    std::array<std::array<int32_t, kItemCount>, kBudgetRows> Budget{};
    std::array<std::array<std::array<int64_t, kColumnCount>, kItemCount>, kBalanceRows> Balance{};
    bool HasBudget = false;
    bool HasBalance = false;
};

std::string Number(int64_t value) {
    return std::to_string(value);
}

// Converts a number field, turning a failure into the message that names file, line and text.
template <typename Parse>
auto ParseField(Parse parse, std::string_view field, const std::string& path, size_t lineIndex,
                const std::string& line) {
    try {
        return parse(field);
    } catch (const LedgerError& e) {
        throw LedgerError(LineErrorMessage(path, lineIndex + 1, e.what(), line));
    }
}

void CheckRange(int64_t value, int64_t low, int64_t high, const char* what, const std::string& path,
                size_t lineIndex, const std::string& line) {
    if (value >= low && value <= high) return;
    throw LedgerError(LineErrorMessage(path, lineIndex + 1,
                                       std::string(what) + " " + Number(value) + " が " +
                                           Number(low) + " から " + Number(high) +
                                           " の範囲にありません",
                                       line));
}

void ReadEntries(const std::vector<std::string>& lines, const std::string& path,
                 LoadScratch& scratch) {
    // Each month fills its own slots, so months need not be grouped in the file.
    std::array<int, kMonthCount> nextSlot{};
    for (size_t n = 0; n < lines.size(); ++n) {
        const std::string& line = lines[n];
        std::array<std::string_view, kEntryFieldCount> fields;
        std::string_view rest = line;
        for (int f = 0; f < kEntryFieldCount - 1; ++f) {
            const size_t comma = rest.find(',');
            if (comma == std::string_view::npos) {
                throw LedgerError(
                    LineErrorMessage(path, n + 1, "区切りのカンマが 10 個ありません", line));
            }
            fields[f] = rest.substr(0, comma);
            rest.remove_prefix(comma + 1);
        }
        fields[kEntryFieldCount - 1] = rest;  // the memo keeps its commas

        std::array<int32_t, 9> v{};
        for (int f = 0; f < 9; ++f) v[f] = ParseField(ParseInt32, fields[f], path, n, line);
        EntryRecord e{v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8]};
        CheckRange(e.Month, 1, kMonthCount, "月", path, n, line);
        CheckRange(e.Day, 1, 31, "日", path, n, line);
        CheckRange(e.Item1, 0, kItemCount - 1, "科目", path, n, line);
        CheckRange(e.SubItem1, 0, kSubItemCount - 1, "補助", path, n, line);
        CheckRange(e.Item2, 0, kItemCount - 1, "科目", path, n, line);
        CheckRange(e.SubItem2, 0, kSubItemCount - 1, "補助", path, n, line);
        // A tax kind other than 0..2 (edited by hand) counts at its amount, shows no tax text
        // and is written back as it was: it must not keep the whole year from opening.
        if (e.Amount < 1) {
            throw LedgerError(LineErrorMessage(
                path, n + 1, "金額 " + Number(e.Amount) + " が 1 円未満です", line));
        }
        int& slot = nextSlot[e.Month - 1];
        if (slot >= kSlotCount) {
            throw LedgerError(LineErrorMessage(
                path, n + 1,
                Number(e.Month) + " 月の明細が " + Number(kSlotCount) + " 件を超えています", line));
        }
        scratch.Entries[e.Month - 1][slot] = e;
        scratch.Texts[e.Month - 1][slot] = {std::string(fields[9]), std::string(fields[10])};
        ++slot;
    }
}

// Far beyond any household's money, and far enough below the 64-bit limit that a year of the
// largest entries rolled onto an opening balance cannot wrap.
constexpr int64_t kLargestBalance = 999'999'999'999'999;

// Only row 0 is checked: rows 1..12 are recomputed from it before anything reads them.
void CheckOpeningBalances(const std::vector<std::string>& lines, const std::string& path,
                          const std::array<std::array<int64_t, kColumnCount>, kItemCount>& row) {
    for (size_t k = 0; k < kItemCount * kColumnCount && k < lines.size(); ++k) {
        CheckRange(row[k / kColumnCount][k % kColumnCount], -kLargestBalance, kLargestBalance,
                   "残高", path, k, lines[k]);
    }
}

// Reads one value per line in table order; values past the end of the file become 0.
template <typename Parse, typename Table>
void ReadNumbers(const std::vector<std::string>& lines, const std::string& path, Parse parse,
                 Table& table) {
    size_t k = 0;
    auto next = [&] {
        const auto value = k < lines.size() ? ParseField(parse, lines[k], path, k, lines[k]) : 0;
        ++k;
        return value;
    };
    for (auto& row : table) {
        for (auto& cell : row) {
            if constexpr (std::is_arithmetic_v<std::decay_t<decltype(cell)>>) {
                cell = next();
            } else {
                for (auto& value : cell) value = next();
            }
        }
    }
}

// Fills the table in file order: the masters have no fixed count of lines.
template <typename Assign>
bool ReadMaster(const std::string& path, size_t count, Assign assign) {
    if (!FileExists(path)) return false;
    auto lines = ReadTextLines(path);
    if (!lines) {
        throw LedgerError("ファイル「" + path + "」を開けませんでした。");
    }
    for (size_t k = 0; k < count; ++k) {
        assign(k, k < lines->size() ? std::move((*lines)[k]) : std::string());
    }
    return true;
}

}  // namespace

std::string LineErrorMessage(const std::string& path, size_t lineNumber, const std::string& reason,
                             const std::string& line) {
    return "ファイル「" + path + "」の " + std::to_string(lineNumber) +
           " 行目を読み込めません: " + reason + " (行: " + line + ")";
}

LoadResult MonthLoad(Ledger& ledger, const std::string& dir, const std::string& name,
                     MissingTables missing) {
    const std::string entriesPath = dir + EntriesFileName(name);
    std::vector<FileStamp> stamps(3);
    std::optional<std::vector<std::string>> entryLines =
        FileExists(entriesPath) ? ReadTextLines(entriesPath, &stamps[0]) : std::nullopt;
    if (!entryLines) {
        LoadResult result;
        // Neither name is ever saved by a user who has not chosen to: a start without a
        // saved ledger must not read as lost data.
        if (name != "rozed1" && name != kNewLedgerName) {
            result.Message = Notice{NoticeKind::Warning, "ファイル名" + EntriesFileName(name) +
                                                             "は見つかりませんでした。"};
        }
        return result;
    }

    auto scratch = std::make_unique<LoadScratch>();
    ReadEntries(*entryLines, entriesPath, *scratch);
    entryLines.reset();

    const std::string budgetPath = dir + BudgetFileName(name);
    stamps[1].Path = budgetPath;
    if (FileExists(budgetPath)) {
        if (auto lines = ReadTextLines(budgetPath, &stamps[1])) {
            ReadNumbers(*lines, budgetPath, ParseInt32, scratch->Budget);
            scratch->HasBudget = true;
        }
    }
    const std::string balancePath = dir + BalanceFileName(name);
    stamps[2].Path = balancePath;
    if (FileExists(balancePath)) {
        if (auto lines = ReadTextLines(balancePath, &stamps[2])) {
            ReadNumbers(*lines, balancePath, ParseInt64, scratch->Balance);
            CheckOpeningBalances(*lines, balancePath, scratch->Balance[0]);
            scratch->HasBalance = true;
        }
    }

    // Everything read cleanly: only now does the ledger change.
    ledger.EntryTable = scratch->Entries;
    ledger.EntryTextTable.swap(scratch->Texts);
    const bool fresh = missing == MissingTables::Empty;
    if (scratch->HasBudget || fresh) ledger.BudgetTable = scratch->Budget;
    if (scratch->HasBalance || fresh) ledger.BalanceTable = scratch->Balance;
    ledger.NextSlot = 0;
    ledger.LedgerName = name;
    return LoadResult{true, std::nullopt, std::move(stamps)};
}

bool ReadItemMaster(Ledger& ledger, const std::string& path) {
    return ReadMaster(path, kItemCount * 2, [&](size_t k, std::string text) {
        ItemRecord& item = ledger.ItemTable[k / 2];
        (k % 2 == 0 ? item.Name : item.Kind) = std::move(text);
    });
}

bool ReadSubItemMaster(Ledger& ledger, const std::string& path) {
    return ReadMaster(path, kItemCount * kSubItemCount, [&](size_t k, std::string text) {
        ledger.SubItemTable[k / kSubItemCount][k % kSubItemCount] = std::move(text);
    });
}

std::vector<std::string> ReadHistory(const std::string& path) {
    if (!FileExists(path)) return {};
    auto lines = ReadTextLines(path);
    return lines ? std::move(*lines) : std::vector<std::string>{};
}

}  // namespace kakeibo
