#include "core/session/ledger_merge.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "core/cli/batch.h"
#include "core/errors.h"
#include "core/files/backup.h"
#include "core/files/file_io.h"
#include "core/files/ledger_files.h"
#include "core/files/ledger_paths.h"
#include "core/files/ledger_writers.h"
#include "core/ledger/entries.h"
#include "test_files.h"

namespace kakeibo {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

// A ledger in a few words: "3/5:1200:八百屋" an entry (month/day:amount:shop, food paid from
// the wallet), "B3.2=5000" the budget of March for item 2, "O0.1=10000" the opening balance of
// item 0, account 1.
std::unique_ptr<Ledger> Tables(const std::string& words) {
    auto ledger = std::make_unique<Ledger>();
    std::istringstream in(words);
    std::string word;
    while (in >> word) {
        if (word[0] == 'B' || word[0] == 'O') {
            int row = 0, item = 0;
            long long value = 0;
            std::sscanf(word.c_str() + 1, "%d.%d=%lld", &row, &item, &value);
            if (word[0] == 'B') {
                ledger->BudgetTable[row][item] = static_cast<int32_t>(value);
            } else {
                ledger->BalanceTable[0][row][item] = value;
                ledger->BalanceTable[0][row][kTotalColumn] += value;
            }
            continue;
        }
        int month = 0, day = 0, amount = 0;
        char shop[64] = {};
        std::sscanf(word.c_str(), "%d/%d:%d:%63s", &month, &day, &amount, shop);
        const int slot = ledger->GetIndex(month);
        ledger->EntryTable[month - 1][slot] = EntryRecord{2025, month, day, 2, 0, 0, 0, amount, 0};
        ledger->EntryTextTable[month - 1][slot] = EntryText{std::string(shop), {}};
    }
    return ledger;
}

// The ledger back in the same words, months in slot order, then budgets and openings.
std::string Words(const Ledger& ledger) {
    std::string out;
    const auto add = [&out](const std::string& word) { out += (out.empty() ? "" : " ") + word; };
    for (int m = 0; m < kMonthCount; ++m) {
        for (int s = 0; s < kSlotCount && ledger.EntryTable[m][s].Amount > 0; ++s) {
            const EntryRecord& r = ledger.EntryTable[m][s];
            add(std::to_string(r.Month) + "/" + std::to_string(r.Day) + ":" +
                std::to_string(r.Amount) + ":" + ledger.EntryTextTable[m][s].Shop.str());
        }
    }
    for (int row = 0; row <= kMonthCount; ++row) {
        for (int item = 0; item < kItemCount; ++item) {
            if (ledger.BudgetTable[row][item] != 0) {
                add("B" + std::to_string(row) + "." + std::to_string(item) + "=" +
                    std::to_string(ledger.BudgetTable[row][item]));
            }
        }
    }
    for (int item = 0; item < kItemCount; ++item) {
        for (int col = 0; col < kTotalColumn; ++col) {
            if (ledger.BalanceTable[0][item][col] != 0) {
                add("O" + std::to_string(item) + "." + std::to_string(col) + "=" +
                    std::to_string(ledger.BalanceTable[0][item][col]));
            }
        }
    }
    return out;
}

TEST(LedgerMergeTest, EachSidesAddsEditsAndDeletesMergeAndOnlyClashesAreAsked) {
    using C = ConflictChoice;
    const struct {
        const char* what;
        const char* base;  // nullptr: no base found
        const char* ours;
        const char* theirs;
        int conflicts;
        C choice;  // for every conflict
        const char* merged;
        const char* fromTheirs;  // the band's words
    } rows[] = {
        {"both add", "1/1:100:a", "1/1:100:a 1/2:200:b", "1/1:100:a 1/3:300:c", 0, C::Undecided,
         "1/1:100:a 1/2:200:b 1/3:300:c", "追加 1 件"},
        {"ours edits, theirs adds", "1/1:100:a 1/2:200:b", "1/1:100:a 1/2:250:b",
         "1/1:100:a 1/2:200:b 1/9:900:c", 0, C::Undecided, "1/1:100:a 1/2:250:b 1/9:900:c",
         "追加 1 件"},
        {"theirs edits, ours deletes another", "1/1:100:a 1/2:200:b 1/3:300:c",
         "1/1:100:a 1/3:300:c", "1/1:100:a 1/2:200:b 1/3:300:八百屋", 0, C::Undecided,
         "1/1:100:a 1/3:300:八百屋", "変更 1 件"},
        {"theirs deletes in the middle and adds", "2/1:1:a 2/2:2:b 2/3:3:c 2/4:4:d",
         "2/1:1:a 2/2:2:b 2/3:3:c 2/4:4:d 2/5:5:e", "2/1:1:a 2/3:3:c 2/4:4:d 2/6:6:f", 0,
         C::Undecided, "2/1:1:a 2/3:3:c 2/4:4:d 2/5:5:e 2/6:6:f", "追加 1 件、削除 1 件"},
        {"the same delete on both", "1/1:100:a 1/2:200:b", "1/1:100:a", "1/1:100:a", 0,
         C::Undecided, "1/1:100:a", "すべて取り込み済み"},
        {"the same edit on both", "1/1:100:a", "1/1:120:a", "1/1:120:a", 0, C::Undecided,
         "1/1:120:a", "すべて取り込み済み"},
        {"the same new entry on both", "1/1:100:a", "1/1:100:a 5/5:500:e", "1/1:100:a 5/5:500:e", 0,
         C::Undecided, "1/1:100:a 5/5:500:e", "すべて取り込み済み"},
        {"one of two equal entries deleted", "3/3:300:x 3/3:300:x", "3/3:300:x",
         "3/3:300:x 3/3:300:x", 0, C::Undecided, "3/3:300:x", "すべて取り込み済み"},
        {"an entry moved to another month", "4/30:400:a", "4/30:400:a", "5/1:400:a", 0,
         C::Undecided, "5/1:400:a", "追加 1 件、削除 1 件"},
        {"edited differently, both kept", "1/1:100:a 1/2:200:b", "1/1:110:a 1/2:200:b",
         "1/1:120:a 1/2:200:b", 1, C::Both, "1/1:110:a 1/1:120:a 1/2:200:b", "すべて取り込み済み"},
        {"edited differently, theirs chosen", "1/1:100:a", "1/1:110:a", "1/1:120:a", 1, C::Theirs,
         "1/1:120:a", "すべて取り込み済み"},
        {"edited here, deleted there, ours chosen", "1/1:100:a 1/2:200:b", "1/1:100:a 1/2:250:b",
         "1/1:100:a", 1, C::Ours, "1/1:100:a 1/2:250:b", "すべて取り込み済み"},
        {"edited here, deleted there, deletion chosen", "1/1:100:a 1/2:200:b",
         "1/1:100:a 1/2:250:b", "1/1:100:a", 1, C::Theirs, "1/1:100:a", "すべて取り込み済み"},
        {"budgets cell by cell", "B3.2=5000 B3.3=100", "B3.2=6000 B3.3=100",
         "B3.2=5000 B3.3=100 B4.2=7000", 0, C::Undecided, "B3.2=6000 B3.3=100 B4.2=7000",
         "予算 1 か所"},
        {"one budget set differently", "B3.2=5000", "B3.2=6000", "B3.2=7000", 1, C::Theirs,
         "B3.2=7000", "すべて取り込み済み"},
        {"opening balances", "O0.0=1000 O0.1=50", "O0.0=1000 O0.1=50 O1.0=9", "O0.0=2000 O0.1=50",
         0, C::Undecided, "O0.0=2000 O0.1=50 O1.0=9", "期首残高 1 か所"},
        // Without a base nothing counts as deleted: what only one side has stays, checked.
        {"no base", nullptr, "1/1:100:a 1/2:200:b B1.2=10", "1/1:100:a 1/3:300:c B1.2=10", 0,
         C::Undecided, "1/1:100:a 1/2:200:b 1/3:300:c B1.2=10", "追加 1 件"},
        {"no base, budgets differ", nullptr, "B1.2=10", "B1.2=20", 1, C::Ours, "B1.2=10",
         "すべて取り込み済み"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const auto base = row.base ? Tables(row.base) : nullptr;
        auto ours = Tables(row.ours);
        const auto theirs = Tables(row.theirs);
        LedgerMerge merge = MergeLedgers(base.get(), *ours, *theirs);
        ASSERT_EQ(static_cast<int>(merge.Conflicts.size()), row.conflicts);
        if (row.conflicts > 0) {
            EXPECT_THROW(ApplyMerge(*ours, merge), LedgerError);  // nothing chosen silently
            EXPECT_EQ(Words(*ours), Words(*Tables(row.ours)));
        }
        for (MergeConflict& c : merge.Conflicts) c.Choice = row.choice;
        const Change change = ApplyMerge(*ours, merge);
        EXPECT_EQ(Words(*ours), row.merged);
        EXPECT_NE(MergeSummary(merge.FromTheirs).find(row.fromTheirs), std::string::npos)
            << MergeSummary(merge.FromTheirs);
        // One change: undoing it gives the ledger that was open.
        ApplyChange(*ours, change, ChangeSide::Before);
        EXPECT_EQ(Words(*ours), Words(*Tables(row.ours)));
    }

    // The versions of a clash are there to be shown side by side.
    const auto base = Tables("1/1:100:a");
    const auto merge = MergeLedgers(base.get(), *Tables("1/1:110:a"), *Tables("6/1:1:z"));
    ASSERT_EQ(merge.Conflicts.size(), 1u);
    EXPECT_EQ(merge.Conflicts[0].Ours->Record.Amount, 110);
    EXPECT_FALSE(merge.Conflicts[0].Theirs);
    EXPECT_EQ(merge.Conflicts[0].Base->Record.Amount, 100);
    auto names = std::make_unique<Ledger>();
    names->ItemTable[2].Name = "食費";
    names->SubItemTable[2][0] = "野菜";
    names->ItemTable[0].Name = "財布";
    names->SubItemTable[0][0] = "お財布";
    EXPECT_EQ(ConflictVersionText(*names, merge.Conflicts[0], false),
              "1月1日　食費・野菜／財布・お財布　110円　a");
    EXPECT_EQ(ConflictVersionText(*names, merge.Conflicts[0], true), "（削除）");
    MergeConflict budget;
    budget.What = MergeConflict::Kind::Budget;
    budget.Month = 3;
    budget.Item = 2;
    budget.TheirsValue = 12000;
    EXPECT_EQ(ConflictVersionText(*names, budget, true), "3月の予算　食費　12,000円");
    // Without a base the user can leave out what only one side has.
    auto ours = Tables("1/1:100:a 1/2:200:b");
    auto noBase = MergeLedgers(nullptr, *ours, *Tables("1/1:100:a 1/3:300:c"));
    EXPECT_EQ(noBase.OneSidedEntries(), 2);
    for (MergedEntry& e : noBase.Months[0]) e.Keep = !e.FromTheirs;
    ApplyMerge(*ours, noBase);
    EXPECT_EQ(Words(*ours), "1/1:100:a 1/2:200:b");
}

// The ledger's files written as a save writes them, under the names given.
void WriteTables(const Ledger& ledger, const std::string& entries, const std::string& budget,
                 const std::string& balance) {
    WriteBytes(entries, EncodeLines(EntriesFileLines(ledger), entries));
    WriteBytes(budget, EncodeLines(BudgetFileLines(ledger), budget));
    WriteBytes(balance, EncodeLines(BalanceFileLines(ledger), balance));
}

void WriteLedger(const Ledger& ledger, const std::string& dir, const std::string& name) {
    WriteTables(ledger, dir + EntriesFileName(name), dir + BudgetFileName(name),
                dir + BalanceFileName(name));
}

Moment At(int hour) {
    return Moment{Date{2025, 12, 8}, hour, 0, 0};
}

// The usual case: one save reached both computers; each then added, edited and deleted and
// saved before the service carried it across.
TEST(LedgerMergeTest, ACopyFromTheFolderMergesAgainstTheSaveBothReplaced) {
    TempDir dir;
    const std::string d = dir.Path();
    const std::string older = "1/1:100:a";
    const std::string shared = "1/1:100:a 1/2:200:b 1/3:300:c 2/1:10:d B2.2=3000";
    const std::string mine = "1/1:100:a 1/2:200:b 1/3:333:c 2/1:10:d 2/9:90:自分 B2.2=3000";
    const std::string theirs = "1/1:100:a 1/3:300:c 2/1:10:d 3/3:30:相手 B2.2=3000 B3.2=4000";
    // Earlier saves here, then the state both replaced, as this computer's backups keep them.
    WriteLedger(*Tables(older), d, "kakei2025");
    ASSERT_TRUE(KeepGeneration(d, "kakei2025", At(8)));
    WriteLedger(*Tables(shared), d, "kakei2025");
    ASSERT_TRUE(KeepGeneration(d, "kakei2025", At(9)));
    WriteLedger(*Tables(mine), d, "kakei2025");
    // The other computer's save, renamed by the service; its balance file was the same.
    const std::string copyEntries = d + "kakei2025.sync-conflict-20251208-101010-ABCDEFG.nbd";
    const std::string copyBudget = d + "kakei2025y.sync-conflict-20251208-101010-ABCDEFG.dat";
    WriteBytes(copyEntries, EncodeLines(EntriesFileLines(*Tables(theirs)), copyEntries));
    WriteBytes(copyBudget, EncodeLines(BudgetFileLines(*Tables(theirs)), copyBudget));

    const auto copies = FindSyncCopies(d, "kakei2025");
    ASSERT_EQ(copies.size(), 1u);
    auto ours = std::make_unique<Ledger>();
    ASSERT_TRUE(MonthLoad(*ours, d, "kakei2025").Loaded);
    const auto copy = LoadSyncCopy(d, "kakei2025", copies[0], LedgerYear(*ours, 2025));
    const auto base = FindMergeBase(d, "kakei2025", *ours, *copy);
    ASSERT_TRUE(base);
    EXPECT_EQ(Words(*base->Tables), Words(*Tables(shared)));
    LedgerMerge merge = MergeLedgers(base->Tables.get(), *ours, *copy);
    EXPECT_TRUE(merge.Conflicts.empty());
    ApplyMerge(*ours, merge);
    EXPECT_EQ(Words(*ours),
              "1/1:100:a 1/3:333:c 2/1:10:d 2/9:90:自分 3/3:30:相手 B2.2=3000 B3.2=4000");
    EXPECT_EQ(MergeSummary(merge.FromTheirs),
              "別のパソコンの変更を取り込みました（追加 1 件、削除 1 件、予算 1 か所）。");

    // Taken in, the copy's files go where the backup list does not look, kept for good.
    const std::string kept = PutAwaySyncCopy(d, "kakei2025", copies[0]);
    EXPECT_EQ(kept, d + "backup/kakei2025/sync-copies/");
    EXPECT_EQ(test::ModeOf(kept), 0700);
    EXPECT_EQ(test::ModeOf(kept + "kakei2025.sync-conflict-20251208-101010-ABCDEFG.nbd"), 0600);
    EXPECT_TRUE(FindSyncCopies(d, "kakei2025").empty());
    EXPECT_EQ(ListGenerations(d, "kakei2025").size(), 2u);

    // Without backups there is no base: nothing counts as deleted.
    TempDir bare;
    EXPECT_FALSE(FindMergeBase(bare.Path(), "kakei2025", *ours, *copy));
}

// Two programs on one computer: the other saved over the files this one read; keeping both
// replays this one's changes onto what the other saved.
TEST(LedgerMergeTest, KeepingBothChangesReplaysTheOpenLedgerOntoTheFilesOnDisk) {
    TempDir dir;
    const std::string d = dir.Path();
    WriteLedger(*Tables("1/1:100:a 1/2:200:b"), d, "k");
    auto open = std::make_unique<Ledger>();
    ASSERT_TRUE(MonthLoad(*open, d, "k").Loaded);
    // The other program's save keeps what it replaces, as every save does.
    ASSERT_TRUE(KeepGeneration(d, "k", At(10)));
    WriteLedger(*Tables("1/1:100:a 1/2:200:b 1/3:300:c B1.2=500"), d, "k");
    open->NextSlot = open->GetIndex(open->EditMonth);
    ASSERT_TRUE(
        ReplaceEntry(*open, 1, 0, EntryRecord{2025, 1, 1, 2, 0, 0, 0, 150, 0}, EntryText{"a", ""}));

    DiskMerge both = MergeFilesOnDisk(d, "k", *open);
    ASSERT_TRUE(both.Base);
    EXPECT_TRUE(both.Merge.Conflicts.empty());
    ApplyMerge(*open, both.Merge);
    EXPECT_EQ(Words(*open), "1/1:150:a 1/2:200:b 1/3:300:c B1.2=500");
}

TEST(LedgerMergeTest, ADamagedOrForeignCopyIsRefusedNamingTheFile) {
    const std::string good = EncodeLines(EntriesFileLines(*Tables("1/1:100:a 1/2:200:b")), "x");
    auto lastYear = Tables("1/1:100:a");
    lastYear->EntryTable[0][0].Year = 2024;
    const struct {
        const char* file;
        std::string bytes;
        const char* why;
    } rows[] = {
        {"k.sync-conflict-20251208-101010-ABCDEFG.nbd", good.substr(0, good.size() - 5),
         "途中で切れています"},
        {"k.sync-conflict-20251208-101010-ABCDEFG.nbd", std::string("\x89PNG\0\0\x01", 7),
         "バイナリ"},
        {"ky.sync-conflict-20251208-101010-ABCDEFG.dat", "1\r\n2\r\n", "2 行、390 行のはずです"},
        {"k.sync-conflict-20251208-101010-ABCDEFG.nbd",
         EncodeLines(EntriesFileLines(*lastYear), "x"), "2024 年の明細があります"},
        {"k.sync-conflict-20251208-101010-ABCDEFG.nbd", "2025,1,1,2,0,0,0,abc,0,,\r\n", "1 行目"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        TempDir copyDir;
        WriteLedger(*Tables("1/1:100:a"), copyDir.Path(), "k");
        WriteBytes(copyDir.Path() + row.file, row.bytes);
        const auto copies = FindSyncCopies(copyDir.Path(), "k");
        ASSERT_EQ(copies.size(), 1u);
        try {
            LoadSyncCopy(copyDir.Path(), "k", copies[0], 2025);
            ADD_FAILURE() << "loaded";
        } catch (const LedgerError& e) {
            const std::string message = e.what();
            EXPECT_NE(message.find(copyDir.Path() + row.file), std::string::npos) << message;
            EXPECT_NE(message.find(row.why), std::string::npos) << message;
        }
        EXPECT_EQ(ReadBytes(copyDir.Path() + row.file), row.bytes);
    }
}

TEST(LedgerMergeTest, SharedFilesMergeAsUnionsAndClashingRulesAreAsked) {
    EXPECT_EQ(MergeHistory({"八百屋", "薬局"}, {"本屋", "八百屋", "花屋"}, 4),
              (std::vector<std::string>{"八百屋", "薬局", "本屋", "花屋"}));
    EXPECT_EQ(MergeHistory({"a", "b"}, {"c", "d"}, 3), (std::vector<std::string>{"a", "b", "c"}));

    const std::vector<ImportRule> ours{{"ｾﾌﾞﾝ", 2, 0}, {"電力", 5, 1}};
    const std::vector<ImportRule> theirs{{"電力", 5, 2}, {"ｾﾌﾞﾝ", 2, 0}, {"書店", 9, 0}};
    auto rules = MergeImportRules(ours, theirs);
    ASSERT_EQ(rules.Conflicts.size(), 1u);
    EXPECT_EQ(rules.Conflicts[0].Ours, ours[1]);
    EXPECT_EQ(rules.Conflicts[0].Theirs, theirs[0]);
    EXPECT_THROW(ResolvedList(rules), LedgerError);
    rules.Conflicts[0].Choice = ConflictChoice::Theirs;
    EXPECT_EQ(ResolvedList(rules),
              (std::vector<ImportRule>{{"ｾﾌﾞﾝ", 2, 0}, {"電力", 5, 2}, {"書店", 9, 0}}));
    rules.Conflicts[0].Choice = ConflictChoice::Both;
    EXPECT_EQ(ResolvedList(rules).size(), 4u);

    RecurringEntry rent;
    rent.Name = "家賃";
    rent.Entry.Amount = 80000;
    RecurringEntry raised = rent;
    raised.Entry.Amount = 85000;
    RecurringEntry pay;
    pay.Name = "給料";
    auto templates = MergeRecurring({rent}, {raised, pay});
    ASSERT_EQ(templates.Conflicts.size(), 1u);
    templates.Conflicts[0].Choice = ConflictChoice::Ours;
    EXPECT_EQ(ResolvedList(templates), (std::vector<RecurringEntry>{rent, pay}));
}

}  // namespace
}  // namespace kakeibo
