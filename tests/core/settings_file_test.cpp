#include "core/files/settings_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "core/files/save.h"
#include "test_files.h"

namespace kakeibo {
namespace {

using test::ReadBytes;
using test::WriteBytes;

const std::string kNewLedgerCp932 = "\x90\x56\x8b\x4b\x8d\xec\x90\xac";  // 新規作成

class StartUpTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directory(exeDir);
        std::filesystem::create_directory(dataDir);
        // Item 0 is the wallet account; one sub-item line is enough for the masters.
        WriteBytes(exeDir + "kamoku.dat", "\x8c\xbb\x8b\xe0\r\n0\r\n");
        WriteBytes(exeDir + "hojyo.dat", "\x82\xa8\x8d\xe0\x95\x7a\r\n");
    }
    // A ledger "kakei" in the data directory with one March entry and a budget.
    void PutLedger(const std::string& entries = "2026,3,2,2,0,0,0,700,0,,\r\n") {
        WriteBytes(dataDir + "kakei.nbd", entries);
        WriteBytes(dataDir + "kakeiy.dat", "0\r\n0\r\n0\r\n15000\r\n");
    }
    StartupResult Start() { return StartUp(*ledger, exeDir, today, 768); }

    test::TempDir temp;
    const std::string root = temp.Path();
    const std::string exeDir = root + "bin/";
    const std::string dataDir = root + "data/";
    Date today{2026, 3, 14};
    std::unique_ptr<Ledger> ledger = std::make_unique<Ledger>();
};

TEST_F(StartUpTest, AbsentSettingsFileIsCreatedWithTwoLinesAndNoLedgerIsLoaded) {
    PutLedger();
    WriteBytes(exeDir + "新規作成.nbd", "2026,3,2,2,0,0,0,700,0,,\r\n");
    const StartupResult result = Start();

    EXPECT_TRUE(result.Messages.empty());
    EXPECT_EQ(ReadBytes(exeDir + "rozed.ini"), exeDir + "\r\n" + kNewLedgerCp932 + "\r\n");
    EXPECT_TRUE(ledger->IniCreated);
    EXPECT_EQ(ledger->ExeDir, exeDir);
    EXPECT_EQ(ledger->IniPath, exeDir + "rozed.ini");
    EXPECT_EQ(ledger->DataDir, exeDir);
    EXPECT_EQ(ledger->LedgerName, "新規作成");
    EXPECT_EQ(ledger->GetIndex(3), 0);
    EXPECT_EQ(ledger->ItemTable[0].Name, "現金");
    EXPECT_EQ(ledger->ItemTable[0].Kind, "0");
    EXPECT_EQ(ledger->SubItemTable[0][0], "お財布");
    EXPECT_EQ(ledger->ShopHistoryMax, 30);
    EXPECT_EQ(ledger->WindowLayout[kLayoutDataSheet], (LayoutSlot{1, 0, 81, 618, 425}));

    // The next start reads the file it made; the program directory without "/" is completed.
    auto again = std::make_unique<Ledger>();
    StartUp(*again, root + "bin", today, 768);
    EXPECT_FALSE(again->IniCreated);
    EXPECT_EQ(again->ExeDir, exeDir);
    EXPECT_EQ(again->DataDir, exeDir);
    EXPECT_EQ(again->GetIndex(3), 1);  // the ledger named "新規作成" is loaded this time
}

