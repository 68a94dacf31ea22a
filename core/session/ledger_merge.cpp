#include "core/session/ledger_merge.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <unordered_map>

#include "core/errors.h"
#include "core/files/file_io.h"
#include "core/files/journal.h"
#include "core/files/ledger_files.h"
#include "core/files/ledger_paths.h"
#include "core/numbers.h"

namespace kakeibo {

namespace {

constexpr int kBudgetLines = (kMonthCount + 1) * kItemCount;
constexpr int kBalanceLines = (kMonthCount + 1) * kItemCount * kColumnCount;
constexpr int kAccountColumns = kColumnCount - 1;  // column 5 is their sum
// Fields an edit keeps of the nine an entry can change: an entry edited on one side and an
// entry deleted and another added in its place are told apart by how much they share.
constexpr int kEditKeepsFields = 6;

uint64_t Mix(uint64_t hash, uint64_t value) {
    hash ^= value + 0x9e3779b97f4a7c15ULL + (hash << 6) + (hash >> 2);
    return hash;
}

uint64_t HashText(std::string_view text) {
    uint64_t hash = 14695981039346656037ULL;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ULL;
    }
    return hash;
}

uint64_t HashEntry(const EntryRecord& r, const EntryText& t) {
    uint64_t h = 0;
    for (const int32_t v :
         {r.Year, r.Month, r.Day, r.Item1, r.SubItem1, r.Item2, r.SubItem2, r.Amount, r.TaxKind}) {
        h = Mix(h, static_cast<uint32_t>(v));
    }
    h = Mix(h, HashText(t.Shop));
    return Mix(h, HashText(t.Memo));
}

struct Keyed {
    NewEntry Entry;
    uint64_t Hash = 0;
};

std::vector<Keyed> MonthEntries(const Ledger& ledger, int m) {
    std::vector<Keyed> entries;
    const auto& records = ledger.EntryTable[m];
    for (int s = 0; s < kSlotCount && records[s].Amount > 0; ++s) {
        const EntryText& text = ledger.EntryTextTable[m][s];
        entries.push_back({NewEntry{records[s], text}, HashEntry(records[s], text)});
    }
    return entries;
}

bool Same(const Keyed& a, const Keyed& b) {
    return a.Hash == b.Hash && a.Entry == b.Entry;
}

bool Similar(const NewEntry& a, const NewEntry& b) {
    const EntryRecord& x = a.Record;
    const EntryRecord& y = b.Record;
    const int equal = (x.Day == y.Day) + (x.Item1 == y.Item1) + (x.SubItem1 == y.SubItem1) +
                      (x.Item2 == y.Item2) + (x.SubItem2 == y.SubItem2) + (x.Amount == y.Amount) +
                      (x.TaxKind == y.TaxKind) + (a.Text.Shop == b.Text.Shop) +
                      (a.Text.Memo == b.Text.Memo);
    return x.Year == y.Year && equal >= kEditKeepsFields;
}

// Pairs equal entries of two lists one to one, the k-th of a kind with the k-th: for each
// entry of `a`, the index of its partner in `b`, or -1.
std::vector<int> MatchEqual(const std::vector<Keyed>& a, const std::vector<Keyed>& b) {
    std::unordered_map<uint64_t, std::vector<int>> where;
    for (int j = static_cast<int>(b.size()) - 1; j >= 0; --j) where[b[j].Hash].push_back(j);
    std::vector<int> partner(a.size(), -1);
    for (size_t i = 0; i < a.size(); ++i) {
        auto found = where.find(a[i].Hash);
        if (found == where.end()) continue;
        auto& list = found->second;  // the earliest unused last
        for (size_t k = list.size(); k-- > 0;) {
            if (Same(a[i], b[list[k]])) {
                partner[i] = list[k];
                list.erase(list.begin() + static_cast<ptrdiff_t>(k));
                break;
            }
        }
    }
    return partner;
}

// Of the matched pairs (in the order of `a`), the longest run whose partners in `b` also rise:
// the entries that stayed where they were.
std::vector<bool> Anchors(const std::vector<int>& partner) {
    std::vector<int> tails;  // index into partner of the run's last, by run length
    std::vector<int> previous(partner.size(), -1);
    for (int i = 0; i < static_cast<int>(partner.size()); ++i) {
        if (partner[i] < 0) continue;
        auto at = std::lower_bound(tails.begin(), tails.end(), partner[i],
                                   [&](int t, int value) { return partner[t] < value; });
        if (at != tails.begin()) previous[i] = *(at - 1);
        if (at == tails.end()) {
            tails.push_back(i);
        } else {
            *at = i;
        }
    }
    std::vector<bool> anchor(partner.size(), false);
    for (int i = tails.empty() ? -1 : tails.back(); i >= 0; i = previous[i]) anchor[i] = true;
    return anchor;
}

enum class Op : uint8_t { Keep, Edit, Delete };

// What one side did to a month of the base.
struct SideDiff {
    std::vector<Op> Ops;                  // per base entry
    std::vector<int> EditTo;              // per base entry: the side's entry it became
    std::vector<std::vector<int>> Added;  // [p]: the side's new entries placed before base p
};

SideDiff Diff(const std::vector<Keyed>& base, const std::vector<Keyed>& side) {
    const int n = static_cast<int>(base.size());
    SideDiff d{std::vector<Op>(n, Op::Delete), std::vector<int>(n, -1),
               std::vector<std::vector<int>>(n + 1)};
    std::vector<int> partner = MatchEqual(base, side);
    const std::vector<bool> anchor = Anchors(partner);
    int lastSide = -1;
    int gapStart = 0;
    const auto closeGap = [&](int gapEnd, int sideEnd) {
        // Base entries gapStart..gapEnd-1 and side entries lastSide+1..sideEnd-1 lie between
        // two kept entries: a base entry is edited into the first similar side entry after
        // the one paired before it.
        int from = lastSide + 1;
        std::vector<bool> used(static_cast<size_t>(std::max(0, sideEnd - from)), false);
        for (int i = gapStart; i < gapEnd; ++i) {
            for (int j = from; j < sideEnd; ++j) {
                if (Similar(base[i].Entry, side[j].Entry)) {
                    d.Ops[i] = Op::Edit;
                    d.EditTo[i] = j;
                    used[j - lastSide - 1] = true;
                    from = j + 1;
                    break;
                }
            }
        }
        for (int j = lastSide + 1; j < sideEnd; ++j) {
            if (!used[j - lastSide - 1]) d.Added[gapEnd].push_back(j);
        }
    };
    for (int i = 0; i < n; ++i) {
        if (!anchor[i]) continue;
        closeGap(i, partner[i]);
        d.Ops[i] = Op::Keep;
        lastSide = partner[i];
        gapStart = i + 1;
    }
    closeGap(n, static_cast<int>(side.size()));
    return d;
}

void AddConflict(LedgerMerge& merge, int month, MergeConflict conflict) {
    conflict.Month = month;
    merge.Months[month - 1].push_back(
        MergedEntry{{}, static_cast<int>(merge.Conflicts.size()), false, false, true});
    merge.Conflicts.push_back(std::move(conflict));
}

void MergeMonthWithBase(LedgerMerge& merge, int month, const std::vector<Keyed>& base,
                        const std::vector<Keyed>& ours, const std::vector<Keyed>& theirs) {
    const SideDiff a = Diff(base, ours);
    const SideDiff b = Diff(base, theirs);
    // An entry both sides added is added once.
    std::vector<Keyed> oursAdded;
    for (const auto& at : a.Added) {
        for (const int j : at) oursAdded.push_back(ours[j]);
    }
    std::vector<Keyed> theirsAdded;
    for (const auto& at : b.Added) {
        for (const int j : at) theirsAdded.push_back(theirs[j]);
    }
    const std::vector<int> twice = MatchEqual(theirsAdded, oursAdded);
    size_t theirsIndex = 0;
    auto& out = merge.Months[month - 1];
    const auto settle = [&out](const NewEntry& e) { out.push_back(MergedEntry{e}); };
    const int n = static_cast<int>(base.size());
    for (int p = 0; p <= n; ++p) {
        for (const int j : a.Added[p]) settle(ours[j].Entry);
        for (const int j : b.Added[p]) {
            if (twice[theirsIndex++] < 0) {
                settle(theirs[j].Entry);
                ++merge.FromTheirs.Added;
            }
        }
        if (p == n) break;
        const Op x = a.Ops[p];
        const Op y = b.Ops[p];
        const NewEntry* mine = x == Op::Edit ? &ours[a.EditTo[p]].Entry : nullptr;
        const NewEntry* other = y == Op::Edit ? &theirs[b.EditTo[p]].Entry : nullptr;
        if (x == Op::Keep && y == Op::Keep) {
            settle(base[p].Entry);
        } else if (x == Op::Keep && y == Op::Edit) {
            settle(*other);
            ++merge.FromTheirs.Edited;
        } else if (x == Op::Edit && y == Op::Keep) {
            settle(*mine);
        } else if (x == Op::Edit && y == Op::Edit && *mine == *other) {
            settle(*mine);
        } else if (x == Op::Delete && y == Op::Delete) {
        } else if (x == Op::Keep || y == Op::Keep) {
            if (x == Op::Keep) ++merge.FromTheirs.Deleted;
        } else {
            MergeConflict c;
            c.Base = base[p].Entry;
            if (mine) c.Ours = *mine;
            if (other) c.Theirs = *other;
            AddConflict(merge, month, std::move(c));
        }
    }
}

void MergeMonthWithoutBase(LedgerMerge& merge, int month, const std::vector<Keyed>& ours,
                           const std::vector<Keyed>& theirs) {
    const std::vector<int> partner = MatchEqual(ours, theirs);
    std::vector<bool> matched(theirs.size(), false);
    auto& out = merge.Months[month - 1];
    for (size_t i = 0; i < ours.size(); ++i) {
        const bool shared = partner[i] >= 0;
        if (shared) matched[partner[i]] = true;
        out.push_back(MergedEntry{ours[i].Entry, -1, !shared, false, true});
    }
    for (size_t j = 0; j < theirs.size(); ++j) {
        if (matched[j]) continue;
        out.push_back(MergedEntry{theirs[j].Entry, -1, true, true, true});
        ++merge.FromTheirs.Added;
    }
}

// One cell of two sides: the side that changed it, or a conflict.
template <typename T>
bool MergeCell(const T* base, T ours, T theirs, T& merged, bool& fromTheirs) {
    fromTheirs = false;
    merged = ours;
    if (ours == theirs) return true;
    if (base && ours == *base) {
        merged = theirs;
        fromTheirs = true;
        return true;
    }
    return base && theirs == *base;
}

std::vector<uint64_t> EntryHashes(const Ledger& ledger) {
    std::vector<uint64_t> hashes;
    for (int m = 0; m < kMonthCount; ++m) {
        for (int s = 0; s < kSlotCount && ledger.EntryTable[m][s].Amount > 0; ++s) {
            hashes.push_back(HashEntry(ledger.EntryTable[m][s], ledger.EntryTextTable[m][s]));
        }
    }
    std::sort(hashes.begin(), hashes.end());
    return hashes;
}

// Entries of `a` that `b` lacks, as multisets of sorted hashes.
int64_t Missing(const std::vector<uint64_t>& a, const std::vector<uint64_t>& b) {
    int64_t count = 0;
    size_t j = 0;
    for (const uint64_t h : a) {
        while (j < b.size() && b[j] < h) ++j;
        if (j < b.size() && b[j] == h) {
            ++j;
        } else {
            ++count;
        }
    }
    return count;
}

int64_t CellDistance(const Ledger& a, const Ledger& b) {
    int64_t count = 0;
    for (int row = 0; row <= kMonthCount; ++row) {
        for (int item = 0; item < kItemCount; ++item) {
            count += a.BudgetTable[row][item] != b.BudgetTable[row][item];
        }
    }
    for (int item = 0; item < kItemCount; ++item) {
        for (int c = 0; c < kAccountColumns; ++c) {
            count += a.BalanceTable[0][item][c] != b.BalanceTable[0][item][c];
        }
    }
    return count;
}

[[noreturn]] void RefuseCopy(const std::string& path, const std::string& why) {
    throw LedgerError("競合コピー「" + path + "」は取り込めません。" + why +
                      "家計簿は変更していません。");
}

// A copy's own file: whole text, not cut short, with the lines its table needs.
void CheckCopyFile(const std::string& path, int lines) {
    const auto bytes = ReadFileBytes(path);
    if (!bytes) RefuseCopy(path, "ファイルを開けませんでした。");
    if (bytes->find('\0') != std::string::npos) {
        RefuseCopy(path, "家計簿のファイルではありません（バイナリのデータです）。");
    }
    if (!bytes->empty() && bytes->back() != '\n') {
        RefuseCopy(path, "ファイルが途中で切れています。");
    }
    if (lines > 0 && static_cast<int>(SplitLines(*bytes).size()) != lines) {
        RefuseCopy(path, "ファイルが途中で切れています（" +
                             std::to_string(SplitLines(*bytes).size()) + " 行、" +
                             std::to_string(lines) + " 行のはずです）。");
    }
}

void MakePrivateFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
        throw LedgerError("フォルダ「" + path + "」を作成できませんでした。" +
                          FileErrorReason(errno) + "。");
    }
    ::chmod(path.c_str(), 0700);
}

