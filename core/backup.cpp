#include "core/backup.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <tuple>

#include "core/errors.h"
#include "core/file_io.h"
#include "core/ledger_paths.h"

namespace kakeibo {

namespace {

namespace fs = std::filesystem;

[[noreturn]] void Fail(const std::string& path, int error) {
    throw LedgerError("バックアップ「" + path + "」を作成できませんでした。" +
                      FileErrorReason(error) + "。保存は行われていません。");
}

void MakeFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0777) != 0 && errno != EEXIST) Fail(path, errno);
    if (!DirectoryExists(path)) Fail(path, ENOTDIR);
}

void CopyFile(const std::string& from, const std::string& to) {
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) Fail(from, errno);
    const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (out < 0) {
        const int error = errno;
        ::close(in);
        Fail(to, error);
    }
    char buffer[65536];
    int error = 0;
    for (;;) {
        const ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            error = errno;
            break;
        }
        for (ssize_t done = 0; done < n && error == 0;) {
            const ssize_t w = ::write(out, buffer + done, static_cast<size_t>(n - done));
            if (w < 0 && errno != EINTR) error = errno;
            if (w > 0) done += w;
        }
        if (error != 0) break;
    }
    if (::close(out) != 0 && error == 0) error = errno;
    ::close(in);
    if (error != 0) Fail(to, error);
}

// "YYYYMMDD-HHMMSS" and an optional "-n"; anything else in the folder is not ours.
std::optional<BackupGeneration> ParseGeneration(const std::string& folder,
                                                const std::string& entry) {
    auto digits = [&entry](size_t from, size_t count) {
        int value = 0;
        for (size_t i = from; i < from + count; ++i) {
            if (i >= entry.size() || entry[i] < '0' || entry[i] > '9') return -1;
            value = value * 10 + (entry[i] - '0');
        }
        return value;
    };
    if (entry.size() < 15 || entry[8] != '-') return std::nullopt;
    BackupGeneration g;
    g.Taken.Day = Date{digits(0, 4), digits(4, 2), digits(6, 2)};
    g.Taken.Hour = digits(9, 2);
    g.Taken.Minute = digits(11, 2);
    g.Taken.Second = digits(13, 2);
    if (g.Taken.Day.Year < 0 || g.Taken.Day.Month < 0 || g.Taken.Day.Day < 0 || g.Taken.Hour < 0 ||
        g.Taken.Minute < 0 || g.Taken.Second < 0) {
        return std::nullopt;
    }
    if (entry.size() > 15) {
        if (entry[15] != '-' || entry.size() > 20) return std::nullopt;
        g.Sequence = digits(16, entry.size() - 16);
        if (g.Sequence < 2) return std::nullopt;
    }
    g.Path = folder + entry + "/";
    return g;
}

bool Older(const BackupGeneration& a, const BackupGeneration& b) {
    const auto key = [](const BackupGeneration& g) {
        return std::tuple(g.Taken.Day, g.Taken.Hour, g.Taken.Minute, g.Taken.Second, g.Sequence);
    };
    return key(a) < key(b);
}

std::vector<BackupGeneration> Generations(const std::string& folder) {
    std::vector<BackupGeneration> found;
    std::error_code ec;
    for (const auto& item : fs::directory_iterator(folder, ec)) {
        if (!item.is_directory(ec)) continue;
        if (auto g = ParseGeneration(folder, item.path().filename().string())) {
            found.push_back(std::move(*g));
        }
    }
    std::sort(found.begin(), found.end(), Older);
    return found;
}

int CountLines(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return 0;
    int lines = 0;
    int last = '\n';
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) {
        lines += static_cast<int>(std::count(buffer, buffer + n, '\n'));
        last = buffer[n - 1];
    }
    std::fclose(f);
    return last == '\n' ? lines : lines + 1;
}

std::string Stamp(const Moment& m, int sequence) {
    char text[40];
    std::snprintf(text, sizeof text, "%04d%02d%02d-%02d%02d%02d", m.Day.Year, m.Day.Month,
                  m.Day.Day, m.Hour, m.Minute, m.Second);
    std::string stamp = text;
    if (sequence > 1) {
        stamp += '-';
        stamp += std::to_string(sequence);
    }
    return stamp;
}

}  // namespace

std::string BackupFolder(const std::string& dir, const std::string& name) {
    return dir + "backup/" + name + "/";
}

std::optional<BackupGeneration> KeepGeneration(const std::string& dir, const std::string& name,
                                               const Moment& now, int keep) {
    std::vector<std::string> present;
    for (const std::string& file : LedgerFileNames(name)) {
        if (FileExists(dir + file)) present.push_back(file);
    }
    if (present.empty()) return std::nullopt;

    MakeFolder(dir + "backup");
    const std::string folder = BackupFolder(dir, name);
    MakeFolder(folder);

    std::vector<BackupGeneration> existing = Generations(folder);
    int sequence = 1;
    for (const BackupGeneration& g : existing) {
        const bool sameSecond = g.Taken.Day == now.Day && g.Taken.Hour == now.Hour &&
                                g.Taken.Minute == now.Minute && g.Taken.Second == now.Second;
        if (sameSecond) sequence = std::max(sequence, g.Sequence + 1);
    }
    const std::string stamp = Stamp(now, sequence);

    // Filled under a hidden name and renamed at the end, so a generation is never half there.
    const std::string scratch = folder + "." + stamp + ".tmp/";
    std::error_code ec;
    fs::remove_all(scratch, ec);
    MakeFolder(scratch.substr(0, scratch.size() - 1));
    try {
        // Copies, not second names: a generation must not follow an editor that rewrites a
        // ledger file in place. A generation is not synced: it is left to the system's
        // writeback, which keeps a save's cost near that of the save itself; a crash in the
        // seconds after a save can cost that newest generation, never the ledger or the
        // generations before it.
        for (const std::string& file : present) CopyFile(dir + file, scratch + file);
        const std::string target = folder + stamp;
        if (::rename(scratch.substr(0, scratch.size() - 1).c_str(), target.c_str()) != 0) {
            Fail(target, errno);
        }
    } catch (...) {
        fs::remove_all(scratch, ec);
        throw;
    }

    BackupGeneration made{folder + stamp + "/", now, sequence,
                          CountLines(folder + stamp + "/" + EntriesFileName(name))};
    existing.push_back(made);
    // Pruning is best effort: an old generation that stays behind harms nothing.
    const auto surplus = static_cast<ptrdiff_t>(existing.size()) - std::max(keep, 1);
    for (ptrdiff_t i = 0; i < surplus; ++i) fs::remove_all(existing[i].Path, ec);
    return made;
}

std::vector<BackupGeneration> ListGenerations(const std::string& dir, const std::string& name) {
    std::vector<BackupGeneration> found = Generations(BackupFolder(dir, name));
    std::reverse(found.begin(), found.end());
    for (BackupGeneration& g : found) g.Entries = CountLines(g.Path + EntriesFileName(name));
    return found;
}

std::string GenerationLabel(const BackupGeneration& g) {
    char text[64];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d:%02d", g.Taken.Day.Year,
                  g.Taken.Day.Month, g.Taken.Day.Day, g.Taken.Hour, g.Taken.Minute, g.Taken.Second);
    std::string label = text;
    if (g.Sequence > 1) {
        label += " (";
        label += std::to_string(g.Sequence);
        label += ')';
    }
    return label;
}

}  // namespace kakeibo
