#include "core/files/save.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/errors.h"
#include "core/files/backup.h"
#include "core/files/file_io.h"
#include "core/files/group_write.h"
#include "core/files/ledger_files.h"
#include "core/files/save_intent.h"
#include "core/files/settings_file.h"
#include "core/ledger/ledger.h"
#include "test_files.h"

namespace kakeibo {
namespace {

namespace fs = std::filesystem;

// CP932 bytes written out in hex, so that the expected files do not depend on our encoder.
std::string Sjis(const std::string& hex) {
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    }
    return bytes;
}

const std::string kHachioya = Sjis("94aa955389ae");                   // 八百屋
const std::string kMilkEggs = Sjis("8b8d93fb2c9791");                 // 牛乳,卵
const std::string kDrugstore = Sjis("836883898362834f835883678341");  // ドラッグストア
const std::string kTatekae = Sjis("97a791d620835c9841955c");  // 立替 ソ連表 (0x5C trail bytes)
const std::string kKakeibo = Sjis("89c68c7695eb");            // 家計簿
const std::string kGenkin = Sjis("8cbb8be0");                 // 現金
const std::string kGinko = Sjis("8be28d73");                  // 銀行
const std::string kShokuhi = Sjis("904894ef");                // 食費
const std::string kKyuyo = Sjis("8b8b975e");                  // 給与
const std::string kOsaifu = Sjis("82a88de0957a");             // お財布
const std::string kFullWidthComma = Sjis("8143");             // ，

using test::ReadBytes;
using test::WriteBytes;

std::vector<std::string> SplitCrLf(const std::string& bytes) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        const size_t end = bytes.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back("<no CR LF>" + bytes.substr(start));
            break;
        }
        lines.push_back(bytes.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

class MonthSaveTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directory(exe);
        fs::create_directory(data);

        ledger = std::make_unique<Ledger>();
        ledger->ExeDir = exe;
        ledger->IniPath = exe + "rozed.ini";
        ledger->DataDir = data;
        ledger->LedgerName = "家計簿2026";
        ledger->ItemTable[0] = {"現金", "0"};
        ledger->ItemTable[1] = {"銀行", "0"};
        ledger->ItemTable[2] = {"食費", "-1"};
        ledger->ItemTable[3] = {"給与", "1"};
        ledger->SubItemTable[0][0] = "お財布";

        inputs.EntryForm = {1, 427, 81, 483, 583};
        inputs.DataSheet = {1, 0, 81, 618, 425};
        inputs.Sync = false;
    }

    // Without write permission on the data folder its files could not be removed.
    void TearDown() override { fs::permissions(data, fs::perms::owner_all); }

    void Add(int month, int slot, EntryRecord e, std::string shop = "", std::string memo = "") {
        ledger->EntryTable[month - 1][slot] = e;
        ledger->EntryTextTable[month - 1][slot] = {std::move(shop), std::move(memo)};
    }

    test::TempDir temp;
    const std::string root = temp.Path();
    const std::string exe = root + "exe/";
    const std::string data = root + "data/";
    std::unique_ptr<Ledger> ledger;
    SaveInputs inputs;
};

