#include "core/carry_over.h"

#include <string>
#include <vector>

#include "core/file_io.h"
#include "core/totals.h"

namespace kakeibo {

namespace {

// Only the two account items carry their money into the new year.
constexpr int kCarriedItems = 2;
constexpr int kBalanceRows = 13;

}  // namespace

void WriteCarryOver(Ledger& ledger, const std::string& dir, const std::string& name, bool sync,
                    const std::optional<Moment>& backup) {
    RefreshData(ledger, 1);
    RefreshData(ledger, 2);

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

    const std::string balancePath = dir + name + "r.dat";
    if (backup) KeepGeneration(dir, name, *backup);
    // One group: the new year's three files appear together or not at all.
    WriteFileGroup({{balancePath, EncodeLines(lines, balancePath)},
                    {dir + name + "y.dat", ""},
                    {dir + name + ".nbd", ""}},
                   sync);
}

void SplitLedgerPath(const std::string& path, std::string& dir, std::string& name) {
    const size_t slash = path.rfind('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    dir = path.substr(0, nameStart);
    name = path.substr(nameStart);
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos) return;
    const std::string extension = name.substr(dot);
    name.erase(name.find(extension), extension.size());
}

}  // namespace kakeibo
