#include "core/files/backup.h"

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
#include "core/files/ledger_paths.h"

namespace kakeibo {

namespace {

namespace fs = std::filesystem;

// Beside the generations: what the last save wrote, and when.
constexpr const char* kSaveNote = "last-save";
// Inside a generation: when the save that wrote its files ran.
constexpr const char* kSavedNote = "saved";

[[noreturn]] void Fail(const std::string& path, int error) {
    throw LedgerError("バックアップ「" + path + "」を作成できませんでした。" +
                      FileErrorReason(error) + "。保存は行われていません。");
}

void MakeFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0700) == 0) {
        ::chmod(path.c_str(), 0700);  // whatever the umask
        return;
    }
    if (errno != EEXIST) Fail(path, errno);
    if (!DirectoryExists(path)) Fail(path, ENOTDIR);
}

// The whole file, or nothing when it does not exist.
std::optional<std::string> ReadIfThere(const std::string& path) {
    const int in = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        if (errno == ENOENT) return std::nullopt;
        Fail(path, errno);
    }
    std::string bytes;
    int error = 0;
    const bool read = ReadAll(in, bytes, error);
    ::close(in);
    if (!read) Fail(path, error);
    return bytes;
}

// A note or a generation's file that cannot be read counts as not there.
std::optional<std::string> TryRead(const std::string& path) {
    try {
        return ReadIfThere(path);
    } catch (const LedgerError&) {
        return std::nullopt;
    }
}

void WritePrivate(const std::string& path, const std::string& bytes) {
    int error = 0;
    const int out = CreateDurableFile(path, bytes, 0600, false, error);
    if (out < 0 || (::close(out) != 0 && (error = errno) != 0)) Fail(path, error);
}

std::string Stamp(const Moment& m) {
    char text[40];
    std::snprintf(text, sizeof text, "%04d%02d%02d-%02d%02d%02d", m.Day.Year, m.Day.Month,
                  m.Day.Day, m.Hour, m.Minute, m.Second);
    return text;
}

// "YYYYMMDD-HHMMSS" at `from` of `text`.
std::optional<Moment> ParseStamp(const std::string& text, size_t from) {
    auto digits = [&text](size_t at, size_t count) {
        int value = 0;
        for (size_t i = at; i < at + count; ++i) {
            if (i >= text.size() || text[i] < '0' || text[i] > '9') return -1;
            value = value * 10 + (text[i] - '0');
        }
        return value;
    };
    if (text.size() < from + 15 || text[from + 8] != '-') return std::nullopt;
    Moment m{Date{digits(from, 4), digits(from + 4, 2), digits(from + 6, 2)}, digits(from + 9, 2),
             digits(from + 11, 2), digits(from + 13, 2)};
    if (m.Day.Year < 0 || m.Day.Month < 0 || m.Day.Day < 0 || m.Hour < 0 || m.Minute < 0 ||
        m.Second < 0) {
        return std::nullopt;
    }
    return m;
}