TEST_F(MonthSaveTest, ChangedLedgerWritesEveryFileInCp932WithCrLf) {
    ledger->BalanceTable[0][0][0] = 10000;
    ledger->BalanceTable[0][0][5] = 10000;
    ledger->BalanceTable[0][1][2] = 5000000000;  // beyond 32 bits: written in full
    ledger->BalanceTable[0][1][5] = 5000000000;
    ledger->BudgetTable[3][2] = 30000;
    ledger->BudgetTable[12][29] = -5;
    Add(1, 0, {2026, 1, 5, 2, 1, 0, 0, 1280, 0}, "八百屋", "牛乳,卵");
    Add(1, 1, {2026, 1, 25, 0, 0, 3, 0, 250000, 2}, "", "");
    Add(3, 0, {2026, 3, 31, 2, 4, 1, 3, 1000, 1}, "ドラッグストア", "立替 ソ連表");
    ledger->ShopHistoryMax = 25;
    ledger->MemoHistoryMax = 40;
    ledger->HideZeroItems = true;
    ledger->TaxRounding = 2;
    ledger->LedgerChanged = true;
    ledger->MastersChanged = true;
    inputs.ShopHistory = {"ドラッグストア", "八百屋"};
    inputs.MemoHistory = {"立替 ソ連表"};
    // The user's own mode of a file stays; a new file is the user's alone, whatever the umask.
    WriteBytes(data + "家計簿2026.nbd", "old\r\n");
    fs::permissions(data + "家計簿2026.nbd", fs::perms(0640));
    const mode_t mask = ::umask(0);
    MonthSave(*ledger, data, "家計簿2026", inputs);
    ::umask(mask);
    EXPECT_EQ(test::ModeOf(data + "家計簿2026.nbd"), 0640);
    for (const std::string& made :
         {data + "家計簿2026r.dat", data + "mise.dat", exe + "rozed.ini", exe + "kamoku.dat"}) {
        EXPECT_EQ(test::ModeOf(made), 0600) << made;
    }

    EXPECT_EQ(ReadBytes(data + "家計簿2026.nbd"),
              "2026,1,5,2,1,0,0,1280,0," + kHachioya + "," + kMilkEggs + "\r\n" +
                  "2026,1,25,0,0,3,0,250000,2,,\r\n" + "2026,3,31,2,4,1,3,1000,1," + kDrugstore +
                  "," + kTatekae + "\r\n");

    EXPECT_EQ(ReadBytes(exe + "rozed.ini"),
              data + "\r\n" + kKakeibo + "2026\r\n" + "25\r\n40\r\nTrue\r\n" +
                  "1,427,81,483,583,1,427,81,483,583,1,0,81,618,425,\r\n" + "2\r\n" + "2\r\n" +
                  "\r\n" + "\r\n" + "2:1\r\n");

    const auto balance = SplitCrLf(ReadBytes(data + "家計簿2026r.dat"));
    ASSERT_EQ(balance.size(), 2340u);
    EXPECT_EQ(balance[0], "10000");
    EXPECT_EQ(balance[5], "10000");
    EXPECT_EQ(balance[8], "5000000000");
    EXPECT_EQ(balance[11], "5000000000");
    // The derived rows are recomputed before writing: row 1 (line 180) after January.
    EXPECT_EQ(balance[180], "258720");
    EXPECT_EQ(balance[180 + 3 * 6], "250000");
    // Row 3 (line 540): March's tax-excluded 1,000 of food counts as 1,080 (reduced rate).
    EXPECT_EQ(balance[540 + 6 + 3], "-1080");
    EXPECT_EQ(balance[540 + 6 + 5], "4999998920");
    EXPECT_EQ(balance[2339], "0");

    const auto budget = SplitCrLf(ReadBytes(data + "家計簿2026y.dat"));
    ASSERT_EQ(budget.size(), 390u);
    EXPECT_EQ(budget[3 * 30 + 2], "30000");
    EXPECT_EQ(budget[389], "-5");
    EXPECT_EQ(budget[0], "0");

    std::string items = kGenkin + "\r\n0\r\n" + kGinko + "\r\n0\r\n" + kShokuhi + "\r\n-1\r\n" +
                        kKyuyo + "\r\n1\r\n";
    for (int i = 4; i < kItemCount; ++i) items += "\r\n\r\n";
    EXPECT_EQ(ReadBytes(exe + "kamoku.dat"), items);
    std::string subItems = kOsaifu;
    for (int i = 0; i < kItemCount * kSubItemCount; ++i) subItems += "\r\n";
    EXPECT_EQ(ReadBytes(exe + "hojyo.dat"), subItems);

    EXPECT_EQ(ReadBytes(data + "mise.dat"), kDrugstore + "\r\n" + kHachioya + "\r\n");
    EXPECT_EQ(ReadBytes(data + "memo.dat"), kTatekae + "\r\n");

    EXPECT_FALSE(ledger->LedgerChanged);
    EXPECT_FALSE(ledger->MastersChanged);
    EXPECT_FALSE(fs::exists(data + "家計簿2026.nbd.tmp"));
}

TEST_F(MonthSaveTest, SettingsLineSixFollowsTheWindowsAsTheyAreNow) {
    ledger->LedgerChanged = true;
    ledger->WindowLayout[0] = {1, 1, 2, 3, 4};  // what start-up read does not matter
    inputs.EntryForm = {0, -20, 5, 483, 583};
    inputs.DataSheet = {1, 1300, 81, 618, 425};
    MonthSave(*ledger, data, "x", inputs);
    const auto lines = SplitCrLf(ReadBytes(exe + "rozed.ini"));
    ASSERT_EQ(lines.size(), 11u);
    EXPECT_EQ(lines[4], "False");
    EXPECT_EQ(lines[5], "0,-20,5,483,583,0,-20,5,483,583,1,1300,81,618,425,");
    EXPECT_EQ(lines[6], "0");
}

TEST_F(MonthSaveTest, AFreeSlotEndsTheMonth) {
    Add(1, 0, {2026, 1, 1, 2, 0, 0, 0, 100, 0}, "a", "");
    Add(1, 1, {2026, 1, 2, 2, 0, 0, 0, 200, 0}, "b", "");
    Add(1, 3, {2026, 1, 4, 2, 0, 0, 0, 400, 0}, "hidden", "");
    Add(2, 1, {2026, 2, 4, 2, 0, 0, 0, 500, 0}, "hidden too", "");
    for (int s = 0; s < kSlotCount; ++s) Add(6, s, {2026, 6, 1 + s % 30, 2, 0, 0, 0, 1 + s, 0});
    ledger->LedgerChanged = true;
    MonthSave(*ledger, data, "led", inputs);

    const auto lines = SplitCrLf(ReadBytes(data + "led.nbd"));
    ASSERT_EQ(lines.size(), 1002u);
    EXPECT_EQ(lines[0], "2026,1,1,2,0,0,0,100,0,a,");
    EXPECT_EQ(lines[1], "2026,1,2,2,0,0,0,200,0,b,");
    EXPECT_EQ(lines[2], "2026,6,1,2,0,0,0,1,0,,");
    EXPECT_EQ(lines[1001], "2026,6,10,2,0,0,0,1000,0,,");

    // Nothing at all: an empty entries file beside the full-size number files.
    auto empty = std::make_unique<Ledger>();
    empty->ExeDir = exe;
    empty->IniPath = exe + "rozed.ini";
    empty->LedgerChanged = true;
    MonthSave(*empty, data, "empty", inputs);
    EXPECT_EQ(ReadBytes(data + "empty.nbd"), "");
    EXPECT_EQ(SplitCrLf(ReadBytes(data + "emptyr.dat")).size(), 2340u);
    EXPECT_EQ(SplitCrLf(ReadBytes(data + "emptyy.dat")).size(), 390u);
}