TEST_F(StartUpTest, TwoLineSettingsFileLoadsTheLedgerAndKeepsTheDefaults) {
    PutLedger();
    WriteBytes(exeDir + "rozed.ini", dataDir + "\r\nkakei\r\n");
    // Options left from an earlier ledger go back to their defaults.
    ledger->TaxRounding = 2;
    ledger->ShopHistoryMax = 5;
    ledger->HideZeroItems = true;
    ledger->LedgerChanged = true;
    ledger->RowEditMode = 1;
    const StartupResult result = Start();

    EXPECT_TRUE(result.Messages.empty());
    EXPECT_FALSE(ledger->IniCreated);
    EXPECT_EQ(ledger->DataDir, dataDir);
    EXPECT_EQ(ledger->LedgerName, "kakei");
    EXPECT_EQ(ledger->EntryTable[2][0], (EntryRecord{2026, 3, 2, 2, 0, 0, 0, 700, 0}));
    EXPECT_EQ(ledger->BudgetTable[0][3], 15000);
    EXPECT_EQ(ledger->ShopHistoryMax, 30);
    EXPECT_EQ(ledger->MemoHistoryMax, 30);
    EXPECT_FALSE(ledger->HideZeroItems);
    EXPECT_EQ(ledger->TaxRounding, 0);
    EXPECT_EQ(ledger->WindowLayout[kLayoutEntryForm], (LayoutSlot{1, 427, 81, 0, 0}));
    EXPECT_EQ(ledger->WindowLayout[kLayoutGraphSheet], (LayoutSlot{0, 0, 0, 0, 0}));
    EXPECT_EQ(ledger->WindowLayout[kLayoutDataSheet], (LayoutSlot{1, 0, 81, 618, 425}));
    // The ledger side of init: today, its month and the month's first free slot.
    EXPECT_EQ(ledger->EditDate, today);
    EXPECT_EQ(ledger->EditMonth, 3);
    EXPECT_EQ(ledger->EditMonthIndex, 2);
    EXPECT_EQ(ledger->NextSlot, 1);
    EXPECT_EQ(ledger->RowEditMode, 0);
    EXPECT_FALSE(ledger->LedgerChanged);
    EXPECT_FALSE(ledger->MastersChanged);
    // Reading never rewrites the file.
    EXPECT_EQ(ReadBytes(exeDir + "rozed.ini"), dataDir + "\r\nkakei\r\n");
}

TEST_F(StartUpTest, SevenLineSettingsFileSetsEveryValue) {
    PutLedger();
    WriteBytes(exeDir + "rozed.ini", dataDir + "\r\nkakei\r\n12\r\n45\r\nTrue\r\n" +
                                         "1,427,81,483,583,0,5,6,7,8,1,0,81,618,425,\r\n2\r\n");
    EXPECT_TRUE(Start().Messages.empty());
    EXPECT_EQ(ledger->ShopHistoryMax, 12);
    EXPECT_EQ(ledger->MemoHistoryMax, 45);
    EXPECT_TRUE(ledger->HideZeroItems);
    EXPECT_EQ(ledger->WindowLayout[kLayoutEntryForm], (LayoutSlot{1, 427, 81, 483, 583}));
    EXPECT_EQ(ledger->WindowLayout[kLayoutGraphSheet], (LayoutSlot{0, 5, 6, 7, 8}));
    EXPECT_EQ(ledger->WindowLayout[kLayoutDataSheet], (LayoutSlot{1, 0, 81, 618, 425}));
    EXPECT_EQ(ledger->TaxRounding, 2);
}

