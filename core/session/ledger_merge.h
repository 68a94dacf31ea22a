#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/files/backup.h"
#include "core/ledger/change.h"
#include "core/ledger/entries.h"
#include "core/ledger/ledger.h"
#include "core/money_in/recurring.h"
#include "core/money_in/statement_import.h"
#include "core/session/sync_copies.h"

namespace kakeibo {

// Two versions of one ledger, each saved on its own computer from the same state, merged into
// the one a person would have typed into one computer. "Ours" is the ledger that is open,
// "theirs" the copy the sync service set beside it.

// Neither drops both versions of an entry (budgets and balances take one of them).
enum class ConflictChoice { Undecided, Ours, Theirs, Both, Neither };

// The same thing changed differently on both sides: the program never picks one.
struct MergeConflict {
    enum class Kind { Entry, Budget, Opening } What = Kind::Entry;
    int Month = 1;   // an entry's month 1..12; a budget's row 0..12
    int Item = 0;    // a budget's or an opening balance's item
    int Column = 0;  // an opening balance's account (sub-item)
    // An entry on each side; none where that side deleted it (or, without a base, never had it).
    std::optional<NewEntry> Base, Ours, Theirs;
    int64_t BaseValue = 0, OursValue = 0, TheirsValue = 0;  // budgets and opening balances
    ConflictChoice Choice = ConflictChoice::Undecided;
};

// One place of a merged month: a settled entry, or a conflict's versions as the user chooses.
struct MergedEntry {
    NewEntry Entry;
    int Conflict = -1;  // >= 0: stands for Conflicts[Conflict]
    // Without a base: an entry only one side has, kept while checked.
    bool OneSided = false;
    bool FromTheirs = false;
    bool Keep = true;
};

// What the copy brings in, for the main window's band.
struct MergeCounts {
    int Added = 0;
    int Edited = 0;
    int Deleted = 0;
    int Budgets = 0;
    int Openings = 0;
};

struct LedgerMerge {
    bool HasBase = false;
    std::array<std::vector<MergedEntry>, kMonthCount> Months;
    std::array<std::array<int32_t, kItemCount>, kMonthCount + 1> Budgets{};
    std::array<std::array<int64_t, kColumnCount>, kItemCount> Opening{};
    std::vector<MergeConflict> Conflicts;
    MergeCounts FromTheirs;

    // Conflicts not yet chosen; ApplyMerge refuses while there are any.
    int Undecided() const;
    // Entries only one side has (without a base), each for the user to confirm.
    int OneSidedEntries() const;
};

// Three-way merge against `base` (the state both sides started from), or, with none, one to
// one on every field. Entries are a multiset per month: added on either side is added,
// deleted on either side is deleted, edited on one side is that edit; the same entry edited
// differently on both sides, or edited on one and deleted on the other, is a conflict. The
// budgets and the opening balances merge cell by cell.
LedgerMerge MergeLedgers(const Ledger* base, const Ledger& ours, const Ledger& theirs);

// Writes the merge into the ledger (conflicts as chosen, unchecked one-sided entries left out)
// as one change, and returns it. Throws LedgerError and changes nothing while a conflict is
// undecided or when a month would hold more than kSlotCount entries.
Change ApplyMerge(Ledger& ledger, const LedgerMerge& merge);

// One side's version of a conflict as the user compares them: 「1月5日　食費・野菜／お財布　
// 1,250円　魚屋　夕食」, 「（削除）」 for an entry that side deleted, 「3月の予算　食費　5,000円」,
// 「期首残高　銀行・みずほ　10,000円」.
std::string ConflictVersionText(const Ledger& ledger, const MergeConflict& conflict, bool theirs);

// The band's text after a merge: 「別のパソコンの変更を取り込みました（追加 3 件、変更 1 件、
// 削除 2 件）。」
std::string MergeSummary(const MergeCounts& counts);

// How far two states of a ledger lie apart: entries one has and the other lacks (an edit
// counts twice), budget cells and opening balances that differ.
int64_t LedgerDistance(const Ledger& a, const Ledger& b);

// The generation of the ledger's backups that both sides started from: of those that load,
// the one that lies nearest to both (the sum of the distances), ties going to the one from
// which fewer entries would count as deleted, then to the newest. None when there is no
// generation or the nearest lies farther from both than they lie from each other.
struct MergeBase {
    BackupGeneration Generation;
    std::unique_ptr<Ledger> Tables;
};
std::optional<MergeBase> FindMergeBase(const std::string& dataDir, const std::string& name,
                                       const Ledger& ours, const Ledger& theirs);

// The ledger as the copy holds it: its files where the copy has them, the ledger's files in
// the folder for the others (a file the services did not split is the same on both sides).
// Refuses, with a LedgerError naming the file and why, a copy that is binary, cut short or of
// another year than `year` (LedgerYear in core/cli/batch.h); nothing is changed then.
std::unique_ptr<Ledger> LoadSyncCopy(const std::string& dataDir, const std::string& name,
                                     const SyncCopy& copy, int year);

// 「両方の変更を残す」 when another program saved the ledger's files over those this program
// read: the files as they are now, merged with the open ledger (its changes since it was read
// replayed onto them). The other save kept the files it replaced, the ones read here, as a
// generation: that is the base. A file that cannot be read throws LedgerError naming it.
struct DiskMerge {
    std::unique_ptr<Ledger> OnDisk;
    std::optional<MergeBase> Base;
    LedgerMerge Merge;
};
DiskMerge MergeFilesOnDisk(const std::string& dataDir, const std::string& name, const Ledger& open);

// Moves the copy's files into backup/NAME/sync-copies/ (0700, the files 0600), where the list
// of generations does not look and nothing removes them. Returns the folder.
std::string PutAwaySyncCopy(const std::string& dataDir, const std::string& name,
                            const SyncCopy& copy);

// The shared files of the data folder, merged as unions. A history keeps the ledger's order,
// then what only the copy has, up to `max` texts.
std::vector<std::string> MergeHistory(const std::vector<std::string>& ours,
                                      const std::vector<std::string>& theirs, int max);

// A keyed list (rules by their text, templates by their name) as a union: one of a kind on
// both sides is kept once; the same key with different contents is a conflict, held in
// Merged as our version until resolved.
template <typename T>
struct ListMerge {
    std::vector<T> Merged;
    struct Conflict {
        size_t At = 0;  // index in Merged of our version
        T Ours;
        T Theirs;
        ConflictChoice Choice = ConflictChoice::Undecided;
    };
    std::vector<Conflict> Conflicts;
};
ListMerge<ImportRule> MergeImportRules(const std::vector<ImportRule>& ours,
                                       const std::vector<ImportRule>& theirs);
ListMerge<RecurringEntry> MergeRecurring(const std::vector<RecurringEntry>& ours,
                                         const std::vector<RecurringEntry>& theirs);
// The merged list with every conflict's choice made; throws LedgerError while one is undecided.
std::vector<ImportRule> ResolvedList(const ListMerge<ImportRule>& merge);
std::vector<RecurringEntry> ResolvedList(const ListMerge<RecurringEntry>& merge);

}  // namespace kakeibo