TEST_F(MonthSaveTest, TheFlagsDecideWhichFilesAreWritten) {
    const char* ledgerFiles[] = {"led.nbd", "ledr.dat", "ledy.dat"};
    for (const char* f : ledgerFiles) WriteBytes(data + f, "old\r\n");
    WriteBytes(exe + "rozed.ini", "old ini\r\n");
    WriteBytes(exe + "kamoku.dat", "old items\r\n");
    WriteBytes(exe + "hojyo.dat", "old subs\r\n");
    Add(1, 0, {2026, 1, 1, 2, 0, 0, 0, 100, 0});
    inputs.ShopHistory = {"shop"};

    MonthSave(*ledger, data, "led", inputs);  // nothing changed: only the histories
    for (const char* f : ledgerFiles) EXPECT_EQ(ReadBytes(data + f), "old\r\n") << f;
    EXPECT_EQ(ReadBytes(exe + "rozed.ini"), "old ini\r\n");
    EXPECT_EQ(ReadBytes(exe + "kamoku.dat"), "old items\r\n");
    EXPECT_EQ(ReadBytes(data + "mise.dat"), "shop\r\n");
    EXPECT_EQ(ReadBytes(data + "memo.dat"), "");

    ledger->MastersChanged = true;
    inputs.ShopHistory = {"second", "shop"};
    MonthSave(*ledger, data, "led", inputs);
    for (const char* f : ledgerFiles) EXPECT_EQ(ReadBytes(data + f), "old\r\n") << f;
    EXPECT_EQ(ReadBytes(exe + "rozed.ini"), "old ini\r\n");
    EXPECT_EQ(SplitCrLf(ReadBytes(exe + "kamoku.dat")).size(), 60u);
    EXPECT_EQ(SplitCrLf(ReadBytes(exe + "hojyo.dat")).size(), 150u);
    EXPECT_EQ(ReadBytes(data + "mise.dat"), "second\r\nshop\r\n");
    EXPECT_FALSE(ledger->MastersChanged);

    // A changed ledger without changed masters leaves the masters alone.
    WriteBytes(exe + "kamoku.dat", "old items\r\n");
    ledger->LedgerChanged = true;
    MonthSave(*ledger, data, "led", inputs);
    EXPECT_EQ(ReadBytes(data + "led.nbd"), "2026,1,1,2,0,0,0,100,0,,\r\n");
    EXPECT_EQ(ReadBytes(exe + "kamoku.dat"), "old items\r\n");
    EXPECT_EQ(SplitCrLf(ReadBytes(exe + "rozed.ini")).size(), 11u);
}

TEST_F(MonthSaveTest, HistoriesKeepNoMoreLinesThanTheEntryFormDoes) {
    ledger->ShopHistoryMax = 2;
    ledger->MemoHistoryMax = 0;
    inputs.ShopHistory = {"a", "b", "c"};
    inputs.MemoHistory = {"m"};
    MonthSave(*ledger, data, "led", inputs);
    EXPECT_EQ(ReadBytes(data + "mise.dat"), "a\r\nb\r\n");
    EXPECT_EQ(ReadBytes(data + "memo.dat"), "");
}

TEST_F(MonthSaveTest, TextsCannotBreakTheLineFormat) {
    // A comma in a shop name would shift the memo into the shop's field on the next load.
    Add(1, 0, {2026, 1, 1, 2, 0, 0, 0, 100, 0}, "八百屋,本店", "牛乳,卵");
    Add(1, 1, {2026, 1, 2, 2, 0, 0, 0, 100, 0}, "a\r\nb", "line\none");
    ledger->LedgerChanged = true;
    inputs.MemoHistory = {"two\nlines"};
    MonthSave(*ledger, data, "led", inputs);
    EXPECT_EQ(ReadBytes(data + "led.nbd"), "2026,1,1,2,0,0,0,100,0," + kHachioya + kFullWidthComma +
                                               Sjis("967b9358") + "," + kMilkEggs + "\r\n" +
                                               "2026,1,2,2,0,0,0,100,0,a  b,line one\r\n");
    EXPECT_EQ(ReadBytes(data + "memo.dat"), "two lines\r\n");
}

