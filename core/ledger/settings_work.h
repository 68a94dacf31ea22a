// The settings dialog's working copies and writing them into the ledger.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/ledger/change.h"
#include "core/ledger/ledger.h"

namespace kakeibo {

inline constexpr const char* kWalletName = "お財布";
// The history fields hold two digits.
inline constexpr int kHistoryLengthMax = 99;
inline constexpr int kAccountItemCount = 2;

// The settings dialog's working copies: the masters with their reduced-rate marks, the
// opening balances of the two account items (sub-items 0..4 and their sum at index 5) and
// the options, written into the ledger only by WriteSettings.
struct SettingsWork {
    std::array<ItemRecord, kItemCount> Items{};
    std::array<std::array<std::string, kSubItemCount>, kItemCount> SubItems{};
    ItemMarks ReducedRate{};
    std::array<std::array<int64_t, kColumnCount>, kAccountItemCount> Opening{};
    bool HideZeroItems = false;
    int32_t TaxRounding = 0;
};

// Items, sub-items and reduced-rate marks copied again from the ledger; unapplied renames,
// kinds and marks are lost.
void CopyMasters(const Ledger& ledger, SettingsWork& work);
// Opening balances copied from BalanceTable row 0 of the two account items.
void CopyOpening(const Ledger& ledger, SettingsWork& work);
// The options (hiding empty items, tax rounding) copied from the ledger.
void CopyOptions(const Ledger& ledger, SettingsWork& work);

// Renames a sub-item in the working copy; the wallet (item 0, sub-item 0) keeps its name
// whatever is typed, since the entry form shows its balance by that name.
void RenameSubItem(SettingsWork& work, int item, int subItem, const std::string& name);

// The history length after one step of the arrows: whole, 0..kHistoryLengthMax.
int StepHistoryLength(long double value, int step);

// A changed name that the master files cannot hold.
struct NameFault {
    int Item = 0;
    int SubItem = -1;       // -1: the item's own name
    std::string Character;  // the first character CP932 cannot hold; empty for a line break
};

// The first item or sub-item name of `work` that differs from the ledger's and holds a line
// break or a character CP932 cannot hold. Names as loaded are never refused.
std::optional<NameFault> FindUnstorableName(const Ledger& ledger, const SettingsWork& work);

// Writes the working copies into the ledger: every item and sub-item, the reduced-rate marks
// (of expense items only), the opening balances with their sums (also into `work`), the
// options, the history lengths with fractions cut off, and both changed flags. Returns the
// change, settings before and after.
Change WriteSettings(Ledger& ledger, SettingsWork& work, long double shopHistoryMax,
                     long double memoHistoryMax);

}  // namespace kakeibo
