// The main window keeps the open ledger safe between saves: its journal, its lock, and a look
// at its files before they are overwritten.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QAction>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

#include "core/files/journal.h"
#include "core/files/save.h"
#include "core/ledger/entries.h"
#include "core/test_files.h"
#include "ui/main/main_window.h"
#include "ui/support/fake_platform.h"

namespace kakeibo {
namespace {

using Box = test::FakePlatform::BoxType;
namespace fs = std::filesystem;

EntryRecord Expense(int day, int amount) {
    return EntryRecord{2026, 12, day, 2, 0, 0, 0, amount, 0};
}

// A program folder and a data folder holding the ledger 家計簿 with one December entry,
// named by rozed.ini as the last ledger.
class LedgerSafetyTest : public ::testing::Test {
protected:
    void SetUp() override {
        exe = root.path().toStdString() + "/";
        data = exe + "data/";
        fs::create_directory(data);
        for (const char* master : {"kamoku.dat", "hojyo.dat"}) {
            fs::copy_file(std::string(KAKEIBO_DATA_DIR) + master, exe + master,
                          fs::copy_options::overwrite_existing);
        }
        platform.ExeDirectory = QString::fromStdString(exe);
        auto saved = std::make_unique<Ledger>();
        saved->ExeDir = exe;
        saved->DataDir = data;
        saved->LedgerName = "家計簿";
        saved->EntryTable[11][0] = Expense(1, 100);
        saved->LedgerChanged = true;
        SaveInputs inputs;
        inputs.Sync = false;
        MonthSave(*saved, data, "家計簿", inputs);
    }

    // A program started over its own ledger; earlier ones stay as they are (killed, say).
    TForm1& Start() {
        ledgers.push_back(std::make_unique<Ledger>());
        windows.push_back(std::make_unique<TForm1>(*ledgers.back()));
        windows.back()->FormCreate();
        return *windows.back();
    }
    Ledger& Current() { return *ledgers.back(); }

    void Write(int day, int amount) {
        RunGuarded([&] {
            windows.back()->Apply(*AddEntry(Current(), 12, Expense(day, amount), {"八百屋", ""}));
        });
    }

    void Save() {
        QTest::mouseClick(windows.back()->findChild<QToolButton*>(QStringLiteral("ToolButton2")),
                          Qt::LeftButton);
    }

    std::vector<QString> Texts(Box type) const {
        std::vector<QString> texts;
        for (const auto& box : platform.Boxes) {
            if (box.Type == type) texts.push_back(box.Text);
        }
        return texts;
    }

