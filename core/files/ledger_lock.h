// The lock that tells other programs the ledger is open here.
#pragma once

#include <string>

#include "core/files/backup.h"
#include "core/files/process_info.h"

namespace kakeibo {

// Who holds a ledger's lock, as its lock file says.
struct LockHolder {
    ProcessIdentity Process;
    std::string Since;  // "2025/06/15 21:04:33", when it took the lock
    bool ThisHost = false;
};

enum class LockOutcome {
    Taken,        // this program holds the lock now
    Held,         // a running program of this computer, or another computer, holds it
    Unavailable,  // no lock file can be made there (a read-only folder): nobody can save there
    NotAFile,     // a link, a pipe or a folder lies where the lock belongs: open it read-only
};

// The lock file beside an open ledger: made exclusively, it names the computer, the process
// and since when, so that a second program opening the ledger can tell the user who has it.
// A lock whose process is gone from this computer is taken over without asking.
class LedgerLock final {
public:
    LedgerLock() = default;
    ~LedgerLock() { Release(); }
    LedgerLock(const LedgerLock&) = delete;
    LedgerLock& operator=(const LedgerLock&) = delete;

    // Takes the lock file `path` (releasing any lock held before); `holder` tells who has it
    // when the outcome is Held.
    LockOutcome Take(const std::string& path, const Moment& now, LockHolder* holder);
    // Takes the lock that `seen` (as Take reported it) holds, when the user chose to open the
    // ledger anyway: a lock of another computer, which cannot be asked whether it still runs.
    // Held when the lock names anyone else by now.
    LockOutcome TakeOver(const std::string& path, const Moment& now, const LockHolder& seen,
                         LockHolder* holder);
    // Removes the lock file, if this program still holds it.
    void Release();

    bool Held() const { return fd_ >= 0; }
    const std::string& Path() const { return path_; }

private:
    LockOutcome TakeFrom(const std::string& path, const Moment& now, LockHolder* holder,
                         const ProcessIdentity* giveUp);

    std::string path_;
    int fd_ = -1;  // the lock file, open while held, so that its removal checks it is ours
};

// What the user is told when the lock is not a file of its own.
std::string LockNotAFileMessage(const std::string& path);

// "2025/06/15 21:04:33".
std::string MomentText(const Moment& moment);

}  // namespace kakeibo
