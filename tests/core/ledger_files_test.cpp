#include "core/files/ledger_files.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/errors.h"
#include "test_files.h"

namespace kakeibo {
namespace {

using test::TempDir;
using test::WriteBytes;

// n lines of the given number, CR LF each.
std::string NumberLines(int n, const std::string& value) {
    std::string out;
    for (int i = 0; i < n; ++i) out += value + "\r\n";
    return out;
}

class LedgerFilesTest : public ::testing::Test {
protected:
    // A ledger that a failed load must leave exactly as it is.
    void SetUp() override {
        ledger->LedgerName = "前の家計簿";
        ledger->EntryTable[0][0] = {2025, 1, 5, 2, 0, 0, 0, 800, 0};
        ledger->EntryTextTable[0][0] = {"八百屋", "野菜"};
        ledger->BudgetTable[1][2] = 40000;
        ledger->BalanceTable[0][0][0] = 12345;
        ledger->NextSlot = 1;
        *before = *ledger;
    }

    void ExpectUnchanged() const {
        EXPECT_EQ(ledger->LedgerName, "前の家計簿");
        EXPECT_EQ(ledger->NextSlot, 1);
        EXPECT_TRUE(ledger->EntryTable == before->EntryTable);
        EXPECT_TRUE(ledger->EntryTextTable == before->EntryTextTable);
        EXPECT_TRUE(ledger->BudgetTable == before->BudgetTable);
        EXPECT_TRUE(ledger->BalanceTable == before->BalanceTable);
    }

    std::string ErrorOf(const std::string& name) {
        try {
            MonthLoad(*ledger, dir.Path(), name);
        } catch (const LedgerError& e) {
            return e.what();
        }
        return "(no error)";
    }

