#include "test_files.h"

#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace kakeibo::test {

TempDir::TempDir() {
    char pattern[] = "/tmp/kakeibo-test-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = std::string(pattern) + "/";
}

TempDir::~TempDir() {
    std::error_code ignored;  // a destructor must not throw; a leftover folder in /tmp is harmless
    std::filesystem::remove_all(path_, ignored);
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return "<missing>";
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

void WithFileSizeLimit(size_t limit, const std::function<void()>& act) {
    struct sigaction ignore {};
    struct sigaction previous {};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGXFSZ, &ignore, &previous);
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = limit;
    ::setrlimit(RLIMIT_FSIZE, &small);
    // Restored however `act` ends, so a failing check cannot leave the limit to later tests.
    struct Restore {
        rlimit limit;
        struct sigaction action;
        ~Restore() {
            ::setrlimit(RLIMIT_FSIZE, &limit);
            ::sigaction(SIGXFSZ, &action, nullptr);
        }
    } restore{old, previous};
    act();
}

int ModeOf(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? static_cast<int>(st.st_mode & 07777) : -1;
}

}  // namespace kakeibo::test
