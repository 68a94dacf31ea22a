#include "core/files/save_intent.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <random>
#include <set>
#include <sstream>

#include "core/files/file_io.h"
#include "core/files/file_stamp.h"
#include "core/files/ledger_paths.h"

namespace kakeibo {

namespace {

constexpr const char* kIntentMagic = "kakeibo-save 1";
constexpr const char* kIntentPrefix = ".kakeibo.";
constexpr const char* kIntentSuffix = ".save";
constexpr const char* kTempSuffix = ".tmp";

bool EndsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

bool StartsWith(const std::string& s, const std::string& head) {
    return s.compare(0, head.size(), head) == 0;
}

// "<pid>-<8 hex>" for this process, different on every call.
std::string UniqueTag() {
    static std::atomic<uint32_t> counter{0};
    static const uint32_t seed = std::random_device{}();
    char text[40];
    std::snprintf(text, sizeof text, "%lld-%08x", static_cast<long long>(::getpid()),
                  seed ^ (counter.fetch_add(1) * 0x9E3779B9u));
    return text;
}

// The process number in a name made by UniqueTag before `suffix`; 0 when it has none.
int64_t TagPid(const std::string& name, const std::string& suffix) {
    if (!EndsWith(name, suffix)) return 0;
    const std::string stem = name.substr(0, name.size() - suffix.size());
    const size_t dot = stem.rfind('.');
    const size_t dash = stem.rfind('-');
    if (dot == std::string::npos || dash == std::string::npos || dash < dot ||
        stem.size() - dash - 1 != 8) {
        return 0;
    }
    try {
        return std::stoll(stem.substr(dot + 1, dash - dot - 1));
    } catch (const std::exception&) {
        return 0;
    }
}

std::string ReadFileAt(int dirFd, const std::string& name, bool& exists) {
    std::string bytes;
    const int fd = ::openat(dirFd, name.c_str(), O_RDONLY | O_CLOEXEC);
    exists = fd >= 0;
    if (fd < 0) return bytes;
    int error = 0;
    ReadAll(fd, bytes, error);
    ::close(fd);
    return bytes;
}

bool HoldsBytes(int dirFd, const IntentFile& file, const std::string& name) {
    bool exists = false;
    const std::string bytes = ReadFileAt(dirFd, name, exists);
    return exists && static_cast<int64_t>(bytes.size()) == file.Size &&
           HashBytes(bytes) == file.Hash;
}

std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return names;
    while (const dirent* entry = ::readdir(dir)) names.emplace_back(entry->d_name);
    ::closedir(dir);
    return names;
}

bool IsIntentName(const std::string& name) {
    return StartsWith(name, kIntentPrefix) && EndsWith(name, kIntentSuffix);
}

// Earlier versions wrote "<file>.tmp" beside each file they replaced.
bool IsOldTempName(const std::string& name) {
    if (name.empty() || name[0] == '.' || !EndsWith(name, kTempSuffix)) return false;
    const std::string stem = name.substr(0, name.size() - 4);
    for (const char* fixed :
         {kShopHistoryFile, kMemoHistoryFile, kItemMasterFile, kSubItemMasterFile, kSettingsFile}) {
        if (stem == fixed) return true;
    }
    return EndsWith(stem, kEntriesExtension) || EndsWith(stem, kBalanceSuffix) ||
           EndsWith(stem, kBudgetSuffix);
}

bool RunningElsewhere(int64_t pid) {
    return pid > 0 && pid != ::getpid() &&
           (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
}

enum class Outcome { Nothing, Completed, Undone, Stale };

int64_t ModifiedNs(const struct stat& st) {
    return static_cast<int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
}

// Finishes one save from its record (`record`, its name), then removes the record. A record
// older than one of its targets is stale: a later save wrote that file, and completing the
// old save over it would undo the later one.
Outcome Recover(int dirFd, const SaveIntent& intent, const std::string& record) {
    struct stat recordStat {};
    if (::fstatat(dirFd, record.c_str(), &recordStat, 0) == 0) {
        for (const IntentFile& f : intent.Files) {
            struct stat target {};
            if (::fstatat(dirFd, f.Target.c_str(), &target, AT_SYMLINK_NOFOLLOW) == 0 &&
                ModifiedNs(target) > ModifiedNs(recordStat) && !HoldsBytes(dirFd, f, f.Target)) {
                for (const IntentFile& g : intent.Files) ::unlinkat(dirFd, g.Temp.c_str(), 0);
                return Outcome::Stale;
            }
        }
    }
    std::vector<bool> ready(intent.Files.size());
    bool missing = false;
    bool anyDone = false;
    for (size_t i = 0; i < intent.Files.size(); ++i) {
        const IntentFile& f = intent.Files[i];
        ready[i] = HoldsBytes(dirFd, f, f.Temp);
        if (ready[i]) continue;
        if (HoldsBytes(dirFd, f, f.Target)) {
            anyDone = true;
        } else {
            missing = true;
        }
    }
    Outcome outcome = Outcome::Nothing;
    if (missing && !anyDone) {
        // No old file was replaced yet: the save is taken back whole.
        for (const IntentFile& f : intent.Files) ::unlinkat(dirFd, f.Temp.c_str(), 0);
        outcome = Outcome::Undone;
    } else {
        for (size_t i = 0; i < intent.Files.size(); ++i) {
            if (!ready[i]) continue;
            const IntentFile& f = intent.Files[i];
            if (::renameat(dirFd, f.Temp.c_str(), dirFd, f.Target.c_str()) == 0) {
                outcome = Outcome::Completed;
            }
        }
    }
    ::fsync(dirFd);
    return outcome;
}

}  // namespace

std::string IntentBytes(const SaveIntent& intent) {
    std::string text = std::string(kIntentMagic) + "\n" + FieldLines(intent.Writer) +
                       "lock=" + EscapeField(intent.LockPath) + "\n";
    for (const IntentFile& f : intent.Files) {
        text += "file=" + EscapeField(f.Temp) + "\t" + EscapeField(f.Target) + "\t" +
                std::to_string(f.Size) + "\t" + Hex(f.Hash) + "\n";
    }
    return text + "end=" + Hex(HashBytes(text)) + "\n";
}

std::optional<SaveIntent> ParseIntent(const std::string& bytes) {
    const size_t end = bytes.rfind("end=");
    if (end == std::string::npos || (end > 0 && bytes[end - 1] != '\n') ||
        bytes.compare(0, std::string(kIntentMagic).size() + 1, std::string(kIntentMagic) + "\n") !=
            0) {
        return std::nullopt;
    }
    std::string hash = bytes.substr(end + 4);
    while (!hash.empty() && hash.back() == '\n') hash.pop_back();
    if (hash != Hex(HashBytes(std::string_view(bytes).substr(0, end)))) return std::nullopt;

    SaveIntent intent;
    const std::string head = bytes.substr(0, end);
    const TextFields fields = ParseFields(head);
    intent.Writer = IdentityFromFields(fields);
    const auto lock = fields.find("lock");
    if (lock != fields.end()) intent.LockPath = UnescapeField(lock->second);
    std::istringstream lines(head);
    std::string line;
    while (std::getline(lines, line)) {
        if (!StartsWith(line, "file=")) continue;
        std::istringstream parts(line.substr(5));
        std::string temp;
        std::string target;
        std::string size;
        std::string hashText;
        if (!std::getline(parts, temp, '\t') || !std::getline(parts, target, '\t') ||
            !std::getline(parts, size, '\t') || !std::getline(parts, hashText)) {
            return std::nullopt;
        }
        IntentFile f;
        f.Temp = UnescapeField(temp);
        f.Target = UnescapeField(target);
        // A name that leaves the folder is not one the group writer made.
        if (f.Temp.find('/') != std::string::npos || f.Target.find('/') != std::string::npos) {
            return std::nullopt;
        }
        try {
            f.Size = std::stoll(size);
            f.Hash = std::stoull(hashText, nullptr, 16);
        } catch (const std::exception&) {
            return std::nullopt;
        }
        intent.Files.push_back(std::move(f));
    }
    return intent;
}

std::string UniqueTempName(const std::string& fileName) {
    return "." + fileName + "." + UniqueTag() + kTempSuffix;
}

std::string UniqueIntentName() {
    return std::string(kIntentPrefix) + UniqueTag() + kIntentSuffix;
}

std::vector<Notice> RecoverInterruptedSaves(const std::string& folder,
                                            const std::string& heldLock) {
    std::vector<Notice> notices;
    const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0) return notices;
    const ProcessIdentity self = ThisProcess();
    for (const std::string& name : Names(folder)) {
        if (!IsIntentName(name)) continue;
        bool exists = false;
        const auto intent = ParseIntent(ReadFileAt(dirFd, name, exists));
        if (!exists) continue;
        if (intent && !(intent->Writer == self)) {
            const Liveness alive = CheckProcess(intent->Writer);
            if (alive == Liveness::Running) continue;
            if (alive == Liveness::Unknown && (heldLock.empty() || intent->LockPath != heldLock)) {
                continue;
            }
        }
        // A record cut short was never synced, so none of its renames ran: its temporary
        // files are left to RemoveLeftovers.
        const Outcome outcome = intent ? Recover(dirFd, *intent, name) : Outcome::Nothing;
        ::unlinkat(dirFd, name.c_str(), 0);
        ::fsync(dirFd);
        if (outcome == Outcome::Completed) {
            notices.push_back(
                {NoticeKind::Information,
                 "前回中断された保存を最後まで行いました（フォルダ「" + folder + "」）。"});
        } else if (outcome == Outcome::Undone) {
            notices.push_back(
                {NoticeKind::Information,
                 "前回中断された保存を取り消し、保存前のファイルに戻しました（フォルダ「" + folder +
                     "」）。"});
        }
    }
    ::close(dirFd);
    return notices;
}

