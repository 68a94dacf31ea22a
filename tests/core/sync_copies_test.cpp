#include "core/session/sync_copies.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/time.h>

#include <filesystem>
#include <iterator>

#include "test_files.h"

namespace kakeibo {
namespace {

using test::TempDir;
using test::WriteBytes;

// The names each service gives, and names that only look like them.
TEST(SyncCopiesTest, NamesTellTheServiceTheFileTheTimeAndWho) {
    using F = SyncedFile;
    using S = SyncService;
    const struct {
        const char* name;
        bool copy;
        S service;
        F file;
        const char* when;  // "YYYY/MM/DD HH:MM:SS"; "" for none
        const char* who;
    } rows[] = {
        {"kakei2025.sync-conflict-20251208-101010-ABCDEFG.nbd", true, S::Syncthing, F::Entries,
         "2025/12/08 10:10:10", "ABCDEFG"},
        {"kakei2025r.sync-conflict-20251208-101011-ABCDEFG.dat", true, S::Syncthing, F::Balance,
         "2025/12/08 10:10:11", "ABCDEFG"},
        {"kakei2025y.sync-conflict-20251208-101010-ABCDEFG.dat", true, S::Syncthing, F::Budget,
         "2025/12/08 10:10:10", "ABCDEFG"},
        {"mise.sync-conflict-20251208-101010-ABCDEFG.dat", true, S::Syncthing, F::ShopHistory,
         "2025/12/08 10:10:10", "ABCDEFG"},
        {"torikomi.sync-conflict-20251208-101010-ABCDEFG.dat", true, S::Syncthing,
         F::ImportSettings, "2025/12/08 10:10:10", "ABCDEFG"},
        {"kakei2025 (conflicted copy 2025-12-08 101010).nbd", true, S::Nextcloud, F::Entries,
         "2025/12/08 10:10:10", ""},
        {"memo (conflicted copy Hanako 2025-12-08 101010).dat", true, S::Nextcloud, F::MemoHistory,
         "2025/12/08 10:10:10", "Hanako"},
        {"kakei2025y_conflict-20251208-101010.dat", true, S::OwnCloud, F::Budget,
         "2025/12/08 10:10:10", ""},
        {"kakei2025 (Taro's conflicted copy 2025-12-08).nbd", true, S::Dropbox, F::Entries,
         "2025/12/08 00:00:00", "Taro"},
        {"kakei2025r (Taroの競合コピー 2025-12-08).dat", true, S::Dropbox, F::Balance,
         "2025/12/08 00:00:00", "Taro"},
        {"teiki (Taro's conflicted copy 2025-12-08 (1)).dat", true, S::Dropbox, F::Recurring,
         "2025/12/08 00:00:00", "Taro"},
        {"kakei2025-LAPTOP.nbd", true, S::OneDrive, F::Entries, "", "LAPTOP"},
        {"kakei2025y-DESKTOP-7QK2.dat", true, S::OneDrive, F::Budget, "", "DESKTOP-7QK2"},
        // Another ledger's files and copies, and names no service gives.
        {"kakei2025.nbd", false, {}, {}, "", ""},
        {"kakei20251.sync-conflict-20251208-101010-ABCDEFG.nbd", false, {}, {}, "", ""},
        {"kakei2024.sync-conflict-20251208-101010-ABCDEFG.nbd", false, {}, {}, "", ""},
        {"kakei2025-2.nbd", false, {}, {}, "", ""},
        {"kakei2025-家族.nbd", false, {}, {}, "", ""},
        {"kakei2025.sync-conflict-20251308-101010-ABCDEFG.nbd", false, {}, {}, "", ""},
        {"kakei2025.sync-conflict-20251208-101010-abcdefg.nbd", false, {}, {}, "", ""},
        {"kakei2025 (conflicted copy 2025-12-08).nbd", false, {}, {}, "", ""},
        {"kakei2025 (copy).nbd", false, {}, {}, "", ""},
        {"kakei2025.sync-conflict-20251208-101010-ABCDEFG.csv", false, {}, {}, "", ""},
        {"kakeibo.sync-conflict-20251208-101010-ABCDEFG.dat", false, {}, {}, "", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const auto name = ParseConflictName(row.name, "kakei2025");
        ASSERT_EQ(name.has_value(), row.copy);
        if (!row.copy) continue;
        EXPECT_EQ(name->Service, row.service);
        EXPECT_EQ(name->File, row.file);
        EXPECT_EQ(name->Who, row.who);
        std::string when;
        if (name->When) {
            char text[32];
            std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d:%02d", name->When->Day.Year,
                          name->When->Day.Month, name->When->Day.Day, name->When->Hour,
                          name->When->Minute, name->When->Second);
            when = text;
        }
        EXPECT_EQ(when, row.when);
    }
}

void SetTime(const std::string& path, int year, int month, int day, int hour, int minute) {
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_isdst = -1;
    const timeval times[2] = {{std::mktime(&local), 0}, {std::mktime(&local), 0}};
    ::utimes(path.c_str(), times);
}

TEST(SyncCopiesTest, TheFilesOfOneSaveAreOneCopyAskedAboutOnce) {
    TempDir dir;
    const std::string d = dir.Path();
    for (const char* file :
         {"kakei2025.nbd", "kakei2025r.dat", "kakei2025y.dat",
          // One save from the laptop, its files renamed a second apart.
          "kakei2025.sync-conflict-20251208-101010-ABCDEFG.nbd",
          "kakei2025r.sync-conflict-20251208-101011-ABCDEFG.dat",
          "mise.sync-conflict-20251208-101011-ABCDEFG.dat",
          // A later save from another device.
          "kakei2025.sync-conflict-20251209-080000-QRSTUVW.nbd",
          // Dropbox, timed by the file; OneDrive's name of another ledger of its own.
          "kakei2025 (Taroの競合コピー 2025-12-07).nbd", "kakei2025-HOME.nbd",
          "kakei2025-HOMEr.dat"}) {
        WriteBytes(d + file, "");
    }
    SetTime(d + "kakei2025 (Taroの競合コピー 2025-12-07).nbd", 2025, 12, 7, 21, 5);
    // A copy inside the backup folder is not the ledger's.
    std::filesystem::create_directories(d + "backup/kakei2025");
    WriteBytes(d + "backup/kakei2025/kakei2025.sync-conflict-20251208-101010-ABCDEFG.nbd", "");

    const auto copies = FindSyncCopies(d, "kakei2025");
    const struct {
        size_t files;
        const char* question;
    } want[] = {
        {1,
         "別のパソコンで保存された変更（kakei2025 の競合コピー、2025/12/07 "
         "21:05、Taro）を取り込みますか？"},
        {3,
         "別のパソコンで保存された変更（kakei2025 の競合コピー、2025/12/08 "
         "10:10、ABCDEFG）を取り込みますか？"},
        {1,
         "別のパソコンで保存された変更（kakei2025 の競合コピー、2025/12/09 "
         "08:00、QRSTUVW）を取り込みますか？"},
    };
    ASSERT_EQ(copies.size(), std::size(want));
    for (size_t i = 0; i < copies.size(); ++i) {
        EXPECT_EQ(copies[i].Files.size(), want[i].files);
        EXPECT_EQ(SyncCopyQuestion(copies[i], "kakei2025"), want[i].question);
    }
    EXPECT_TRUE(copies[1].Find(SyncedFile::Balance));
    EXPECT_TRUE(copies[1].Find(SyncedFile::ShopHistory));
    EXPECT_FALSE(copies[1].Find(SyncedFile::Budget));

    // A copy of a shared file alone is named after that file.
    TempDir other;
    WriteBytes(other.Path() + "memo.sync-conflict-20251208-101010-ABCDEFG.dat", "");
    const auto memo = FindSyncCopies(other.Path(), "kakei2025");
    ASSERT_EQ(memo.size(), 1u);
    EXPECT_EQ(SyncCopyQuestion(memo[0], "kakei2025"),
              "別のパソコンで保存された変更（memo.dat の競合コピー、2025/12/08 "
              "10:10、ABCDEFG）を取り込みますか？");
}

}  // namespace
}  // namespace kakeibo
