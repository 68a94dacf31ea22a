#include "fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "core/errors.h"
#include "core/files/file_io.h"
#include "core/ledger/totals.h"
#include "test_files.h"

namespace kakeibo::fuzz {

const std::string& FreshFolder() {
    static test::TempDir folder;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path(), ignored)) {
        std::filesystem::remove_all(entry.path(), ignored);
    }
    return folder.Path();
}

void WriteFile(const std::string& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}

std::string SavedBytes(const std::vector<std::string>& lines, const std::string& path) {
    try {
        return EncodeLines(lines, path);
    } catch (const LedgerError& e) {
        std::fprintf(stderr, "a text that was read cannot be saved again: %s\n", e.what());
        std::abort();
    }
}

void Require(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "property broken: %s\n", what);
    std::abort();
}

void RecomputeAll(Ledger& ledger) {
    RecomputeTotals(ledger);
    // The week sums match entries by their year, so take the year the ledger holds.
    const int year = ledger.EntryTable[0][0].Year;
    const int shown = year >= 1 && year <= 9999 ? year : 2024;
    for (int month = 1; month <= kMonthCount; ++month) {
        DataSum(ledger, 3, Date{shown, month, DaysInMonth(shown, month)});
    }
}

}  // namespace kakeibo::fuzz
