#include "core/history.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "core/budgets.h"
#include "core/entries.h"
#include "core/ledger_files.h"
#include "core/save.h"
#include "core/settings_work.h"
#include "test_files.h"

namespace kakeibo {
namespace {

constexpr int kFood = 2;
constexpr int kSalary = 20;

std::unique_ptr<Ledger> LedgerWithMasters() {
    auto ledger = std::make_unique<Ledger>();
    EXPECT_TRUE(ReadItemMaster(*ledger, std::string(KAKEIBO_DATA_DIR) + "kamoku.dat"));
    EXPECT_TRUE(ReadSubItemMaster(*ledger, std::string(KAKEIBO_DATA_DIR) + "hojyo.dat"));
    ledger->DataDir = "/home/hanako/家計簿/";
    ledger->LedgerName = "家計簿2026";
    ledger->EditDate = Date{2026, 2, 1};
    ledger->EditMonth = 2;
    ledger->EditMonthIndex = 1;
    return ledger;
}

void ExpectSameFiles(const std::map<std::string, std::string>& files,
                     const std::map<std::string, std::string>& expected) {
    ASSERT_EQ(files.size(), expected.size());
    for (const auto& [name, bytes] : expected) {
        const auto found = files.find(name);
        EXPECT_TRUE(found != files.end() && found->second == bytes) << name << " differs";
    }
}

// Every file a full save writes, by name, as bytes.
std::map<std::string, std::string> SavedFiles(Ledger& ledger) {
    const test::TempDir dir;
    ledger.ExeDir = dir.Path();
    ledger.LedgerChanged = true;
    ledger.MastersChanged = true;
    SaveInputs inputs;
    inputs.EntryForm = LayoutSlot{1, 427, 81, 483, 583};
    inputs.DataSheet = LayoutSlot{1, 0, 81, 618, 425};
    inputs.ShopHistory = {"八百屋"};
    inputs.Sync = false;
    MonthSave(ledger, dir.Path(), ledger.LedgerName, inputs);
    std::map<std::string, std::string> files;
    for (const auto& file : std::filesystem::directory_iterator(dir.Path())) {
        files[file.path().filename().string()] = test::ReadBytes(file.path().string());
    }
    return files;
}

// A user's day of work at random: writes, edits and deletes over three months, budgets
// registered and copied, and the settings dialog renaming, switching kinds, moving opening
// balances and options.
class RandomUser {
public:
    RandomUser(Ledger& ledger, History& history) : ledger_(ledger), history_(history) {}

    void Act() {
        const int month = 1 + Pick(3);
        const int used = UsedSlots(ledger_, month);
        switch (Pick(10)) {
            case 0:
            case 1:
            case 2:
                Keep(AddEntry(ledger_, month, Entry(month), Text()));
                return;
            case 3:
            case 4:
                if (used > 0) Keep(ReplaceEntry(ledger_, month, Pick(used), Entry(month), Text()));
                return;
            case 5:
            case 6:
                if (used > 0) Keep(DeleteEntry(ledger_, month, Pick(used)));
                return;
            case 7:
                Keep(SetBudget(ledger_, 1 + Pick(12), Pick(kItemCount), Pick(5) * 10000));
                return;
            case 8:
                Keep(CopyPreviousBudgets(ledger_, 1 + Pick(12), Pick(2) == 0));
                return;
            default:
                Keep(Settings());
        }
    }

private:
    int Pick(int n) { return static_cast<int>(random_() % static_cast<unsigned>(n)); }

    EntryRecord Entry(int month) {
        const bool income = Pick(4) == 0;
        const int item = income ? kSalary : kFood + Pick(10);
        return income ? EntryRecord{2026, month, 1 + Pick(28),     Pick(2), Pick(5),
                                    item, 0,     1 + Pick(300000), 0}
                      : EntryRecord{2026, month,   1 + Pick(28),    item,   Pick(5),
                                    0,    Pick(3), 1 + Pick(30000), Pick(3)};
    }

    EntryText Text() {
        static const char* const kShops[] = {"", "八百屋", "スーパーいなげや", "ｾﾌﾞﾝ，表参道"};
        static const char* const kMemos[] = {"", "夕食の材料", "立替 ソ連表", "牛乳,卵"};
        return EntryText{kShops[Pick(4)], kMemos[Pick(4)]};
    }

