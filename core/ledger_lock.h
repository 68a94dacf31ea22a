// The lock that tells other programs the ledger is open here.
#pragma once

#include <string>

#include "core/backup.h"
#include "core/process_info.h"

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
    // Removes the lock file, if this program still holds it.
    void Release();

    bool Held() const { return fd_ >= 0; }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
    int fd_ = -1;  // the lock file, open while held, so that its removal checks it is ours
};

// "2025/06/15 21:04:33".
std::string MomentText(const Moment& moment);

}  // namespace kakeibo
