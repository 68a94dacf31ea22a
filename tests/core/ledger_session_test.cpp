#include "core/session/ledger_session.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/files/ledger_paths.h"
#include "core/ledger/entries.h"
#include "core/sjis.h"
#include "session_questions.h"
#include "test_files.h"

namespace kakeibo {
namespace {

using test::ReadBytes;
using test::ScriptedQuestions;
using test::TempDir;
using test::WriteBytes;

Moment At(int minute) {
    return Moment{Date{2026, 6, 15}, 21, minute, 0};
}

// June open in `dir` with its entries file on disk, the program's folder beside it.
std::unique_ptr<Ledger> JuneLedger(const std::string& dir) {
    auto ledger = std::make_unique<Ledger>();
    ledger->DataDir = dir;
    ledger->ExeDir = dir + "program/";
    std::filesystem::create_directories(ledger->ExeDir);
    ledger->LedgerName = "家計簿";
    ledger->EditMonth = 6;
    ledger->EditDate = Date{2026, 6, 15};
    WriteBytes(dir + EntriesFileName("家計簿"), "2026,6,1,2,0,0,0,100,0,,\r\n");
    return ledger;
}

EntryRecord Spent(int day, int32_t amount) {
    return EntryRecord{2026, 6, day, 2, 0, 0, 0, amount, 0};
}

// One session: a step of time per call, so the journal records differ.
struct Open {
    explicit Open(const std::string& dir)
        : ledger(JuneLedger(dir)), session(*ledger, questions, [this] { return At(minute++); }) {
        session.Listen([this] { ++notified; });
    }
    void Write(int day, int32_t amount, const char* shop) {
        session.Apply(*AddEntry(*ledger, 6, Spent(day, amount), EntryText{shop, ""}));
    }
    std::vector<int32_t> Amounts() const {
        std::vector<int32_t> amounts;
        for (int s = 0; s < ledger->GetIndex(6); ++s)
            amounts.push_back(ledger->EntryTable[5][s].Amount);
        return amounts;
    }