TEST_F(StartUpTest, SettingsLinesFollowTheirReadingRules) {
    const std::string path = exeDir + "rozed.ini";
    auto read = [&](const std::string& bytes) {
        WriteBytes(path, bytes);
        auto fresh = std::make_unique<Ledger>();
        SetStartupDefaults(*fresh, 900);
        ReadSettingsFile(*fresh, path);
        return fresh;
    };
    // Nine comma-terminated numbers are three per slot; height and width keep the defaults.
    auto shortForm = read("/x/\r\nk\r\n30\r\n30\r\ntrue\r\n1,427,81,0,0,0,1,0,81,\r\n7\r\n");
    EXPECT_FALSE(shortForm->HideZeroItems);
    EXPECT_EQ(shortForm->WindowLayout[kLayoutEntryForm], (LayoutSlot{1, 427, 81, 0, 0}));
    EXPECT_EQ(shortForm->WindowLayout[kLayoutGraphSheet], (LayoutSlot{0, 0, 0, 0, 0}));
    EXPECT_EQ(shortForm->WindowLayout[kLayoutDataSheet], (LayoutSlot{1, 0, 81, 750, 425}));
    EXPECT_EQ(shortForm->TaxRounding, 0);  // only 0, 1 and 2 are rounding rules
    // A line that ends early leaves the rest; a last number without its comma still counts.
    auto partial = read("/x\r\nk\r\n30\r\n30\r\nFalse\r\n0,10,20,30,40,1,11,21,31,41,0,5\r\n1\n");
    EXPECT_EQ(partial->DataDir, "/x/");
    EXPECT_EQ(partial->WindowLayout[kLayoutEntryForm], (LayoutSlot{0, 10, 20, 30, 40}));
    EXPECT_EQ(partial->WindowLayout[kLayoutGraphSheet], (LayoutSlot{1, 11, 21, 31, 41}));
    EXPECT_EQ(partial->WindowLayout[kLayoutDataSheet], (LayoutSlot{0, 5, 81, 750, 425}));
    EXPECT_EQ(partial->TaxRounding, 1);
    // A damaged file: history lengths within the dialog's range, every window on the desktop
    // at a size between the smallest sheet and the desktop's.
    auto damaged = read(
        "/x/\r\nk\r\n-5\r\n150\r\nFalse\r\n1,-5000,2147483647,2147483647,"
        "2147483647,1,5,5,1,1,1,99999,-99999,-7,0,\r\n");
    EXPECT_EQ(damaged->ShopHistoryMax, 0);
    EXPECT_EQ(damaged->MemoHistoryMax, 99);
    LimitLayout(damaged->WindowLayout, DesktopArea{-1280, 0, 3200, 1080});
    EXPECT_EQ(
        damaged->WindowLayout,
        (std::array<LayoutSlot, 3>{LayoutSlot{1, -4479, 1079, 1080, 3200},
                                   LayoutSlot{1, 5, 5, 160, 240}, LayoutSlot{1, 1919, 0, 0, 0}}));
    // A first layout widens the data sheet as far as the screen leaves room beside the
    // 583-pixel entry form, up to the 585 pixels it asks for; the form moves right with it.
    const int rows[][3] = {{800, 425, 427}, {1024, 439, 441}, {1920, 585, 587}};
    for (const auto& [screen, sheet, entry] : rows) {
        auto layout = DefaultWindowLayout(768);
        WidenFirstLayout(layout, screen, 585, 583);
        EXPECT_EQ(layout[kLayoutDataSheet].Width, sheet) << screen;
        EXPECT_EQ(layout[kLayoutEntryForm].Left, entry) << screen;
    }
}

// A pick of a sheet wider than the data sheet widens it once, as far as the screen allows;
// the entry form beside it moves along, as on the first start.
TEST(WidenForSheet, TheSheetShowsWholeWithinTheScreenAndTheFormMovesAlong) {
    const struct {
        const char* what;
        LayoutSlot sheet, entry;
        int needed;
        int32_t width, entryLeft;
    } rows[] = {
        {"room for all", {1, 0, 81, 930, 585}, {1, 587, 81, 483, 583}, 1100, 1100, 1102},
        {"up to the screen", {1, 0, 81, 930, 585}, {1, 587, 81, 483, 583}, 1900, 1335, 1337},
        {"wide enough: a user's own width",
         {1, 0, 81, 930, 800},
         {1, 802, 81, 483, 583},
         700,
         800,
         802},
        {"no room", {1, 0, 81, 930, 585}, {1, 1337, 81, 483, 583}, 1100, 585, 1337},
        {"the form elsewhere stays",
         {1, 0, 81, 930, 585},
         {1, 600, 1020, 483, 583},
         1100,
         1100,
         600},
        {"the form hidden stays", {1, 0, 81, 930, 585}, {0, 587, 81, 483, 583}, 2500, 1920, 587},
        {"the form on the left", {1, 700, 81, 930, 585}, {1, 0, 81, 483, 583}, 1300, 1220, 0},
    };
    for (const auto& row : rows) {
        LayoutSlot sheet = row.sheet;
        LayoutSlot entry = row.entry;
        WidenForSheet(sheet, entry, 1920, row.needed);
        EXPECT_EQ(sheet.Width, row.width) << row.what;
        EXPECT_EQ(entry.Left, row.entryLeft) << row.what;
        EXPECT_EQ(sheet.Left, row.sheet.Left) << row.what;
    }
}

