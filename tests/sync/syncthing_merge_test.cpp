// Two Syncthing instances on this machine share one data folder; both computers save the
// ledger while the service is stopped, and the conflict copy it leaves is merged back.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/cli/batch.h"
#include "core/files/backup.h"
#include "core/files/ledger_files.h"
#include "core/files/ledger_paths.h"
#include "core/files/ledger_writers.h"
#include "core/files/save.h"
#include "core/ledger/budgets.h"
#include "core/ledger/entries.h"
#include "core/session/ledger_merge.h"
#include "core/session/sync_copies.h"
#include "test_files.h"

namespace kakeibo {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr const char* kName = "kakei2025";

// A port on the loopback address that nothing listens on now.
int FreePort() {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    int port = 0;
    if (::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &size) == 0) {
        port = ntohs(address.sin_port);
    }
    ::close(s);
    return port;
}

std::string Output(const std::string& command) {
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
        ::pclose(pipe);
    }
    return out;
}

bool WaitFor(const std::function<bool()>& done, int seconds) {
    const auto until = Clock::now() + std::chrono::seconds(seconds);
    while (Clock::now() < until) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    return done();
}

// One computer: its Syncthing home, its copy of the data folder, its program folder.
struct Computer {
    std::string Home, Folder, Program, Id;
    int Port = 0;
    pid_t Pid = -1;
};

void WriteConfig(const Computer& self, const Computer& peer) {
    const auto device = [](const Computer& c, const char* name) {
        return "<device id=\"" + c.Id + "\" name=\"" + name +
               "\" compression=\"metadata\"><address>tcp://127.0.0.1:" + std::to_string(c.Port) +
               "</address><autoAcceptFolders>false</autoAcceptFolders>" + "</device>";
    };
    const std::string config =
        "<configuration version=\"36\">"
        "<folder id=\"kakeibo\" label=\"kakeibo\" path=\"" +
        self.Folder +
        "\" type=\"sendreceive\" rescanIntervalS=\"1\" fsWatcherEnabled=\"false\">"
        "<device id=\"" +
        self.Id + "\"></device><device id=\"" + peer.Id +
        "\"></device>"
        "<maxConflicts>10</maxConflicts></folder>" +
        device(self, "self") + device(peer, "peer") +
        "<gui enabled=\"false\" tls=\"false\"><address>127.0.0.1:" + std::to_string(FreePort()) +
        "</address></gui>"
        "<options><listenAddress>tcp://127.0.0.1:" +
        std::to_string(self.Port) +
        "</listenAddress><globalAnnounceEnabled>false</globalAnnounceEnabled>"
        "<localAnnounceEnabled>false</localAnnounceEnabled><relaysEnabled>false</relaysEnabled>"
        "<natEnabled>false</natEnabled><urAccepted>-1</urAccepted>"
        "<autoUpgradeIntervalH>0</autoUpgradeIntervalH><startBrowser>false</startBrowser>"
        "<crashReportingEnabled>false</crashReportingEnabled>"
        "<reconnectionIntervalS>1</reconnectionIntervalS>"
        "<stunKeepaliveStartS>0</stunKeepaliveStartS><stunKeepaliveMinS>0</stunKeepaliveMinS>"
        "<announceLANAddresses>false</announceLANAddresses>"
        "</options></configuration>";
    test::WriteBytes(self.Home + "/config.xml", config);
}

