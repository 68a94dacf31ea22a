#include "core/ledger/settings_work.h"

#include <algorithm>
#include <cmath>

#include "core/errors.h"
#include "core/numbers.h"
#include "core/sjis.h"

namespace kakeibo {

namespace {

bool HasLineBreak(const std::string& text) {
    return text.find_first_of("\r\n") != std::string::npos;
}

std::optional<NameFault> CheckName(const std::string& name, const std::string& stored, int item,
                                   int subItem) {
    if (name == stored) return std::nullopt;
    if (HasLineBreak(name)) return NameFault{item, subItem, {}};
    std::string bad = FirstUnstorableCharacter(name);
    if (!bad.empty()) return NameFault{item, subItem, std::move(bad)};
    return std::nullopt;
}

int32_t WholeHistoryLength(long double value) {
    if (!(value > 0)) return 0;
    return static_cast<int32_t>(std::min<long double>(std::trunc(value), kHistoryLengthMax));
}

}  // namespace

void CopyMasters(const Ledger& ledger, SettingsWork& work) {
    work.Items = ledger.ItemTable;
    work.SubItems = ledger.SubItemTable;
    work.ReducedRate = ledger.ReducedRateItems;
}

void CopyOpening(const Ledger& ledger, SettingsWork& work) {
    for (int a = 0; a < kAccountItemCount; ++a) {
        for (int s = 0; s < kSubItemCount; ++s) work.Opening[a][s] = ledger.BalanceTable[0][a][s];
    }
}

void CopyOptions(const Ledger& ledger, SettingsWork& work) {
    work.HideZeroItems = ledger.HideZeroItems;
    work.TaxRounding = ledger.TaxRounding;
}

void RenameSubItem(SettingsWork& work, int item, int subItem, const std::string& name) {
    if (item < 0 || item >= kItemCount || subItem < 0 || subItem >= kSubItemCount) return;
    work.SubItems[item][subItem] = item == 0 && subItem == 0 ? std::string(kWalletName) : name;
}

int StepHistoryLength(long double value, int step) {
    return std::clamp(WholeHistoryLength(value) + step, 0, kHistoryLengthMax);
}

std::optional<NameFault> FindUnstorableName(const Ledger& ledger, const SettingsWork& work) {
    for (int i = 0; i < kItemCount; ++i) {
        if (auto fault = CheckName(work.Items[i].Name, ledger.ItemTable[i].Name, i, -1)) {
            return fault;
        }
        for (int s = 0; s < kSubItemCount; ++s) {
            if (auto fault = CheckName(work.SubItems[i][s], ledger.SubItemTable[i][s], i, s)) {
                return fault;
            }
        }
    }
    return std::nullopt;
}

Change WriteSettings(Ledger& ledger, SettingsWork& work, long double shopHistoryMax,
                     long double memoHistoryMax) {
    Change change;
    change.Kind = ChangeKind::Settings;
    change.SettingsBefore = CaptureSettings(ledger);
    ledger.ItemTable = work.Items;
    ledger.SubItemTable = work.SubItems;
    // A mark kept on an item that became income would silently count again if it were made
    // an expense item years later.
    for (int i = 0; i < kItemCount; ++i) {
        ledger.ReducedRateItems[i] = work.ReducedRate[i] && work.Items[i].Kind == kKindExpense;
    }
    for (int a = 0; a < kAccountItemCount; ++a) {
        int64_t sum = 0;
        for (int s = 0; s < kSubItemCount; ++s) {
            ledger.BalanceTable[0][a][s] = work.Opening[a][s];
            sum += work.Opening[a][s];
        }
        work.Opening[a][kTotalColumn] = sum;
        ledger.BalanceTable[0][a][kTotalColumn] = sum;
    }
    ledger.ShopHistoryMax = WholeHistoryLength(shopHistoryMax);
    ledger.MemoHistoryMax = WholeHistoryLength(memoHistoryMax);
    ledger.HideZeroItems = work.HideZeroItems;
    if (work.TaxRounding >= 0 && work.TaxRounding < 3) ledger.TaxRounding = work.TaxRounding;
    ledger.LedgerChanged = true;
    ledger.MastersChanged = true;
    change.SettingsAfter = CaptureSettings(ledger);
    return change;
}

}  // namespace kakeibo
