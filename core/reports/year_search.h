#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/ledger/ledger.h"
#include "core/reports/all_years.h"
#include "core/reports/search.h"

namespace kakeibo {

// 「全ての年」: the search over every year's ledger, with a 年 column before the others.
inline constexpr const char* kAllYearsOption = "全ての年";
inline constexpr int kYearHitColumns = 5;  // year, date, amount, shop, memo

// A hit of another ledger is kept whole (its entry and texts), since that ledger is not kept.
struct YearHit {
    int32_t Year = 0;
    int32_t Source = 0;  // index into YearSearchResult::Paths
    int32_t Key = 0;     // month (1..12) * 1000 + slot in its ledger
    EntryRecord Entry;
    EntryText Text;
};

struct YearSearchResult {
    std::vector<YearHit> Hits;       // in year, month and slot order
    std::vector<std::string> Paths;  // each year's entries file; "" for the open ledger
    std::vector<std::string> Notes;  // ledgers left out, as 年別推移 names them
    int MaxHit = -1;                 // index into Hits, -1 without hits
    int MinHit = -1;
};

// Searches every year's ledger the data folder holds, as 年別推移 chooses them, the open one as
// it is now: the others are read one at a time and only their matches are kept. The highest
// and lowest go to the last scanned of equal amounts, as in the year's own search.
YearSearchResult SearchAllYears(Ledger& open, const SearchConditions& conditions,
                                AllYearsCache& cache);

// The summary labels of the highest or lowest hit: "%d年%d月%d日", "%8.0f円　" and the shop;
// "該当無し" and two empty texts without hits.
HitLabels YearHitLabels(const YearSearchResult& result, int hit);

// Sorts the hits in ascending order of column 0 year, 1 date, 2 amount, 3 shop or 4 memo
// (CP932 bytes); hits with equal keys keep their order. Any other column leaves the order.
void SortYearHits(std::vector<YearHit>& hits, int column);

// The grid's rows: year, "%d月%d日", "%8.0f円", shop and memo; one empty row without hits.
std::vector<std::array<std::string, kYearHitColumns>> YearHitRows(const std::vector<YearHit>& hits);

}  // namespace kakeibo
