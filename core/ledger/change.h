// One change of the ledger as a value: what it touched, before and after, to apply either side.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/ledger/ledger.h"

namespace kakeibo {

// One month's slots as a change found and left them: slots First .. First + size - 1 held
// Before and now hold After. Both have the same length and include emptied slots, so that a
// delete, which moves the later entries up, is given back slot for slot.
struct SlotSpan {
    int Month = 1;  // 1..12
    int First = 0;
    std::vector<EntryRecord> Before;
    std::vector<EntryRecord> After;
    std::vector<EntryText> BeforeText;
    std::vector<EntryText> AfterText;

    bool operator==(const SlotSpan&) const = default;
};

// One budget of BudgetTable (row 0 stands before January, 1..12 are the months).
struct BudgetCell {
    int Month = 1;
    int Item = 0;
    int32_t Before = 0;
    int32_t After = 0;

    bool operator==(const BudgetCell&) const = default;
};

// Everything the settings dialog writes into the ledger. A setting added to the dialog is
// added here, so that the journal and undo carry it without further work.
struct SettingsState {
    std::array<ItemRecord, kItemCount> Items{};
    std::array<std::array<std::string, kSubItemCount>, kItemCount> SubItems{};
    // BalanceTable row 0: the opening balances with their sums.
    std::array<std::array<int64_t, kColumnCount>, kItemCount> Opening{};
    int32_t TaxRounding = 0;
    ItemMarks ReducedRateItems{};
    int32_t ShopHistoryMax = 0;
    int32_t MemoHistoryMax = 0;
    bool HideZeroItems = false;

    bool operator==(const SettingsState&) const = default;
};

SettingsState CaptureSettings(const Ledger& ledger);

// What the user did, for naming the step; the tables say what it changed.
enum class ChangeKind : int32_t {
    Write = 0,       // an entry written on the entry form
    Edit = 1,        // an entry changed in place
    Delete = 2,      // an entry deleted
    Budget = 3,      // one item's budget registered
    BudgetCopy = 4,  // last month's budgets copied
    Settings = 5,    // the settings dialog applied
    Import = 6,      // statement lines imported
    Recurring = 7,   // recurring entries written
    Restore = 8,     // the year put back from a generation kept by an earlier save
    Merge = 9,       // another computer's save of the ledger taken in
};

// One change of the ledger as every writer in core returns it: what it touched, before and
// after, and nothing else. Applying the After side to the ledger as it was before gives the
// ledger after the change (journal replay, redo); the Before side takes it back (undo).
struct Change {
    ChangeKind Kind = ChangeKind::Write;
    std::vector<SlotSpan> Slots;
    std::vector<BudgetCell> Budgets;
    std::optional<SettingsState> SettingsBefore;
    std::optional<SettingsState> SettingsAfter;

    // The first month (1..12) whose entries or budgets it touched; 0 for none.
    int FirstMonth() const;
    // True when item or sub-item names or kinds differ between the two sides.
    bool ChangesMasters() const;

    bool operator==(const Change&) const = default;
};

enum class ChangeSide { Before, After };

// Puts what the change touched as it stood on `side`, keeps NextSlot on the edited month's
// first free slot and sets LedgerChanged (and MastersChanged where names or kinds moved).
void ApplyChange(Ledger& ledger, const Change& change, ChangeSide side);

// The slots a month uses: NextSlot for the edited month, the first free slot for another.
int UsedSlots(const Ledger& ledger, int month);

}  // namespace kakeibo
