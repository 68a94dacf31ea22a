// The main window notices another computer's saves that a sync service left beside the open
// ledger, asks once about each, and merges it back as one step.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <memory>

#include "core/files/backup.h"
#include "core/files/file_io.h"
#include "core/files/ledger_files.h"
#include "core/files/ledger_writers.h"
#include "core/files/save.h"
#include "core/test_files.h"
#include "ui/main/main_window.h"
#include "ui/support/fake_platform.h"

namespace kakeibo {
namespace {

namespace fs = std::filesystem;

EntryRecord Expense(int day, int amount) {
    return EntryRecord{2025, 12, day, 2, 0, 0, 0, amount, 0};
}

class SyncCopiesWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        exe = root.path().toStdString() + "/";
        data = exe + "data/";
        fs::create_directory(data);
        for (const char* master : {"kamoku.dat", "hojyo.dat"}) {
            fs::copy_file(std::string(KAKEIBO_DATA_DIR) + master, exe + master);
        }
        platform.ExeDirectory = QString::fromStdString(exe);
        // The save both computers started from, kept as a backup by the save after it.
        Save({{1, 100}});
        KeepGeneration(data, "kakei2025", Moment{Date{2025, 12, 8}, 9, 0, 0});
        Save({{1, 100}, {2, 200}});  // this computer
    }

    void Save(const std::vector<std::pair<int, int>>& entries) {
        auto ledger = std::make_unique<Ledger>();
        ledger->ExeDir = exe;
        ledger->DataDir = data;
        ledger->LedgerName = "kakei2025";  // rozed.ini names it as the last ledger
        for (size_t i = 0; i < entries.size(); ++i) {
            ledger->EntryTable[11][i] = Expense(entries[i].first, entries[i].second);
            ledger->EntryTextTable[11][i] = {"八百屋", ""};
        }
        ledger->LedgerChanged = true;
        SaveInputs inputs;
        inputs.Sync = false;
        MonthSave(*ledger, data, "kakei2025", inputs);
    }

    // The other computer's save, renamed by the service.
    void Copy(const std::string& stamp, const std::vector<std::pair<int, int>>& entries) {
        auto ledger = std::make_unique<Ledger>();
        for (size_t i = 0; i < entries.size(); ++i) {
            ledger->EntryTable[11][i] = Expense(entries[i].first, entries[i].second);
            // Day 1 is the entry both computers had; the others are its own.
            ledger->EntryTextTable[11][i] = {entries[i].first == 1 ? "八百屋" : "魚屋", ""};
        }
        const std::string path = data + "kakei2025.sync-conflict-" + stamp + "-LAPTOP7.nbd";
        test::WriteBytes(path, EncodeLines(EntriesFileLines(*ledger), path));
    }

    TForm1& Start() {
        ledger = std::make_unique<Ledger>();
        window = std::make_unique<TForm1>(*ledger);
        window->FormCreate();
        window->show();
        QApplication::processEvents();
        return *window;
    }

    std::vector<int> December() const {
        std::vector<int> amounts;
        for (int s = 0; s < ledger->GetIndex(12); ++s)
            amounts.push_back(ledger->EntryTable[11][s].Amount);
        return amounts;
    }

    test::FakePlatform platform;
    QTemporaryDir root;
    std::string exe, data;
    std::unique_ptr<Ledger> ledger;
    std::unique_ptr<TForm1> window;
};

TEST_F(SyncCopiesWindowTest, ACopyIsAskedAboutOnceAndMergedAsOneStep) {
    Copy("20251208-101010", {{1, 100}, {3, 300}});
    platform.ChoiceButtons = {0};
    Start();
    ASSERT_EQ(platform.Boxes.size(), 1u);
    EXPECT_EQ(platform.Boxes[0].Text,
              QStringLiteral("別のパソコンで保存された変更（kakei2025 の競合コピー、2025/12/08 "
                             "10:10、LAPTOP7）を取り込みますか？"));
    EXPECT_EQ(December(), (std::vector<int>{100, 200, 300}));
    EXPECT_EQ(window->findChild<QLabel*>(QStringLiteral("Label5"))->text(),
              QStringLiteral("別のパソコンの変更を取り込みました（追加 1 件）。"));
    EXPECT_TRUE(fs::exists(
        data + "backup/kakei2025/sync-copies/kakei2025.sync-conflict-20251208-101010-LAPTOP7.nbd"));
    window->Undo1Click();
    EXPECT_EQ(December(), (std::vector<int>{100, 200}));

    // One that arrives while the ledger is open waits for the next refill; declined, it stays.
    platform.Boxes.clear();
    Copy("20251208-111111", {{1, 100}, {4, 400}});
    QTest::qWait(300);
    EXPECT_TRUE(platform.Boxes.empty());
    platform.ChoiceButtons = {1};
    window->AllUpdate();
    QApplication::processEvents();
    ASSERT_EQ(platform.Boxes.size(), 1u);
    EXPECT_EQ(December(), (std::vector<int>{100, 200}));
    EXPECT_TRUE(fs::exists(data + "kakei2025.sync-conflict-20251208-111111-LAPTOP7.nbd"));
    window->AllUpdate();
    QApplication::processEvents();
    EXPECT_EQ(platform.Boxes.size(), 1u);  // asked once
}

}  // namespace
}  // namespace kakeibo
