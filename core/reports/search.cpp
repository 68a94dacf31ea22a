#include "core/reports/search.h"

#include <algorithm>
#include <limits>
#include <numeric>
#include <string_view>
#include <unordered_map>

#include "core/errors.h"
#include "core/numbers.h"
#include "core/sjis.h"

namespace kakeibo {

namespace {

const EntryRecord& RecordOf(const Ledger& ledger, int32_t key) {
    return ledger.EntryTable[key / kSlotCount - 1][key % kSlotCount];
}

const EntryText& TextOf(const Ledger& ledger, int32_t key) {
    return ledger.EntryTextTable[key / kSlotCount - 1][key % kSlotCount];
}

// Both texts are UTF-8, whose characters never begin inside another one: a match is always
// of whole characters, never of a kanji's second byte.
bool Contains(const std::string& text, const std::string& part) {
    return part.empty() || text.find(part) != std::string::npos;
}

bool Matches(const EntryRecord& e, const EntryText& t, const SearchConditions& c) {
    if (e.Amount == 0) return false;
    if (c.Item >= 0 && e.Item1 != c.Item && e.Item2 != c.Item) return false;
    if (c.SubItem >= 0 && e.SubItem1 != c.SubItem && e.SubItem2 != c.SubItem) return false;
    return Contains(t.Shop, c.Shop) && Contains(t.Memo, c.Memo);
}

std::string DateText(const EntryRecord& e) {
    return std::to_string(e.Month) + "月" + std::to_string(e.Day) + "日";
}

HitLabels LabelsOf(const Ledger& ledger, const SearchResult& result, int32_t key) {
    if (result.HitList.empty()) return HitLabels{kNoHit, "", ""};
    const EntryRecord& e = RecordOf(ledger, key);
    return HitLabels{DateText(e), FoundAmountText(e.Amount) + "円　", TextOf(ledger, key).Shop};
}

// Ranks of the keys: equal keys share a rank, and ranks follow the keys' order.
template <typename Key>
std::vector<uint32_t> RanksOf(const std::vector<Key>& keys) {
    std::vector<uint32_t> order(keys.size());
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(),
              [&](uint32_t a, uint32_t b) { return keys[a] < keys[b]; });
    std::vector<uint32_t> ranks(keys.size());
    uint32_t rank = 0;
    for (size_t i = 0; i < order.size(); ++i) {
        if (i > 0 && keys[order[i - 1]] < keys[order[i]]) ++rank;
        ranks[order[i]] = rank;
    }
    return ranks;
}

// The texts as stored, compared by their CP932 bytes. A shop or memo repeats over the
// year, so each distinct text is converted once.
std::vector<std::string> StoredBytes(const Ledger& ledger, const std::vector<int32_t>& hits,
                                     bool shop) {
    std::unordered_map<std::string_view, std::string> converted;
    std::vector<std::string> keys;
    keys.reserve(hits.size());
    for (int32_t key : hits) {
        const EntryText& t = TextOf(ledger, key);
        const std::string& text = shop ? t.Shop : t.Memo;
        auto [it, added] = converted.try_emplace(text);
        if (added) {
            try {
                it->second = EncodeCp932(text);
            } catch (const LedgerError&) {
                // A text no file could hold sorts by its own bytes rather than stop the sort.
                it->second = text;
            }
        }
        keys.push_back(it->second);
    }
    return keys;
}

std::vector<uint32_t> SortRanks(const Ledger& ledger, const std::vector<int32_t>& hits,
                                int column) {
    switch (column) {
        case 0: {
            std::vector<std::string> keys;
            keys.reserve(hits.size());
            for (int32_t key : hits) {
                const EntryRecord& e = RecordOf(ledger, key);
                keys.push_back(FormatZeroPadded(e.Month, 2) + FormatZeroPadded(e.Day, 2));
            }
            return RanksOf(keys);
        }
        case 1: {
            std::vector<int32_t> keys;
            keys.reserve(hits.size());
            for (int32_t key : hits) keys.push_back(RecordOf(ledger, key).Amount);
            return RanksOf(keys);
        }
        default:
            return RanksOf(StoredBytes(ledger, hits, column == 2));
    }
}

}  // namespace

