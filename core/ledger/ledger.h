// The ledger: the year's plain tables of entries, budgets, balances, items and options.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/calendar.h"
#include "core/shared_text.h"

namespace kakeibo {

inline constexpr int kItemCount = 30;
inline constexpr int kSubItemCount = 5;
inline constexpr int kMonthCount = 12;
inline constexpr int kSlotCount = 1000;
inline constexpr int kColumnCount = 6;  // five sub-items and the item's total
inline constexpr int kTotalColumn = 5;

inline constexpr const char* kNewLedgerName = "新規作成";
inline constexpr const char* kKindExpense = "-1";
inline constexpr const char* kKindAccount = "0";
inline constexpr const char* kKindIncome = "1";

// The food item of the default masters: the one item taxed at the reduced rate until the
// user marks others.
inline constexpr int kDefaultReducedRateItem = 2;
using ItemMarks = std::array<bool, kItemCount>;
constexpr ItemMarks DefaultReducedRateItems() {
    ItemMarks marks{};
    marks[kDefaultReducedRateItem] = true;
    return marks;
}

// Sub-items of marked items that pay the full rate all the same (外食 under 食費: a meal out is
// taxed at ten percent). Shipped with that one; a settings file with its own marks (line 8) and
// no exceptions line has none.
inline constexpr int kDefaultFullRateSubItem = 1;
using SubItemMarks = std::array<std::array<bool, kSubItemCount>, kItemCount>;
constexpr SubItemMarks DefaultFullRateSubItems() {
    SubItemMarks marks{};
    marks[kDefaultReducedRateItem][kDefaultFullRateSubItem] = true;
    return marks;
}

struct ItemRecord {
    std::string Name;
    std::string Kind;  // "-1" expense, "0" account, "1" income

    bool operator==(const ItemRecord&) const = default;
};

// Nine numbers in the order of the entries file.
struct EntryRecord {
    int32_t Year = 0;
    int32_t Month = 0;
    int32_t Day = 0;
    int32_t Item1 = 0;
    int32_t SubItem1 = 0;
    int32_t Item2 = 0;
    int32_t SubItem2 = 0;
    int32_t Amount = 0;   // > 0 in every used slot
    int32_t TaxKind = 0;  // 0 tax included, 1 tax excluded, 2 other

    bool operator==(const EntryRecord&) const = default;
};

struct EntryText {
    SharedText Shop;
    SharedText Memo;

    bool operator==(const EntryText&) const = default;
};

struct LayoutSlot {
    int32_t Visible = 0;
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Height = 0;
    int32_t Width = 0;

    bool operator==(const LayoutSlot&) const = default;
};

// One place of the entry form's list, from the left: the column shown there (0 day .. 7 memo)
// and its width in pixels. The user moves and widens the columns; rozed.ini keeps them.
struct ListColumn {
    int32_t Column = 0;
    int32_t Width = 0;

    bool operator==(const ListColumn&) const = default;
};
inline constexpr int kListColumnCount = 8;
using ListColumns = std::array<ListColumn, kListColumnCount>;
constexpr ListColumns DefaultListColumns() {
    return {{{0, 32}, {1, 128}, {2, 128}, {3, 128}, {4, 128}, {5, 128}, {6, 64}, {7, 340}}};
}

inline constexpr int kLayoutEntryForm = 0;
inline constexpr int kLayoutGraphSheet = 1;
inline constexpr int kLayoutDataSheet = 2;

// The options rozed.ini keeps, each with its default, stated here once: a first start and a
// settings file without the option's line keep these values.
struct LedgerOptions {
    bool HideZeroItems = false;
    int32_t TaxRounding = 0;  // 0 half up, 1 down, 2 up
    // Expense items whose tax-excluded amounts pay the reduced rate (food and the like).
    ItemMarks ReducedRateItems = DefaultReducedRateItems();
    SubItemMarks FullRateSubItems = DefaultFullRateSubItems();
    int32_t ShopHistoryMax = 30;
    int32_t MemoHistoryMax = 30;
    // The entries file of last year's ledger that the user chose to compare with; empty: the
    // one found in the data folder.
    std::string PreviousYearLedger;
};

// What the running program remembers beside the options and writes nowhere.
struct SessionChoices {
    // The edit date's year when the user chose PreviousYearLedger (0: the choice was read
    // from rozed.ini): that year compares with it whatever its entries' year.
    int32_t PreviousYearChosenFor = 0;
};

// One calendar year of a household's books. Large: keep it on the heap.
struct Ledger : LedgerOptions, SessionChoices {
    std::array<ItemRecord, kItemCount> ItemTable{};
    std::array<std::array<std::string, kSubItemCount>, kItemCount> SubItemTable{};
    std::array<std::array<EntryRecord, kSlotCount>, kMonthCount> EntryTable{};
    std::array<std::array<EntryText, kSlotCount>, kMonthCount> EntryTextTable{};
    // Row 0 stands before January; rows 1..12 are the months.
    std::array<std::array<int32_t, kItemCount>, 13> BudgetTable{};
    // Row 0 holds the opening balances; rows 1..12 are derived. 64-bit so no total wraps.
    std::array<std::array<std::array<int64_t, kColumnCount>, kItemCount>, 13> BalanceTable{};
    // [month index][item row 0..30][column][side 0 received, 1 given]
    std::array<std::array<std::array<std::array<int64_t, 2>, kColumnCount>, kItemCount + 1>,
               kMonthCount>
        MonthTotalTable{};
    // [item][day index 0..6][column]
    std::array<std::array<std::array<int64_t, kColumnCount>, 7>, kItemCount> WeekTable{};

    std::string ExeDir;
    std::string DataDir;
    std::string LedgerName = kNewLedgerName;
    std::string IniPath;

    Date EditDate{};
    int32_t EditMonth = 1;
    int32_t EditMonthIndex = 0;
    int32_t NextSlot = 0;
    int32_t RowEditMode = 0;

    bool LedgerChanged = false;
    bool MastersChanged = false;
    bool IniCreated = false;

    std::array<LayoutSlot, 3> WindowLayout{};
    ListColumns EntryListColumns = DefaultListColumns();

    // First free slot of a month (1..12), or kSlotCount when the month is full.
    int GetIndex(int month) const;
};

}  // namespace kakeibo