template <typename T, typename Key>
ListMerge<T> MergeKeyed(const std::vector<T>& ours, const std::vector<T>& theirs, Key key) {
    ListMerge<T> merge;
    merge.Merged = ours;
    const size_t own = ours.size();
    for (const T& t : theirs) {
        const auto same = std::find(merge.Merged.begin(), merge.Merged.end(), t);
        if (same != merge.Merged.end()) continue;
        const auto at = std::find_if(merge.Merged.begin(), merge.Merged.begin() + own,
                                     [&](const T& o) { return key(o) == key(t); });
        if (at == merge.Merged.begin() + own) {
            merge.Merged.push_back(t);
            continue;
        }
        merge.Conflicts.push_back({static_cast<size_t>(at - merge.Merged.begin()), *at, t});
    }
    return merge;
}

template <typename T>
std::vector<T> Resolve(const ListMerge<T>& merge) {
    std::vector<T> out;
    for (size_t i = 0; i < merge.Merged.size(); ++i) {
        bool kept = false;
        for (const auto& c : merge.Conflicts) {
            if (c.At != i) continue;
            switch (c.Choice) {
                case ConflictChoice::Undecided:
                case ConflictChoice::Neither:
                    throw LedgerError("まだ選ばれていない食い違いがあります。");
                case ConflictChoice::Ours:
                    break;
                case ConflictChoice::Theirs:
                    out.push_back(c.Theirs);
                    kept = true;
                    break;
                case ConflictChoice::Both:
                    out.push_back(merge.Merged[i]);
                    out.push_back(c.Theirs);
                    kept = true;
                    break;
            }
        }
        if (!kept) out.push_back(merge.Merged[i]);
    }
    return out;
}

}  // namespace

