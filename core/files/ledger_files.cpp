#include "core/files/ledger_files.h"

#include <algorithm>
#include <memory>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <utility>

#include "core/errors.h"
#include "core/files/file_io.h"
#include "core/files/file_stamp.h"
#include "core/files/ledger_paths.h"
#include "core/numbers.h"
#include "core/shared_text.h"
#include "core/sjis.h"

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

// A line is decoded only for a message, or where it holds more than ASCII: a year's
// files are some 15,000 lines, mostly numbers.
bool IsAscii(std::string_view bytes) {
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

[[noreturn]] void FailLine(const std::string& path, size_t lineIndex, const std::string& reason,
                           std::string_view line) {
    throw LedgerError(LineErrorMessage(path, lineIndex + 1, reason, DecodeCp932(line)));
}

// Converts a number field of an undecoded line, turning a failure into the message that
// names file, line and text.
template <typename Parse>
auto ParseField(Parse parse, std::string_view field, const std::string& path, size_t lineIndex,
                std::string_view line) {
    try {
        return IsAscii(field) ? parse(field) : parse(DecodeCp932(field));
    } catch (const LedgerError& e) {
        FailLine(path, lineIndex, e.what(), line);
    }
}

void CheckRange(int64_t value, int64_t low, int64_t high, const char* what, const std::string& path,
                size_t lineIndex, std::string_view line) {
    if (value >= low && value <= high) return;
    FailLine(path, lineIndex,
             std::string(what) + " " + Number(value) + " が " + Number(low) + " から " +
                 Number(high) + " の範囲にありません",
             line);
}

// The usual entry line in one pass: nine fields of plain digits, then the shop up to the next
// comma and the memo. False for anything else (a sign, a long or empty number, too few
// commas), which the general reading decides.
bool ReadPlainEntry(std::string_view line, std::array<int32_t, 9>& v, std::string_view& shop,
                    std::string_view& memo) {
    size_t i = 0;
    for (int32_t& value : v) {
        const size_t start = i;
        value = 0;
        while (i < line.size() && line[i] >= '0' && line[i] <= '9' && i - start < 9) {
            value = value * 10 + (line[i++] - '0');
        }
        if (i == start || i == line.size() || line[i] != ',') return false;
        ++i;
    }
    size_t comma = i;
    while (comma < line.size() && line[comma] != ',') ++comma;
    if (comma == line.size()) return false;
    shop = line.substr(i, comma - i);
    memo = line.substr(comma + 1);
    return true;
}

// The lines are the file's bytes: a comma is never part of a CP932 character, so the fields
// are found before decoding, and only the shop and the memo need it.
void ReadEntries(const std::vector<std::string_view>& lines, const std::string& path,
                 LoadScratch& scratch) {
    // Each month fills its own slots, so months need not be grouped in the file.
    std::array<int, kMonthCount> nextSlot{};
    // A household writes the same few shops and memos all year: equal bytes are decoded once
    // and every slot that has them shares the one text.
    std::unordered_map<std::string_view, SharedText> decoded;
    const SharedText none;
    const auto text = [&](std::string_view bytes) -> const SharedText& {
        if (bytes.empty()) return none;
        auto [it, added] = decoded.try_emplace(bytes);
        if (added) it->second = DecodeCp932(bytes);
        return it->second;
    };
    for (size_t n = 0; n < lines.size(); ++n) {
        const std::string_view line = lines[n];
        std::array<int32_t, 9> v{};
        std::string_view shop;
        std::string_view memo;
        if (!ReadPlainEntry(line, v, shop, memo)) {
            std::array<std::string_view, kEntryFieldCount> fields;
            std::string_view rest = line;
            for (int f = 0; f < kEntryFieldCount - 1; ++f) {
                const size_t comma = rest.find(',');
                if (comma == std::string_view::npos) {
                    FailLine(path, n, "区切りのカンマが 10 個ありません", line);
                }
                fields[f] = rest.substr(0, comma);
                rest.remove_prefix(comma + 1);
            }
            for (int f = 0; f < 9; ++f) v[f] = ParseField(ParseInt32, fields[f], path, n, line);
            shop = fields[9];
            memo = rest;  // the memo keeps its commas
        }
        EntryRecord e{v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8]};
        CheckRange(e.Month, 1, kMonthCount, "月", path, n, line);
        CheckRange(e.Day, 1, 31, "日", path, n, line);
        CheckRange(e.Item1, 0, kItemCount - 1, "科目", path, n, line);
        CheckRange(e.SubItem1, 0, kSubItemCount - 1, "補助", path, n, line);
        CheckRange(e.Item2, 0, kItemCount - 1, "科目", path, n, line);
        CheckRange(e.SubItem2, 0, kSubItemCount - 1, "補助", path, n, line);
        // A tax kind other than 0..2 (edited by hand) counts at its amount, shows no tax text
        // and is written back as it was: it must not keep the whole year from opening.
        if (e.Amount < 1) FailLine(path, n, "金額 " + Number(e.Amount) + " が 1 円未満です", line);
        int& slot = nextSlot[e.Month - 1];
        if (slot >= kSlotCount) {
            FailLine(path, n,
                     Number(e.Month) + " 月の明細が " + Number(kSlotCount) + " 件を超えています",
                     line);
        }
        scratch.Entries[e.Month - 1][slot] = e;
        scratch.Texts[e.Month - 1][slot] = {text(shop), text(memo)};
        ++slot;
    }
}