void Start(Computer& c) {
    c.Pid = ::fork();
    if (c.Pid == 0) {
        const int log = ::open((c.Home + "/log").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        ::dup2(log, 1);
        ::dup2(log, 2);
        ::setenv("HOME", c.Home.c_str(), 1);
        ::setenv("STNOUPGRADE", "1", 1);
        ::setenv("STNORESTART", "1", 1);
        const std::string home = "--home=" + c.Home;
        ::execlp("syncthing", "syncthing", "serve", home.c_str(), "--no-browser", "--no-restart",
                 "--no-upgrade", "--no-default-folder", "--skip-port-probing",
                 static_cast<char*>(nullptr));
        ::_exit(127);
    }
}

bool Running(const Computer& c) {
    return c.Pid > 0 && ::waitpid(c.Pid, nullptr, WNOHANG) == 0;
}

void Stop(Computer& c) {
    if (c.Pid <= 0) return;
    ::kill(c.Pid, SIGTERM);
    if (!WaitFor([&] { return ::waitpid(c.Pid, nullptr, WNOHANG) != 0; }, 10)) {
        ::kill(c.Pid, SIGKILL);
        ::waitpid(c.Pid, nullptr, 0);
    }
    c.Pid = -1;
}

// The top-level files of a folder with their bytes (the service's own marker left out).
std::vector<std::pair<std::string, std::string>> Contents(const std::string& folder) {
    std::vector<std::pair<std::string, std::string>> files;
    std::error_code ec;
    for (const auto& item : fs::directory_iterator(folder, ec)) {
        const std::string name = item.path().filename().string();
        if (!item.is_regular_file(ec) || name[0] == '.' || name.find(".syncthing.") == 0) continue;
        files.emplace_back(name, test::ReadBytes(item.path().string()));
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string LogTail(const Computer& c) {
    const std::string log = test::ReadBytes(c.Home + "/log");
    return log.size() > 2000 ? log.substr(log.size() - 2000) : log;
}

NewEntry Food(int month, int day, int amount, const char* shop) {
    return NewEntry{EntryRecord{2025, month, day, 2, 0, 0, 0, amount, 0}, EntryText{shop, ""}};
}

void Add(Ledger& ledger, const NewEntry& e) {
    ASSERT_TRUE(AddEntry(ledger, e.Record.Month, e.Record, e.Text));
}

// What each computer does to the shared state before the service carries it across, on
// January's page as the program starts.
void ChangesHere(Ledger& ledger) {
    ledger.NextSlot = ledger.GetIndex(ledger.EditMonth);
    Add(ledger, Food(1, 20, 980, "八百屋"));
    ASSERT_TRUE(
        ReplaceEntry(ledger, 1, 1, Food(1, 5, 1250, "魚屋").Record, Food(1, 5, 1250, "魚屋").Text));
    ASSERT_TRUE(DeleteEntry(ledger, 3, 0));
    SetBudget(ledger, 1, 2, 30000);
}

void ChangesThere(Ledger& ledger) {
    ledger.NextSlot = ledger.GetIndex(ledger.EditMonth);
    Add(ledger, Food(2, 14, 3200, "ケーキ屋"));
    Add(ledger, Food(6, 30, 410, "パン屋"));
    ASSERT_TRUE(
        ReplaceEntry(ledger, 6, 0, Food(6, 2, 777, "肉屋").Record, Food(6, 2, 777, "肉屋").Text));
    ASSERT_TRUE(DeleteEntry(ledger, 4, 1));
    SetBudget(ledger, 2, 3, 8000);
}

void Save(Ledger& ledger, const Computer& c, const std::vector<std::string>& shops, int second) {
    SaveInputs inputs;
    inputs.ShopHistory = shops;
    inputs.Backup = Moment{Date{2025, 12, 8}, 10, 10, second};
    ledger.ExeDir = c.Program;
    ledger.IniPath = c.Program + "rozed.ini";
    ledger.LedgerChanged = true;
    const SaveResult saved = MonthSave(ledger, c.Folder, kName, inputs);
    if (saved.Backup) FinishBackup(*saved.Backup);
}

TEST(SyncthingMergeTest, BothComputersChangesComeBackFromTheConflictCopyExactly) {
    const std::string version = Output("syncthing --version 2>&1");
    if (version.find("syncthing v") == std::string::npos) {
        GTEST_SKIP() << "syncthing cannot start here (is the package installed?): " << version;
    }
    test::TempDir root;
    Computer here, there;
    for (auto [c, name] : {std::pair{&here, "here"}, std::pair{&there, "there"}}) {
        c->Home = root.Path() + name + "-home";
        c->Folder = root.Path() + name + "-data/";
        c->Program = root.Path() + name + "-program/";
        fs::create_directories(c->Folder + ".stfolder");
        fs::create_directories(c->Program);
        const std::string generated =
            Output("HOME='" + root.Path() + "' syncthing generate --no-default-folder --home='" +
                   c->Home + "' 2>&1");
        const size_t at = generated.find("Device ID: ");
        if (at == std::string::npos) GTEST_SKIP() << "syncthing cannot start: " << generated;
        c->Id = generated.substr(at + 11, 63);
        c->Port = FreePort();
    }
    WriteConfig(here, there);
    WriteConfig(there, here);

    // The state both computers start from, saved here and carried there.
    auto shared = std::make_unique<Ledger>();
    for (int month = 1; month <= 6; ++month) {
        for (int day = 1; day <= 3; ++day) Add(*shared, Food(month, day, 100 * month + day, "店"));
    }
    SetBudget(*shared, 1, 2, 25000);
    Save(*shared, here, {"店"}, 0);
    Start(here);
    Start(there);
    const auto stopAll = [&] {
        Stop(here);
        Stop(there);
    };
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    if (!Running(here) || !Running(there)) {
        stopAll();
        GTEST_SKIP() << "syncthing cannot start: " << LogTail(here) << LogTail(there);
    }
    const bool carried =
        WaitFor([&] { return Contents(there.Folder) == Contents(here.Folder); }, 25);
    // Paused: both computers save while the service carries nothing.
    stopAll();
    ASSERT_TRUE(carried) << LogTail(here) << LogTail(there);

    auto mine = std::make_unique<Ledger>();
    ASSERT_TRUE(MonthLoad(*mine, here.Folder, kName).Loaded);
    ChangesHere(*mine);
    Save(*mine, here, {"八百屋", "魚屋", "店"}, 1);
    auto theirs = std::make_unique<Ledger>();
    ASSERT_TRUE(MonthLoad(*theirs, there.Folder, kName).Loaded);
    ChangesThere(*theirs);
    Save(*theirs, there, {"ケーキ屋", "店"}, 2);

    // Resumed: the service finds both saves and keeps one as a conflict copy on both sides.
    Start(here);
    Start(there);
    const bool settled = WaitFor(
        [&] {
            const auto copies = FindSyncCopies(here.Folder, kName);
            return !copies.empty() && copies[0].Find(SyncedFile::Entries) &&
                   Contents(here.Folder) == Contents(there.Folder);
        },
        40);
    stopAll();
    ASSERT_TRUE(settled) << LogTail(here) << LogTail(there);

    // Open here, find the copy, merge against the save both replaced.
    const auto copies = FindSyncCopies(here.Folder, kName);
    ASSERT_EQ(copies.size(), 1u);
    auto open = std::make_unique<Ledger>();
    ASSERT_TRUE(MonthLoad(*open, here.Folder, kName).Loaded);
    const auto copy = LoadSyncCopy(here.Folder, kName, copies[0], LedgerYear(*open, 2025));
    const auto base = FindMergeBase(here.Folder, kName, *open, *copy);
    ASSERT_TRUE(base);
    EXPECT_EQ(EntriesFileLines(*base->Tables), EntriesFileLines(*shared));
    LedgerMerge merge = MergeLedgers(base->Tables.get(), *open, *copy);
    EXPECT_TRUE(merge.Conflicts.empty());
    ApplyMerge(*open, merge);

    // What one careful person would have typed into one computer.
    auto expected = std::make_unique<Ledger>();
    ASSERT_TRUE(MonthLoad(*expected, base->Generation.Path, kName).Loaded);
    ChangesHere(*expected);
    ChangesThere(*expected);
    EXPECT_EQ(EntriesFileLines(*open), EntriesFileLines(*expected));
    EXPECT_EQ(BudgetFileLines(*open), BudgetFileLines(*expected));

    // The shop history came across as a conflict copy too, or as the newer file.
    if (const ConflictName* shops = copies[0].Find(SyncedFile::ShopHistory)) {
        const auto merged = MergeHistory(ReadHistory(here.Folder + kShopHistoryFile),
                                         ReadHistory(here.Folder + shops->FileName), 30);
        EXPECT_EQ(merged.size(), 4u);
    }
}

}  // namespace
}  // namespace kakeibo