int LedgerMerge::Undecided() const {
    return static_cast<int>(std::count_if(Conflicts.begin(), Conflicts.end(), [](const auto& c) {
        return c.Choice == ConflictChoice::Undecided ||
               (c.What != MergeConflict::Kind::Entry &&
                (c.Choice == ConflictChoice::Both || c.Choice == ConflictChoice::Neither));
    }));
}

int LedgerMerge::OneSidedEntries() const {
    int count = 0;
    for (const auto& month : Months) {
        count += static_cast<int>(
            std::count_if(month.begin(), month.end(), [](const auto& e) { return e.OneSided; }));
    }
    return count;
}

LedgerMerge MergeLedgers(const Ledger* base, const Ledger& ours, const Ledger& theirs) {
    LedgerMerge merge;
    merge.HasBase = base != nullptr;
    for (int m = 0; m < kMonthCount; ++m) {
        const auto mine = MonthEntries(ours, m);
        const auto other = MonthEntries(theirs, m);
        if (base) {
            MergeMonthWithBase(merge, m + 1, MonthEntries(*base, m), mine, other);
        } else {
            MergeMonthWithoutBase(merge, m + 1, mine, other);
        }
    }
    // One number of both sides: a cell changed differently on each becomes a conflict at `where`.
    const auto mergeNumber = [&merge](const auto* was, auto a, auto b, auto& into,
                                      MergeConflict where, auto& takenFromTheirs) {
        bool fromTheirs = false;
        if (!MergeCell(was, a, b, into, fromTheirs)) {
            where.BaseValue = was ? *was : 0;
            where.OursValue = a;
            where.TheirsValue = b;
            merge.Conflicts.push_back(where);
        }
        takenFromTheirs += fromTheirs;
    };
    for (int row = 0; row <= kMonthCount; ++row) {
        for (int item = 0; item < kItemCount; ++item) {
            const int32_t* was = base ? &base->BudgetTable[row][item] : nullptr;
            const int32_t a = ours.BudgetTable[row][item];
            const int32_t b = theirs.BudgetTable[row][item];
            MergeConflict where;
            where.What = MergeConflict::Kind::Budget;
            where.Month = row;
            where.Item = item;
            mergeNumber(was, a, b, merge.Budgets[row][item], where, merge.FromTheirs.Budgets);
        }
    }
    merge.Opening = ours.BalanceTable[0];
    for (int item = 0; item < kItemCount; ++item) {
        for (int col = 0; col < kAccountColumns; ++col) {
            const int64_t* was = base ? &base->BalanceTable[0][item][col] : nullptr;
            const int64_t a = ours.BalanceTable[0][item][col];
            const int64_t b = theirs.BalanceTable[0][item][col];
            MergeConflict where;
            where.What = MergeConflict::Kind::Opening;
            where.Item = item;
            where.Column = col;
            mergeNumber(was, a, b, merge.Opening[item][col], where, merge.FromTheirs.Openings);
        }
    }
    return merge;
}