    TempDir dir;
    std::unique_ptr<Ledger> ledger = std::make_unique<Ledger>();
    std::unique_ptr<Ledger> before = std::make_unique<Ledger>();
};

TEST_F(LedgerFilesTest, EntriesAreReadFromCp932BytesExactly) {
    // 表 and ソ end in 0x5C, ① is an NEC character, 0x80 is no CP932 at all; the memo holds
    // commas. LF-only line ends and a last line without a line end count as lines too.
    WriteBytes(dir.Path() + "k.nbd",
               "2026,3,14,2,0,0,0,1280,1,\x95\x5c\x8e\x51\x93\xb9\x83\x5c\x83\x74\x83\x67\x87\x40,"
               "\x8b\x8d\x93\xfb,\x97\x91,,\x80\r\n"
               "2026,3,15,0,1,20,0,250000,2,,\n"
               "2026,12,31,1,4,0,0,1,0,\x90\x48,");
    const LoadResult result = MonthLoad(*ledger, dir.Path(), "k");

    EXPECT_TRUE(result.Loaded);
    EXPECT_FALSE(result.Message.has_value());
    EXPECT_EQ(ledger->LedgerName, "k");
    EXPECT_EQ(ledger->NextSlot, 0);
    EXPECT_EQ(ledger->EntryTable[2][0], (EntryRecord{2026, 3, 14, 2, 0, 0, 0, 1280, 1}));
    EXPECT_EQ(ledger->EntryTextTable[2][0].Shop, "表参道ソフト①");
    EXPECT_EQ(ledger->EntryTextTable[2][0].Memo, "牛乳,卵,,\U0010FF80");
    EXPECT_EQ(ledger->EntryTable[2][1], (EntryRecord{2026, 3, 15, 0, 1, 20, 0, 250000, 2}));
    EXPECT_EQ(ledger->EntryTextTable[2][1], (EntryText{"", ""}));
    EXPECT_EQ(ledger->EntryTable[11][0], (EntryRecord{2026, 12, 31, 1, 4, 0, 0, 1, 0}));
    EXPECT_EQ(ledger->EntryTextTable[11][0], (EntryText{"食", ""}));
    // The earlier ledger's January entry is gone: a load replaces all entries.
    EXPECT_EQ(ledger->EntryTable[0][0], EntryRecord{});
    EXPECT_EQ(ledger->EntryTextTable[0][0], EntryText{});
    EXPECT_EQ(ledger->GetIndex(3), 2);
    // No budget or balance file: those of the earlier ledger stay.
    EXPECT_EQ(ledger->BudgetTable[1][2], 40000);
    EXPECT_EQ(ledger->BalanceTable[0][0][0], 12345);

    // Signs and leading zeros read as they always did.
    WriteBytes(dir.Path() + "k.nbd", "+2026,04,+1,02,0,0,0,0000000001280,1,a,b");
    ASSERT_TRUE(MonthLoad(*ledger, dir.Path(), "k").Loaded);
    EXPECT_EQ(ledger->EntryTable[3][0], (EntryRecord{2026, 4, 1, 2, 0, 0, 0, 1280, 1}));
}

TEST_F(LedgerFilesTest, EachMonthKeepsItsOwnSlotCounter) {
    const std::string march = "2026,3,1,2,0,0,0,";
    const std::string may = "2026,5,1,2,0,0,0,";
    WriteBytes(dir.Path() + "grouped.nbd",
               march + "100,0,,\r\n" + march + "200,0,,\r\n" + may + "300,0,,\r\n");
    ASSERT_TRUE(MonthLoad(*ledger, dir.Path(), "grouped").Loaded);
    EXPECT_EQ(ledger->EntryTable[2][0].Amount, 100);
    EXPECT_EQ(ledger->EntryTable[2][1].Amount, 200);
    EXPECT_EQ(ledger->EntryTable[4][0].Amount, 300);
    EXPECT_EQ(ledger->GetIndex(3), 2);
    EXPECT_EQ(ledger->GetIndex(5), 1);

    // March, May, March again: the second March line must not overwrite the first.
    WriteBytes(dir.Path() + "mixed.nbd",
               march + "100,0,a,\r\n" + may + "300,0,b,\r\n" + march + "200,0,c,\r\n");
    ASSERT_TRUE(MonthLoad(*ledger, dir.Path(), "mixed").Loaded);
    EXPECT_EQ(ledger->EntryTable[2][0].Amount, 100);
    EXPECT_EQ(ledger->EntryTable[2][1].Amount, 200);
    EXPECT_EQ(ledger->EntryTextTable[2][1].Shop, "c");
    EXPECT_EQ(ledger->EntryTable[4][0].Amount, 300);
    EXPECT_EQ(ledger->GetIndex(3), 2);
}

TEST_F(LedgerFilesTest, RepeatedTextsOfAYearAreKeptOnce) {
    // 八百屋 with 野菜 and カフェ each month; July's lines are read the general way (a sign).
    std::string bytes;
    for (int m = 1; m <= kMonthCount; ++m) {
        const std::string start = (m == 7 ? "+2026," : "2026,") + std::to_string(m) + ",1,2,0,0,0,";
        bytes += start + "100,0,\x94\xaa\x95\x53\x89\xae,\x96\xec\x8d\xd8\r\n";
        bytes += start + "200,0,\x83\x4a\x83\x74\x83\x46,\r\n";
    }
    WriteBytes(dir.Path() + "y.nbd", bytes);
    ASSERT_TRUE(MonthLoad(*ledger, dir.Path(), "y").Loaded);
    const auto& january = ledger->EntryTextTable[0];
    EXPECT_NE(january[0].Shop.str().data(), january[1].Shop.str().data());
    for (const auto& month : ledger->EntryTextTable) {
        EXPECT_EQ(month[0], (EntryText{"八百屋", "野菜"}));
        EXPECT_EQ(month[1], (EntryText{"カフェ", ""}));
        for (int s : {0, 1}) EXPECT_EQ(month[s].Shop.str().data(), january[s].Shop.str().data());
        EXPECT_EQ(month[0].Memo.str().data(), january[0].Memo.str().data());
    }
}

TEST_F(LedgerFilesTest, BudgetAndBalanceFilesFillTheirTablesInFileOrder) {
    WriteBytes(dir.Path() + "y.nbd", "");
    // Line 180 of the balance file is row 1, item 0, column 0; values are 64-bit.
    std::string balance = NumberLines(180, "0") + "5000000000\r\n" + NumberLines(2158, "0") +
                          "-7\r\n" + "999\r\n";  // a line past the table is ignored
    WriteBytes(dir.Path() + "yr.dat", balance);
    // A short budget file: 31 lines reach row 1, item 0; every later value becomes 0.
    WriteBytes(dir.Path() + "yy.dat", NumberLines(30, "1") + "-2500\r\n");

    ASSERT_TRUE(MonthLoad(*ledger, dir.Path(), "y").Loaded);
    EXPECT_EQ(ledger->BalanceTable[1][0][0], 5000000000);
    EXPECT_EQ(ledger->BalanceTable[0][29][5], 0);
    EXPECT_EQ(ledger->BalanceTable[1][0][1], 0);
    EXPECT_EQ(ledger->BalanceTable[12][29][5], -7);
    EXPECT_EQ(ledger->BalanceTable[0][0][0], 0);  // the earlier ledger's value is replaced
    EXPECT_EQ(ledger->BudgetTable[0][0], 1);
    EXPECT_EQ(ledger->BudgetTable[0][29], 1);
    EXPECT_EQ(ledger->BudgetTable[1][0], -2500);
    EXPECT_EQ(ledger->BudgetTable[1][2], 0);  // past the end of the short file
    EXPECT_EQ(ledger->GetIndex(1), 0);        // an empty entries file: no entries

    // Only a budget file: the balances stay as they are.
    ledger->BalanceTable[0][1][2] = 777;
    WriteBytes(dir.Path() + "b.nbd", "");
    WriteBytes(dir.Path() + "by.dat", "12\r\n");
    ASSERT_TRUE(MonthLoad(*ledger, dir.Path(), "b").Loaded);
    EXPECT_EQ(ledger->BudgetTable[0][0], 12);
    EXPECT_EQ(ledger->BudgetTable[0][1], 0);
    EXPECT_EQ(ledger->BalanceTable[0][1][2], 777);
    EXPECT_EQ(ledger->BalanceTable[1][0][0], 5000000000);

    // A restore loads what a first load of the same files gives: no balances at all.
    ASSERT_TRUE(MonthLoad(*ledger, dir.Path(), "b", MissingTables::Empty).Loaded);
    EXPECT_EQ(ledger->BudgetTable[0][0], 12);
    EXPECT_EQ(ledger->BalanceTable[0][1][2], 0);
    EXPECT_EQ(ledger->BalanceTable[1][0][0], 0);
}

TEST_F(LedgerFilesTest, MissingEntriesFileWarnsAndChangesNothing) {
    const LoadResult result = MonthLoad(*ledger, dir.Path(), "家計簿2026");
    EXPECT_FALSE(result.Loaded);
    ASSERT_TRUE(result.Message.has_value());
    EXPECT_EQ(*result.Message,
              (Notice{NoticeKind::Warning, "ファイル名家計簿2026.nbdは見つかりませんでした。"}));
    ExpectUnchanged();

    const LoadResult silent = MonthLoad(*ledger, dir.Path(), "rozed1");
    EXPECT_FALSE(silent.Loaded);
    EXPECT_FALSE(silent.Message.has_value());
    EXPECT_FALSE(MonthLoad(*ledger, dir.Path(), "新規作成").Message.has_value());
    EXPECT_TRUE(MonthLoad(*ledger, dir.Path(), "rozed10").Message.has_value());
    ExpectUnchanged();
}

TEST_F(LedgerFilesTest, MalformedEntryLinesLeaveThePreviousLedgerIntact) {
    const std::string good = "2026,4,1,2,0,0,0,500,0,shop,memo\r\n";
    struct Case {
        std::string line;
        std::string reason;
    };
    const Case cases[] = {
        {"2026,4,1,2,0,0,0,12a,0,shop,memo", "'12a' は数値ではありません"},
        {"2026,4,1,2,0,0,0,500,0", "区切りのカンマが 10 個ありません"},
        {"", "区切りのカンマが 10 個ありません"},
        {"2026,4,1,2,0,0,0,9999999999,0,,", "'9999999999' は数値ではありません"},
        {"2026,13,1,2,0,0,0,500,0,,", "月 13 が 1 から 12 の範囲にありません"},
        {"2026,0,1,2,0,0,0,500,0,,", "月 0 が 1 から 12 の範囲にありません"},
        {"2026,4,32,2,0,0,0,500,0,,", "日 32 が 1 から 31 の範囲にありません"},
        {"2026,4,0,2,0,0,0,500,0,,", "日 0 が 1 から 31 の範囲にありません"},
        {"2026,4,1,30,0,0,0,500,0,,", "科目 30 が 0 から 29 の範囲にありません"},
        {"2026,4,1,2,5,0,0,500,0,,", "補助 5 が 0 から 4 の範囲にありません"},
        {"2026,4,1,2,0,-1,0,500,0,,", "科目 -1 が 0 から 29 の範囲にありません"},
        {"2026,4,1,2,0,0,-1,500,0,,", "補助 -1 が 0 から 4 の範囲にありません"},
        {"2026,4,1,2,0,0,0,0,0,,", "金額 0 が 1 円未満です"},
        {"2026,4,1,2,0,0,0,-300,0,,", "金額 -300 が 1 円未満です"},
    };
    // A good budget file beside the bad entries must not be applied either.
    WriteBytes(dir.Path() + "bady.dat", NumberLines(390, "99"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        WriteBytes(dir.Path() + "bad.nbd", good + good + c.line + "\r\n" + good);
        EXPECT_EQ(ErrorOf("bad"), "ファイル「" + dir.Path() +
                                      "bad.nbd」の 3 行目を読み込めません: " + c.reason +
                                      " (行: " + c.line + ")");
        ExpectUnchanged();
    }

    // The 1001st line of one month.
    std::string full;
    for (int i = 0; i < 1000; ++i) full += "2026,6,1,2,0,0,0,1,0,,\r\n";
    WriteBytes(dir.Path() + "full.nbd", full + "2026,7,1,2,0,0,0,1,0,,\r\n2026,6,2,2,0,0,0,1,0,,");
    EXPECT_EQ(ErrorOf("full"), "ファイル「" + dir.Path() +
                                   "full.nbd」の 1002 行目を読み込めません: 6 月の明細が 1000 "
                                   "件を超えています (行: 2026,6,2,2,0,0,0,1,0,,)");
    ExpectUnchanged();

    // A number that is not ASCII is named as the user reads it, in the line as read.
    WriteBytes(dir.Path() + "bad.nbd", good + "2026,4,1,2,0,0,0,\x82\x50\x82\x4f,0,\x90\x48,\r\n");
    EXPECT_EQ(ErrorOf("bad"), "ファイル「" + dir.Path() +
                                  "bad.nbd」の 2 行目を読み込めません: '１０' は数値ではありませ"
                                  "ん (行: 2026,4,1,2,0,0,0,１０,0,食,)");
    ExpectUnchanged();
}

TEST_F(LedgerFilesTest, MalformedBudgetOrBalanceLineLeavesThePreviousLedgerIntact) {
    WriteBytes(dir.Path() + "x.nbd", "2026,4,1,2,0,0,0,500,0,,\r\n");
    // Budgets are 32-bit: 3000000000 does not fit.
    WriteBytes(dir.Path() + "xy.dat", "1\r\n3000000000\r\n");
    EXPECT_EQ(ErrorOf("x"), "ファイル「" + dir.Path() +
                                "xy.dat」の 2 行目を読み込めません: '3000000000' は数値ではあ"
                                "りません (行: 3000000000)");
    ExpectUnchanged();

    WriteBytes(dir.Path() + "xy.dat", "1\r\n");
    WriteBytes(dir.Path() + "xr.dat", "0\r\n0\r\n1,000\r\n");
    EXPECT_EQ(ErrorOf("x"), "ファイル「" + dir.Path() +
                                "xr.dat」の 3 行目を読み込めません: '1,000' は数値ではありませ"
                                "ん (行: 1,000)");
    ExpectUnchanged();

    // An opening balance near the 64-bit limit would wrap when the year's entries roll onto
    // it; rows 1..12 are recomputed, so any value there loads.
    WriteBytes(dir.Path() + "xr.dat", "0\r\n-1000000000000000\r\n");
    EXPECT_EQ(ErrorOf("x"), "ファイル「" + dir.Path() +
                                "xr.dat」の 2 行目を読み込めません: 残高 -1000000000000000 が "
                                "-999999999999999 から 999999999999999 の範囲にありません (行: "
                                "-1000000000000000)");
    ExpectUnchanged();
    WriteBytes(dir.Path() + "xr.dat",
               "999999999999999\r\n" + NumberLines(179, "0") + "9223372036854775807\r\n");
    EXPECT_EQ(ErrorOf("x"), "(no error)");
    EXPECT_EQ(ledger->BalanceTable[0][0][0], 999999999999999);
    EXPECT_EQ(ledger->BalanceTable[1][0][0], INT64_MAX);
}

TEST(MasterFiles, MastersFillTheirTablesWhileTheFileLasts) {
    TempDir dir;
    auto ledger = std::make_unique<Ledger>();
    EXPECT_FALSE(ReadItemMaster(*ledger, dir.Path() + "kamoku.dat"));
    EXPECT_FALSE(ReadSubItemMaster(*ledger, dir.Path() + "hojyo.dat"));

    // Three lines: item 0 complete, item 1 without its kind.
    ledger->ItemTable[5] = {"古い名前", "-1"};
    WriteBytes(dir.Path() + "kamoku.dat", "\x8c\xbb\x8b\xe0\r\n0\r\n\x95\x5c\r\n");
    ASSERT_TRUE(ReadItemMaster(*ledger, dir.Path() + "kamoku.dat"));
    EXPECT_EQ(ledger->ItemTable[0].Name, "現金");
    EXPECT_EQ(ledger->ItemTable[0].Kind, "0");
    EXPECT_EQ(ledger->ItemTable[1].Name, "表");
    EXPECT_EQ(ledger->ItemTable[1].Kind, "");
    EXPECT_EQ(ledger->ItemTable[5].Name, "");
    EXPECT_EQ(ledger->ItemTable[5].Kind, "");

    // Blank names keep their places.
    WriteBytes(dir.Path() + "hojyo.dat", "\x82\xa8\x8d\xe0\x95\x7a\r\n\r\n\x83\x5c\r\n");
    ASSERT_TRUE(ReadSubItemMaster(*ledger, dir.Path() + "hojyo.dat"));
    EXPECT_EQ(ledger->SubItemTable[0][0], "お財布");
    EXPECT_EQ(ledger->SubItemTable[0][1], "");
    EXPECT_EQ(ledger->SubItemTable[0][2], "ソ");
    EXPECT_EQ(ledger->SubItemTable[29][4], "");
}

TEST(MasterFiles, ShippedMastersHoldTheAccountsAndTheWallet) {
    const std::string data = std::string(KAKEIBO_DATA_DIR);
    auto ledger = std::make_unique<Ledger>();
    ASSERT_TRUE(ReadItemMaster(*ledger, data + "kamoku.dat"));
    ASSERT_TRUE(ReadSubItemMaster(*ledger, data + "hojyo.dat"));
    EXPECT_EQ(ledger->ItemTable[0].Kind, "0");
    EXPECT_EQ(ledger->ItemTable[1].Kind, "0");
    EXPECT_EQ(ledger->SubItemTable[0][0], "お財布");
    for (int i = 2; i < kItemCount; ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(ledger->ItemTable[i].Kind == "-1" || ledger->ItemTable[i].Kind == "1");
    }
}

TEST(HistoryFiles, HistoryIsReadLineByLineAndEmptyWhenAbsent) {
    TempDir dir;
    EXPECT_TRUE(ReadHistory(dir.Path() + "mise.dat").empty());
    WriteBytes(dir.Path() + "mise.dat", "\x95\x5c\x8e\x51\x93\xb9\r\n\r\nA,B\n\x83\x5c");
    EXPECT_EQ(ReadHistory(dir.Path() + "mise.dat"),
              (std::vector<std::string>{"表参道", "", "A,B", "ソ"}));
}

}  // namespace
}  // namespace kakeibo
