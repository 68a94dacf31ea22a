#include "core/backup.h"

#include <gtest/gtest.h>

#include "core/errors.h"
#include "test_files.h"

namespace kakeibo {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

Moment At(int hour, int minute, int second) {
    return Moment{Date{2026, 12, 7}, hour, minute, second};
}

TEST(BackupTest, GenerationsAreNamedByTheSecondListedNewestFirstAndCountEntries) {
    TempDir dir;
    EXPECT_FALSE(KeepGeneration(dir.Path(), "kakei", At(9, 0, 0)));  // nothing saved yet

    WriteBytes(dir.Path() + "kakei.nbd", "a\r\nb\r\n");
    WriteBytes(dir.Path() + "kakeiy.dat", "1\r\n");
    ASSERT_TRUE(KeepGeneration(dir.Path(), "kakei", At(9, 0, 0)));
    WriteBytes(dir.Path() + "kakei.nbd", "a\r\nb\r\nc");
    ASSERT_TRUE(KeepGeneration(dir.Path(), "kakei", At(9, 0, 0)));
    ASSERT_TRUE(KeepGeneration(dir.Path(), "kakei", At(10, 5, 9)));

    const auto list = ListGenerations(dir.Path(), "kakei");
    ASSERT_EQ(list.size(), 3u);
    const std::string folder = dir.Path() + "backup/kakei/";
    const struct {
        std::string path, label;
        int entries;
    } want[] = {{folder + "20261207-100509/", "2026/12/07 10:05:09", 3},
                {folder + "20261207-090000-2/", "2026/12/07 09:00:00 (2)", 3},
                {folder + "20261207-090000/", "2026/12/07 09:00:00", 2}};
    for (size_t i = 0; i < list.size(); ++i) {
        EXPECT_EQ(list[i].Path, want[i].path);
        EXPECT_EQ(GenerationLabel(list[i]), want[i].label);
        EXPECT_EQ(list[i].Entries, want[i].entries);
    }
    EXPECT_EQ(ReadBytes(want[2].path + "kakei.nbd"), "a\r\nb\r\n");
    EXPECT_EQ(ReadBytes(want[2].path + "kakeiy.dat"), "1\r\n");
    EXPECT_EQ(ReadBytes(want[2].path + "kakeir.dat"), "<missing>");
}

TEST(BackupTest, OnlyTheNewestGenerationsStay) {
    TempDir dir;
    for (int i = 0; i < 25; ++i) {
        WriteBytes(dir.Path() + "k.nbd", "save " + std::to_string(i));
        KeepGeneration(dir.Path(), "k", At(12, i, 0), 20);
    }
    const auto list = ListGenerations(dir.Path(), "k");
    ASSERT_EQ(list.size(), 20u);
    EXPECT_EQ(ReadBytes(list.front().Path + "k.nbd"), "save 24");
    EXPECT_EQ(ReadBytes(list.back().Path + "k.nbd"), "save 5");
}

TEST(BackupTest, AGenerationThatCannotBeMadeSaysWhyAndLeavesNoTrace) {
    TempDir dir;
    WriteBytes(dir.Path() + "k.nbd", "x");
    WriteBytes(dir.Path() + "backup", "a file where the folder should be");
    try {
        KeepGeneration(dir.Path(), "k", At(1, 2, 3));
        FAIL() << "no error";
    } catch (const LedgerError& e) {
        EXPECT_NE(std::string(e.what()).find("バックアップ"), std::string::npos) << e.what();
    }
    EXPECT_EQ(ReadBytes(dir.Path() + "k.nbd"), "x");
    EXPECT_TRUE(ListGenerations(dir.Path(), "k").empty());
}

}  // namespace
}  // namespace kakeibo
