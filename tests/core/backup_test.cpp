#include "core/files/backup.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <iterator>
#include <vector>

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

TEST(BackupTest, GenerationsAreNamedByTheirSaveListedInTheOrderMadeAndCountEntries) {
    TempDir dir;
    EXPECT_FALSE(KeepGeneration(dir.Path(), "kakei", At(9, 0, 0)));  // nothing saved yet

    // What the save at 08:59:59 wrote is labelled by that save.
    const std::vector<GroupFile> saved{{dir.Path() + "kakei.nbd", "a\r\nb\r\n"},
                                       {dir.Path() + "kakeiy.dat", "1\r\n"},
                                       {dir.Path() + "mise.dat", "shop\r\n"}};
    for (const GroupFile& file : saved) WriteBytes(file.Path, file.Bytes);
    RecordSave(dir.Path(), "kakei", At(8, 59, 59), saved);
    const mode_t mask = ::umask(0);
    ASSERT_TRUE(KeepGeneration(dir.Path(), "kakei", At(9, 0, 0)));
    ::umask(mask);
    // Two generations from before they were numbered, made in one second.
    const std::string folder = dir.Path() + "backup/kakei/";
    for (const char* old : {"20261207-080000", "20261207-080000-2"}) {
        std::filesystem::create_directories(folder + old);
        WriteBytes(folder + old + "/kakei.nbd", "old\r\n");
    }
    // The same files again make nothing: retries must not push the history out.
    EXPECT_FALSE(KeepGeneration(dir.Path(), "kakei", At(9, 0, 1)));
    // Changed outside a save, under a clock set back: named by when it was made, listed newest.
    WriteBytes(dir.Path() + "kakei.nbd", "a\r\nb\r\nc");
    ASSERT_TRUE(KeepGeneration(dir.Path(), "kakei", At(7, 0, 0)));

    const auto list = ListGenerations(dir.Path(), "kakei");
    const struct {
        std::string path, label;
        int entries;
    } want[] = {{folder + "2-20261207-070000/", "2026/12/07 07:00:00 の保存の直前", 3},
                {folder + "1-20261207-090000/", "2026/12/07 08:59:59", 2},
                {folder + "20261207-080000-2/", "2026/12/07 08:00:00 の保存の直前 (2)", 1},
                {folder + "20261207-080000/", "2026/12/07 08:00:00 の保存の直前", 1}};
    ASSERT_EQ(list.size(), std::size(want));
    for (size_t i = 0; i < list.size(); ++i) {
        EXPECT_EQ(list[i].Path, want[i].path);
        EXPECT_EQ(GenerationLabel(list[i]), want[i].label);
        EXPECT_EQ(list[i].Entries, want[i].entries);
    }
    EXPECT_EQ(ReadBytes(want[1].path + "kakei.nbd"), "a\r\nb\r\n");
    EXPECT_EQ(ReadBytes(want[1].path + "kakeiy.dat"), "1\r\n");
    EXPECT_EQ(ReadBytes(want[1].path + "kakeir.dat"), "<missing>");
    // A household's history is the user's alone.
    for (const std::string& path : {dir.Path() + "backup", folder, want[1].path}) {
        EXPECT_EQ(test::ModeOf(path), 0700) << path;
    }
    EXPECT_EQ(test::ModeOf(want[1].path + "kakei.nbd"), 0600);
}

TEST(BackupTest, OnlyTheNewestGenerationsStay) {
    TempDir dir;
    // The clock runs backwards: the order of making decides, not the time stamps.
    for (int i = 0; i < 25; ++i) {
        WriteBytes(dir.Path() + "k.nbd", "save " + std::to_string(i));
        KeepGeneration(dir.Path(), "k", At(12, 59 - i, 0), 20);
    }
    auto list = ListGenerations(dir.Path(), "k");
    ASSERT_EQ(list.size(), 20u);
    EXPECT_EQ(ReadBytes(list.front().Path + "k.nbd"), "save 24");
    EXPECT_EQ(ReadBytes(list.back().Path + "k.nbd"), "save 5");
    // A restore keeps every generation, the one it restored from among them.
    WriteBytes(dir.Path() + "k.nbd", "save 25");
    KeepGeneration(dir.Path(), "k", At(13, 0, 0), kKeepEveryGeneration);
    list = ListGenerations(dir.Path(), "k");
    ASSERT_EQ(list.size(), 21u);
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
        EXPECT_EQ(std::string(e.what()), "バックアップ「" + dir.Path() +
                                             "backup」を作成できませんでした。フォルダではありませ"
                                             "ん。保存は行われていません。");
    }
    EXPECT_EQ(ReadBytes(dir.Path() + "k.nbd"), "x");
    EXPECT_TRUE(ListGenerations(dir.Path(), "k").empty());
}

}  // namespace
}  // namespace kakeibo