    int minute = 0;
    int notified = 0;
    ScriptedQuestions questions;
    std::unique_ptr<Ledger> ledger;
    LedgerSession session;
};

// Each change is journaled before it is shown, is one step of the history and one
// notification; undo and redo walk the steps, each journaled as a change of its own; a step
// the journal cannot hold is taken back and can be done again once there is room.
TEST(LedgerSession, ChangesUndoAndRedoAreJournaledStepsAndARefusedStepStays) {
    TempDir dir;
    Open open(dir.Path());
    ASSERT_FALSE(open.session.AdoptLedger({}));
    const std::string journal = dir.Path() + "家計簿.journal";
    open.Write(5, 1280, "八百屋");
    open.Write(9, 300, "パン屋");
    EXPECT_EQ(open.notified, 2);
    EXPECT_EQ(open.session.Texts().Shops, (std::vector<std::string>{"パン屋", "八百屋"}));
    EXPECT_EQ(ReadJournal(journal).Records.size(), 2u);
    EXPECT_EQ(open.session.Steps().UndoCount(), 2u);
    EXPECT_EQ(open.Amounts(), (std::vector<int32_t>{1280, 300}));

    ASSERT_TRUE(open.session.Undo());
    EXPECT_EQ(open.Amounts(), (std::vector<int32_t>{1280}));
    const std::string bytes = ReadBytes(journal);
    EXPECT_EQ(ReadJournal(journal).Records.size(), 3u);

    // A full disk refuses a redo and an undo alike: the ledger, the steps and the journal stay.
    for (bool redo : {true, false}) {
        SCOPED_TRACE(redo ? "redo" : "undo");
        bool refused = false;
        test::WithFileSizeLimit(bytes.size() + 10, [&] {
            try {
                redo ? open.session.Redo() : open.session.Undo();
            } catch (const JournalError&) {
                refused = true;
            }
        });
        EXPECT_TRUE(refused);
        EXPECT_EQ(open.Amounts(), (std::vector<int32_t>{1280}));
        EXPECT_EQ(open.session.Steps().UndoCount(), 1u);
        EXPECT_EQ(open.session.Steps().RedoCount(), 1u);
        EXPECT_EQ(ReadBytes(journal), bytes);
    }
    ASSERT_TRUE(open.session.Redo());
    EXPECT_EQ(open.Amounts(), (std::vector<int32_t>{1280, 300}));
    EXPECT_EQ(ReadJournal(journal).Records.size(), 4u);
    EXPECT_EQ(open.notified, 2);  // undo and redo are shown by who asked for them
}

// Changes a killed program left are offered at the next opening; replayed, each is a step
// that can be undone. Declined, the journal goes aside and nothing is offered again.
TEST(LedgerSession, RecoveredChangesBecomeStepsOfTheHistory) {
    for (bool recover : {true, false}) {
        SCOPED_TRACE(recover ? "recovered" : "declined");
        TempDir dir;
        WriteBytes(dir.Path() + kShopHistoryFile, EncodeCp932("ABC Mart\r\n駅前\r\n"));
        {
            Open killed(dir.Path());
            killed.session.AdoptLedger({});
            killed.Write(5, 1280, "八百屋");
            killed.Write(9, 300, "abc mart");
        }  // the journal stays: nothing was saved or thrown away
        Open next(dir.Path());
        next.session.LoadTextHistories(dir.Path());
        next.questions.RecoverAnswer = recover;
        ASSERT_TRUE(next.session.TakeLedger(dir.Path(), "家計簿", true));
        EXPECT_EQ(next.session.AdoptLedger({}), recover);
        ASSERT_EQ(next.questions.Asked.size(), 1u);
        EXPECT_EQ(
            next.questions.Asked[0],
            "前回保存されなかった変更が 2 件あります（2026/06/15 21:02 まで）。復元しますか？");
        EXPECT_EQ(next.questions.Fits, std::vector<bool>{true});
        EXPECT_EQ(next.notified, recover ? 1 : 0);
        if (!recover) {
            EXPECT_EQ(next.Amounts(), std::vector<int32_t>{});
            EXPECT_EQ(next.session.Steps().UndoCount(), 0u);
            EXPECT_EQ(next.session.Texts().Shops, (std::vector<std::string>{"ABC Mart", "駅前"}));
            EXPECT_TRUE(std::filesystem::exists(dir.Path() + "家計簿.journal.old"));
            EXPECT_FALSE(std::filesystem::exists(dir.Path() + "家計簿.journal"));
            continue;
        }
        EXPECT_EQ(next.Amounts(), (std::vector<int32_t>{1280, 300}));
        EXPECT_EQ(next.session.Steps().UndoCount(), 2u);
        // The shops come back to the list as they were written: a line differing only in
        // letter case keeps its own spelling.
        EXPECT_EQ(next.session.Texts().Shops,
                  (std::vector<std::string>{"ABC Mart", "八百屋", "駅前"}));
        EXPECT_EQ(ReadJournal(dir.Path() + "家計簿.journal").Records.size(), 2u);
        next.session.Undo();
        next.session.Undo();
        EXPECT_EQ(next.Amounts(), std::vector<int32_t>{});
        EXPECT_EQ(ReadJournal(dir.Path() + "家計簿.journal").Records.size(), 4u);
    }
}

// Another program's lock: the question names it; declined, nothing is taken. A file changed
// on disk since the load is not overwritten without asking, and a save renews the stamps
// and removes the journal.
TEST(LedgerSession, LockAndSaveChecksAskBeforeAnythingIsLost) {
    TempDir dir;
    WriteBytes(dir.Path() + LockFileName("家計簿"),
               "kakeibo-lock\nhost=elsewhere\npid=7\nstart=1\nboot=x\nsince=2026/06/01 08:00:00\n");
    Open open(dir.Path());
    open.questions.OpenHeld = false;
    EXPECT_FALSE(open.session.TakeLedger(dir.Path(), "家計簿", true));
    ASSERT_EQ(open.questions.Asked.size(), 1u);
    EXPECT_EQ(open.questions.Asked[0],
              "家計簿「家計簿」は、コンピューター「elsewhere」のプログラム（プロセス 7）が "
              "2026/06/01 08:00:00 から開いています。\r両方で変更して保存すると、一方の変更が"
              "失われます。このまま開きますか？");
    std::filesystem::remove(dir.Path() + LockFileName("家計簿"));

    ASSERT_TRUE(open.session.TakeLedger(dir.Path(), "家計簿", true));
    open.session.AdoptLedger({});
    EXPECT_FALSE(open.session.Shared());
    open.Write(5, 1280, "八百屋");
    EXPECT_EQ(open.session.BeforeSave(dir.Path(), "家計簿"), LedgerSession::SaveCheck::Go);

    const std::string entries = dir.Path() + EntriesFileName("家計簿");
    WriteBytes(entries, "2026,6,2,2,0,0,0,999,0,,\r\n");
    using Answer = SessionQuestions::ChangedFileAnswer;
    const std::pair<Answer, LedgerSession::SaveCheck> rows[] = {
        {Answer::Cancel, LedgerSession::SaveCheck::Cancel},
        {Answer::SaveAs, LedgerSession::SaveCheck::SaveAs},
        {Answer::Overwrite, LedgerSession::SaveCheck::Go},
    };
    for (const auto& [answer, check] : rows) {
        open.questions.ChangedFile = answer;
        EXPECT_EQ(open.session.BeforeSave(dir.Path(), "家計簿"), check);
        EXPECT_EQ(open.questions.Asked.back(),
                  "ファイル「" + entries +
                      "」は、読み込んだ後（または前回の保存の後）に別のプログラムで変更されて"
                      "います。\r上書きすると、その変更は失われます。");
    }
    const size_t asked = open.questions.Asked.size();
    open.session.AfterSave(SaveResult{});
    EXPECT_FALSE(std::filesystem::exists(dir.Path() + "家計簿.journal"));
    EXPECT_EQ(open.session.BeforeSave(dir.Path(), "家計簿"), LedgerSession::SaveCheck::Go);
    EXPECT_EQ(open.questions.Asked.size(), asked);
}

}  // namespace
}  // namespace kakeibo