Change ApplyMerge(Ledger& ledger, const LedgerMerge& merge) {
    if (merge.Undecided() > 0) {
        throw LedgerError("まだ選ばれていない食い違いが " + std::to_string(merge.Undecided()) +
                          " 件あります。");
    }
    auto after = std::make_unique<Ledger>(ledger);
    for (int m = 0; m < kMonthCount; ++m) {
        std::vector<const NewEntry*> entries;
        for (const MergedEntry& e : merge.Months[m]) {
            if (e.Conflict < 0) {
                if (e.Keep) entries.push_back(&e.Entry);
                continue;
            }
            const MergeConflict& c = merge.Conflicts[e.Conflict];
            const bool mine = c.Choice == ConflictChoice::Ours || c.Choice == ConflictChoice::Both;
            const bool other =
                c.Choice == ConflictChoice::Theirs || c.Choice == ConflictChoice::Both;
            if (mine && c.Ours) entries.push_back(&*c.Ours);
            if (other && c.Theirs && !(mine && c.Ours && *c.Ours == *c.Theirs)) {
                entries.push_back(&*c.Theirs);
            }
        }
        if (entries.size() > static_cast<size_t>(kSlotCount)) {
            throw LedgerError(std::to_string(m + 1) + " 月の明細が " +
                              std::to_string(entries.size()) + " 件になり、" +
                              std::to_string(kSlotCount) + " 件を超えるため取り込めません。");
        }
        auto& records = after->EntryTable[m];
        auto& texts = after->EntryTextTable[m];
        for (int s = 0; s < kSlotCount; ++s) {
            if (s < static_cast<int>(entries.size())) {
                records[s] = entries[s]->Record;
                texts[s] = entries[s]->Text;
            } else {
                if (records[s].Amount <= 0 && texts[s] == EntryText{}) break;
                records[s] = EntryRecord{};
                texts[s] = EntryText{};
            }
        }
    }
    after->BudgetTable = merge.Budgets;
    auto opening = merge.Opening;
    for (const MergeConflict& c : merge.Conflicts) {
        const bool other = c.Choice == ConflictChoice::Theirs;
        if (c.What == MergeConflict::Kind::Budget) {
            after->BudgetTable[c.Month][c.Item] =
                static_cast<int32_t>(other ? c.TheirsValue : c.OursValue);
        } else if (c.What == MergeConflict::Kind::Opening) {
            opening[c.Item][c.Column] = other ? c.TheirsValue : c.OursValue;
        }
    }
    for (int item = 0; item < kItemCount; ++item) {
        if (opening[item] == ledger.BalanceTable[0][item]) continue;
        int64_t sum = 0;
        for (int col = 0; col < kAccountColumns; ++col) sum += opening[item][col];
        opening[item][kTotalColumn] = sum;
    }
    after->BalanceTable[0] = opening;
    Change change = ChangeBetween(ledger, *after, ChangeKind::Merge, false);
    ApplyChange(ledger, change, ChangeSide::After);
    return change;
}