// A whole amount with thousands separators, as every amount field shows it, right-aligned in
// 9 characters. Amounts are whole yen, so the digits are grouped directly, without the general
// formatter's rounding work per row.
std::string FoundAmountText(int32_t amount) {
    const std::string digits = std::to_string(amount);
    const size_t sign = amount < 0 ? 1 : 0;
    std::string text = digits.substr(0, sign);
    for (size_t i = sign; i < digits.size(); ++i) {
        if (i > sign && (digits.size() - i) % 3 == 0) text += ',';
        text += digits[i];
    }
    if (text.size() < 9) text.insert(0, 9 - text.size(), ' ');
    return text;
}

bool EntryMatches(const EntryRecord& e, const EntryText& t, const SearchConditions& c) {
    return Matches(e, t, c);
}

SearchResult SearchEntries(const Ledger& ledger, const SearchConditions& conditions) {
    SearchResult result;
    for (int m = 0; m < kMonthCount; ++m) {
        for (int s = 0; s < kSlotCount; ++s) {
            const EntryRecord& e = ledger.EntryTable[m][s];
            if (!Matches(e, ledger.EntryTextTable[m][s], conditions)) continue;
            const int32_t key = (m + 1) * kSlotCount + s;
            // The lowest is the smallest of the hits whatever its size, not only below a cap.
            if (result.HitList.empty() || e.Amount <= result.MinHitAmount) {
                result.MinHitKey = key;
                result.MinHitAmount = e.Amount;
            }
            if (result.HitList.empty() || e.Amount >= result.MaxHitAmount) {
                result.MaxHitKey = key;
                result.MaxHitAmount = e.Amount;
            }
            result.HitList.push_back(key);
        }
    }
    return result;
}

HitLabels HighestLabels(const Ledger& ledger, const SearchResult& result) {
    return LabelsOf(ledger, result, result.MaxHitKey);
}

HitLabels LowestLabels(const Ledger& ledger, const SearchResult& result) {
    return LabelsOf(ledger, result, result.MinHitKey);
}

void SortHits(const Ledger& ledger, std::vector<int32_t>& hits, int column) {
    if (column < 0 || column >= kHitColumns || hits.size() < 2) return;
    std::vector<uint32_t> ranks = SortRanks(ledger, hits, column);
    // The selection sort's order, found in n log n: a tournament tree over the positions
    // yields the smallest (rank, position) of the unsorted tail, that is the first
    // occurrence of the smallest key, which is swapped forward.
    const size_t n = hits.size();
    size_t leaves = 1;
    while (leaves < n) leaves <<= 1;
    constexpr uint64_t kTaken = std::numeric_limits<uint64_t>::max();
    std::vector<uint64_t> tree(2 * leaves, kTaken);
    auto leaf = [&](size_t pos) { return (uint64_t{ranks[pos]} << 32) | pos; };
    auto set = [&](size_t pos, uint64_t value) {
        size_t k = leaves + pos;
        tree[k] = value;
        for (k /= 2; k >= 1; k /= 2) tree[k] = std::min(tree[2 * k], tree[2 * k + 1]);
    };
    for (size_t i = 0; i < n; ++i) tree[leaves + i] = leaf(i);
    for (size_t k = leaves - 1; k >= 1; --k) tree[k] = std::min(tree[2 * k], tree[2 * k + 1]);
    for (size_t i = 0; i + 1 < n; ++i) {
        const size_t j = static_cast<size_t>(tree[1] & 0xFFFFFFFFu);
        if (j != i) {
            std::swap(hits[i], hits[j]);
            std::swap(ranks[i], ranks[j]);
            set(j, leaf(j));
        }
        set(i, kTaken);
    }
}

std::vector<std::array<std::string, kHitColumns>> HitRows(const Ledger& ledger,
                                                          const std::vector<int32_t>& hits) {
    std::vector<std::array<std::string, kHitColumns>> rows;
    if (hits.empty()) {
        rows.emplace_back();
        return rows;
    }
    rows.reserve(hits.size());
    for (int32_t key : hits) {
        const EntryRecord& e = RecordOf(ledger, key);
        const EntryText& t = TextOf(ledger, key);
        rows.push_back({DateText(e), FoundAmountText(e.Amount) + "円", t.Shop, t.Memo});
    }
    return rows;
}

int HeadingColumnAt(int x, const std::vector<int>& widths) {
    const int count = static_cast<int>(widths.size());
    int column = -1;
    while (x > 0) {
        if (++column >= count) return count;
        x -= widths[column];
    }
    return column;
}

}  // namespace kakeibo