// Line 8 names the reduced-rate items, line 9 the ledger 前年比較 compares with, line 10 the
// entry list's columns, line 11 the sub-items that pay the full rate all the same; files of
// older versions end before them. Every line is written, so each keeps its place.
TEST_F(StartUpTest, OlderSettingsFilesReadTheSameAndGainTheReducedRateLineOnSave) {
    PutLedger();
    const std::string layout = "1,427,81,483,583,0,5,6,7,8,1,0,81,618,425,\r\n";
    const std::string seven = dataDir + "\r\nkakei\r\n12\r\n45\r\nTrue\r\n" + layout + "2\r\n";
    const std::string chosen = "%UTF-8%/home/u/p%C3%A9/2025.nbd\r\n";
    ItemMarks food{}, none{}, some{};
    food[2] = true;
    some[0] = some[5] = some[29] = true;
    // 外食 under 食費 pays the full rate in the shipped settings.
    SubItemMarks meals{}, noSubItems{}, twoSubItems{};
    meals[2][1] = true;
    twoSubItems[2][1] = twoSubItems[7][4] = true;
    ListColumns moved = DefaultListColumns();
    std::swap(moved[1], moved[6]);
    moved[1].Width = 90;
    const std::string empty10and11 = "\r\n\r\n";
    const struct {
        std::string what, file;
        ItemMarks marks;
        std::string saved;
        std::string previous = "";
        SubItemMarks fullRate = {};
        ListColumns columns = DefaultListColumns();
    } rows[] = {
        {"seven lines", seven, food, seven + "2\r\n\r\n\r\n2:1\r\n", "", meals},
        {"two lines", dataDir + "\r\nkakei\r\n", food,
         dataDir + "\r\nkakei\r\n30\r\n30\r\nFalse\r\n" + layout + "0\r\n2\r\n\r\n\r\n2:1\r\n", "",
         meals},
        {"empty line 8", seven + "\r\n", none, seven + "\r\n\r\n" + empty10and11},
        {"several, blanks and a last comma", seven + "29,,0,5,\r\n", some,
         seven + "0,5,29\r\n\r\n" + empty10and11},
        {"last year's ledger, CP932 cannot hold its name", seven + "2\r\n" + chosen, food,
         seven + "2\r\n" + chosen + empty10and11, "/home/u/p\u00e9/2025.nbd"},
        {"columns moved, two sub-items at the full rate",
         seven + "2\r\n\r\n0:32,6:90,2:128,3:128,4:128,5:128,1:128,7:340\r\n7:4,2:1,\r\n", food,
         seven + "2\r\n\r\n0:32,6:90,2:128,3:128,4:128,5:128,1:128,7:340\r\n2:1,7:4\r\n", "",
         twoSubItems, moved},
        {"empty lines 10 and 11", seven + "2\r\n\r\n\r\n\r\n", food,
         seven + "2\r\n\r\n" + empty10and11, "", noSubItems},
    };
    SaveInputs inputs;
    inputs.Sync = false;
    inputs.EntryForm = {1, 427, 81, 483, 583};
    inputs.GraphSheet = LayoutSlot{0, 5, 6, 7, 8};
    inputs.DataSheet = {1, 0, 81, 618, 425};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        WriteBytes(exeDir + "rozed.ini", row.file);
        ledger = std::make_unique<Ledger>();
        EXPECT_TRUE(Start().Messages.empty());
        EXPECT_EQ(ledger->ReducedRateItems, row.marks);
        EXPECT_EQ(ledger->PreviousYearLedger, row.previous);
        EXPECT_EQ(ledger->FullRateSubItems, row.fullRate);
        EXPECT_EQ(ledger->EntryListColumns, row.columns);
        EXPECT_EQ(ledger->GetIndex(3), 1);
        ledger->LedgerChanged = true;
        MonthSave(*ledger, dataDir, "kakei", inputs);
        EXPECT_EQ(ReadBytes(exeDir + "rozed.ini"), row.saved);
    }
    // A line 8 that names no item is reported; the marks keep their default.
    WriteBytes(exeDir + "rozed.ini", seven + "2,30\r\n");
    ledger = std::make_unique<Ledger>();
    const StartupResult result = Start();
    ASSERT_EQ(result.Messages.size(), 1u);
    EXPECT_EQ(result.Messages[0].Text,
              "ファイル「" + exeDir +
                  "rozed.ini」の 8 行目を読み込めません: 科目 30 が 0 から 29 の範囲にありません "
                  "(行: 2,30)");
    EXPECT_EQ(ledger->ReducedRateItems, food);
    EXPECT_EQ(ledger->TaxRounding, 2);
}

