#include "core/ledger/change.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/errors.h"
#include "core/ledger/budgets.h"
#include "core/ledger/entries.h"
#include "core/ledger/settings_work.h"

namespace kakeibo {
namespace {

EntryRecord At(int month, int day, int amount) {
    return {2026, month, day, 2, 1, 0, 0, amount, 0};
}

// The parts of the ledger a change may touch, to compare two states at once.
struct Tables {
    decltype(Ledger::EntryTable) Entries;
    decltype(Ledger::EntryTextTable) Texts;
    decltype(Ledger::BudgetTable) Budgets;
    SettingsState Settings;
    int NextSlot;

    explicit Tables(const Ledger& l)
        : Entries(l.EntryTable),
          Texts(l.EntryTextTable),
          Budgets(l.BudgetTable),
          Settings(CaptureSettings(l)),
          NextSlot(l.NextSlot) {}
    bool operator==(const Tables&) const = default;
};

// Every writer's change, taken back in reverse order, gives the ledger it started from slot
// for slot; applied again in order, the ledger it ended with.
TEST(Change, EveryWriterIsUndoneAndRedoneExactly) {
    auto ledger = std::make_unique<Ledger>();
    ledger->EditMonth = 6;
    for (int s = 0; s < 5; ++s) {
        ledger->EntryTable[5][s] = At(6, s + 1, 100 + s);
        ledger->EntryTextTable[5][s] = {"店" + std::to_string(s), ""};
    }
    ledger->NextSlot = 5;
    ledger->BudgetTable[5][2] = 3000;
    ledger->BudgetTable[6][2] = 10;
    const auto before = std::make_unique<Tables>(*ledger);

    using Step = std::function<Change(Ledger&)>;
    const std::vector<Step> steps = {
        [](Ledger& l) {
            return *AddEntry(l, 6, At(6, 9, 900), {"A", "m"});
        },
        [](Ledger& l) {
            return *AddEntry(l, 2, At(2, 1, 50), {"Feb", ""});
        },
        [](Ledger& l) {
            return *ReplaceEntry(l, 6, 0, At(6, 2, 7), {"R", ""});
        },
        [](Ledger& l) { return *DeleteEntry(l, 6, 1); },
        [](Ledger& l) { return *DeleteEntry(l, 2, 0); },
        [](Ledger& l) {
            return AddEntries(l, {{At(6, 3, 1), {"x", ""}}, {At(1, 3, 2), {"y", ""}}},
                              ChangeKind::Import);
        },
        [](Ledger& l) { return SetBudget(l, 6, 4, 12000); },
        [](Ledger& l) { return CopyPreviousBudgets(l, 7, false); },
        [](Ledger& l) {
            SettingsWork work;
            CopyMasters(l, work);
            work.Items[3].Name = "交際費";
            work.Opening[0][1] = 12345;
            work.TaxRounding = 2;
            work.HideZeroItems = true;
            work.Items[4].Kind = kKindExpense;
            work.ReducedRate[4] = true;
            return WriteSettings(l, work, 7, 8);
        },
    };
    std::vector<Change> changes;
    for (const Step& step : steps) changes.push_back(step(*ledger));
    const auto after = std::make_unique<Tables>(*ledger);
    EXPECT_EQ(ledger->EntryTextTable[5][5].Shop, "x");  // after the deletes, in order
    EXPECT_EQ(ledger->NextSlot, 6);

    for (auto c = changes.rbegin(); c != changes.rend(); ++c) {
        ApplyChange(*ledger, *c, ChangeSide::Before);
    }
    EXPECT_TRUE(*before == Tables(*ledger));
    for (const Change& c : changes) ApplyChange(*ledger, c, ChangeSide::After);
    EXPECT_TRUE(*after == Tables(*ledger));
    EXPECT_TRUE(ledger->MastersChanged);
    EXPECT_EQ(changes.back().FirstMonth(), 0);
    EXPECT_EQ(changes[5].FirstMonth(), 1);
}

// A batch that would overflow one month writes nothing at all, and says which month.
TEST(Change, BatchAddIsAllOrNothing) {
    auto ledger = std::make_unique<Ledger>();
    ledger->EditMonth = 1;
    for (int s = 0; s < kSlotCount - 1; ++s) ledger->EntryTable[6][s] = At(7, 1, 1);
    const auto before = std::make_unique<Tables>(*ledger);
    try {
        AddEntries(*ledger, {{At(3, 1, 5), {}}, {At(7, 2, 5), {}}, {At(7, 3, 5), {}}},
                   ChangeKind::Recurring);
        ADD_FAILURE() << "no refusal";
    } catch (const LedgerError& e) {
        EXPECT_STREQ(e.what(),
                     "7月の入力件数が上限の1000件を超えます（記入済み 999件、追加 2件）。"
                     "何も記入していません。");
    }
    EXPECT_TRUE(*before == Tables(*ledger));
    EXPECT_FALSE(ledger->LedgerChanged);
}

}  // namespace
}  // namespace kakeibo