TEST_F(MonthSaveTest, UnstorableTextStopsTheSaveBeforeAnyFileChanges) {
    WriteBytes(data + "ledr.dat", "old\r\n");
    WriteBytes(data + "ledy.dat", "old\r\n");
    WriteBytes(data + "led.nbd", "old\r\n");
    WriteBytes(exe + "rozed.ini", "old\r\n");
    Add(1, 0, {2026, 1, 1, 2, 0, 0, 0, 100, 0}, "", "10€");
    ledger->LedgerChanged = true;
    ledger->MastersChanged = true;
    try {
        MonthSave(*ledger, data, "led", inputs);
        FAIL() << "the save went through";
    } catch (const LedgerError& e) {
        EXPECT_NE(std::string(e.what()).find(data + "led.nbd"), std::string::npos) << e.what();
    }
    EXPECT_EQ(ReadBytes(data + "ledr.dat"), "old\r\n");
    EXPECT_EQ(ReadBytes(data + "ledy.dat"), "old\r\n");
    EXPECT_EQ(ReadBytes(data + "led.nbd"), "old\r\n");
    EXPECT_EQ(ReadBytes(exe + "rozed.ini"), "old\r\n");
    EXPECT_EQ(ReadBytes(exe + "kamoku.dat"), "<missing>");
    EXPECT_EQ(ReadBytes(data + "mise.dat"), "<missing>");
    EXPECT_TRUE(ledger->LedgerChanged);
    EXPECT_TRUE(ledger->MastersChanged);
}

// The files of a folder, name -> bytes, to compare a whole folder before and after.
std::map<std::string, std::string> FolderFiles(const std::string& dir) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(dir)) {
        files[entry.path().filename().string()] =
            entry.is_regular_file() ? ReadBytes(entry.path().string()) : "<folder>";
    }
    return files;
}

// Old files of every name the data folder's group writes; returns the folder as it is then.
std::map<std::string, std::string> WriteOldDataFiles(const std::string& data) {
    for (const char* f : {"led.nbd", "ledr.dat", "ledy.dat", "mise.dat", "memo.dat"}) {
        WriteBytes(data + f, std::string("old ") + f + "\r\n");
    }
    return FolderFiles(data);
}

// Removes the fault hook whatever way a test ends.
struct FaultHookScope {
    explicit FaultHookScope(WriteFaultHook hook) { SetWriteFaultHookForTesting(std::move(hook)); }
    ~FaultHookScope() { SetWriteFaultHookForTesting(nullptr); }
};

TEST_F(MonthSaveTest, AFileThatCannotBeWrittenAtAnyStepLeavesEveryOldFileAndNoTemporaryFile) {
    auto before = WriteOldDataFiles(data);
    Add(1, 0, {2026, 1, 1, 2, 0, 0, 0, 100, 0});
    inputs.ShopHistory = {"new"};
    inputs.Sync = true;
    // The save is refused for `reason`; nothing of the data folder changed (no new balance
    // beside the old entries, no temporary file) and both flags still ask for a save.
    auto expectRefused = [&](const char* reason) {
        ledger->LedgerChanged = true;
        ledger->MastersChanged = true;
        try {
            MonthSave(*ledger, data, "led", inputs);
            ADD_FAILURE() << "the save went through";
        } catch (const LedgerError& e) {
            const std::string what = e.what();
            EXPECT_NE(what.find(reason), std::string::npos) << what;
            EXPECT_TRUE(what.ends_with("。保存は行われていません。")) << what;
        }
        EXPECT_EQ(FolderFiles(data), before);
        EXPECT_TRUE(ledger->LedgerChanged);
        EXPECT_TRUE(ledger->MastersChanged);
    };
    // The folder's save record cannot be written: no file was renamed yet. The program
    // folder's group is not written for a ledger that was not saved.
    {
        FaultHookScope hook([&](WriteStep s, const std::string& path) {
            return s == WriteStep::WriteRecord && path == data ? ENOSPC : 0;
        });
        expectRefused("ディスクの空き容量が足りません");
    }
    EXPECT_EQ(ReadBytes(exe + "rozed.ini"), "<missing>");
    EXPECT_EQ(ReadBytes(exe + "kamoku.dat"), "<missing>");
    // A full disk at each file and step.
    for (const char* failing : {"led.nbd", "ledr.dat", "ledy.dat", "mise.dat", "memo.dat"}) {
        for (WriteStep step : {WriteStep::CreateTemp, WriteStep::Write, WriteStep::SyncFile}) {
            SCOPED_TRACE(std::string(failing) + " step " + std::to_string(static_cast<int>(step)));
            const std::string target = data + failing;
            FaultHookScope hook([&](WriteStep s, const std::string& path) {
                return s == step && path == target ? ENOSPC : 0;
            });
            expectRefused("ディスクの空き容量が足りません");
        }
    }
}