void RemoveLeftovers(const std::string& folder, const std::string& backupFolder, int64_t before) {
    const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0) return;
    const std::vector<std::string> names = Names(folder);
    std::set<std::string> pending;
    for (const std::string& name : names) {
        if (!IsIntentName(name)) continue;
        bool exists = false;
        if (const auto intent = ParseIntent(ReadFileAt(dirFd, name, exists))) {
            for (const IntentFile& f : intent->Files) pending.insert(f.Temp);
        }
    }
    const auto old = [&](int fd, const std::string& name, bool folderWanted) {
        struct stat st {};
        return ::fstatat(fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
               (folderWanted ? S_ISDIR(st.st_mode) : S_ISREG(st.st_mode)) &&
               st.st_mtim.tv_sec < before;
    };
    for (const std::string& name : names) {
        const bool ours = name.size() > 1 && name[0] == '.' && TagPid(name, kTempSuffix) != 0;
        if (!ours && !IsOldTempName(name)) continue;
        if (pending.count(name) != 0 || !old(dirFd, name, false)) continue;
        if (ours && RunningElsewhere(TagPid(name, kTempSuffix))) continue;
        ::unlinkat(dirFd, name.c_str(), 0);
    }
    ::close(dirFd);

    if (backupFolder.empty()) return;
    const int backupFd = ::open(backupFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (backupFd < 0) return;
    for (const std::string& name : Names(backupFolder)) {
        if (name.size() < 6 || name[0] != '.' || !EndsWith(name, kTempSuffix)) continue;
        if (!old(backupFd, name, true)) continue;
        std::error_code ec;
        std::filesystem::remove_all(backupFolder + name, ec);
    }
    ::close(backupFd);
}

}  // namespace kakeibo
