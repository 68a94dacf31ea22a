#include "core/session/sync_copies.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "core/files/file_io.h"
#include "core/files/ledger_paths.h"
#include "core/money_in/recurring.h"

namespace kakeibo {

namespace {

namespace fs = std::filesystem;

constexpr SyncedFile kAllFiles[] = {SyncedFile::Entries,     SyncedFile::Balance,
                                    SyncedFile::Budget,      SyncedFile::ShopHistory,
                                    SyncedFile::MemoHistory, SyncedFile::ImportSettings,
                                    SyncedFile::Recurring};

// A service renames one file after another: a save's files may straddle a second or two.
constexpr int64_t kSameCopySeconds = 5;

// The file name split where a service puts its mark: before the extension.
struct StemAndExtension {
    std::string Stem;
    std::string Extension;
};

StemAndExtension Split(const std::string& fileName) {
    const size_t dot = fileName.rfind('.');
    return {fileName.substr(0, dot), fileName.substr(dot)};
}

// `count` digits at `at`, or -1.
int Digits(std::string_view text, size_t at, size_t count) {
    if (at + count > text.size()) return -1;
    int value = 0;
    for (size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// "YYYYMMDD-HHMMSS" (compact) or "YYYY-MM-DD HHMMSS" (spaced) filling all of `text`; with
// `withTime` false, "YYYY-MM-DD" alone.
std::optional<Moment> ParseWhen(std::string_view text, bool compact, bool withTime) {
    Moment m;
    size_t time = 0;
    if (compact) {
        if (text.size() != 15 || text[8] != '-') return std::nullopt;
        m.Day = Date{Digits(text, 0, 4), Digits(text, 4, 2), Digits(text, 6, 2)};
        time = 9;
    } else {
        if (text.size() != (withTime ? 17u : 10u) || text[4] != '-' || text[7] != '-') {
            return std::nullopt;
        }
        if (withTime && text[10] != ' ') return std::nullopt;
        m.Day = Date{Digits(text, 0, 4), Digits(text, 5, 2), Digits(text, 8, 2)};
        time = 11;
    }
    if (withTime) {
        m.Hour = Digits(text, time, 2);
        m.Minute = Digits(text, time + 2, 2);
        m.Second = Digits(text, time + 4, 2);
        if (m.Hour < 0 || m.Hour > 23 || m.Minute < 0 || m.Minute > 59 || m.Second < 0 ||
            m.Second > 60) {
            return std::nullopt;
        }
    }
    if (!IsValidDate(m.Day)) return std::nullopt;
    return m;
}

bool IsDeviceId(std::string_view text) {
    return text.size() == 7 && std::all_of(text.begin(), text.end(), [](char c) {
               return (c >= 'A' && c <= 'Z') || (c >= '2' && c <= '7');
           });
}

// A Windows computer name as OneDrive appends it: letters, digits and hyphens, never digits
// alone (so "kakei2025-2" stays a ledger of its own).
bool IsComputerName(std::string_view text) {
    if (text.empty() || text.size() > 15 || text.front() == '-' || text.back() == '-') {
        return false;
    }
    bool letter = false;
    for (const char c : text) {
        const bool alpha = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        if (!alpha && !(c >= '0' && c <= '9') && c != '-') return false;
        letter = letter || alpha;
    }
    return letter;
}

// Dropbox's "Taro's conflicted copy 2025-12-08" or "Taroの競合コピー 2025-12-08", each maybe
// followed by " (2)" for a further copy of the same day.
bool ParseDropbox(std::string_view mark, ConflictName& name) {
    for (const std::string_view infix :
         {std::string_view("'s conflicted copy "), std::string_view("の競合コピー ")}) {
        const size_t at = mark.find(infix);
        if (at == std::string_view::npos || at == 0) continue;
        std::string_view day = mark.substr(at + infix.size());
        if (day.size() > 10) {
            std::string_view more = day.substr(10);
            if (more.size() < 4 || more.substr(0, 2) != " (" || more.back() != ')') continue;
            more = more.substr(2, more.size() - 3);
            if (more.empty() || !std::all_of(more.begin(), more.end(),
                                             [](char c) { return c >= '0' && c <= '9'; })) {
                continue;
            }
            day = day.substr(0, 10);
        }
        const auto when = ParseWhen(day, false, false);
        if (!when) continue;
        name.Service = SyncService::Dropbox;
        name.When = when;
        name.Who = std::string(mark.substr(0, at));
        return true;
    }
    return false;
}

// What the service put between the original stem and extension, for each naming.
bool ParseMark(std::string_view mark, ConflictName& name) {
    // Syncthing: ".sync-conflict-20251208-101010-ABCDEFG"
    constexpr std::string_view syncthing = ".sync-conflict-";
    if (mark.substr(0, syncthing.size()) == syncthing) {
        const std::string_view rest = mark.substr(syncthing.size());
        if (rest.size() != 23 || rest[15] != '-' || !IsDeviceId(rest.substr(16))) return false;
        name.When = ParseWhen(rest.substr(0, 15), true, true);
        if (!name.When) return false;
        name.Service = SyncService::Syncthing;
        name.HasTime = true;
        name.Who = std::string(rest.substr(16));
        return true;
    }
    // ownCloud's older clients: "_conflict-20251208-101010"
    constexpr std::string_view owncloud = "_conflict-";
    if (mark.substr(0, owncloud.size()) == owncloud) {
        name.When = ParseWhen(mark.substr(owncloud.size()), true, true);
        if (!name.When) return false;
        name.Service = SyncService::OwnCloud;
        name.HasTime = true;
        return true;
    }
    if (mark.size() > 3 && mark.substr(0, 2) == " (" && mark.back() == ')') {
        const std::string_view inner = mark.substr(2, mark.size() - 3);
        // Nextcloud and ownCloud: "conflicted copy 2025-12-08 101010", newer clients with the
        // user before the date.
        constexpr std::string_view nextcloud = "conflicted copy ";
        if (inner.substr(0, nextcloud.size()) == nextcloud &&
            inner.size() >= nextcloud.size() + 17) {
            const std::string_view when = inner.substr(inner.size() - 17);
            std::string_view who =
                inner.substr(nextcloud.size(), inner.size() - 17 - nextcloud.size());
            if (!who.empty() && who.back() != ' ') return false;
            if (!who.empty()) who.remove_suffix(1);
            name.When = ParseWhen(when, false, true);
            if (!name.When) return false;
            name.Service = SyncService::Nextcloud;
            name.HasTime = true;
            name.Who = std::string(who);
            return true;
        }
        return ParseDropbox(inner, name);
    }
    // OneDrive: "-LAPTOP"
    if (mark.size() > 1 && mark[0] == '-' && IsComputerName(mark.substr(1))) {
        name.Service = SyncService::OneDrive;
        name.Who = std::string(mark.substr(1));
        return true;
    }
    return false;
}

std::optional<Moment> FileTime(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    std::tm local{};
    const time_t seconds = st.st_mtim.tv_sec;
    if (!::localtime_r(&seconds, &local)) return std::nullopt;
    return Moment{Date{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday}, local.tm_hour,
                  local.tm_min, local.tm_sec};
}

int64_t Seconds(const Moment& m) {
    return DayNumber(m.Day) * 86400 + m.Hour * 3600 + m.Minute * 60 + m.Second;
}

bool Before(const Moment& a, const Moment& b) {
    return Seconds(a) < Seconds(b);
}

std::string TwoDigits(int value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

}  // namespace

std::string SyncedFileName(SyncedFile file, const std::string& ledgerName) {
    switch (file) {
        case SyncedFile::Entries:
            return EntriesFileName(ledgerName);
        case SyncedFile::Balance:
            return BalanceFileName(ledgerName);
        case SyncedFile::Budget:
            return BudgetFileName(ledgerName);
        case SyncedFile::ShopHistory:
            return kShopHistoryFile;
        case SyncedFile::MemoHistory:
            return kMemoHistoryFile;
        case SyncedFile::ImportSettings:
            return kImportSettingsFile;
        case SyncedFile::Recurring:
            return kRecurringFile;
    }
    return {};
}

std::optional<ConflictName> ParseConflictName(const std::string& fileName,
                                              const std::string& ledgerName) {
    for (const SyncedFile file : kAllFiles) {
        const StemAndExtension original = Split(SyncedFileName(file, ledgerName));
        const size_t least = original.Stem.size() + original.Extension.size() + 2;
        if (fileName.size() < least ||
            fileName.compare(0, original.Stem.size(), original.Stem) != 0 ||
            fileName.compare(fileName.size() - original.Extension.size(), original.Extension.size(),
                             original.Extension) != 0) {
            continue;
        }
        const std::string_view mark =
            std::string_view(fileName).substr(original.Stem.size(), fileName.size() - least + 2);
        ConflictName name;
        name.File = file;
        name.FileName = fileName;
        if (ParseMark(mark, name)) return name;
    }
    return std::nullopt;
}

bool SyncCopy::HasLedgerFiles() const {
    return std::any_of(Files.begin(), Files.end(), [](const ConflictName& f) {
        return f.File == SyncedFile::Entries || f.File == SyncedFile::Balance ||
               f.File == SyncedFile::Budget;
    });
}

const ConflictName* SyncCopy::Find(SyncedFile file) const {
    for (const ConflictName& f : Files) {
        if (f.File == file) return &f;
    }
    return nullptr;
}

std::vector<SyncCopy> FindSyncCopies(const std::string& dataDir, const std::string& ledgerName) {
    struct Found {
        ConflictName Name;
        Moment When;
    };
    std::vector<Found> found;
    std::error_code ec;
    for (const auto& item : fs::directory_iterator(dataDir, ec)) {
        if (!item.is_regular_file(ec)) continue;
        const std::string fileName = item.path().filename().string();
        auto name = ParseConflictName(fileName, ledgerName);
        if (!name) continue;
        if (name->Service == SyncService::OneDrive && name->File == SyncedFile::Entries) {
            // "kakei2025-HOME.nbd" beside "kakei2025-HOMEr.dat" is the ledger kakei2025-HOME.
            const std::string other = Split(fileName).Stem;
            if (FileExists(dataDir + BalanceFileName(other)) ||
                FileExists(dataDir + BudgetFileName(other))) {
                continue;
            }
        }
        const auto mtime = FileTime(dataDir + fileName);
        if (!mtime && !name->HasTime) continue;
        Moment when = mtime.value_or(Moment{});
        if (name->HasTime) when = *name->When;
        found.push_back({std::move(*name), when});
    }
    std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
        if (Seconds(a.When) != Seconds(b.When)) return Before(a.When, b.When);
        return a.Name.FileName < b.Name.FileName;
    });
    std::vector<SyncCopy> copies;
    for (Found& f : found) {
        SyncCopy* into = nullptr;
        for (SyncCopy& copy : copies) {
            if (copy.Service == f.Name.Service && copy.Who == f.Name.Who &&
                Seconds(f.When) - Seconds(copy.When) <= kSameCopySeconds &&
                !copy.Find(f.Name.File)) {
                into = &copy;
            }
        }
        if (!into) {
            copies.push_back(SyncCopy{f.Name.Service, f.Name.Who, f.When, {}});
            into = &copies.back();
        }
        if (Before(into->When, f.When)) into->When = f.When;
        into->Files.push_back(std::move(f.Name));
    }
    return copies;
}

std::string SyncCopyQuestion(const SyncCopy& copy, const std::string& ledgerName) {
    const std::string of =
        copy.HasLedgerFiles() ? ledgerName : SyncedFileName(copy.Files.front().File, ledgerName);
    const Moment& w = copy.When;
    std::string text = "別のパソコンで保存された変更（" + of + " の競合コピー、" +
                       std::to_string(w.Day.Year) + "/" + TwoDigits(w.Day.Month) + "/" +
                       TwoDigits(w.Day.Day) + " " + TwoDigits(w.Hour) + ":" + TwoDigits(w.Minute);
    if (!copy.Who.empty()) text += "、" + copy.Who;
    return text + "）を取り込みますか？";
}

}  // namespace kakeibo