    Change Settings() {
        SettingsWork work;
        CopyMasters(ledger_, work);
        CopyOpening(ledger_, work);
        CopyOptions(ledger_, work);
        const int item = 2 + Pick(kItemCount - 2);
        if (Pick(2) == 0) work.Items[item].Name = "科目" + std::to_string(Pick(100));
        if (Pick(3) == 0) work.Items[item].Kind = work.Items[item].Kind == "1" ? "-1" : "1";
        if (Pick(2) == 0)
            RenameSubItem(work, Pick(kItemCount), Pick(5), "細目" + std::to_string(Pick(9)));
        work.Opening[Pick(2)][Pick(5)] = Pick(2000000);
        work.HideZeroItems = Pick(2) == 0;
        work.TaxRounding = Pick(3);
        return WriteSettings(ledger_, work, 1 + Pick(40), 1 + Pick(40));
    }

    void Keep(const std::optional<Change>& change) {
        if (change) history_.Push(*change, DescribeChange(ledger_, *change));
    }

    Ledger& ledger_;
    History& history_;
    std::mt19937 random_{20260715};
};

TEST(HistoryTest, UndoingAndRedoingEveryStepGivesBackTheSavedFilesByteForByte) {
    auto ledger = LedgerWithMasters();
    for (int d = 1; d <= 5; ++d) {
        AddEntry(*ledger, 1 + d % 3, EntryRecord{2026, 1 + d % 3, d, kFood, 0, 0, 0, d * 100, 0},
                 EntryText{"八百屋", ""});
    }
    ledger->BudgetTable[1][kFood] = 40000;
    ledger->BalanceTable[0][0][0] = 50000;
    ledger->BalanceTable[0][0][kTotalColumn] = 50000;
    const auto before = SavedFiles(*ledger);

    History history;
    RandomUser user(*ledger, history);
    for (int step = 0; step < 200; ++step) user.Act();
    const auto after = SavedFiles(*ledger);
    ASSERT_NE(after, before);
    ASSERT_GT(history.UndoCount(), 150u);

    while (history.Undo(*ledger)) {
    }
    ExpectSameFiles(SavedFiles(*ledger), before);
    EXPECT_EQ(ledger->NextSlot, ledger->GetIndex(ledger->EditMonth));
    while (history.Redo(*ledger)) {
    }
    ExpectSameFiles(SavedFiles(*ledger), after);
    EXPECT_EQ(ledger->NextSlot, ledger->GetIndex(ledger->EditMonth));
}

TEST(HistoryTest, EachStepIsNamedByWhatItDid) {
    auto ledger = LedgerWithMasters();
    const auto write = [&](int day, int item1, int sub1, int item2, int sub2, int amount) {
        return *AddEntry(*ledger, 6, EntryRecord{2026, 6, day, item1, sub1, item2, sub2, amount, 1},
                         EntryText{"八百屋", ""});
    };
    SettingsWork work;
    CopyMasters(*ledger, work);
    work.Items[kFood].Name = "食料";
    std::vector<NewEntry> statement(38,
                                    NewEntry{EntryRecord{2026, 7, 3, kFood, 0, 0, 0, 500, 0}, {}});
    std::vector<NewEntry> recurring(3,
                                    NewEntry{EntryRecord{2026, 5, 25, 4, 0, 1, 0, 80000, 0}, {}});

    const std::pair<std::function<Change()>, std::string> rows[] = {
        {[&] { return write(15, kFood, 0, 0, 0, 1200); }, "記入 6月15日 食費 1,200円"},
        {[&] { return write(16, 1, 0, kSalary, 0, 250000); }, "記入 6月16日 給与 250,000円"},
        {[&] { return write(17, 0, 0, 1, 0, 30000); }, "記入 6月17日 普通預金→お財布 30,000円"},
        {[&] {
             return *ReplaceEntry(*ledger, 6, 2, EntryRecord{2026, 6, 18, 0, 1, 1, 0, 5000, 0},
                                  EntryText{});
         },
         "編集 6月18日 普通預金→へそくり 5,000円"},
        {[&] { return *DeleteEntry(*ledger, 6, 0); }, "削除 6月15日 食費 1,200円"},
        {[&] { return SetBudget(*ledger, 6, kFood, 30000); }, "予算登録 6月"},
        {[&] { return CopyPreviousBudgets(*ledger, 7, false); }, "前月予算コピー 7月"},
        {[&] { return WriteSettings(*ledger, work, 30, 30); }, "各種設定"},
        {[&] { return AddEntries(*ledger, statement, ChangeKind::Import); }, "明細の取り込み 38件"},
        {[&] { return AddEntries(*ledger, recurring, ChangeKind::Recurring); },
         "定期入出金の記入 3件"},
    };
    History history;
    for (const auto& [act, caption] : rows) {
        const Change change = act();
        EXPECT_EQ(DescribeChange(*ledger, change), caption);
        history.Push(change, DescribeChange(*ledger, change));
    }
    // The edit menu names the newest step for undo and the one undone for redo.
    history.Undo(*ledger);
    EXPECT_EQ(history.UndoCaption(), "明細の取り込み 38件");
    EXPECT_EQ(history.RedoCaption(), "定期入出金の記入 3件");
}

TEST(HistoryTest, UndoOfADeletePutsTheEntryBackInItsSlotInItsOrder) {
    auto ledger = LedgerWithMasters();
    History history;
    for (int day = 1; day <= 4; ++day) {
        AddEntry(*ledger, 2, EntryRecord{2026, 2, day, kFood, 0, 0, 0, day * 100, 0},
                 EntryText{"店" + std::to_string(day), ""});
    }
    const auto month = ledger->EntryTable[1];
    const auto texts = ledger->EntryTextTable[1];
    history.Push(*DeleteEntry(*ledger, 2, 1), "削除");
    history.Push(*DeleteEntry(*ledger, 2, 0), "削除");
    ASSERT_EQ(ledger->NextSlot, 2);

    ledger->LedgerChanged = false;
    const std::optional<Change> undone = history.Undo(*ledger);
    ASSERT_TRUE(undone);
    EXPECT_EQ(undone->FirstMonth(), 2);
    history.Undo(*ledger);
    EXPECT_EQ(ledger->EntryTable[1], month);
    EXPECT_EQ(ledger->EntryTextTable[1], texts);
    EXPECT_EQ(ledger->NextSlot, 4);
    EXPECT_TRUE(ledger->LedgerChanged);
    EXPECT_FALSE(history.Undo(*ledger));
    EXPECT_EQ(history.RedoCount(), 2u);
}

TEST(HistoryTest, KeepsTheNewestThousandStepsAndForgetsRedoOnANewStep) {
    auto ledger = LedgerWithMasters();
    History history;
    for (int i = 0; i <= 1000; ++i) {
        const int month = 1 + i % 12;
        const Change change = *AddEntry(
            *ledger, month, EntryRecord{2026, month, 1, kFood, 0, 0, 0, i + 1, 0}, EntryText{});
        history.Push(change, "記入");
    }
    EXPECT_EQ(history.UndoCount(), 1000u);
    while (history.Undo(*ledger)) {
    }
    // The first write is beyond the history's reach and stays.
    EXPECT_EQ(ledger->EntryTable[0][0].Amount, 1);
    EXPECT_EQ(ledger->GetIndex(1), 1);
    EXPECT_EQ(ledger->GetIndex(2), 0);

    history.Redo(*ledger);
    history.Push(SetBudget(*ledger, 3, kFood, 100), "予算登録 3月");
    EXPECT_EQ(history.RedoCount(), 0u);
    EXPECT_EQ(history.UndoCount(), 2u);
    // A budget set to what it was changes nothing and is no step.
    history.Push(SetBudget(*ledger, 3, kFood, 100), "予算登録 3月");
    EXPECT_EQ(history.UndoCount(), 2u);
    history.Clear();
    EXPECT_EQ(history.UndoCount() + history.RedoCount(), 0u);
    EXPECT_EQ(history.UndoCaption(), "");
}

}  // namespace
}  // namespace kakeibo