// Far beyond any household's money, and far enough below the 64-bit limit that a year of the
// largest entries rolled onto an opening balance cannot wrap.
constexpr int64_t kLargestBalance = 999'999'999'999'999;

// Only row 0 is checked: rows 1..12 are recomputed from it before anything reads them.
void CheckOpeningBalances(const std::vector<std::string_view>& lines, const std::string& path,
                          const std::array<std::array<int64_t, kColumnCount>, kItemCount>& row) {
    for (size_t k = 0; k < kItemCount * kColumnCount && k < lines.size(); ++k) {
        CheckRange(row[k / kColumnCount][k % kColumnCount], -kLargestBalance, kLargestBalance,
                   "残高", path, k, lines[k]);
    }
}

// Reads one value per line in table order; values past the end of the file become 0.
template <typename Parse, typename Table>
void ReadNumbers(const std::vector<std::string_view>& lines, const std::string& path, Parse parse,
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
           " 行目を読み込めません: " + QuoteForMessage(reason) + " (行: " + QuoteForMessage(line) +
           ")";
}

LoadResult MonthLoad(Ledger& ledger, const std::string& dir, const std::string& name,
                     MissingTables missing) {
    LoadResult result =
        LoadLedgerFiles(ledger, dir + EntriesFileName(name), dir + BudgetFileName(name),
                        dir + BalanceFileName(name), missing);
    if (result.Loaded) {
        ledger.LedgerName = name;
    } else if (name != "rozed1" && name != kNewLedgerName) {
        // Neither name is ever saved by a user who has not chosen to: a start without a
        // saved ledger must not read as lost data.
        result.Message = Notice{NoticeKind::Warning,
                                "ファイル名" + EntriesFileName(name) + "は見つかりませんでした。"};
    }
    return result;
}

LoadResult LoadLedgerFiles(Ledger& ledger, const std::string& entriesPath,
                           const std::string& budgetPath, const std::string& balancePath,
                           MissingTables missing) {
    std::vector<FileStamp> stamps(3);
    std::optional<std::string> entryBytes =
        FileExists(entriesPath) ? ReadStampedFile(entriesPath, stamps[0]) : std::nullopt;
    if (!entryBytes) return LoadResult{};

    auto scratch = std::make_unique<LoadScratch>();
    ReadEntries(SplitLines(*entryBytes), entriesPath, *scratch);
    entryBytes.reset();

    stamps[1].Path = budgetPath;
    if (FileExists(budgetPath)) {
        if (const auto bytes = ReadStampedFile(budgetPath, stamps[1])) {
            ReadNumbers(SplitLines(*bytes), budgetPath, ParseInt32, scratch->Budget);
            scratch->HasBudget = true;
        }
    }
    stamps[2].Path = balancePath;
    if (FileExists(balancePath)) {
        if (const auto bytes = ReadStampedFile(balancePath, stamps[2])) {
            const std::vector<std::string_view> lines = SplitLines(*bytes);
            ReadNumbers(lines, balancePath, ParseInt64, scratch->Balance);
            CheckOpeningBalances(lines, balancePath, scratch->Balance[0]);
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
