// Which process holds a lock or wrote a save record, and whether it still runs.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace kakeibo {

// Which process, on which computer, wrote a lock or a save record. The start time and the
// boot tell a process apart from a later one that was given the same number.
struct ProcessIdentity {
    std::string Host;
    int64_t Pid = 0;
    uint64_t StartTicks = 0;  // the process's start, in clock ticks since the boot
    std::string BootId;

    bool operator==(const ProcessIdentity&) const = default;
};

ProcessIdentity ThisProcess();

// Running: the same process is alive on this computer. Gone: it is not (this computer, but it
// ended or the computer was restarted). Unknown: another computer's, which cannot be asked.
enum class Liveness { Running, Gone, Unknown };
Liveness CheckProcess(const ProcessIdentity& who);

// When this process started, in seconds since the epoch: a scratch file older than that
// cannot belong to a save that this program is still making.
int64_t ProcessStartSeconds();

// The small "key=value" text files that locks and save records are made of.
using TextFields = std::map<std::string, std::string>;
std::string FieldLines(const ProcessIdentity& who);
ProcessIdentity IdentityFromFields(const TextFields& fields);
TextFields ParseFields(const std::string& text);

// A name or path inside such a file: "%", "=" and control characters as "%XX".
std::string EscapeField(const std::string& text);
std::string UnescapeField(const std::string& text);

}  // namespace kakeibo
