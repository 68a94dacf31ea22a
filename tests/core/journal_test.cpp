#include "core/journal.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/change.h"
#include "core/ledger_lock.h"
#include "core/ledger_paths.h"
#include "core/ledger_session.h"
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

}  // namespace
}  // namespace kakeibo
