// The search over every year's ledger of the data folder.
#include "core/reports/year_search.h"

#include <algorithm>
#include <numeric>
#include <string_view>
#include <tuple>
#include <unordered_map>

#include "core/errors.h"
#include "core/reports/search.h"
#include "core/sjis.h"

namespace kakeibo {

namespace {

std::string DateText(const EntryRecord& e) {
    return std::to_string(e.Month) + "月" + std::to_string(e.Day) + "日";
}

// The ranks of the texts as stored (CP932 bytes): each distinct text is converted and
// compared once, the hits then sort by a number.
std::vector<uint32_t> StoredRanks(const std::vector<YearHit>& hits, bool shop) {
    std::unordered_map<std::string_view, uint32_t> distinct;
    std::vector<std::pair<std::string, std::string_view>> texts;
    for (const YearHit& hit : hits) {
        const std::string& text = shop ? hit.Text.Shop : hit.Text.Memo;
        if (!distinct.try_emplace(text, 0).second) continue;
        std::string bytes;
        try {
            bytes = EncodeCp932(text);
        } catch (const LedgerError&) {
            bytes = text;
        }
        texts.emplace_back(std::move(bytes), text);
    }
    std::sort(texts.begin(), texts.end());
    for (uint32_t rank = 0; rank < texts.size(); ++rank) distinct[texts[rank].second] = rank;
    std::vector<uint32_t> ranks;
    ranks.reserve(hits.size());
    for (const YearHit& hit : hits) ranks.push_back(distinct[shop ? hit.Text.Shop : hit.Text.Memo]);
    return ranks;
}

template <typename Key>
void SortBy(std::vector<YearHit>& hits, const std::vector<Key>& keys) {
    std::vector<size_t> order(hits.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return keys[a] < keys[b]; });
    std::vector<YearHit> sorted;
    sorted.reserve(hits.size());
    for (size_t i : order) sorted.push_back(std::move(hits[i]));
    hits = std::move(sorted);
}

}  // namespace

YearSearchResult SearchAllYears(Ledger& open, const SearchConditions& conditions,
                                AllYearsCache& cache) {
    YearSearchResult result;
    const YearLedgers ledgers =
        cache.VisitLedgers(open, [&](int year, const std::string& path, const Ledger& ledger) {
            const auto source = static_cast<int32_t>(result.Paths.size());
            result.Paths.push_back(path);
            for (int m = 0; m < kMonthCount; ++m) {
                for (int s = 0; s < kSlotCount; ++s) {
                    const EntryRecord& e = ledger.EntryTable[m][s];
                    const EntryText& t = ledger.EntryTextTable[m][s];
                    if (!EntryMatches(e, t, conditions)) continue;
                    const int index = static_cast<int>(result.Hits.size());
                    if (result.MinHit < 0 || e.Amount <= result.Hits[result.MinHit].Entry.Amount) {
                        result.MinHit = index;
                    }
                    if (result.MaxHit < 0 || e.Amount >= result.Hits[result.MaxHit].Entry.Amount) {
                        result.MaxHit = index;
                    }
                    result.Hits.push_back({year, source, (m + 1) * kSlotCount + s, e, t});
                }
            }
        });
    result.Notes = ledgers.Notes;
    return result;
}

HitLabels YearHitLabels(const YearSearchResult& result, int hit) {
    if (hit < 0 || hit >= static_cast<int>(result.Hits.size())) return HitLabels{kNoHit, "", ""};
    const YearHit& h = result.Hits[hit];
    return HitLabels{std::to_string(h.Year) + "年" + DateText(h.Entry),
                     FoundAmountText(h.Entry.Amount) + "円　", h.Text.Shop};
}

void SortYearHits(std::vector<YearHit>& hits, int column) {
    if (column < 0 || column >= kYearHitColumns || hits.size() < 2) return;
    switch (column) {
        case 0:
        case 1: {
            std::vector<std::tuple<int32_t, int32_t, int32_t>> keys;
            keys.reserve(hits.size());
            for (const YearHit& h : hits) {
                // The year alone, or the whole date.
                keys.emplace_back(h.Year, column == 0 ? 0 : h.Entry.Month,
                                  column == 0 ? 0 : h.Entry.Day);
            }
            SortBy(hits, keys);
            break;
        }
        case 2: {
            std::vector<int32_t> keys;
            keys.reserve(hits.size());
            for (const YearHit& h : hits) keys.push_back(h.Entry.Amount);
            SortBy(hits, keys);
            break;
        }
        default:
            SortBy(hits, StoredRanks(hits, column == 3));
            break;
    }
}

std::vector<std::array<std::string, kYearHitColumns>> YearHitRows(
    const std::vector<YearHit>& hits) {
    std::vector<std::array<std::string, kYearHitColumns>> rows;
    if (hits.empty()) {
        rows.emplace_back();
        return rows;
    }
    rows.reserve(hits.size());
    for (const YearHit& h : hits) {
        rows.push_back({std::to_string(h.Year), DateText(h.Entry),
                        FoundAmountText(h.Entry.Amount) + "円", h.Text.Shop, h.Text.Memo});
    }
    return rows;
}

}  // namespace kakeibo
