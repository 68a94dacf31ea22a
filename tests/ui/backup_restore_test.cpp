#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <memory>

#include "core/files/backup.h"
#include "core/sjis.h"
#include "ui/main/main_window.h"
#include "ui/support/fake_platform.h"

namespace kakeibo {
namespace {

using Box = test::FakePlatform::BoxType;

QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

class BackupRestoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        exe = exeDir.path() + QLatin1Char('/');
        data = dataDir.path() + QLatin1Char('/');
        for (const char* master : {"kamoku.dat", "hojyo.dat"}) {
            ASSERT_TRUE(QFile::copy(QStringLiteral(KAKEIBO_DATA_DIR) + QLatin1String(master),
                                    exe + QLatin1String(master)));
        }
        QFile ini(exe + QStringLiteral("rozed.ini"));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write(QByteArray::fromStdString(EncodeCp932(data.toStdString() + "\r\nkakei\r\n")));
        ini.close();
        QFile entries(Entries());  // an empty ledger saved before: overwrite saves go there
        ASSERT_TRUE(entries.open(QIODevice::WriteOnly));
        entries.close();
        platform.ExeDirectory = exe;
        window = std::make_unique<TForm1>(*ledger);
        window->FormCreate();
    }

    // The toolbar's overwrite save, a second later than the last.
    void Save() {
        ++platform.NowMoment.Second;
        auto* save = window->findChild<QToolButton*>(QStringLiteral("ToolButton2"));
        QTest::mouseClick(save, Qt::LeftButton, {}, save->rect().center());
    }
    void AddEntryAndSave(int amount) {
        ledger->EntryTable[11][entries++] = EntryRecord{2026, 12, 1, 2, 0, 0, 0, amount, 0};
        Save();
    }

    QAction* Restore() { return window->findChild<QAction*>(QStringLiteral("RestoreBackup1")); }

    QString Entries() { return data + QStringLiteral("kakei.nbd"); }

    test::FakePlatform platform;
    QTemporaryDir exeDir;
    QTemporaryDir dataDir;
    QString exe;
    QString data;
    int entries = 0;
    std::unique_ptr<Ledger> ledger = std::make_unique<Ledger>();
    std::unique_ptr<TForm1> window;
};

TEST_F(BackupRestoreTest, EverySaveKeepsWhatTheOneBeforeWroteAndARestoreBringsItBack) {
    EXPECT_FALSE(Restore()->isEnabled());  // nothing kept yet

    std::vector<QByteArray> written{ReadBytes(Entries())};
    for (int i = 0; i < 25; ++i) {
        AddEntryAndSave(100 + i);
        written.push_back(ReadBytes(Entries()));
    }
    const auto generations = ListGenerations(data.toStdString(), "kakei");
    ASSERT_EQ(generations.size(), 20u);
    for (size_t g = 0; g < generations.size(); ++g) {
        // Newest first: the generation kept by save 24 holds what save 23 wrote, and so on.
        EXPECT_EQ(ReadBytes(QString::fromStdString(generations[g].Path) + "kakei.nbd"),
                  written[written.size() - 2 - g])
            << g;
    }
    window->init();
    ASSERT_TRUE(Restore()->isEnabled());

    // Back to the oldest generation: what the fifth save wrote, five entries, without the
    // budget file; an unsaved entry is asked about first.
    QFile::remove(QString::fromStdString(generations.back().Path) + "kakeiy.dat");
    ledger->BudgetTable[12][2] = 5000;
    ledger->EntryTable[11][entries] = EntryRecord{2026, 12, 1, 2, 0, 0, 0, 999, 0};
    ledger->LedgerChanged = true;
    platform.Boxes.clear();
    platform.ChoiceAnswers = {19};
    platform.Answers = {NoButton, YesButton};
    ++platform.NowMoment.Second;
    Restore()->trigger();
    ASSERT_EQ(platform.Choices.size(), 1u);
    EXPECT_EQ(platform.Choices[0].size(), 20);
    // Named by the save that wrote it (one a second from 11:04:49), not by the next one.
    EXPECT_EQ(platform.Choices[0][19], QStringLiteral("2026/12/07 11:04:53　5件"));
    ASSERT_EQ(platform.Boxes.size(), 2u) << platform.Boxes.back().Text.toStdString();
    EXPECT_EQ(platform.Boxes[0].Text, QStringLiteral("編集したデータがあります。保存しますか？"));
    EXPECT_EQ(platform.Boxes[1].Text,
              QStringLiteral("2026/12/07 11:04:53 に保存された「kakei」に戻します。\r"
                             "今のファイルはバックアップに残ります。よろしいですか？"));
    EXPECT_EQ(platform.Boxes[1].Kind, MessageKind::Information);
    EXPECT_EQ(platform.Boxes[1].Buttons, YesButton | NoButton);
    EXPECT_EQ(ledger->GetIndex(12), 5);
    EXPECT_EQ(ledger->BudgetTable[12][2], 0);  // as a first load of those files gives
    EXPECT_TRUE(ledger->LedgerChanged);
    // The files of the last save became the newest generation before anything was loaded,
    // and the one restored from is still there for a close without saving.
    const auto after = ListGenerations(data.toStdString(), "kakei");
    ASSERT_EQ(after.size(), 21u);
    EXPECT_EQ(ReadBytes(QString::fromStdString(after.front().Path) + "kakei.nbd"), written.back());
    EXPECT_EQ(after.back().Path, generations.back().Path);

    // The next save writes the restored year back under the ledger's own name.
    Save();
    EXPECT_EQ(ReadBytes(Entries()), written[5]);
}

TEST_F(BackupRestoreTest, NoLeavesEverythingAsItWas) {
    for (int amount : {100, 200, 300}) AddEntryAndSave(amount);
    const QByteArray before = ReadBytes(Entries());
    platform.ChoiceAnswers = {1};
    platform.Answers = {NoButton};
    Restore()->trigger();
    EXPECT_EQ(ledger->GetIndex(12), 3);
    EXPECT_FALSE(ledger->LedgerChanged);
    EXPECT_EQ(ListGenerations(data.toStdString(), "kakei").size(), 3u);
    EXPECT_EQ(ReadBytes(Entries()), before);
}

TEST_F(BackupRestoreTest, ASaveWhoseBackupCannotBeMadeReplacesNothing) {
    AddEntryAndSave(100);
    const QByteArray before = ReadBytes(Entries());
    ASSERT_TRUE(QDir(data + QStringLiteral("backup")).removeRecursively());
    QFile blocker(data + QStringLiteral("backup"));  // a file where the folder must go
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    platform.Boxes.clear();
    AddEntryAndSave(200);
    ASSERT_EQ(platform.Boxes.size(), 1u);
    EXPECT_EQ(platform.Boxes[0].Type, Box::Error);
    EXPECT_TRUE(platform.Boxes[0].Text.contains(QStringLiteral("バックアップ")));
    EXPECT_EQ(ReadBytes(Entries()), before);
    EXPECT_TRUE(ledger->LedgerChanged);
    EXPECT_TRUE(ledger->MastersChanged);
}

}  // namespace
}  // namespace kakeibo