bool AllDigits(const std::string& text) {
    return !text.empty() && text.size() <= 18 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "<made>-YYYYMMDD-HHMMSS", or the older "YYYYMMDD-HHMMSS[-n]"; anything else is not ours.
std::optional<BackupGeneration> ParseGeneration(const std::string& folder,
                                                const std::string& entry) {
    BackupGeneration g;
    const size_t dash = entry.find('-');
    if (dash == std::string::npos) return std::nullopt;
    const std::string head = entry.substr(0, dash);
    if (!AllDigits(head)) return std::nullopt;
    if (entry.size() == dash + 16 && entry.find('-', dash + 1) == dash + 9) {
        const auto taken = ParseStamp(entry, dash + 1);
        if (!taken) return std::nullopt;
        g.Made = std::stoll(head);
        if (g.Made < 1) return std::nullopt;
        g.Taken = *taken;
    } else {
        const auto taken = ParseStamp(entry, 0);
        if (!taken || dash != 8) return std::nullopt;
        g.Taken = *taken;
        if (entry.size() > 15) {
            const std::string n = entry.substr(16);
            if (entry[15] != '-' || n.size() > 4 || !AllDigits(n)) return std::nullopt;
            g.SameSecond = std::stoi(n);
            if (g.SameSecond < 2) return std::nullopt;
        }
    }
    g.Path = folder + entry + "/";
    return g;
}

bool MadeBefore(const BackupGeneration& a, const BackupGeneration& b) {
    const auto key = [](const BackupGeneration& g) {
        return std::tuple(g.Made, g.Taken.Day, g.Taken.Hour, g.Taken.Minute, g.Taken.Second,
                          g.SameSecond);
    };
    return key(a) < key(b);
}

// Oldest first, in the order of making.
std::vector<BackupGeneration> Generations(const std::string& folder) {
    std::vector<BackupGeneration> found;
    std::error_code ec;
    for (const auto& item : fs::directory_iterator(folder, ec)) {
        if (!item.is_directory(ec)) continue;
        if (auto g = ParseGeneration(folder, item.path().filename().string())) {
            found.push_back(std::move(*g));
        }
    }
    std::sort(found.begin(), found.end(), MadeBefore);
    return found;
}

int CountLines(const std::string& path) {
    const std::optional<std::string> bytes = TryRead(path);
    if (!bytes) return 0;
    const int lines = static_cast<int>(std::count(bytes->begin(), bytes->end(), '\n'));
    return bytes->empty() || bytes->back() == '\n' ? lines : lines + 1;
}

// Size and FNV-1a of a file's bytes, "-" for a file that is not there.
std::string Fingerprint(const std::optional<std::string>& bytes) {
    if (!bytes) return "-";
    uint64_t hash = 14695981039346656037ULL;
    for (const char c : *bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ULL;
    }
    char text[48];
    std::snprintf(text, sizeof text, "%zu %016llx", bytes->size(),
                  static_cast<unsigned long long>(hash));
    return text;
}

// The save note's lines: the save's time, then a fingerprint per ledger file.
std::string SaveNote(const Moment& savedAt, const std::vector<std::optional<std::string>>& files) {
    std::string note = Stamp(savedAt) + "\r\n";
    for (const auto& bytes : files) note += Fingerprint(bytes) + "\r\n";
    return note;
}

// When the files, as they are, were saved: the save note's time when it describes them.
std::optional<Moment> SavedAt(const std::optional<std::string>& note,
                              const std::vector<std::optional<std::string>>& files) {
    if (!note) return std::nullopt;
    const auto saved = ParseStamp(*note, 0);
    if (!saved || *note != SaveNote(*saved, files)) return std::nullopt;
    return saved;
}

int64_t NextMade(const std::vector<BackupGeneration>& existing) {
    int64_t made = 1;
    for (const BackupGeneration& g : existing) made = std::max(made, g.Made + 1);
    return made;
}

// Fills a hidden folder and renames it to `folder` + `entry` at the end, so a generation is
// never half there.
template <typename Fill>
void MakeWhole(const std::string& folder, const std::string& entry, Fill fill) {
    const std::string scratch = folder + "." + entry + ".tmp/";
    std::error_code ec;
    fs::remove_all(scratch, ec);
    MakeFolder(scratch.substr(0, scratch.size() - 1));
    try {
        fill(scratch);
        const std::string target = folder + entry;
        if (::rename(scratch.substr(0, scratch.size() - 1).c_str(), target.c_str()) != 0) {
            Fail(target, errno);
        }
    } catch (...) {
        fs::remove_all(scratch, ec);
        throw;
    }
}

// Removes all but the `keep` generations made last. Best effort: an old generation that
// stays behind harms nothing.
void Prune(const std::vector<BackupGeneration>& oldestFirst, int keep) {
    std::error_code ec;
    const auto surplus = static_cast<ptrdiff_t>(oldestFirst.size()) - std::max(keep, 1);
    for (ptrdiff_t i = 0; i < surplus; ++i) fs::remove_all(oldestFirst[i].Path, ec);
}

// The ledger files in a generation (or any folder), nothing for those not there.
std::vector<std::optional<std::string>> ReadLedgerFiles(const std::string& folder,
                                                        const std::vector<std::string>& names) {
    std::vector<std::optional<std::string>> files;
    for (const std::string& file : names) files.push_back(TryRead(folder + file));
    return files;
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat sa {};
    struct stat sb {};
    return ::lstat(a.c_str(), &sa) == 0 && ::lstat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

}  // namespace

std::string BackupFolder(const std::string& dir, const std::string& name) {
    return dir + "backup/" + name + "/";
}

std::optional<BackupGeneration> KeepGeneration(const std::string& dir, const std::string& name,
                                               const Moment& now, int keep) {
    const std::vector<std::string> names = LedgerFileNames(name);
    std::vector<std::optional<std::string>> files;
    for (const std::string& file : names) files.push_back(ReadIfThere(dir + file));
    if (std::none_of(files.begin(), files.end(), [](const auto& f) { return f.has_value(); })) {
        return std::nullopt;
    }

    MakeFolder(dir + "backup");
    const std::string folder = BackupFolder(dir, name);
    MakeFolder(folder);

    std::vector<BackupGeneration> existing = Generations(folder);
    if (!existing.empty() && ReadLedgerFiles(existing.back().Path, names) == files) {
        return std::nullopt;
    }
    const int64_t made = NextMade(existing);
    const std::string entry = std::to_string(made) + "-" + Stamp(now);
    const std::optional<Moment> saved = SavedAt(TryRead(folder + kSaveNote), files);

    // Copies, not second names: the files stay (a restore keeps the state it leaves), and a
    // generation must not follow an editor that rewrites one in place. A generation is not synced:
    // it is left to the system's writeback, which keeps a save's cost near that of the save itself;
    // a crash in the seconds after a save can cost that newest generation, never the ledger or the
    // generations before it.
    MakeWhole(folder, entry, [&](const std::string& scratch) {
        for (size_t i = 0; i < names.size(); ++i) {
            if (files[i]) WritePrivate(scratch + names[i], *files[i]);
        }
        if (saved) WritePrivate(scratch + kSavedNote, Stamp(*saved) + "\r\n");
    });

    BackupGeneration g;
    g.Path = folder + entry + "/";
    g.Made = made;
    g.Taken = now;
    g.Saved = saved;
    g.Entries = CountLines(g.Path + EntriesFileName(name));
    existing.push_back(g);
    Prune(existing, keep);
    return g;
}

PendingBackup LinkGeneration(const std::string& dir, const std::string& name, const Moment& now) {
    PendingBackup pending;
    pending.Dir = dir;
    pending.Name = name;
    pending.SavedAt = now;
    const std::vector<std::string> names = LedgerFileNames(name);
    std::vector<std::optional<struct stat>> found(names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        struct stat st {};
        if (::lstat((dir + names[i]).c_str(), &st) == 0) {
            found[i] = st;
        } else if (errno != ENOENT) {
            Fail(dir + names[i], errno);
        }
    }
    if (std::none_of(found.begin(), found.end(), [](const auto& f) { return f.has_value(); })) {
        return pending;
    }

    MakeFolder(dir + "backup");
    const std::string folder = BackupFolder(dir, name);
    MakeFolder(folder);
    const int64_t made = NextMade(Generations(folder));
    const std::string entry = std::to_string(made) + "-" + Stamp(now);
    // Read now: the save's own note replaces it.
    pending.PreviousNote = TryRead(folder + kSaveNote);

    // Second names are safe only because the save renames new files over these: nothing of
    // ours writes a ledger file in place, so the generation's files never change after it.
    // A file with other names already could be written through one of them; it is copied.
    MakeWhole(folder, entry, [&](const std::string& scratch) {
        for (size_t i = 0; i < names.size(); ++i) {
            if (!found[i]) continue;
            const std::string from = dir + names[i];
            const std::string to = scratch + names[i];
            if (S_ISREG(found[i]->st_mode) && found[i]->st_nlink == 1 &&
                ::link(from.c_str(), to.c_str()) == 0) {
                continue;
            }
            if (const auto bytes = ReadIfThere(from)) WritePrivate(to, *bytes);
        }
    });
    BackupGeneration g;
    g.Path = folder + entry + "/";
    g.Made = made;
    g.Taken = now;
    pending.Made = g;
    return pending;
}

void DropUnusedGeneration(const PendingBackup& pending) {
    if (!pending.Made) return;
    for (const std::string& file : LedgerFileNames(pending.Name)) {
        const std::string kept = pending.Made->Path + file;
        const bool there = ::access(kept.c_str(), F_OK) == 0;
        if (there != FileExists(pending.Dir + file)) return;
        if (there && !SameFile(kept, pending.Dir + file)) return;
    }
    std::error_code ec;
    fs::remove_all(pending.Made->Path, ec);
}

void FinishBackup(const PendingBackup& pending, int keep) {
    try {
        const std::string folder = BackupFolder(pending.Dir, pending.Name);
        bool kept = false;
        if (pending.Made) {
            const std::string& path = pending.Made->Path;
            const std::vector<std::string> names = LedgerFileNames(pending.Name);
            const std::vector<std::optional<std::string>> files = ReadLedgerFiles(path, names);
            const std::vector<BackupGeneration> existing = Generations(folder);
            const auto self =
                std::find_if(existing.begin(), existing.end(),
                             [&](const BackupGeneration& g) { return g.Path == path; });
            // Repeated saves of one state must not push older states out.
            if (self != existing.end() && self != existing.begin() &&
                ReadLedgerFiles(std::prev(self)->Path, names) == files) {
                std::error_code ec;
                fs::remove_all(path, ec);
            } else if (self != existing.end()) {
                kept = true;
                if (const auto saved = SavedAt(pending.PreviousNote, files)) {
                    try {
                        WritePrivate(path + kSavedNote, Stamp(*saved) + "\r\n");
                    } catch (const LedgerError&) {
                        // Without it the generation is named by the time it was made.
                    }
                }
                // A household's history is the user's alone, whatever mode the ledger had.
                for (const std::string& file : names) {
                    struct stat st {};
                    const std::string copy = path + file;
                    if (::lstat(copy.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
                        st.st_nlink == 1 && (st.st_mode & 07777) != 0600) {
                        ::chmod(copy.c_str(), 0600);
                    }
                }
            }
        }
        RecordSave(pending.Dir, pending.Name, pending.SavedAt, pending.Written);
        if (kept) Prune(Generations(folder), keep);
    } catch (...) {
        // Best effort: the save itself has landed.
    }
}

void RecordSave(const std::string& dir, const std::string& name, const Moment& savedAt,
                const std::vector<GroupFile>& written) {
    std::vector<std::optional<std::string>> files;
    for (const std::string& file : LedgerFileNames(name)) {
        const auto found = std::find_if(written.begin(), written.end(),
                                        [&](const GroupFile& g) { return g.Path == dir + file; });
        files.push_back(found != written.end() ? std::optional(found->Bytes) : std::nullopt);
    }
    try {
        MakeFolder(dir + "backup");
        MakeFolder(BackupFolder(dir, name));
        WriteFileAtomic(BackupFolder(dir, name) + kSaveNote, SaveNote(savedAt, files), false);
    } catch (const LedgerError&) {
        // Without the note the next generation is named by the time it is made.
    }
}

std::vector<BackupGeneration> ListGenerations(const std::string& dir, const std::string& name) {
    std::vector<BackupGeneration> found = Generations(BackupFolder(dir, name));
    std::vector<std::string> labels;
    for (BackupGeneration& g : found) {
        g.Entries = CountLines(g.Path + EntriesFileName(name));
        if (auto note = TryRead(g.Path + kSavedNote)) g.Saved = ParseStamp(*note, 0);
        const std::string label = GenerationLabel(g);
        g.Repeat = 1 + static_cast<int>(std::count(labels.begin(), labels.end(), label));
        labels.push_back(label);
    }
    std::reverse(found.begin(), found.end());
    return found;
}

std::string GenerationLabel(const BackupGeneration& g) {
    const Moment& m = g.Saved ? *g.Saved : g.Taken;
    char text[64];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d:%02d", m.Day.Year, m.Day.Month,
                  m.Day.Day, m.Hour, m.Minute, m.Second);
    std::string label = text;
    if (!g.Saved) label += " の保存の直前";
    if (g.Repeat > 1) label += " (" + std::to_string(g.Repeat) + ")";
    return label;
}

}  // namespace kakeibo
