#include "core/files/journal.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/files/ledger_lock.h"
#include "core/files/ledger_paths.h"
#include "core/ledger/change.h"
#include "core/session/ledger_session.h"
#include "session_questions.h"
#include "test_files.h"

namespace kakeibo {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

Moment At(int day, int hour, int minute) {
    return Moment{Date{2026, 6, day}, hour, minute, 0};
}

// The parts of the ledger a change may touch.
struct Tables {
    decltype(Ledger::EntryTable) Entries;
    decltype(Ledger::EntryTextTable) Texts;
    decltype(Ledger::BudgetTable) Budgets;
    SettingsState Settings;

    explicit Tables(const Ledger& l)
        : Entries(l.EntryTable),
          Texts(l.EntryTextTable),
          Budgets(l.BudgetTable),
          Settings(CaptureSettings(l)) {}
    bool operator==(const Tables&) const = default;
};

// June with three entries; the edited month.
std::unique_ptr<Ledger> JuneLedger(const std::string& dir) {
    auto ledger = std::make_unique<Ledger>();
    ledger->DataDir = dir;
    ledger->LedgerName = "家計簿";
    ledger->EditMonth = 6;
    for (int s = 0; s < 3; ++s) {
        ledger->EntryTable[5][s] = {2026, 6, s + 1, 2, 0, 0, 0, 100 * (s + 1), 0};
        ledger->EntryTextTable[5][s] = {"店" + std::to_string(s), ""};
    }
    ledger->NextSlot = 3;
    return ledger;
}

// An entry written, the first entry deleted (the later ones move up), a budget, the settings.
std::vector<Change> Changes(const Ledger& june) {
    const EntryRecord written{2026, 6, 9, 3, 1, 0, 0, 1280, 1};
    const EntryText writtenText{"八百屋", "牛乳,卵"};
    std::vector<Change> changes(4);
    changes[0].Slots.push_back({6, 3, {EntryRecord{}}, {written}, {EntryText{}}, {writtenText}});
    changes[1].Kind = ChangeKind::Delete;
    SlotSpan moved{6, 0, {}, {}, {}, {}};
    moved.After = {june.EntryTable[5][1], june.EntryTable[5][2], written, EntryRecord{}};
    moved.AfterText = {june.EntryTextTable[5][1], june.EntryTextTable[5][2], writtenText, {}};
    moved.Before = {june.EntryTable[5][0], june.EntryTable[5][1], june.EntryTable[5][2], written};
    moved.BeforeText = {june.EntryTextTable[5][0], june.EntryTextTable[5][1],
                        june.EntryTextTable[5][2], writtenText};
    changes[1].Slots.push_back(moved);
    changes[2].Kind = ChangeKind::Budget;
    changes[2].Budgets.push_back({6, 2, 0, 30000});
    changes[3].Kind = ChangeKind::Settings;
    SettingsState after = CaptureSettings(june);
    after.Items[3] = {"交際費", "-1"};
    after.Opening[0][1] = 12345;
    after.TaxRounding = 2;
    after.ReducedRateItems[4] = !after.ReducedRateItems[4];
    after.ShopHistoryMax = 7;
    after.HideZeroItems = true;
    changes[3].SettingsBefore = CaptureSettings(june);
    changes[3].SettingsAfter = after;
    return changes;
}

// What a program writes, cut at every byte of its last record, replays every earlier change
// exactly; the whole journal replays all of them to the very tables the program held.
TEST(Journal, ReplayIsExactAndATornLastRecordLosesOnlyItself) {
    TempDir dir;
    auto ledger = JuneLedger(dir.Path());
    const auto base = JuneLedger(dir.Path());
    const std::vector<Change> changes = Changes(*ledger);
    LedgerJournal journal;
    journal.Start(*ledger, dir.Path(), {});
    std::vector<Tables> states;
    for (size_t i = 0; i < changes.size(); ++i) {
        ApplyChange(*ledger, changes[i], ChangeSide::After);
        ASSERT_FALSE(journal.Append(changes[i], At(15, 21, static_cast<int>(i + 1))));
        states.emplace_back(*ledger);
    }
    const std::string path = dir.Path() + "家計簿.journal";
    ASSERT_EQ(journal.Path(), path);
    const std::string bytes = ReadBytes(path);
    const size_t lastStart =
        bytes.size() - JournalRecordBytes({At(15, 21, 4), changes.back()}).size();

    for (size_t cut = lastStart; cut <= bytes.size(); ++cut) {
        SCOPED_TRACE("cut at " + std::to_string(cut));
        // A new file each time: truncating one file over and over waits for the disk.
        const std::string cutPath = dir.Path() + std::to_string(cut) + ".journal";
        WriteBytes(cutPath, bytes.substr(0, cut));
        const JournalContents contents = ReadJournal(cutPath);
        std::filesystem::remove(cutPath);
        const bool whole = cut == bytes.size();
        ASSERT_EQ(contents.State, JournalState::Readable);
        EXPECT_EQ(contents.Records.size(), whole ? 4u : 3u);
        EXPECT_EQ(contents.TornTail, cut != lastStart && !whole);
        EXPECT_EQ(contents.WholeSize, whole ? bytes.size() : lastStart);
        // Replaying (slow: whole tables compared) once for a torn and once for the whole file.
        if (cut != lastStart + 1 && !whole) continue;
        auto replayed = std::make_unique<Ledger>(*base);
        ReplayJournal(*replayed, contents.Records);
        EXPECT_TRUE(Tables(*replayed) == states[contents.Records.size() - 1]);
        EXPECT_TRUE(replayed->LedgerChanged);
        EXPECT_EQ(replayed->NextSlot, 3);
    }
    std::string damaged = bytes;
    damaged[lastStart + 20] ^= 0x01;
    WriteBytes(dir.Path() + "cut.journal", damaged);
    EXPECT_EQ(ReadJournal(dir.Path() + "cut.journal").Records.size(), 3u);

    const JournalContents whole = ReadJournal(path);
    EXPECT_EQ(RecoveryQuestion(whole, JournalFitsFiles(whole.Header, {})),
              "前回保存されなかった変更が 4 件あります（2026/06/15 21:04 まで）。復元しますか？");
    journal.SetAside();
    EXPECT_EQ(ReadBytes(path + ".old"), bytes);
    EXPECT_FALSE(std::filesystem::exists(path));
}

// A full disk refuses the change: the ledger and its flags are as before it, and the journal
// still holds every earlier record whole.
TEST(Journal, FullDiskRefusesTheChangeAndLeavesTheLedgerAsBefore) {
    TempDir dir;
    auto ledger = JuneLedger(dir.Path());
    ledger->ExeDir = dir.Path();
    const std::vector<Change> changes = Changes(*ledger);
    test::ScriptedQuestions questions;
    LedgerSession session(*ledger, questions, [] { return At(15, 21, 0); });
    ASSERT_FALSE(session.AdoptLedger({}));
    ApplyChange(*ledger, changes[0], ChangeSide::After);
    session.Apply(changes[0]);
    const auto before = std::make_unique<Tables>(*ledger);
    const std::string bytes = ReadBytes(session.Journal().Path());

    // The file size limit is a real write fault, cut short part-way through the record.
    ApplyChange(*ledger, changes[3], ChangeSide::After);
    bool refused = false;
    test::WithFileSizeLimit(bytes.size() + 10, [&] {
        try {
            session.Apply(changes[3]);
        } catch (const JournalError& e) {
            refused = true;
            EXPECT_NE(std::string(e.what()).find("変更を記録できませんでした。"),
                      std::string::npos);
        }
    });

    EXPECT_TRUE(refused);
    EXPECT_TRUE(Tables(*ledger) == *before);
    EXPECT_TRUE(ledger->LedgerChanged);
    EXPECT_FALSE(ledger->MastersChanged);
    EXPECT_EQ(ReadBytes(session.Journal().Path()), bytes);
}

// A data folder that cannot hold the journal sends it to the program's folder; when that
// fails too, the user is warned once and the changes go on unprotected.
TEST(Journal, FoldersThatRefuseItFallBackThenWarnOnce) {
    TempDir dir;
    WriteBytes(dir.Path() + "file", "");
    struct Row {
        const char* what;
        std::string dataDir;
        std::string programDir;
        bool warned;
    };
    const Row rows[] = {
        {"data folder gone", dir.Path() + "gone/", dir.Path() + "program/", false},
        {"both refuse", dir.Path() + "gone/", dir.Path() + "file/program/", true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        auto ledger = JuneLedger(row.dataDir);
        const std::vector<Change> changes = Changes(*ledger);
        LedgerJournal journal;
        journal.Start(*ledger, row.programDir, {});
        ApplyChange(*ledger, changes[0], ChangeSide::After);
        const auto first = journal.Append(changes[0], At(15, 21, 0));
        ApplyChange(*ledger, changes[2], ChangeSide::After);
        const auto second = journal.Append(changes[2], At(15, 21, 1));
        EXPECT_EQ(first.has_value(), row.warned);
        EXPECT_FALSE(second.has_value());
        EXPECT_EQ(ledger->BudgetTable[6][2], 30000);
        if (row.warned) {
            EXPECT_EQ(first->Text.substr(0, first->Text.find('\r')),
                      "変更を記録できるフォルダがありません。保存するまで、プログラムが異常終了"
                      "すると変更は失われます。");
        } else {
            EXPECT_EQ(journal.Path(), FallbackJournalPath(row.programDir, row.dataDir, "家計簿"));
            EXPECT_EQ(ReadJournal(journal.Path()).Records.size(), 2u);
        }
    }
}

// A journal this version cannot read whole is never replayed.
TEST(Journal, NewerOrForeignJournalsAreNotReplayed) {
    TempDir dir;
    JournalHeader newer;
    newer.Version = kJournalVersion + 1;
    JournalHeader current;
    // A record of a type this version does not know, framed as the journal frames them.
    std::string unknown = "\x09payload";
    std::string frame;
    for (uint64_t v = unknown.size(), i = 0; i < 4; ++i) frame += static_cast<char>(v >> (8 * i));
    for (uint64_t v = HashBytes(unknown), i = 0; i < 8; ++i)
        frame += static_cast<char>(v >> (8 * i));
    struct Row {
        const char* what;
        std::string bytes;
        JournalState state;
    };
    const Row rows[] = {
        {"newer version", JournalStartBytes(newer), JournalState::TooNew},
        {"unknown record", JournalStartBytes(current) + frame + unknown, JournalState::TooNew},
        {"not a journal", "rozed1.nbd\r\n", JournalState::Unreadable},
        {"empty file", "", JournalState::Unreadable},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        WriteBytes(dir.Path() + "x.journal", row.bytes);
        EXPECT_EQ(ReadJournal(dir.Path() + "x.journal").State, row.state);
    }
    EXPECT_EQ(JournalKeptAsideMessage("/d/x.journal", JournalState::TooNew),
              "保存されなかった変更の記録「/d/x.journal」は新しい版のプログラムで作られているため、"
              "この版では復元できません。「/d/x.journal.old」として残しました。");
}

// A second program is told who holds the ledger and since when; once that program is gone
// (killed), its lock is taken over without asking.
TEST(LedgerLock, SecondProgramIsToldWhoHoldsItAndADeadOnesLockIsTaken) {
    TempDir dir;
    const std::string path = dir.Path() + LockFileName("家計簿");
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        LedgerLock lock;
        const bool taken = lock.Take(path, At(15, 21, 4), nullptr) == LockOutcome::Taken;
        (void)!::write(ready[1], taken ? "1" : "0", 1);
        ::pause();
        ::_exit(0);
    }
    char answer = 0;
    ASSERT_EQ(::read(ready[0], &answer, 1), 1);
    ASSERT_EQ(answer, '1');

    LedgerLock lock;
    LockHolder holder;
    EXPECT_EQ(lock.Take(path, At(15, 22, 0), &holder), LockOutcome::Held);
    EXPECT_EQ(holder.Process.Pid, child);
    EXPECT_TRUE(holder.ThisHost);
    EXPECT_EQ(holder.Since, "2026/06/15 21:04:00");

    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_EQ(lock.Take(path, At(15, 22, 1), nullptr), LockOutcome::Taken);
    EXPECT_NE(ReadBytes(path).find("since=2026/06/15 22:01:00"), std::string::npos);

    // Another computer's program cannot be asked whether it still runs.
    lock.Release();
    EXPECT_FALSE(std::filesystem::exists(path));
    WriteBytes(path,
               "kakeibo-lock\nhost=elsewhere\npid=1\nstart=1\nboot=x\nsince=2026/06/01 "
               "08:00:00\n");
    EXPECT_EQ(lock.Take(path, At(15, 22, 2), &holder), LockOutcome::Held);
    EXPECT_FALSE(holder.ThisHost);
    EXPECT_EQ(holder.Process.Host, "elsewhere");
    ::close(ready[0]);
    ::close(ready[1]);
}

// Replaying onto the files a journal was made for is exact; onto any other files a record
// writes only where a slot (a budget, the settings) still holds what the record found there,
// and lists the rest.
TEST(Journal, AJournalReplaysOnlyOntoWhatItWasMadeFor) {
    TempDir dir;
    const auto june = JuneLedger(dir.Path());
    const std::vector<Change> changes = Changes(*june);
    const FileStamp made{dir.Path() + "家計簿.nbd", true, 120, 0, 7};
    const FileStamp changed{dir.Path() + "家計簿.nbd", true, 150, 0, 8};
    // The journal: the entry written into slot 4 of June, and a budget.
    auto ledger = std::make_unique<Ledger>(*june);
    LedgerJournal journal;
    journal.Start(*ledger, dir.Path(), {made});
    for (const size_t i : {0, 2}) {
        ApplyChange(*ledger, changes[i], ChangeSide::After);
        ASSERT_FALSE(journal.Append(changes[i], At(15, 21, 1)));
    }
    const auto journaled = std::make_unique<Ledger>(*ledger);
    const std::string path = journal.Path();
    journal.Close();

    // Another program saved its own entry into the same slot.
    auto otherSave = std::make_unique<Ledger>(*june);
    otherSave->EntryTable[5][3] = {2026, 6, 20, 2, 0, 0, 0, 500, 0};
    otherSave->EntryTextTable[5][3] = {"他の店", ""};
    auto otherSaveReplayed = std::make_unique<Ledger>(*otherSave);
    otherSaveReplayed->BudgetTable[6][2] = 30000;
    // Another ledger, whose June and budget differ everywhere.
    auto otherLedger = std::make_unique<Ledger>(*june);
    for (int s = 0; s < 5; ++s) {
        otherLedger->EntryTable[5][s] = {2026, 6, 1, 4, 0, 0, 0, 10 + s, 0};
        otherLedger->EntryTextTable[5][s] = {"別", ""};
    }
    otherLedger->BudgetTable[6][2] = 5000;
    const std::string writtenLine = "6月 4件目：2026/06/09 八百屋 1,280円";
    const std::string budgetLine = "6月 予算：" + june->ItemTable[2].Name + " 30,000円";
    struct Row {
        const char* what;
        const Ledger* files;
        FileStamp stamp;
        const Ledger* expected;
        std::vector<std::string> notReplayed;
    };
    const Row rows[] = {
        {"the same files", june.get(), made, journaled.get(), {}},
        {"another program's save into the same slot",
         otherSave.get(),
         changed,
         otherSaveReplayed.get(),
         {writtenLine}},
        {"another ledger's journal",
         otherLedger.get(),
         changed,
         otherLedger.get(),
         {writtenLine, budgetLine}},
        {"the files already hold it", journaled.get(), changed, journaled.get(), {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        JournalContents contents = ReadJournal(path);
        ASSERT_EQ(contents.State, JournalState::Readable);
        ASSERT_EQ(contents.Records.size(), 2u);
        EXPECT_TRUE(contents.Records[0].KnownBefore);
        EXPECT_FALSE(DropSavedRecords(contents, {row.stamp}));
        const bool fits = JournalFitsFiles(contents.Header, {row.stamp});
        EXPECT_EQ(fits, row.stamp.SameContent(made));
        auto replayed = std::make_unique<Ledger>(*row.files);
        if (fits) {
            ReplayJournal(*replayed, contents.Records);
        } else {
            const CarefulReplay careful = ReplayOntoChangedFiles(*replayed, contents.Records);
            EXPECT_EQ(careful.NotReplayed, row.notReplayed);
            const std::string question = RecoveryQuestion(contents, false);
            EXPECT_NE(
                question.find("復元すると、今のファイルにある明細を記録の内容で上書きします。"),
                std::string::npos);
        }
        EXPECT_TRUE(Tables(*replayed) == Tables(*row.expected));
    }

    // A restore in a journal, onto files whose June and budget changed since: June's slots and
    // the budget are listed and left as the files hold them.
    auto restored = std::make_unique<Ledger>(*june);
    restored->EntryTable[5][0].Amount = 999;
    const Change restore = ChangeBetween(*june, *restored, ChangeKind::Restore, true);
    CarefulReplay careful =
        ReplayOntoChangedFiles(*otherLedger, {JournalRecord{At(1, 1, 1), restore, true}});
    EXPECT_EQ(careful.NotReplayed.size(), 4u);
    EXPECT_EQ(careful.NotReplayed.back(), "6月 予算：" + june->ItemTable[2].Name + " 0円");
    EXPECT_TRUE(careful.Replayed.empty());
    EXPECT_EQ(otherLedger->EntryTable[5][0].Amount, 10);
    careful = ReplayOntoChangedFiles(*june, {JournalRecord{At(1, 1, 1), restore, true}});
    EXPECT_TRUE(careful.NotReplayed.empty());
    EXPECT_EQ(june->EntryTable[5][0].Amount, 999);
    EXPECT_EQ(NotReplayedMessage({"a", "b", "c"}, 2),
              "次の 3 件は、ファイルの今の内容と合わないため復元しませんでした。\ra\rb\rほか 1 件");

    // A record of an older version says only what it made: read, and written only where the
    // slot already holds it.
    std::string bytes = ReadBytes(path);
    const std::string first = JournalRecordBytes({At(15, 21, 1), changes[0]});
    const size_t at = bytes.find(first);
    ASSERT_NE(at, std::string::npos);
    const size_t beforeSize = 1 + 4 + 9 * 4 + 4 + 4 + 1;  // marker, count, empty entry, flag
    std::string payload = first.substr(12, first.size() - 12 - beforeSize);
    std::string old;
    for (uint64_t v = payload.size(), i = 0; i < 4; ++i) old += static_cast<char>(v >> (8 * i));
    for (uint64_t v = HashBytes(payload), i = 0; i < 8; ++i) old += static_cast<char>(v >> (8 * i));
    bytes.replace(at, first.size(), old + payload);
    WriteBytes(dir.Path() + "old.journal", bytes);
    const JournalContents older = ReadJournal(dir.Path() + "old.journal");
    ASSERT_EQ(older.State, JournalState::Readable);
    ASSERT_EQ(older.Records.size(), 2u);
    EXPECT_FALSE(older.Records[0].KnownBefore);
    EXPECT_EQ(older.Records[0].Made.Slots[0].After, changes[0].Slots[0].After);
    auto onOther = std::make_unique<Ledger>(*otherSave);
    EXPECT_EQ(ReplayOntoChangedFiles(*onOther, older.Records).NotReplayed,
              std::vector<std::string>{writtenLine});
}

// A save noted in the journal and found in the files: the changes before it are saved, so a
// kill during or right after a save asks nothing at the next start.
TEST(Journal, ASaveThatLandedMakesTheJournalFitAgain) {
    TempDir dir;
    auto ledger = JuneLedger(dir.Path());
    const std::vector<Change> changes = Changes(*ledger);
    const FileStamp loaded{dir.Path() + "家計簿.nbd", true, 120, 0, 7};
    const FileStamp saved{dir.Path() + "家計簿.nbd", true, 170, 0, 9};
    LedgerJournal journal;
    journal.Start(*ledger, dir.Path(), {loaded});
    journal.NoteSave({saved});  // no journal yet: nothing to note
    EXPECT_TRUE(journal.Path().empty());
    ApplyChange(*ledger, changes[0], ChangeSide::After);
    journal.Append(changes[0], At(15, 21, 1));
    const std::string settings = dir.Path() + "rozed.ini";
    journal.NoteSave({saved, FileStamp{settings, true, 3, 0, HashBytes("new")}});
    const struct {
        const char* what;
        FileStamp files;
        const char* settings;  // what the settings file holds
        bool dropped;
        size_t left;
        bool fits;
    } rows[] = {
        {"the save landed", saved, "new", true, 0, true},
        {"the save never renamed", loaded, "old", false, 1, true},
        {"the settings never landed", saved, "old", false, 1, false},
        {"the files changed elsewhere", FileStamp{saved.Path, true, 1, 0, 1}, "new", false, 1,
         false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        WriteBytes(settings, row.settings);
        JournalContents contents = ReadJournal(journal.Path());
        ASSERT_EQ(contents.State, JournalState::Readable);
        EXPECT_EQ(DropSavedRecords(contents, {row.files}), row.dropped);
        EXPECT_EQ(contents.Records.size(), row.left);
        EXPECT_EQ(JournalFitsFiles(contents.Header, {row.files}), row.fits);
    }
}

// Only the end of a journal can be cut short by a kill: a bad record anywhere (the last one
// whole but wrong too) is damage, the file is kept aside whole and the message counts it.
TEST(Journal, DamageIsNotATornTail) {
    TempDir dir;
    auto ledger = JuneLedger(dir.Path());
    const std::vector<Change> changes = Changes(*ledger);
    LedgerJournal journal;
    journal.Start(*ledger, dir.Path(), {});
    std::vector<size_t> sizes;
    for (const size_t i : {0, 2, 3}) {
        ApplyChange(*ledger, changes[i], ChangeSide::After);
        journal.Append(changes[i], At(15, 21, 1));
        sizes.push_back(JournalRecordBytes({At(15, 21, 1), changes[i]}).size());
    }
    const std::string bytes = ReadBytes(journal.Path());
    const size_t third = bytes.size() - sizes[2];
    const size_t second = third - sizes[1];
    const size_t first = second - sizes[0];
    const struct {
        const char* what;
        size_t flip;  // a byte of a payload flipped; npos: none
        size_t cut;   // the file's length
        JournalState state;
        size_t records;
        size_t unread;
        bool torn;
    } rows[] = {
        {"damage in the first record", first + 30, bytes.size(), JournalState::Damaged, 2, 1,
         false},
        {"damage in the middle record", second + 30, bytes.size(), JournalState::Damaged, 2, 1,
         false},
        {"damage in the last record", third + 30, bytes.size(), JournalState::Damaged, 2, 1, false},
        {"a damaged length", second + 2, bytes.size(), JournalState::Damaged, 2, 1, false},
        {"a cut tail", std::string::npos, third + 30, JournalState::Readable, 2, 0, true},
        {"cut in the first record", std::string::npos, first + 5, JournalState::Readable, 0, 0,
         true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        std::string damaged = bytes.substr(0, row.cut);
        if (row.flip != std::string::npos) damaged[row.flip] ^= 0x40;
        WriteBytes(dir.Path() + "x.journal", damaged);
        const JournalContents contents = ReadJournal(dir.Path() + "x.journal");
        EXPECT_EQ(contents.State, row.state);
        EXPECT_EQ(contents.Records.size(), row.records);
        EXPECT_EQ(contents.Unread, row.unread);
        EXPECT_EQ(contents.TornTail, row.torn);
    }
    WriteBytes(dir.Path() + "x.journal",
               bytes.substr(0, second + 30) + "\x01" + bytes.substr(second + 31));
    const JournalContents contents = ReadJournal(dir.Path() + "x.journal");
    EXPECT_EQ(JournalKeptAsideMessage("/d/x.journal", contents),
              "保存されなかった変更の記録「/d/x.journal」は壊れています。読めない変更が 1 件、"
              "読める変更が 2 件あります。どれも復元せず、ファイルはそのまま「/d/x.journal.old」"
              "として残しました。");
}

// A pipe or a link where the journal or the lock belongs never hangs the start and never
// turns the lock off; the lock and a journal are the user's alone.
TEST(LedgerLock, ALockOrJournalThatIsNotAFileIsRefusedWithoutWaiting) {
    TempDir dir;
    const std::string lock = dir.Path() + LockFileName("家計簿");
    const std::string journal = dir.Path() + "家計簿.journal";
    const struct {
        const char* what;
        std::function<void(const std::string&)> make;
    } rows[] = {
        {"a pipe", [](const std::string& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); }},
        {"a dangling link",
         [&](const std::string& p) { std::filesystem::create_symlink(dir.Path() + "none", p); }},
        {"a link to a file",
         [&](const std::string& p) {
             WriteBytes(dir.Path() + "target", "kakeibo-lock\n");
             std::filesystem::create_symlink(dir.Path() + "target", p);
         }},
        {"a folder", [](const std::string& p) { std::filesystem::create_directory(p); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        row.make(lock);
        row.make(journal);
        LedgerLock taken;
        EXPECT_EQ(taken.Take(lock, At(15, 21, 0), nullptr), LockOutcome::NotAFile);
        EXPECT_FALSE(taken.Held());
        EXPECT_EQ(ReadJournal(journal).State, JournalState::NotAFile);
        std::filesystem::remove(lock);
        std::filesystem::remove(journal);
    }
    LedgerLock taken;
    ASSERT_EQ(taken.Take(lock, At(15, 21, 0), nullptr), LockOutcome::Taken);
    EXPECT_EQ(test::ModeOf(lock), 0600);

    // A lock of another computer is replaced when the user chose to open the ledger anyway,
    // unless it names someone else by then.
    taken.Release();
    const std::string elsewhere =
        "kakeibo-lock\nhost=elsewhere\npid=1\nstart=1\nboot=x\nsince=2026/06/01 08:00:00\n";
    WriteBytes(lock, elsewhere);
    LockHolder holder;
    ASSERT_EQ(taken.Take(lock, At(15, 22, 2), &holder), LockOutcome::Held);
    LockHolder someoneElse = holder;
    someoneElse.Process.Pid = 2;
    EXPECT_EQ(taken.TakeOver(lock, At(15, 22, 3), someoneElse, nullptr), LockOutcome::Held);
    EXPECT_EQ(ReadBytes(lock), elsewhere);
    EXPECT_EQ(taken.TakeOver(lock, At(15, 22, 3), holder, nullptr), LockOutcome::Taken);
    EXPECT_NE(ReadBytes(lock).find("since=2026/06/15 22:03:00"), std::string::npos);
}

}  // namespace
}  // namespace kakeibo
