#include "core/session/carry_over.h"

#include <string>
#include <vector>

#include "core/files/file_io.h"
#include "core/files/group_write.h"
#include "core/files/ledger_paths.h"
#include "core/ledger/totals.h"

namespace kakeibo {

namespace {

// Only the two account items carry their money into the new year.
constexpr int kCarriedItems = 2;
constexpr int kBalanceRows = 13;

}  // namespace

std::string NextYearLedgerName(const std::string& name, int year) {
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    // Runs of digits from the end: the first one four digits long is the year.
    size_t end = name.size();
    while (end > 0) {
        while (end > 0 && !digit(name[end - 1])) --end;
        size_t begin = end;
        while (begin > 0 && digit(name[begin - 1])) --begin;
        if (end - begin == 4) {
            return name.substr(0, begin) + std::to_string(std::stoi(name.substr(begin, 4)) + 1) +
                   name.substr(end);
        }
        end = begin;
    }
    return name + std::to_string(year + 1);
}

void WriteCarryOver(Ledger& ledger, const std::string& dir, const std::string& name, bool sync,
                    const std::optional<Moment>& backup) {
    RecomputeTotals(ledger);

    const auto& yearEnd = ledger.BalanceTable[kMonthCount];
    std::vector<std::string> row;
    row.reserve(kItemCount * kColumnCount);
    for (int i = 0; i < kItemCount; ++i) {
        for (int c = 0; c < kColumnCount; ++c) {
            row.push_back(i < kCarriedItems ? std::to_string(yearEnd[i][c]) : "0");
        }
    }
    std::vector<std::string> lines;
    lines.reserve(row.size() * kBalanceRows);
    for (int r = 0; r < kBalanceRows; ++r) lines.insert(lines.end(), row.begin(), row.end());

    const std::string balancePath = dir + BalanceFileName(name);
    if (backup) KeepGeneration(dir, name, *backup);
    // One group: the new year's three files appear together or not at all.
    const std::vector<GroupFile> files{{balancePath, EncodeLines(lines, balancePath)},
                                       {dir + BudgetFileName(name), ""},
                                       {dir + EntriesFileName(name), ""}};
    WriteFileGroup(files, sync, dir + LockFileName(name));
    if (backup) RecordSave(dir, name, *backup, files);
}

}  // namespace kakeibo
