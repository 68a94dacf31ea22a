#include "core/files/program_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "core/files/settings_file.h"
#include "test_files.h"

namespace kakeibo {
namespace {

using test::WriteBytes;

TEST(UserFoldersTest, ConfigurationAndDocumentsFoldersFollowTheDesktopsRules) {
    test::TempDir temp;
    const std::string home = temp.Path() + "home";
    const std::string cfg = temp.Path() + "cfg";
    struct Row {
        std::string XdgConfigHome, XdgDocumentsDir, UserDirs, Config, Documents;
    };
    const Row rows[] = {
        {"", "", "", home + "/.config/", home + "/Documents/"},
        {"relative/cfg", "", "", home + "/.config/", home + "/Documents/"},
        {cfg, "", "XDG_DOCUMENTS_DIR=\"$HOME/ドキュメント\"\n", cfg + "/", home + "/ドキュメント/"},
        {cfg, "", "# XDG_DOCUMENTS_DIR=\"/x\"\n  XDG_DOCUMENTS_DIR=\"/srv/書類/\"\n", cfg + "/",
         "/srv/書類/"},
        {cfg, "/data/docs", "XDG_DOCUMENTS_DIR=\"$HOME/x\"\n", cfg + "/", "/data/docs/"},
        {cfg, "docs", "XDG_DOCUMENTS_DIR=\"$HOME/My \\\"Docs\\\"\"\n", cfg + "/",
         home + "/My \"Docs\"/"},
        {cfg, "", "XDG_DOCUMENTS_DIR=relative\nXDG_DOCUMENTS_DIR=\"$HOMEX/a\"\n", cfg + "/",
         home + "/Documents/"},
        {cfg, "", "XDG_DOWNLOAD_DIR=\"$HOME/dl\"\nXDG_DOCUMENTS_DIR=\"$HOME\"\n", cfg + "/",
         home + "/"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.UserDirs);
        std::filesystem::remove_all(cfg);
        std::filesystem::create_directories(cfg);
        if (!row.UserDirs.empty()) WriteBytes(cfg + "/user-dirs.dirs", row.UserDirs);
        const UserEnvironment env{home, row.XdgConfigHome, row.XdgDocumentsDir};
        EXPECT_EQ(ConfigHome(env), row.Config);
        EXPECT_EQ(DocumentsDir(env), row.Documents);
    }
}

TEST(UserFoldersTest, OnlyAWritablePortableProgramKeepsItsFilesBesideItself) {
    test::TempDir temp;
    const std::string exe = temp.Path() + "bin/";
    const std::string shared = temp.Path() + "share/kakeibo/";
    const UserEnvironment env{temp.Path() + "home", "", ""};
    const ProgramFolders user{env.Home + "/.config/kakeibo/", env.Home + "/Documents/家計簿/", ""};
    struct Row {
        bool MastersBeside, Installed, Writable;
        ProgramFolders Expected;
    };
    const Row rows[] = {
        {true, false, true, {exe, exe, ""}},   // portable copy, the build tree
        {false, false, true, {exe, exe, ""}},  // portable copy without masters
        {true, true, true, {exe, exe, ""}},    // portable copy inside a prefix
        {false, true, true, {user.ProgramDir, user.DefaultDataDir, shared}},   // ~/.local
        {false, true, false, {user.ProgramDir, user.DefaultDataDir, shared}},  // /usr
        {true, false, false, {user.ProgramDir, user.DefaultDataDir, exe}},     // read-only copy
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.MastersBeside << row.Installed << row.Writable);
        std::filesystem::remove_all(temp.Path() + "bin");
        std::filesystem::remove_all(temp.Path() + "share");
        std::filesystem::create_directories(exe);
        if (row.MastersBeside) WriteBytes(exe + "kamoku.dat", "x\r\n");
        if (row.Installed) {
            std::filesystem::create_directories(shared);
            WriteBytes(shared + "kamoku.dat", "x\r\n");
        }
        const ProgramFolders got = ChooseProgramFolders(exe, shared, row.Writable, env);
        EXPECT_EQ(got.ProgramDir, row.Expected.ProgramDir);
        EXPECT_EQ(got.DefaultDataDir, row.Expected.DefaultDataDir);
        EXPECT_EQ(got.MastersSource, row.Expected.MastersSource);
    }
}

// The first start itself is checked on an installed program by tests/install/install_test.sh.
TEST(UserFoldersTest, LaterStartsKeepTheUsersMastersAndRemakeAVanishedDataFolder) {
    test::TempDir temp;
    const std::string shared = temp.Path() + "share/";
    std::filesystem::create_directories(shared);
    WriteBytes(shared + "kamoku.dat", "\x8c\xbb\x8b\xe0\r\n0\r\n");    // 現金, an account
    WriteBytes(shared + "hojyo.dat", "\x82\xa8\x8d\xe0\x95\x7a\r\n");  // お財布
    const ProgramFolders folders{temp.Path() + "cfg/kakeibo/", temp.Path() + "docs/家計簿/",
                                 shared};
    const Date today{2026, 3, 14};
    PrepareProgramFolder(folders);
    auto first = std::make_unique<Ledger>();
    StartUp(*first, folders.ProgramDir, today, 768, folders.DefaultDataDir);
    // The settings name the user's data folder: nobody else may read them.
    EXPECT_EQ(std::filesystem::status(folders.ProgramDir).permissions(),
              std::filesystem::perms::owner_all);

    // A second start without a save misses no ledger: none was ever saved.
    auto second = std::make_unique<Ledger>();
    EXPECT_TRUE(
        StartUp(*second, folders.ProgramDir, today, 768, folders.DefaultDataDir).Messages.empty());

    // Renamed items survive a start whose rozed.ini is gone.
    WriteBytes(folders.ProgramDir + "kamoku.dat", "edited\r\n0\r\n");
    std::filesystem::remove(folders.ProgramDir + "rozed.ini");
    std::filesystem::remove_all(folders.DefaultDataDir);
    PrepareProgramFolder(folders);
    auto next = std::make_unique<Ledger>();
    const StartupResult result =
        StartUp(*next, folders.ProgramDir, today, 768, folders.DefaultDataDir);
    EXPECT_TRUE(result.Messages.empty());
    EXPECT_EQ(next->ItemTable[0].Name, "edited");
    // Not the configuration folder: the user's ledgers belong among the user's documents,
    // and nobody else may read them.
    EXPECT_EQ(next->DataDir, folders.DefaultDataDir);
    EXPECT_EQ(test::ModeOf(folders.DefaultDataDir), 0700);
}

}  // namespace
}  // namespace kakeibo
