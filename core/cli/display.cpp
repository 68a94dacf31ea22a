#include "core/cli/display.h"

#include <netdb.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstddef>
#include <cstring>

namespace kakeibo {

namespace {

bool Set(const std::optional<std::string>& value) {
    return value.has_value() && !value->empty();
}

// Connects a Unix socket at `path` (a leading '\0' names an abstract one).
bool UnixSocketAnswers(const std::string& path) {
    sockaddr_un address{};
    if (path.empty() || path.size() >= sizeof(address.sun_path)) return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.data(), path.size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + path.size() +
                                               (path[0] == '\0' ? 0 : 1));
    const bool answered = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0;
    ::close(fd);
    return answered;
}

bool TcpAnswers(const std::string& host, int port) {
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) {
        return false;
    }
    bool answered = false;
    for (const addrinfo* a = found; a != nullptr && !answered; a = a->ai_next) {
        const int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0) continue;
        answered = ::connect(fd, a->ai_addr, a->ai_addrlen) == 0;
        ::close(fd);
    }
    ::freeaddrinfo(found);
    return answered;
}

// An X display "[host]:number[.screen]", or a socket path as some systems name it.
bool XDisplayAnswers(const std::string& display) {
    if (!display.empty() && display[0] == '/') {
        const size_t colon = display.rfind(':');
        return UnixSocketAnswers(display.substr(0, colon));
    }
    const size_t colon = display.rfind(':');
    if (colon == std::string::npos) return false;
    std::string host = display.substr(0, colon);
    const std::string rest = display.substr(colon + 1);
    size_t digits = 0;
    while (digits < rest.size() && rest[digits] >= '0' && rest[digits] <= '9') ++digits;
    if (digits == 0 || digits > 6) return false;
    const int number = std::stoi(rest.substr(0, digits));
    if (host.starts_with("unix")) host.clear();
    if (!host.empty()) return TcpAnswers(host, 6000 + number);
    const std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
    return UnixSocketAnswers(std::string(1, '\0') + socket) || UnixSocketAnswers(socket);
}

bool WaylandAnswers(const std::string& display, const std::optional<std::string>& runtimeDir) {
    if (!display.empty() && display[0] == '/') return UnixSocketAnswers(display);
    return Set(runtimeDir) && UnixSocketAnswers(*runtimeDir + "/" + display);
}

}  // namespace

std::optional<std::string> DisplayProblem(const DisplaySetting& setting) {
    if (setting.PlatformChosen) return std::nullopt;
    const bool x = Set(setting.Display);
    const bool wayland = Set(setting.WaylandDisplay);
    if (!x && !wayland) return "画面に接続できません（DISPLAY が設定されていません）。";
    if (wayland && WaylandAnswers(*setting.WaylandDisplay, setting.RuntimeDir)) return std::nullopt;
    if (x && XDisplayAnswers(*setting.Display)) return std::nullopt;
    return "画面 " + (x ? *setting.Display : *setting.WaylandDisplay) + " に接続できません。";
}

}  // namespace kakeibo
