#include "core/ledger/history.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <random>

#include "core/files/ledger_files.h"
#include "core/files/save.h"
#include "core/ledger/budgets.h"
#include "core/ledger/entries.h"
#include "core/ledger/settings_work.h"
#include "test_files.h"

namespace kakeibo {
namespace {

std::unique_ptr<Ledger> LedgerWithMasters() {
    auto ledger = std::make_unique<Ledger>();
    EXPECT_TRUE(ReadItemMaster(*ledger, std::string(KAKEIBO_DATA_DIR) + "kamoku.dat"));
    EXPECT_TRUE(ReadSubItemMaster(*ledger, std::string(KAKEIBO_DATA_DIR) + "hojyo.dat"));
    ledger->LedgerName = "家計簿";
    ledger->EditMonth = 2;
    return ledger;
}

// Every file a full save writes, by name.
std::map<std::string, std::string> SavedFiles(Ledger& ledger) {
    const test::TempDir dir;
    ledger.ExeDir = dir.Path();
    ledger.LedgerChanged = ledger.MastersChanged = true;
    SaveInputs inputs;
    inputs.Sync = false;
    MonthSave(ledger, dir.Path(), ledger.LedgerName, inputs);
    std::map<std::string, std::string> files;
    for (const auto& file : std::filesystem::directory_iterator(dir.Path())) {
        files[file.path().filename().string()] = test::ReadBytes(file.path().string());
    }
    return files;
}

TEST(HistoryTest, UndoingAndRedoingTwoHundredStepsGivesBackTheSavedFilesByteForByte) {
    auto ledger = LedgerWithMasters();
    std::mt19937 random(20260715);
    const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const auto entry = [&](int month) {
        return EntryRecord{2026,    month,   1 + pick(28),    2 + pick(10), pick(5),
                           pick(2), pick(3), 1 + pick(30000), pick(3)};
    };
    const auto text = [&] {
        const char* texts[] = {"", "八百屋", "ｾﾌﾞﾝ，表参道", "牛乳,卵 ソ連表"};
        return EntryText{texts[pick(4)], texts[pick(4)]};
    };
    for (int e = 0; e < 6; ++e) AddEntry(*ledger, 1 + e % 3, entry(1 + e % 3), text());
    const auto before = SavedFiles(*ledger);

    History history;
    const auto keep = [&](const std::optional<Change>& c) {
        if (c) history.Push(*c, DescribeChange(*ledger, *c));
    };
    for (int step = 0; step < 200; ++step) {
        const int month = 1 + pick(3);
        const int used = UsedSlots(*ledger, month);
        SettingsWork work;
        switch (pick(8)) {
            case 0:
            case 1:
                keep(AddEntry(*ledger, month, entry(month), text()));
                break;
            case 2:
                if (used > 0) keep(ReplaceEntry(*ledger, month, pick(used), entry(month), text()));
                break;
            case 3:
                if (used > 0) keep(DeleteEntry(*ledger, month, pick(used)));
                break;
            case 4:
                keep(SetBudget(*ledger, 1 + pick(12), pick(kItemCount), pick(5) * 10000));
                break;
            case 5:
                keep(CopyPreviousBudgets(*ledger, 1 + pick(12), pick(2) == 0));
                break;
            default:  // the settings dialog: names, kinds, marks, opening balances, options
                CopyMasters(*ledger, work);
                CopyOpening(*ledger, work);
                CopyOptions(*ledger, work);
                work.Items[2 + pick(28)] = {"科目" + std::to_string(pick(99)),
                                            pick(2) ? "1" : "-1"};
                RenameSubItem(work, pick(kItemCount), pick(5), "細目" + std::to_string(pick(9)));
                work.Opening[pick(2)][pick(5)] = pick(2000000);
                work.ReducedRate[2 + pick(28)] ^= true;
                work.HideZeroItems = pick(2) == 0;
                work.TaxRounding = pick(3);
                keep(WriteSettings(*ledger, work, 1 + pick(40), 1 + pick(40)));
        }
    }
    const auto after = SavedFiles(*ledger);
    ASSERT_NE(after, before);

    // As just saved: the undone ledger differs from the files, names and kinds included.
    ledger->LedgerChanged = ledger->MastersChanged = false;
    while (history.Undo(*ledger)) {
    }
    EXPECT_TRUE(ledger->LedgerChanged && ledger->MastersChanged);
    EXPECT_TRUE(SavedFiles(*ledger) == before);
    EXPECT_EQ(ledger->NextSlot, ledger->GetIndex(2));
    while (history.Redo(*ledger)) {
    }
    EXPECT_TRUE(SavedFiles(*ledger) == after);
}

TEST(HistoryTest, EachStepIsNamedByWhatItDid) {
    auto ledger = LedgerWithMasters();
    const auto write = [&](int day, int item1, int sub1, int item2, int amount) {
        return *AddEntry(*ledger, 6, EntryRecord{2026, 6, day, item1, sub1, item2, 0, amount, 1},
                         EntryText{});
    };
    SettingsWork work;
    CopyMasters(*ledger, work);
    const NewEntry line{EntryRecord{2026, 7, 3, 2, 0, 0, 0, 500, 0}, {}};
    const std::pair<std::function<Change()>, std::string> rows[] = {
        {[&] { return write(15, 2, 0, 0, 1200); }, "記入 6月15日 食費 1,200円"},
        {[&] { return write(16, 1, 0, 20, 250000); }, "記入 6月16日 給与 250,000円"},
        {[&] { return write(17, 0, 1, 1, 30000); }, "記入 6月17日 普通預金→へそくり 30,000円"},
        {[&] {
             return *ReplaceEntry(*ledger, 6, 1, EntryRecord{2026, 6, 18, 3, 0, 0, 0, 5, 0}, {});
         },
         "編集 6月18日 日用品 5円"},
        {[&] { return *DeleteEntry(*ledger, 6, 0); }, "削除 6月15日 食費 1,200円"},
        {[&] { return SetBudget(*ledger, 6, 2, 30000); }, "予算登録 6月"},
        {[&] { return CopyPreviousBudgets(*ledger, 7, false); }, "前月予算コピー 7月"},
        {[&] { return WriteSettings(*ledger, work, 20, 30); }, "各種設定"},
        {[&] { return AddEntries(*ledger, std::vector(38, line), ChangeKind::Import); },
         "明細の取り込み 38件"},
        {[&] { return AddEntries(*ledger, std::vector(3, line), ChangeKind::Recurring); },
         "定期入出金の記入 3件"},
    };
    History history;
    for (const auto& [act, caption] : rows) {
        const Change change = act();
        EXPECT_EQ(DescribeChange(*ledger, change), caption);
        history.Push(change, DescribeChange(*ledger, change));
    }
    history.Undo(*ledger);
    EXPECT_EQ(history.UndoCaption(), "明細の取り込み 38件");
    EXPECT_EQ(history.RedoCaption(), "定期入出金の記入 3件");
}

TEST(HistoryTest, KeepsTheNewestThousandStepsAndForgetsRedoOnANewStep) {
    auto ledger = LedgerWithMasters();
    History history;
    for (int i = 0; i <= 1000; ++i) {
        const int month = 1 + i % 12;
        history.Push(
            *AddEntry(*ledger, month, EntryRecord{2026, month, 1, 2, 0, 0, 0, 1 + i, 0}, {}),
            "記入");
    }
    while (history.Undo(*ledger)) {
    }
    // Only the first write is beyond the history's reach.
    EXPECT_EQ(ledger->GetIndex(1) + ledger->GetIndex(2), 1);
    history.Redo(*ledger);
    history.Push(SetBudget(*ledger, 3, 2, 100), "予算登録 3月");
    history.Push(SetBudget(*ledger, 3, 2, 100), "予算登録 3月");  // changes nothing: no step
    EXPECT_EQ(history.UndoCount(), 2u);
    EXPECT_EQ(history.RedoCount(), 0u);
}

}  // namespace
}  // namespace kakeibo