// A rename that fails part-way is set right while the program still knows everything: the
// group is finished, or undone, or the user is told plainly which files are new; no save
// record is left for a later start to complete over a later save.
TEST_F(MonthSaveTest, ARenameThatFailsPartWayFinishesOrUndoesTheGroupAtOnce) {
    const struct {
        const char* what;
        int renameFailures;  // of led.nbd, the third file renamed
        bool undoFails;      // of ledr.dat, the first
        std::string ends;    // the message's end; "" when the save went through
        std::vector<std::string> newFiles;
    } rows[] = {
        {"once", 1, false, "", {"led.nbd", "ledr.dat", "ledy.dat", "memo.dat", "mise.dat"}},
        {"for good", 99, false, "。保存は行われていません。", {}},
        {"for good, and the undo fails",
         99,
         true,
         "一部だけ保存されました。新しくなったファイル：「" + data +
             "ledr.dat」、元のままのファイル：「" + data + "ledy.dat」「" + data + "led.nbd」「" +
             data + "mise.dat」「" + data + "memo.dat」",
         {"ledr.dat"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        fs::remove_all(data);
        fs::create_directory(data);
        const auto before = WriteOldDataFiles(data);
        Add(1, 0, {2026, 1, 1, 2, 0, 0, 0, 100, 0});
        inputs.ShopHistory = {"new"};
        ledger->LedgerChanged = true;
        int failures = 0;
        FaultHookScope hook([&](WriteStep s, const std::string& path) {
            if (s == WriteStep::Rename && path == data + "led.nbd" &&
                failures++ < row.renameFailures) {
                return EIO;
            }
            return s == WriteStep::Undo && row.undoFails && path == data + "ledr.dat" ? EIO : 0;
        });
        std::string message;
        try {
            MonthSave(*ledger, data, "led", inputs);
        } catch (const LedgerError& e) {
            message = e.what();
        }
        EXPECT_TRUE(message.ends_with(row.ends)) << message;
        EXPECT_EQ(message.empty(), row.ends.empty()) << message;
        const auto after = FolderFiles(data);
        std::vector<std::string> changed;
        for (const auto& [name, bytes] : after) {
            const auto old = before.find(name);
            EXPECT_NE(old, before.end()) << "left behind: " << name;
            if (old != before.end() && old->second != bytes) changed.push_back(name);
        }
        EXPECT_EQ(changed, row.newFiles);
    }
}

// A save record older than one of its files was overtaken by a later save: a start removes
// it without completing it over the later save.
TEST_F(MonthSaveTest, AStaleSaveRecordNeverUndoesALaterSave) {
    for (const bool later : {false, true}) {
        SCOPED_TRACE(later ? "a later save" : "no later save");
        fs::remove_all(data);
        fs::create_directory(data);
        WriteBytes(data + "memo.dat", "old\r\n");
        WriteBytes(data + ".memo.dat.1-00000000.tmp", "saved\r\n");
        SaveIntent intent;
        intent.Writer = ThisProcess();
        intent.Writer.BootId = "a boot before";
        intent.Files.push_back({".memo.dat.1-00000000.tmp", "memo.dat", 7, HashBytes("saved\r\n")});
        WriteBytes(data + ".kakeibo.1-00000000.save", IntentBytes(intent));
        if (later) {
            const struct timespec times[2] = {{0, UTIME_OMIT}, {0, UTIME_NOW}};
            ::usleep(20000);
            WriteBytes(data + "memo.dat", "later\r\n");
            ::utimensat(AT_FDCWD, (data + "memo.dat").c_str(), times, 0);
        }
        RecoverInterruptedSaves(data, "");
        EXPECT_EQ(ReadBytes(data + "memo.dat"), later ? "later\r\n" : "saved\r\n");
        EXPECT_EQ(FolderFiles(data).size(), 1u);
    }
}

TEST_F(MonthSaveTest, AFolderThatVanishesPartWayKeepsItsOldFilesAndNoTemporaryFile) {
    const auto before = WriteOldDataFiles(data);
    const std::string moved = root + "moved/";
    Add(1, 0, {2026, 1, 1, 2, 0, 0, 0, 100, 0});
    ledger->LedgerChanged = true;
    // The folder is taken away (a stick pulled, a folder moved) after two temporary files
    // were written into it; the system then no longer finds it.
    FaultHookScope hook([&](WriteStep s, const std::string& path) {
        if (s == WriteStep::CreateTemp && path == data + "led.nbd") {
            fs::rename(data.substr(0, data.size() - 1), moved.substr(0, moved.size() - 1));
            return ENOENT;
        }
        return 0;
    });
    EXPECT_THROW(MonthSave(*ledger, data, "led", inputs), LedgerError);
    EXPECT_EQ(FolderFiles(moved), before);
    EXPECT_TRUE(ledger->LedgerChanged);
    fs::rename(moved.substr(0, moved.size() - 1), data.substr(0, data.size() - 1));
}

TEST_F(MonthSaveTest, EachFileIsSyncedOnceAndEachFolderOnceAfterTheRenames) {
    Add(1, 0, {2026, 1, 1, 2, 0, 0, 0, 100, 0});
    ledger->LedgerChanged = true;
    ledger->MastersChanged = true;
    inputs.Sync = true;
    std::vector<std::pair<WriteStep, std::string>> steps;
    auto save = [&] {
        FaultHookScope hook([&](WriteStep s, const std::string& path) {
            steps.emplace_back(s, path);
            return 0;
        });
        MonthSave(*ledger, data, "led", inputs);
    };
    save();
    auto count = [&](WriteStep step) {
        return std::count_if(steps.begin(), steps.end(),
                             [&](const auto& s) { return s.first == step; });
    };
    EXPECT_EQ(count(WriteStep::SyncFile), 8);
    EXPECT_EQ(count(WriteStep::SyncFolder), 2);
    // Within a group no file is renamed before every file of it is synced, and its folder is
    // synced after the last rename.
    for (const std::string& folder : {data, exe}) {
        size_t lastSync = 0, firstRename = steps.size(), lastRename = 0, folderSync = 0;
        for (size_t i = 0; i < steps.size(); ++i) {
            const auto& [step, path] = steps[i];
            if (path.compare(0, folder.size(), folder) != 0) continue;
            if (step == WriteStep::SyncFile) lastSync = i;
            if (step == WriteStep::Rename) {
                firstRename = std::min(firstRename, i);
                lastRename = i;
            }
            if (step == WriteStep::SyncFolder) folderSync = i;
        }
        EXPECT_LT(lastSync, firstRename) << folder;
        EXPECT_GT(folderSync, lastRename) << folder;
    }
    // Without Sync nothing is synced.
    steps.clear();
    inputs.Sync = false;
    ledger->LedgerChanged = true;
    save();
    EXPECT_EQ(count(WriteStep::SyncFile) + count(WriteStep::SyncFolder), 0);
}

TEST_F(MonthSaveTest, TheBackupIsKeptBeforeTheSaveAndTidiedOnlyOnceItIsFinished) {
    const std::string entries = data + "家計簿2026.nbd";
    auto save = [&](int amount, int second) {
        Add(7, 0, {2026, 7, 1, 2, 0, 0, 0, amount, 0});
        ledger->LedgerChanged = true;
        inputs.Backup = Moment{Date{2026, 12, 7}, 10, 0, second};
        return MonthSave(*ledger, data, ledger->LedgerName, inputs);
    };
    FinishBackup(*save(100, 0).Backup);  // nothing on disk to keep yet: only the save's note
    ::chmod(entries.c_str(), 0644);      // a ledger an older version made readable by all
    std::string written = ReadBytes(entries);
    for (int i = 1; i <= 21; ++i) {
        const SaveResult result = save(100 + i, i);
        // Kept before the files were replaced, and nothing removed by the save itself.
        const auto made = ListGenerations(data, ledger->LedgerName);
        ASSERT_EQ(made.size(), static_cast<size_t>(i));
        EXPECT_EQ(ReadBytes(made.front().Path + "家計簿2026.nbd"), written);
        EXPECT_NE(ReadBytes(entries), written);
        written = ReadBytes(entries);
        FinishBackup(*result.Backup);
    }
    auto list = ListGenerations(data, ledger->LedgerName);
    ASSERT_EQ(list.size(), 20u);
    EXPECT_EQ(GenerationLabel(list.front()), "2026/12/07 10:00:20");  // named by its save
    EXPECT_EQ(test::ModeOf(list.front().Path + "家計簿2026.nbd"), 0600);
    EXPECT_EQ(test::ModeOf(entries), 0600);  // the first save made it the user's alone

    // The same state saved twice more: the second generation of it goes once that save is
    // finished, so repeated saves do not push older states out.
    FinishBackup(*save(121, 22).Backup);
    list = ListGenerations(data, ledger->LedgerName);
    const SaveResult again = save(121, 23);
    EXPECT_EQ(ListGenerations(data, ledger->LedgerName).size(), 21u);
    FinishBackup(*again.Backup);
    EXPECT_EQ(ListGenerations(data, ledger->LedgerName)[0].Path, list[0].Path);

    // A save that fails leaves no generation that is only a second name of the ledger.
    const FaultHookScope hook([](WriteStep step, const std::string&) {
        return step == WriteStep::CreateTemp ? ENOSPC : 0;
    });
    EXPECT_THROW(save(122, 24), LedgerError);
    EXPECT_EQ(ListGenerations(data, ledger->LedgerName)[0].Path, list[0].Path);
    EXPECT_EQ(ReadBytes(entries), written);
}

TEST_F(MonthSaveTest, AProgramFolderThatFailsStillSavesTheLedgerAndWarnsOnce) {
    WriteBytes(exe + "rozed.ini", "old ini\r\n");
    WriteBytes(exe + "kamoku.dat", "old kamoku\r\n");
    const auto programBefore = FolderFiles(exe);
    Add(1, 0, {2026, 1, 1, 2, 0, 0, 0, 100, 0});
    ledger->LedgerChanged = true;
    ledger->MastersChanged = true;
    SaveResult result;
    {
        FaultHookScope hook([&](WriteStep s, const std::string& path) {
            return s == WriteStep::CreateTemp && path == exe + "hojyo.dat" ? EROFS : 0;
        });
        result = MonthSave(*ledger, data, "led", inputs);
    }
    EXPECT_EQ(SplitCrLf(ReadBytes(data + "led.nbd")).size(), 1u);
    EXPECT_EQ(SplitCrLf(ReadBytes(data + "ledr.dat")).size(), 2340u);
    EXPECT_EQ(FolderFiles(exe), programBefore);
    ASSERT_TRUE(result.Warning);
    EXPECT_EQ(result.Warning->Kind, NoticeKind::Warning);
    EXPECT_EQ(result.Warning->Text,
              "家計簿データは保存しましたが、設定と科目名を保存できませんでした。\r"
              "ファイル「" +
                  exe + "hojyo.dat」に書き込めませんでした。読み取り専用の場所です");
    EXPECT_FALSE(ledger->LedgerChanged);
    EXPECT_TRUE(ledger->MastersChanged);

    // Only the masters changed: the warning names the item names alone.
    {
        FaultHookScope hook(
            [&](WriteStep s, const std::string&) { return s == WriteStep::Write ? EACCES : 0; });
        ledger->LedgerChanged = false;
        ledger->MastersChanged = true;
        // The histories fail too (the data group is written first): an error, no warning.
        EXPECT_THROW(MonthSave(*ledger, data, "led", inputs), LedgerError);
    }
    {
        FaultHookScope hook([&](WriteStep s, const std::string& path) {
            return s == WriteStep::Write && path.compare(0, exe.size(), exe) == 0 ? EACCES : 0;
        });
        result = MonthSave(*ledger, data, "led", inputs);
    }
    ASSERT_TRUE(result.Warning);
    EXPECT_EQ(result.Warning->Text.rfind(
                  "家計簿データは保存しましたが、科目名を保存できませんでした。\r", 0),
              0u)
        << result.Warning->Text;
    EXPECT_TRUE(ledger->MastersChanged);

    // A save that reaches both folders warns of nothing and clears both flags.
    ledger->LedgerChanged = true;
    result = MonthSave(*ledger, data, "led", inputs);
    EXPECT_FALSE(result.Warning);
    EXPECT_FALSE(ledger->LedgerChanged);
    EXPECT_FALSE(ledger->MastersChanged);
}

// The program folder read-only for real, checked by a user that permissions stop: the test
// process itself when it is not root, otherwise a child that becomes "nobody".
TEST_F(MonthSaveTest, AReadOnlyProgramFolderWithAWritableDataFolderSavesTheEntries) {
    WriteBytes(exe + "rozed.ini", "old ini\r\n");
    Add(1, 0, {2026, 1, 1, 2, 0, 0, 0, 100, 0}, "八百屋");
    const bool asRoot = ::geteuid() == 0;
    fs::permissions(root, fs::perms::all);  // "nobody" must reach the folders
    fs::permissions(data, fs::perms::all);
    fs::permissions(exe, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                             fs::perms::group_exec | fs::perms::others_read |
                             fs::perms::others_exec);
    auto check = [&]() -> int {
        ledger->LedgerChanged = true;
        ledger->MastersChanged = true;
        SaveResult result;
        try {
            result = MonthSave(*ledger, data, "led", inputs);
        } catch (const LedgerError&) {
            return 1;
        }
        if (!result.Warning) return 2;
        if (result.Warning->Text.find("アクセスが拒否されました") == std::string::npos) return 3;
        if (ledger->LedgerChanged || !ledger->MastersChanged) return 4;
        return 0;
    };
    int outcome = 0;
    if (!asRoot) {
        outcome = check();
    } else {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(100);
            ::_exit(check());
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFEXITED(status));
        outcome = WEXITSTATUS(status);
        if (outcome == 100) {
            fs::permissions(exe, fs::perms::owner_all);
            GTEST_SKIP() << "cannot become an unprivileged user to test a read-only folder";
        }
    }
    fs::permissions(exe, fs::perms::owner_all);
    EXPECT_EQ(outcome, 0) << "1 error, 2 no warning, 3 wrong reason, 4 wrong flags";
    EXPECT_EQ(ReadBytes(data + "led.nbd"), "2026,1,1,2,0,0,0,100,0," + kHachioya + ",\r\n");
    EXPECT_EQ(ReadBytes(exe + "rozed.ini"), "old ini\r\n");
    EXPECT_EQ(ReadBytes(exe + "kamoku.dat"), "<missing>");
    EXPECT_FALSE(fs::exists(exe + "rozed.ini.tmp"));
}

TEST_F(MonthSaveTest, AReadOnlyFolderKeepsItsFilesAndTheFlags) {
    if (::geteuid() == 0) GTEST_SKIP() << "permissions do not stop root";
    WriteBytes(data + "led.nbd", "old\r\n");
    WriteBytes(data + "ledr.dat", "old\r\n");
    fs::permissions(data, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                              fs::perms::group_exec | fs::perms::others_read |
                              fs::perms::others_exec);
    Add(1, 0, {2026, 1, 1, 2, 0, 0, 0, 100, 0});
    ledger->LedgerChanged = true;
    EXPECT_THROW(MonthSave(*ledger, data, "led", inputs), LedgerError);
    EXPECT_EQ(ReadBytes(data + "led.nbd"), "old\r\n");
    EXPECT_EQ(ReadBytes(data + "ledr.dat"), "old\r\n");
    EXPECT_EQ(ReadBytes(exe + "rozed.ini"), "<missing>");
    EXPECT_TRUE(ledger->LedgerChanged);
}

// A hand-written ledger as a user's disk holds it, with a byte that is not CP932 (0xA0).
class RoundTripTest : public MonthSaveTest {
protected:
    void SetUp() override {
        MonthSaveTest::SetUp();
        entries = "2026,1,5,2,1,0,0,1280,0," + kHachioya + "," + kMilkEggs + "\r\n" +
                  "2026,1,25,0,0,3,0,250000,2,,\r\n" + "2026,3,31,2,4,1,3,1000,1," + kDrugstore +
                  "," + kTatekae + "\r\n" + "2026,12,31,1,2,0,0,3000,9,\xA0" +
                  "ATM,\r\n";  // tax kind edited by hand
        for (int k = 0; k < 390; ++k) {
            budget += (k == 5     ? "77"
                       : k == 32  ? "30000"
                       : k == 389 ? "-1"
                                  : "0") +
                      std::string("\r\n");
        }
        for (int k = 0; k < 2340; ++k) {
            balance += (k == 0 || k == 5    ? "20000"
                        : k == 8 || k == 11 ? "3000000000"
                                            : "0") +
                       std::string("\r\n");
        }
        WriteBytes(data + "led.nbd", entries);
        WriteBytes(data + "ledy.dat", budget);
        WriteBytes(data + "ledr.dat", balance);
    }

    std::string entries, budget, balance;
};

TEST_F(RoundTripTest, AnUntouchedLedgerSavesTheSameBytes) {
    ASSERT_TRUE(MonthLoad(*ledger, data, "led").Loaded);
    ledger->LedgerChanged = true;  // what an overwrite save does
    ledger->MastersChanged = true;
    const std::string copy = root + "copy/";
    fs::create_directory(copy);
    MonthSave(*ledger, copy, "led", inputs);
    EXPECT_EQ(ReadBytes(copy + "led.nbd"), entries);
    EXPECT_EQ(ReadBytes(copy + "ledy.dat"), budget);
    // The balance file's opening row is the user's; the later rows are derived.
    const auto lines = SplitCrLf(ReadBytes(copy + "ledr.dat"));
    ASSERT_EQ(lines.size(), 2340u);
    EXPECT_EQ(lines[0], "20000");
    EXPECT_EQ(lines[8], "3000000000");
    EXPECT_EQ(lines[180], "268720");  // 20,000 - 1,280 + 250,000 after January
}

TEST_F(RoundTripTest, ChangesSurviveSaveAndStartUp) {
    ASSERT_TRUE(MonthLoad(*ledger, data, "led").Loaded);
    ledger->LedgerName = "led";
    // Delete January's first entry the way the entry list does: the rest moves up.
    ledger->EntryTable[0][0] = ledger->EntryTable[0][1];
    ledger->EntryTextTable[0][0] = ledger->EntryTextTable[0][1];
    ledger->EntryTable[0][1] = EntryRecord{};
    ledger->EntryTextTable[0][1] = EntryText{};
    Add(2, 0, {2026, 2, 14, 2, 3, 0, 0, 864, 1}, "ドラッグストア", "メモ, 2 行目なし");
    Add(2, 1, {2026, 2, 28, 1, 0, 0, 0, 40000, 0}, "", "");
    ledger->BudgetTable[2][2] = 12345;
    ledger->BalanceTable[0][0][0] = 50000;
    ledger->BalanceTable[0][0][5] = 50000;
    ledger->ItemTable[2].Name = "食費・外食";
    ledger->SubItemTable[2][3] = "ランチ";
    ledger->ItemTable[3].Kind = "-1";
    ledger->ShopHistoryMax = 12;
    ledger->MemoHistoryMax = 8;
    ledger->HideZeroItems = true;
    ledger->TaxRounding = 1;
    ledger->LedgerChanged = true;
    ledger->MastersChanged = true;
    inputs.EntryForm = {1, 427, 81, 483, 583};
    inputs.DataSheet = {0, 10, 81, 618, 425};
    inputs.ShopHistory = {"ドラッグストア", "八百屋"};
    inputs.MemoHistory = {"メモ, 2 行目なし"};
    MonthSave(*ledger, data, "led", inputs);

    auto reloaded = std::make_unique<Ledger>();
    const StartupResult start = StartUp(*reloaded, exe, Date{2026, 2, 28}, 768);
    EXPECT_TRUE(start.Messages.empty());
    EXPECT_EQ(reloaded->DataDir, data);
    EXPECT_EQ(reloaded->LedgerName, "led");
    EXPECT_EQ(reloaded->EntryTable, ledger->EntryTable);
    EXPECT_EQ(reloaded->EntryTextTable, ledger->EntryTextTable);
    EXPECT_EQ(reloaded->BudgetTable, ledger->BudgetTable);
    EXPECT_EQ(reloaded->BalanceTable, ledger->BalanceTable);
    for (int i = 0; i < kItemCount; ++i) {
        EXPECT_EQ(reloaded->ItemTable[i].Name, ledger->ItemTable[i].Name) << i;
        EXPECT_EQ(reloaded->ItemTable[i].Kind, ledger->ItemTable[i].Kind) << i;
    }
    EXPECT_EQ(reloaded->SubItemTable, ledger->SubItemTable);
    EXPECT_EQ(reloaded->ShopHistoryMax, 12);
    EXPECT_EQ(reloaded->MemoHistoryMax, 8);
    EXPECT_TRUE(reloaded->HideZeroItems);
    EXPECT_EQ(reloaded->TaxRounding, 1);
    EXPECT_EQ(reloaded->WindowLayout[0], (LayoutSlot{1, 427, 81, 483, 583}));
    EXPECT_EQ(reloaded->WindowLayout[1], (LayoutSlot{1, 427, 81, 483, 583}));
    EXPECT_EQ(reloaded->WindowLayout[2], (LayoutSlot{0, 10, 81, 618, 425}));
    EXPECT_EQ(reloaded->NextSlot, 2);  // today is in February, which has two entries
    EXPECT_EQ(ReadHistory(data + "mise.dat"), inputs.ShopHistory);
    EXPECT_EQ(ReadHistory(data + "memo.dat"), inputs.MemoHistory);
    EXPECT_EQ(reloaded->EntryTextTable[11][0].Shop, ledger->EntryTextTable[11][0].Shop);
    EXPECT_EQ(EncodeLines({reloaded->EntryTextTable[11][0].Shop}, "x"),
              "\xA0"
              "ATM\r\n");
}

}  // namespace
}  // namespace kakeibo