std::string ConflictVersionText(const Ledger& ledger, const MergeConflict& conflict, bool theirs) {
    const auto amount = [](int64_t yen) {
        return FormatNumber(static_cast<long double>(yen), 0, 0) + "円";
    };
    const auto side = [&ledger](int item, int sub) {
        return ledger.ItemTable[item].Name + "・" + ledger.SubItemTable[item][sub];
    };
    switch (conflict.What) {
        case MergeConflict::Kind::Entry: {
            const auto& version = theirs ? conflict.Theirs : conflict.Ours;
            if (!version) return "（削除）";
            const EntryRecord& r = version->Record;
            std::string text = std::to_string(r.Month) + "月" + std::to_string(r.Day) + "日　" +
                               side(r.Item1, r.SubItem1) + "／" + side(r.Item2, r.SubItem2) + "　" +
                               amount(r.Amount);
            if (!version->Text.Shop.empty()) text += "　" + version->Text.Shop.str();
            if (!version->Text.Memo.empty()) text += "　" + version->Text.Memo.str();
            return text;
        }
        case MergeConflict::Kind::Budget:
            return (conflict.Month == 0 ? std::string("1月の前")
                                        : std::to_string(conflict.Month) + "月") +
                   "の予算　" + ledger.ItemTable[conflict.Item].Name + "　" +
                   amount(theirs ? conflict.TheirsValue : conflict.OursValue);
        case MergeConflict::Kind::Opening:
            return "期首残高　" + side(conflict.Item, conflict.Column) + "　" +
                   amount(theirs ? conflict.TheirsValue : conflict.OursValue);
    }
    return {};
}