    test::FakePlatform platform;
    QTemporaryDir root;
    std::string exe;
    std::string data;
    std::vector<std::unique_ptr<Ledger>> ledgers;
    std::vector<std::unique_ptr<TForm1>> windows;
};

// What a program that was killed had written is offered at the next start: はい puts it
// back and keeps it journaled until a save; いいえ sets the journal aside for good.
TEST_F(LedgerSafetyTest, ChangesOfAKilledProgramAreOfferedAtTheNextStart) {
    const std::string journal = data + "家計簿.journal";
    for (const MessageButton answer : {YesButton, NoButton}) {
        SCOPED_TRACE(answer == YesButton ? "はい" : "いいえ");
        Start();
        Write(5, 1280);
        Write(6, 300);
        windows.clear();  // killed: no close, no save
        platform.Boxes.clear();
        platform.Answers = {answer};
        Start();
        ASSERT_EQ(platform.Boxes.size(), 1u);
        EXPECT_EQ(platform.Boxes[0].Kind, MessageKind::Confirmation);
        EXPECT_EQ(platform.Boxes[0].Buttons, YesButton | NoButton);
        EXPECT_EQ(platform.Boxes[0].Text,
                  QStringLiteral("前回保存されなかった変更が 2 件あります（2026/12/07 11:04 "
                                 "まで）。復元しますか？"));
        EXPECT_EQ(Current().GetIndex(12), answer == YesButton ? 3 : 1);
        EXPECT_EQ(Current().LedgerChanged, answer == YesButton);
        EXPECT_EQ(ReadJournal(journal).Records.size(), answer == YesButton ? 2u : 0u);
        EXPECT_EQ(fs::exists(journal + ".old"), answer == NoButton);
        if (answer == YesButton) {
            Save();
            EXPECT_FALSE(fs::exists(journal));
            const std::string saved = test::ReadBytes(data + "家計簿.nbd");
            EXPECT_EQ(std::count(saved.begin(), saved.end(), '\n'), 3);
            // The saved ledger goes back to one entry for the next row.
            windows.clear();
            ledgers.clear();
            SetUp();
        }
    }
    // Thrown away: nothing is offered any more.
    windows.clear();
    platform.Boxes.clear();
    Start();
    EXPECT_TRUE(platform.Boxes.empty());
}

// A journal this version cannot read is never replayed: kept aside, and the user told.
TEST_F(LedgerSafetyTest, AJournalThisVersionCannotReadIsKeptAside) {
    JournalHeader newer;
    newer.Version = kJournalVersion + 1;
    std::ofstream(data + "家計簿.journal", std::ios::binary) << JournalStartBytes(newer);
    Start();
    EXPECT_EQ(Texts(Box::Typed),
              std::vector<QString>{QString::fromStdString(
                  JournalKeptAsideMessage(data + "家計簿.journal", JournalState::TooNew))});
    EXPECT_TRUE(fs::exists(data + "家計簿.journal.old"));
    EXPECT_EQ(Current().GetIndex(12), 1);
}

// Two programs on one ledger: the second is told who has it; キャンセル starts it without
// the ledger, 開く opens it and journals apart from the first program.
TEST_F(LedgerSafetyTest, ASecondProgramIsToldWhoHasTheLedger) {
    Start();
    Write(5, 1280);
    for (const int answer : {1, 0}) {
        platform.Boxes.clear();
        platform.ChoiceButtons = {answer};
        Start();
        ASSERT_EQ(platform.Boxes.size(), 1u);
        const auto& box = platform.Boxes[0];
        EXPECT_EQ(box.Type, Box::Choice);
        EXPECT_EQ(box.Text, QStringLiteral("家計簿「家計簿」は、このコンピューターの別のプログラム"
                                           "（プロセス %1）が 2026/12/07 11:04:48 から開いていま"
                                           "す。\r両方で変更して保存すると、一方の変更が失われま"
                                           "す。このまま開きますか？")
                                .arg(::getpid()));
        EXPECT_EQ(box.Choices, QStringList({QStringLiteral("開く"), QStringLiteral("キャンセル")}));
        EXPECT_EQ(box.Default, 1);
        EXPECT_EQ(Current().LedgerName, answer == 0 ? "家計簿" : "新規作成");
    }
    Write(6, 300);
    EXPECT_EQ(ReadJournal(data + "家計簿.journal").Records.size(), 1u);
    EXPECT_EQ(ReadJournal(FallbackJournalPath(exe, data, "家計簿")).Records.size(), 1u);
}

// A ledger file changed behind the program's back is not overwritten without asking.
TEST_F(LedgerSafetyTest, AFileChangedElsewhereIsNotOverwrittenWithoutAsking) {
    Start();
    const std::string entries = data + "家計簿.nbd";
    const std::string foreign = "2026,12,1,2,0,0,0,999,0,,\r\n";
    std::ofstream(entries, std::ios::binary) << foreign;
    Save();  // the default: キャンセル
    ASSERT_EQ(platform.Boxes.size(), 1u);
    EXPECT_EQ(platform.Boxes[0].Text,
              QStringLiteral("ファイル「%1」は、読み込んだ後（または前回の保存の後）に別のプログラ"
                             "ムで変更されています。\r上書きすると、その変更は失われます。")
                  .arg(QString::fromStdString(entries)));
    EXPECT_EQ(platform.Boxes[0].Choices,
              QStringList({QStringLiteral("上書きする"), QStringLiteral("名前を付けて保存"),
                           QStringLiteral("キャンセル")}));
    EXPECT_EQ(platform.Boxes[0].Default, 2);
    EXPECT_EQ(test::ReadBytes(entries), foreign);

    platform.ChoiceButtons = {0};
    Save();
    EXPECT_EQ(test::ReadBytes(entries), "2026,12,1,2,0,0,0,100,0,,\r\n");
    // The program's own save is no change behind its back.
    platform.Boxes.clear();
    Save();
    EXPECT_EQ(Texts(Box::Choice).size(), 0u);
    EXPECT_EQ(Texts(Box::Plain), std::vector<QString>{QStringLiteral("保存が終了しました")});
}

// A full disk refuses the change with the usual error box, an undo as much as a write; the
// ledger stays as it was and the undo is still there to be done.
TEST_F(LedgerSafetyTest, AFullDiskRefusesTheChange) {
    Start();
    Write(5, 1280);
    const std::string journal = data + "家計簿.journal";
    const std::string before = test::ReadBytes(journal);
    const auto whileFull = [&](const std::function<void()>& act) {
        test::WithFileSizeLimit(before.size() + 10, act);
    };
    whileFull([&] { Write(6, 300); });
    QAction* undo = windows.back()->findChild<QAction*>(QStringLiteral("Undo1"));
    ASSERT_NE(undo, nullptr);
    whileFull([&] { undo->trigger(); });

    const auto errors = Texts(Box::Error);
    ASSERT_EQ(errors.size(), 2u);
    for (const QString& error : errors) {
        EXPECT_TRUE(error.startsWith(QStringLiteral("変更を記録できませんでした。ファイル「")));
    }
    EXPECT_EQ(Current().GetIndex(12), 2);
    EXPECT_EQ(Current().EntryTable[11][1].Amount, 1280);
    EXPECT_EQ(test::ReadBytes(journal), before);
    EXPECT_TRUE(undo->isEnabled());
    // With room again the undo goes through, journaled.
    undo->trigger();
    EXPECT_EQ(Current().GetIndex(12), 1);
    EXPECT_EQ(ReadJournal(journal).Records.size(), 2u);
}

// Closing without saving sets the journal aside and frees the ledger for the next program.
TEST_F(LedgerSafetyTest, ClosingWithoutSavingSetsTheJournalAside) {
    TForm1& w = Start();
    Write(5, 1280);
    EXPECT_TRUE(fs::exists(data + ".家計簿.lock"));
    platform.Answers = {NoButton};
    w.close();
    EXPECT_FALSE(fs::exists(data + ".家計簿.lock"));
    EXPECT_FALSE(fs::exists(data + "家計簿.journal"));
    EXPECT_EQ(ReadJournal(data + "家計簿.journal.old").Records.size(), 1u);
}

}  // namespace
}  // namespace kakeibo