TEST_F(StartUpTest, DataDirectoryFallsBackToTheProgramDirectory) {
    WriteBytes(exeDir + "kakei.nbd", "2026,3,2,2,0,0,0,900,0,,\r\n");
    for (const std::string& line1 : {root + "gone/", std::string(), exeDir + "kamoku.dat"}) {
        SCOPED_TRACE(line1);
        WriteBytes(exeDir + "rozed.ini", line1 + "\r\nkakei\r\n");
        auto fresh = std::make_unique<Ledger>();
        EXPECT_TRUE(StartUp(*fresh, exeDir, today, 768).Messages.empty());
        EXPECT_EQ(fresh->DataDir, exeDir);
        EXPECT_EQ(fresh->EntryTable[2][0].Amount, 900);
    }
    // A directory named without its trailing "/" is used, completed.
    WriteBytes(exeDir + "rozed.ini", root + "data\r\nkakei\r\n");
    PutLedger();
    Start();
    EXPECT_EQ(ledger->DataDir, dataDir);
    EXPECT_EQ(ledger->EntryTable[2][0].Amount, 700);
}

TEST_F(StartUpTest, FaultsAreReportedInOrderAndStartUpGoesOn) {
    std::filesystem::remove(exeDir + "kamoku.dat");
    std::filesystem::remove(exeDir + "hojyo.dat");
    PutLedger();
    WriteBytes(exeDir + "rozed.ini", dataDir + "\r\nkakei\r\n2O\r\n40\r\n");
    StartupResult result = Start();
    ASSERT_EQ(result.Messages.size(), 3u);
    EXPECT_EQ(result.Messages[0],
              (Notice{NoticeKind::Error, "ファイル「" + exeDir +
                                             "rozed.ini」の 3 行目を読み込めません: '2O' "
                                             "は数値ではありません (行: 2O)"}));
    EXPECT_EQ(result.Messages[1],
              (Notice{NoticeKind::Error, "科目ファイルが見つかりませんでした。"}));
    EXPECT_EQ(result.Messages[2],
              (Notice{NoticeKind::Error, "補助ファイルが見つかりませんでした。"}));
    // Lines before the fault hold, later ones keep their defaults; the ledger still loads.
    EXPECT_EQ(ledger->LedgerName, "kakei");
    EXPECT_EQ(ledger->MemoHistoryMax, 30);
    EXPECT_EQ(ledger->NextSlot, 1);
    EXPECT_EQ(ledger->ItemTable[0].Name, "");
    EXPECT_EQ(ledger->ItemTable[0].Kind, "");

    // A ledger that is not there: the warning, and the name falls back.
    WriteBytes(exeDir + "rozed.ini", dataDir + "\r\n\x89\xc6\x8c\x76\x95\xeb\r\n");  // 家計簿
    auto missing = std::make_unique<Ledger>();
    result = StartUp(*missing, exeDir, today, 768);
    ASSERT_EQ(result.Messages.size(), 3u);
    EXPECT_EQ(result.Messages[2],
              (Notice{NoticeKind::Warning, "ファイル名家計簿.nbdは見つかりませんでした。"}));
    EXPECT_EQ(missing->LedgerName, "新規作成");

    // A ledger with a malformed line: its error, the name falls back, init still runs.
    PutLedger("2026,3,2,2,0,0,0,700,0,,\r\n2026,3,2,31,0,0,0,700,0,,\r\n");
    WriteBytes(exeDir + "rozed.ini", dataDir + "\r\nkakei\r\n");
    auto broken = std::make_unique<Ledger>();
    result = StartUp(*broken, exeDir, Date{2024, 2, 29}, 768);
    ASSERT_EQ(result.Messages.size(), 3u);
    EXPECT_EQ(result.Messages[2],
              (Notice{NoticeKind::Error, "ファイル「" + dataDir +
                                             "kakei.nbd」の 2 行目を読み込めません: 科目 31 が 0 "
                                             "から 29 の範囲にありません (行: "
                                             "2026,3,2,31,0,0,0,700,0,,)"}));
    EXPECT_EQ(broken->LedgerName, "新規作成");
    EXPECT_EQ(broken->GetIndex(3), 0);
    EXPECT_EQ(broken->EditDate, (Date{2024, 2, 29}));
    EXPECT_EQ(broken->EditMonth, 2);
    EXPECT_EQ(broken->EditMonthIndex, 1);
}