std::string MergeSummary(const MergeCounts& counts) {
    std::vector<std::string> parts;
    const auto part = [&parts](const char* what, int n, const char* unit) {
        if (n > 0) parts.push_back(std::string(what) + " " + std::to_string(n) + " " + unit);
    };
    part("追加", counts.Added, "件");
    part("変更", counts.Edited, "件");
    part("削除", counts.Deleted, "件");
    part("予算", counts.Budgets, "か所");
    part("期首残高", counts.Openings, "か所");
    if (parts.empty()) return "別のパソコンの変更はすべて取り込み済みでした。";
    std::string text = "別のパソコンの変更を取り込みました（";
    for (size_t i = 0; i < parts.size(); ++i) text += (i ? "、" : "") + parts[i];
    return text + "）。";
}

int64_t LedgerDistance(const Ledger& a, const Ledger& b) {
    const auto x = EntryHashes(a);
    const auto y = EntryHashes(b);
    return Missing(x, y) + Missing(y, x) + CellDistance(a, b);
}

std::optional<MergeBase> FindMergeBase(const std::string& dataDir, const std::string& name,
                                       const Ledger& ours, const Ledger& theirs) {
    const auto mine = EntryHashes(ours);
    const auto other = EntryHashes(theirs);
    const int64_t apart = Missing(mine, other) + Missing(other, mine) + CellDistance(ours, theirs);
    std::optional<MergeBase> best;
    int64_t bestScore = 0;
    int64_t bestDeleted = 0;
    for (const BackupGeneration& g : ListGenerations(dataDir, name)) {
        auto tables = std::make_unique<Ledger>();
        try {
            const LoadResult loaded = LoadLedgerFiles(
                *tables, g.Path + EntriesFileName(name), g.Path + BudgetFileName(name),
                g.Path + BalanceFileName(name), MissingTables::Empty);
            if (!loaded.Loaded) continue;
        } catch (const LedgerError&) {
            continue;  // a damaged generation is no base
        }
        const auto was = EntryHashes(*tables);
        const int64_t deleted = Missing(was, mine) + Missing(was, other);
        const int64_t score = deleted + Missing(mine, was) + Missing(other, was) +
                              CellDistance(*tables, ours) + CellDistance(*tables, theirs);
        // Newest first: a later one must be strictly nearer.
        if (!best || score < bestScore || (score == bestScore && deleted < bestDeleted)) {
            best = MergeBase{g, std::move(tables)};
            bestScore = score;
            bestDeleted = deleted;
        }
    }
    if (best && bestScore - apart > apart) return std::nullopt;
    return best;
}

