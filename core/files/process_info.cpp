#include "core/files/process_info.h"

#include <sys/types.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <csignal>
#include <mutex>
#include <string_view>

#include "core/errors.h"
#include "core/files/file_io.h"

namespace kakeibo {

namespace {

// A file of /proc, read without a stream (whose locale set-up every start would pay); "" when
// it cannot be read.
std::string ReadSmallFile(const std::string& path) {
    try {
        return ReadFileBytes(path).value_or(std::string());
    } catch (const LedgerError&) {
        return {};
    }
}

// Field 22 of /proc/PID/stat; 0 when the process does not exist. The command name in field 2
// may hold blanks and brackets, so counting starts after its last ')'.
uint64_t StartTicksOf(int64_t pid) {
    const std::string stat = ReadSmallFile("/proc/" + std::to_string(pid) + "/stat");
    const size_t close = stat.rfind(')');
    if (close == std::string::npos) return 0;
    std::string_view rest = std::string_view(stat).substr(close + 1);
    for (int n = 3; n <= 22; ++n) {
        const size_t start = rest.find_first_not_of(" \n");
        if (start == std::string_view::npos) return 0;
        rest.remove_prefix(start);
        const std::string_view field = rest.substr(0, rest.find_first_of(" \n"));
        if (n == 22) {
            uint64_t ticks = 0;
            const auto [end, error] =
                std::from_chars(field.data(), field.data() + field.size(), ticks);
            return error == std::errc() && end == field.data() + field.size() ? ticks : 0;
        }
        rest.remove_prefix(field.size());
    }
    return 0;
}

std::string BootId() {
    std::string id = ReadSmallFile("/proc/sys/kernel/random/boot_id");
    while (!id.empty() && (id.back() == '\n' || id.back() == '\r')) id.pop_back();
    return id;
}

std::string HostName() {
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0) return "localhost";
    return name;
}

int64_t Number(const TextFields& fields, const char* key) {
    const auto found = fields.find(key);
    if (found == fields.end()) return 0;
    try {
        return std::stoll(found->second);
    } catch (const std::exception&) {
        return 0;
    }
}

}  // namespace

ProcessIdentity ThisProcess() {
    static std::mutex guard;
    static ProcessIdentity self;
    const std::lock_guard<std::mutex> lock(guard);
    // A forked child is a process of its own: it must not sign its records as its parent.
    if (self.Pid != ::getpid()) {
        self.Host = HostName();
        self.Pid = ::getpid();
        self.StartTicks = StartTicksOf(self.Pid);
        self.BootId = BootId();
    }
    return self;
}

Liveness CheckProcess(const ProcessIdentity& who) {
    const ProcessIdentity self = ThisProcess();
    if (who.Host != self.Host) return Liveness::Unknown;
    if (who.BootId != self.BootId || who.Pid <= 0) return Liveness::Gone;
    if (::kill(static_cast<pid_t>(who.Pid), 0) != 0 && errno == ESRCH) return Liveness::Gone;
    // The number may have been given to a later process since.
    const uint64_t start = StartTicksOf(who.Pid);
    if (start != 0 && who.StartTicks != 0 && start != who.StartTicks) return Liveness::Gone;
    return Liveness::Running;
}

int64_t ProcessStartSeconds() {
    static const int64_t start = [] {
        const int64_t now = static_cast<int64_t>(::time(nullptr));
        const uint64_t ticks = ThisProcess().StartTicks;
        const long perSecond = ::sysconf(_SC_CLK_TCK);
        struct timespec sinceBoot {};
        if (ticks == 0 || perSecond <= 0 || ::clock_gettime(CLOCK_BOOTTIME, &sinceBoot) != 0) {
            return now;
        }
        const int64_t bootedAt = now - static_cast<int64_t>(sinceBoot.tv_sec);
        return bootedAt + static_cast<int64_t>(ticks / static_cast<uint64_t>(perSecond));
    }();
    return start;
}

std::string EscapeField(const std::string& text) {
    static const char* const kHex = "0123456789ABCDEF";
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || c == '%' || c == '=') {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        } else {
            out += c;
        }
    }
    return out;
}

std::string UnescapeField(const std::string& text) {
    const auto hex = [](char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        return -1;
    };
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const int high = text[i] == '%' && i + 2 < text.size() ? hex(text[i + 1]) : -1;
        const int low = high >= 0 ? hex(text[i + 2]) : -1;
        if (low >= 0) {
            out += static_cast<char>(high * 16 + low);
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string FieldLines(const ProcessIdentity& who) {
    return "host=" + EscapeField(who.Host) + "\npid=" + std::to_string(who.Pid) +
           "\nstart=" + std::to_string(who.StartTicks) + "\nboot=" + EscapeField(who.BootId) + "\n";
}

ProcessIdentity IdentityFromFields(const TextFields& fields) {
    ProcessIdentity who;
    const auto text = [&](const char* key) {
        const auto found = fields.find(key);
        return found == fields.end() ? std::string() : UnescapeField(found->second);
    };
    who.Host = text("host");
    who.Pid = Number(fields, "pid");
    who.StartTicks = static_cast<uint64_t>(Number(fields, "start"));
    who.BootId = text("boot");
    return who;
}

TextFields ParseFields(const std::string& text) {
    TextFields fields;
    std::string_view rest = text;
    while (!rest.empty()) {
        const size_t end = rest.find('\n');
        const std::string_view line = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos) continue;
        fields[std::string(line.substr(0, equals))] = std::string(line.substr(equals + 1));
    }
    return fields;
}

}  // namespace kakeibo