TEST(PathLine, PathsCp932HoldsAreWrittenAsTodayAndOthersComeBackUnchanged) {
    // As every earlier version wrote them: the file reads the same.
    for (const char* plain : {"/home/hanako/家計簿/", "/tmp/ｶﾅ ﾌｫﾙﾀﾞ/", "C:\\kakeibo\\", "",
                              "新規作成", "/tmp/%UTF-8%/"}) {
        EXPECT_EQ(PathLine(plain), plain);
        EXPECT_EQ(PathFromLine(plain), plain);
    }
    EXPECT_EQ(PathLine("/tmp/pé/"), "%UTF-8%/tmp/p%C3%A9/");
    EXPECT_EQ(PathLine("/a b/%/"), "/a b/%/");  // CP932 holds it: as it is
    for (const std::string path :
         {"/tmp/pé/", "/tmp/😀 x%41/", "/tmp/〜波/",  // a twin would come back as "～"
          "%UTF-8%/x", "/tmp/a\nb/", "/tmp/\U0010FF0A/", "/tmp/\xff\x01/"}) {
        const std::string line = PathLine(path);
        EXPECT_NE(line, path);
        EXPECT_EQ(line.rfind(kEncodedPathMarker, 0), 0u) << line;
        for (const char c : line) EXPECT_TRUE(c > 0x20 && c < 0x7f) << line;
        EXPECT_EQ(PathFromLine(line), path);
    }
}

TEST_F(StartUpTest, FoldersNamedWithCharactersCp932CannotHoldSurviveStartSaveAndRestart) {
    for (const std::string name : {"pé", "家計簿", "😀"}) {
        SCOPED_TRACE(name);
        const std::string exe = root + name + "/";
        const std::string data = root + name + "-データ/";
        std::filesystem::create_directory(exe);
        std::filesystem::create_directory(data);
        std::filesystem::copy_file(exeDir + "kamoku.dat", exe + "kamoku.dat");
        std::filesystem::copy_file(exeDir + "hojyo.dat", exe + "hojyo.dat");

        auto first = std::make_unique<Ledger>();
        EXPECT_TRUE(StartUp(*first, exe, today, 768).Messages.empty());
        EXPECT_EQ(first->DataDir, exe);
        first->DataDir = data;
        first->LedgerName = name + "の帳簿";
        first->EntryTable[2][0] = EntryRecord{2026, 3, 2, 2, 0, 0, 0, 700, 0};
        first->LedgerChanged = true;
        SaveInputs inputs;
        inputs.Sync = false;
        const SaveResult saved = MonthSave(*first, data, first->LedgerName, inputs);
        EXPECT_FALSE(saved.Warning) << saved.Warning->Text;
        EXPECT_FALSE(first->LedgerChanged);

        auto again = std::make_unique<Ledger>();
        EXPECT_TRUE(StartUp(*again, exe, today, 768).Messages.empty());
        EXPECT_EQ(again->DataDir, data);
        EXPECT_EQ(again->LedgerName, name + "の帳簿");
        EXPECT_EQ(again->GetIndex(3), 1);
        EXPECT_EQ(again->EntryTable[2][0].Amount, 700);
    }
}

}  // namespace
}  // namespace kakeibo
