// A save killed at each of its steps: whatever the next start finds, each folder holds the
// old files or the new ones as a whole, never a mix, and no scratch file.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "core/files/file_io.h"
#include "core/files/group_write.h"
#include "core/files/ledger_paths.h"
#include "core/files/save.h"
#include "core/files/save_intent.h"
#include "core/ledger/ledger.h"
#include "core/session/carry_over.h"
#include "test_files.h"

namespace kakeibo {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using test::WriteBytes;

using Folder = std::map<std::string, std::string>;  // name -> bytes, hidden names included

Folder Snapshot(const std::string& dir) {
    Folder files;
    for (const auto& entry : fs::directory_iterator(dir)) {
        files[entry.path().filename().string()] =
            entry.is_regular_file() ? ReadBytes(entry.path().string()) : "<folder>";
    }
    return files;
}

void Restore(const std::string& dir, const Folder& files) {
    fs::remove_all(dir);
    fs::create_directory(dir);
    for (const auto& [name, bytes] : files) WriteBytes(dir + name, bytes);
}

enum class Ended { Killed, Finished };

// Runs `write` in a child process that kills itself (SIGKILL) as it is about to take write
// step number `kill`; Finished when the write had fewer steps.
Ended RunKilledAt(int kill, const std::function<void()>& write) {
    const pid_t child = ::fork();
    if (child == 0) {
        int step = 0;
        SetWriteFaultHookForTesting([&](WriteStep, const std::string&) {
            if (step++ == kill) ::raise(SIGKILL);
            return 0;
        });
        try {
            write();
        } catch (...) {
            ::_exit(2);
        }
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) return Ended::Killed;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the write failed";
    return Ended::Finished;
}

// What the next start does in each folder: it finishes or undoes the save it finds a record
// of, then removes the scratch files of the killed program.
int NextStart(const std::vector<std::string>& folders, const std::string& lockPath) {
    int told = 0;
    for (const std::string& dir : folders) {
        told += static_cast<int>(RecoverInterruptedSaves(dir, lockPath).size());
        RemoveLeftovers(dir, "", static_cast<int64_t>(std::time(nullptr)) + 2);
    }
    return told;
}

// Kills `write` at every step; after each the folders must be wholly old or wholly new.
void KillAtEveryStep(const std::vector<std::string>& folders, const std::string& lockPath,
                     const std::function<void()>& write) {
    std::vector<Folder> before;
    for (const std::string& dir : folders) before.push_back(Snapshot(dir));
    ASSERT_EQ(RunKilledAt(-1, write), Ended::Finished);
    std::vector<Folder> after;
    for (const std::string& dir : folders) after.push_back(Snapshot(dir));

    int completed = 0;
    int kill = 0;
    for (;; ++kill) {
        for (size_t f = 0; f < folders.size(); ++f) Restore(folders[f], before[f]);
        const Ended ended = RunKilledAt(kill, write);
        const int told = NextStart(folders, lockPath);
        for (size_t f = 0; f < folders.size(); ++f) {
            SCOPED_TRACE(folders[f] + " killed at step " + std::to_string(kill));
            const Folder now = Snapshot(folders[f]);
            EXPECT_TRUE(now == before[f] || now == after[f]);
        }
        completed += told;
        if (ended == Ended::Finished) break;
    }
    // The kills fell between the renames too, and the next start said that it finished them.
    EXPECT_GE(kill, 10);
    EXPECT_GE(completed, 1);
}

TEST(InterruptedSave, AKillAtAnyStepOfBothGroupsLeavesEachFolderWhollyOldOrNew) {
    test::TempDir temp;
    const std::string exe = temp.Path() + "exe/";
    const std::string data = temp.Path() + "data/";
    fs::create_directory(exe);
    fs::create_directory(data);
    for (const char* f : {"led.nbd", "ledr.dat", "ledy.dat", "mise.dat", "memo.dat"}) {
        WriteBytes(data + f, std::string("old ") + f + "\r\n");
    }
    for (const char* f : {"rozed.ini", "kamoku.dat", "hojyo.dat"}) {
        WriteBytes(exe + f, std::string("old ") + f + "\r\n");
    }
    auto ledger = std::make_unique<Ledger>();
    ledger->ExeDir = exe;
    ledger->IniPath = exe + "rozed.ini";
    ledger->ItemTable[0] = {"現金", "0"};
    ledger->ItemTable[2] = {"食費", "-1"};
    ledger->EntryTable[0][0] = {2026, 1, 1, 2, 0, 0, 0, 100, 0};
    ledger->EntryTextTable[0][0] = {"八百屋", ""};
    SaveInputs inputs;
    inputs.Sync = true;
    inputs.ShopHistory = {"八百屋"};
    KillAtEveryStep({data, exe}, data + LockFileName("led"), [&] {
        ledger->LedgerChanged = true;
        ledger->MastersChanged = true;
        MonthSave(*ledger, data, "led", inputs);
    });
}

TEST(InterruptedSave, AKillAtAnyStepOfTheCarryOverLeavesTheNextYearWhollyOldOrNew) {
    test::TempDir temp;
    const std::string dir = temp.Path();
    for (const char* f : {"next.nbd", "nextr.dat", "nexty.dat"}) {
        WriteBytes(dir + f, std::string("old ") + f + "\r\n");
    }
    auto ledger = std::make_unique<Ledger>();
    ledger->BalanceTable[0][0][0] = 5000;
    KillAtEveryStep({dir}, dir + LockFileName("next"),
                    [&] { WriteCarryOver(*ledger, dir, "next", true); });
}

}  // namespace
}  // namespace kakeibo
