// The search window's matching, sorting and its highest and lowest amounts.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/ledger/ledger.h"

namespace kakeibo {

inline constexpr const char* kAnyCondition = "特に指定しない";
inline constexpr const char* kNoHit = "該当無し";
inline constexpr int kHitColumns = 4;  // date, amount, shop, memo

// What the search asks for; -1 and an empty text ask for anything.
struct SearchConditions {
    int Item = -1;
    int SubItem = -1;
    std::string Shop;
    std::string Memo;
};

// Whether a slot is used and meets every condition, as SearchEntries tests it.
bool EntryMatches(const EntryRecord& e, const EntryText& t, const SearchConditions& c);

// Hits are entry keys: month (1..12) * 1000 + slot.
struct SearchResult {
    std::vector<int32_t> HitList;
    int32_t MaxHitKey = 0;
    int32_t MaxHitAmount = 0;
    int32_t MinHitKey = 0;
    int32_t MinHitAmount = 0;
};

// Scans every used slot of the year in month and slot order. The item matches either side;
// the sub-item, on its own, either side too. Shop and memo match as parts of the texts,
// whole characters only and case-sensitive. Highest and lowest go to the last scanned of
// equal amounts.
SearchResult SearchEntries(const Ledger& ledger, const SearchConditions& conditions);

// The three summary labels of a hit: "%d月%d日", "%8.0f円　" and the shop; "該当無し" and
// two empty texts when there was no hit.
struct HitLabels {
    std::string Date;
    std::string Amount;
    std::string Shop;
};
HitLabels HighestLabels(const Ledger& ledger, const SearchResult& result);
HitLabels LowestLabels(const Ledger& ledger, const SearchResult& result);

// Sorts the hits in ascending order of column 0 date ("%.2d%.2d" of month and day), 1
// amount, 2 shop or 3 memo (CP932 bytes), in the order a selection sort leaves them (the
// first of the smallest keys swapped forward); any other column leaves the order.
void SortHits(const Ledger& ledger, std::vector<int32_t>& hits, int column);

// The grid's rows below the heading: date "%d月%d日", amount "%8.0f円", shop and memo of
// each hit; one empty row when there are none.
std::vector<std::array<std::string, kHitColumns>> HitRows(const Ledger& ledger,
                                                          const std::vector<int32_t>& hits);

// The column a heading press at `x` falls in: the widths are taken from x, from the first
// column on, while x is positive. -1 left of the first column, the column count right of
// the last one.
int HeadingColumnAt(int x, const std::vector<int>& widths);

// A found entry's amount as the results show it: thousands separators, right-aligned in 9
// characters.
std::string FoundAmountText(int32_t amount);

}  // namespace kakeibo