std::unique_ptr<Ledger> LoadSyncCopy(const std::string& dataDir, const std::string& name,
                                     const SyncCopy& copy, int year) {
    const auto path = [&](SyncedFile file, int lines) {
        if (const ConflictName* own = copy.Find(file)) {
            const std::string copied = dataDir + own->FileName;
            CheckCopyFile(copied, lines);
            return copied;
        }
        return dataDir + SyncedFileName(file, name);
    };
    const std::string entries = path(SyncedFile::Entries, 0);
    const std::string budget = path(SyncedFile::Budget, kBudgetLines);
    const std::string balance = path(SyncedFile::Balance, kBalanceLines);
    auto tables = std::make_unique<Ledger>();
    LoadResult loaded;
    try {
        loaded = LoadLedgerFiles(*tables, entries, budget, balance, MissingTables::Empty);
    } catch (const LedgerError& e) {
        throw LedgerError(std::string(e.what()) +
                          "\r競合コピーは取り込めません。家計簿は変更していません。");
    }
    if (!loaded.Loaded) RefuseCopy(entries, "ファイルがありません。");
    for (const auto& month : tables->EntryTable) {
        for (const EntryRecord& r : month) {
            if (r.Amount <= 0) break;
            if (year != 0 && r.Year != year) {
                RefuseCopy(entries, std::to_string(r.Year) + " 年の明細があります（この家計簿は " +
                                        std::to_string(year) + " 年です）。");
            }
        }
    }
    return tables;
}

DiskMerge MergeFilesOnDisk(const std::string& dataDir, const std::string& name,
                           const Ledger& open) {
    DiskMerge result;
    result.OnDisk = std::make_unique<Ledger>();
    if (!MonthLoad(*result.OnDisk, dataDir, name, MissingTables::Empty).Loaded) {
        throw LedgerError("ファイル「" + dataDir + EntriesFileName(name) +
                          "」が見つかりません。両方の変更を残すことはできません。");
    }
    result.Base = FindMergeBase(dataDir, name, open, *result.OnDisk);
    result.Merge =
        MergeLedgers(result.Base ? result.Base->Tables.get() : nullptr, open, *result.OnDisk);
    return result;
}

std::string PutAwaySyncCopy(const std::string& dataDir, const std::string& name,
                            const SyncCopy& copy) {
    MakePrivateFolder(dataDir + "backup");
    const std::string ledgerFolder = BackupFolder(dataDir, name);
    MakePrivateFolder(ledgerFolder.substr(0, ledgerFolder.size() - 1));
    const std::string folder = ledgerFolder + "sync-copies/";
    MakePrivateFolder(folder.substr(0, folder.size() - 1));
    for (const ConflictName& file : copy.Files) {
        std::string target = folder + file.FileName;
        for (int n = 2; FileExists(target); ++n) {
            target = folder + file.FileName + "." + std::to_string(n);
        }
        const std::string from = dataDir + file.FileName;
        if (::rename(from.c_str(), target.c_str()) != 0) {
            throw LedgerError("競合コピー「" + from + "」を「" + folder + "」へ移せませんでした。" +
                              FileErrorReason(errno) + "。");
        }
        ::chmod(target.c_str(), 0600);
    }
    return folder;
}

std::vector<std::string> MergeHistory(const std::vector<std::string>& ours,
                                      const std::vector<std::string>& theirs, int max) {
    std::vector<std::string> merged = ours;
    for (const std::string& text : theirs) {
        if (std::find(merged.begin(), merged.end(), text) == merged.end()) merged.push_back(text);
    }
    if (max >= 0 && merged.size() > static_cast<size_t>(max)) merged.resize(max);
    return merged;
}

ListMerge<ImportRule> MergeImportRules(const std::vector<ImportRule>& ours,
                                       const std::vector<ImportRule>& theirs) {
    return MergeKeyed(ours, theirs, [](const ImportRule& r) { return r.Text; });
}

ListMerge<RecurringEntry> MergeRecurring(const std::vector<RecurringEntry>& ours,
                                         const std::vector<RecurringEntry>& theirs) {
    return MergeKeyed(ours, theirs, [](const RecurringEntry& r) { return r.Name; });
}

std::vector<ImportRule> ResolvedList(const ListMerge<ImportRule>& merge) {
    return Resolve(merge);
}

std::vector<RecurringEntry> ResolvedList(const ListMerge<RecurringEntry>& merge) {
    return Resolve(merge);
}

}  // namespace kakeibo
