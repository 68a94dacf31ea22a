#include "core/files/ledger_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "core/files/file_io.h"

namespace kakeibo {

namespace {

constexpr const char* kLockMagic = "kakeibo-lock";
// A lock file without a readable owner younger than this may still be being written.
constexpr int64_t kUnfinishedLockSeconds = 10;

// What a lock file holds; a read that fails leaves what was read, which names no owner.
std::string ReadLock(int fd) {
    std::string text;
    int error = 0;
    ReadAll(fd, text, error);
    return text;
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

std::string LockNotAFileMessage(const std::string& path) {
    return "ロックファイル「" + path +
           "」が通常のファイルではありません（リンク、パイプ、フォルダなど）。ほかのプログラムと"
           "同時に変更しないよう、家計簿は読み取り専用で開きます。";
}

std::string MomentText(const Moment& m) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d:%02d", m.Day.Year, m.Day.Month,
                  m.Day.Day, m.Hour, m.Minute, m.Second);
    return text;
}

LockOutcome LedgerLock::Take(const std::string& path, const Moment& now, LockHolder* holder) {
    return TakeFrom(path, now, holder, nullptr);
}

LockOutcome LedgerLock::TakeOver(const std::string& path, const Moment& now, const LockHolder& seen,
                                 LockHolder* holder) {
    return TakeFrom(path, now, holder, &seen.Process);
}

LockOutcome LedgerLock::TakeFrom(const std::string& path, const Moment& now, LockHolder* holder,
                                 const ProcessIdentity* giveUp) {
    Release();
    const std::string content = std::string(kLockMagic) + "\n" + FieldLines(ThisProcess()) +
                                "since=" + MomentText(now) + "\n";
    // A stale lock is removed while its file is locked with flock, so that of two programs
    // taking it over at once only one removes it; the other sees the new lock instead.
    int staleFd = -1;
    for (int attempt = 0; attempt < 8; ++attempt) {
        int error = 0;
        const int fd = CreateDurableFile(path, content, 0600, true, error);
        if (staleFd >= 0) {
            ::close(staleFd);
            staleFd = -1;
        }
        if (fd >= 0) {
            path_ = path;
            fd_ = fd;
            return LockOutcome::Taken;
        }
        if (error != EEXIST) return LockOutcome::Unavailable;

        // Never waits on a pipe, never follows a link: a lock that is not a file of its own
        // (a dangling link, a pipe) must not turn the lock off, nor hang the start.
        const int other = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
        if (other < 0 && errno == ENOENT) continue;  // released in the meantime
        if (other < 0) return errno == ELOOP ? LockOutcome::NotAFile : LockOutcome::Unavailable;
        struct stat st {};
        if (::fstat(other, &st) != 0 || !S_ISREG(st.st_mode)) {
            ::close(other);
            return LockOutcome::NotAFile;
        }
        const TextFields fields = ParseFields(ReadLock(other));
        LockHolder found;
        found.Process = IdentityFromFields(fields);
        const auto since = fields.find("since");
        if (since != fields.end()) found.Since = since->second;
        found.ThisHost = found.Process.Host == ThisProcess().Host;
        bool stale = false;
        if (found.Process.Pid == 0) {
            stale = st.st_mtim.tv_sec + kUnfinishedLockSeconds < ::time(nullptr);
        } else {
            stale = CheckProcess(found.Process) == Liveness::Gone;
        }
        // The user chose to open a lock this program cannot check (another computer's): it is
        // replaced, as long as it still names the program the user was told of.
        if (!stale && giveUp != nullptr && found.Process == *giveUp) stale = true;
        if (!stale) {
            ::close(other);
            if (holder != nullptr) *holder = found;
            return LockOutcome::Held;
        }
        ::flock(other, LOCK_EX);
        struct stat current {};
        if (::stat(path.c_str(), &current) == 0 && SameFile(current, st)) ::unlink(path.c_str());
        staleFd = other;  // kept locked until the new lock file exists
    }
    if (staleFd >= 0) ::close(staleFd);
    return LockOutcome::Unavailable;
}

void LedgerLock::Release() {
    if (fd_ < 0) return;
    struct stat mine {};
    struct stat there {};
    if (::fstat(fd_, &mine) == 0 && ::stat(path_.c_str(), &there) == 0 && SameFile(mine, there)) {
        ::unlink(path_.c_str());
    }
    ::close(fd_);
    fd_ = -1;
    path_.clear();
}

}  // namespace kakeibo
