#include "core/cli/batch.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <ostream>

#include "core/cli/import_command.h"
#include "core/errors.h"
#include "core/files/backup.h"
#include "core/files/file_io.h"
#include "core/files/group_write.h"
#include "core/files/ledger_files.h"
#include "core/files/ledger_paths.h"
#include "core/files/settings_file.h"
#include "core/reports/entry_list.h"
#include "core/reports/sheets.h"
#include "core/version.h"

namespace kakeibo {

namespace {

constexpr const char* kProgram = "kakeibo: ";
// Only the window layout's defaults depend on it, and nothing here shows a window.
constexpr int kNoScreenHeight = 768;

Date LocalToday() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    return Date{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

TextTable SheetTexts(const SheetGrid& grid) {
    TextTable rows(static_cast<size_t>(grid.RowCount()));
    for (int r = 0; r < grid.RowCount(); ++r) {
        rows[r].reserve(static_cast<size_t>(grid.ColumnCount()));
        for (int c = 0; c < grid.ColumnCount(); ++c) rows[r].push_back(grid.Cell(r, c));
    }
    return rows;
}

// Loads the command's ledger; a refusal is reported on `err` and ends the command with 1.
bool LoadReporting(Ledger& ledger, const CommandLine& command, const ProcessSetup& setup,
                   std::ostream& report, bool prefixed) {
    const QuietLoad load = LoadWithoutWriting(ledger, setup, command.LedgerPath);
    const std::string prefix = prefixed ? kProgram : "";
    for (const Notice& warning : load.Warnings)
        report << prefix << "警告: " << warning.Text << '\n';
    if (load.Refusal) {
        report << prefix << "読み込めません: " << *load.Refusal << '\n';
        return false;
    }
    return true;
}

bool EndsWith(const std::string& s, std::string_view tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// A name the program writes in its folders (any data file, the settings, the journals and
// the old ones kept aside, the locks, the save records, the scratch files).
bool ProgramFileName(const std::string& name) {
    for (const std::string_view tail :
         {std::string_view(kEntriesExtension), std::string_view(".dat"), std::string_view(".ini"),
          std::string_view(kJournalSuffix), std::string_view(kAsideSuffix),
          std::string_view(kLockSuffix), std::string_view(".save"), std::string_view(".tmp")}) {
        if (EndsWith(name, tail)) return true;
    }
    return false;
}

bool SameIdentity(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The real path of an existing file or folder; "" when it has none.
std::string RealPath(const std::string& path) {
    char* real = ::realpath(path.c_str(), nullptr);
    if (real == nullptr) return {};
    std::string text(real);
    std::free(real);
    return text;
}

// True when a program's file in `folder` is the file `target` is.
bool HeldInFolder(const std::string& folder, const struct stat& target) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return false;
    bool found = false;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        struct stat st {};
        if (ProgramFileName(name) && ::stat((folder + "/" + name).c_str(), &st) == 0 &&
            SameIdentity(st, target)) {
            found = true;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

int Export(const CommandLine& command, const ProcessSetup& setup, std::ostream& out,
           std::ostream& err) {
    auto ledger = std::make_unique<Ledger>();
    if (!LoadReporting(*ledger, command, setup, err, true)) return 1;
    const int year = LedgerYear(*ledger, setup.Today.Year);
    const int days = DaysInMonth(year, command.Month);
    if (command.Day > days) {
        err << kProgram << year << " 年 " << command.Month << " 月に " << command.Day
            << " 日はありません\n";
        return 2;
    }
    InitLedgerState(*ledger, Date{year, command.Month, command.Day != 0 ? command.Day : days});
    OutputPlace place;
    if (!command.Output.empty()) {
        const ProgramFolders folders =
            ChooseProgramFolders(setup.ExeDir, setup.SharedDir, setup.ExeDirWritable, setup.Env);
        try {
            place = CheckOutputPath(
                command.Output, {ledger->DataDir, folders.ProgramDir, folders.DefaultDataDir},
                {BackupFolder(ledger->DataDir, ""), folders.ProgramDir + kFallbackJournalFolder});
        } catch (const LedgerError& e) {
            err << kProgram << e.what() << '\n';
            return 2;
        }
    }
    const TextTable table = ExportTable(*ledger, command.Sheet, command.Account);
    try {
        const std::string bytes =
            CsvBytes(table, command.Encoding, command.Output.empty() ? "標準出力" : command.Output);
        if (place.InPlace) {
            const int fd = ::open(place.Path.c_str(), O_WRONLY | O_CLOEXEC);
            int error = fd < 0 ? errno : 0;
            if (fd >= 0 && !WriteAll(fd, bytes, error))
                ::close(fd);
            else if (fd >= 0 && ::close(fd) != 0)
                error = errno;
            if (error != 0) {
                throw LedgerError("ファイル「" + command.Output + "」に書き込めませんでした。" +
                                  FileErrorReason(error));
            }
            return 0;
        }
        if (!place.Path.empty()) {
            WriteFileAtomic(place.Path, bytes, true, NewFileAccess::FollowUmask);
            return 0;
        }
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) throw LedgerError("標準出力に書き込めませんでした。");
    } catch (const LedgerError& e) {
        err << kProgram << e.what() << '\n';
        return 1;
    }
    return 0;
}

int Check(const CommandLine& command, const ProcessSetup& setup, std::ostream& out) {
    auto ledger = std::make_unique<Ledger>();
    if (!LoadReporting(*ledger, command, setup, out, false)) return 1;
    int entries = 0;
    for (int month = 1; month <= kMonthCount; ++month) entries += ledger->GetIndex(month);
    out << command.LedgerPath << ": 読み込めます（明細 " << entries << " 件）\n";
    return 0;
}

}  // namespace

OutputPlace CheckOutputPath(const std::string& path, const std::vector<std::string>& folders,
                            const std::vector<std::string>& wholeFolders) {
    const auto refuse = [&](const std::string& why) {
        return LedgerError("「" + path + "」" + why + "ので、書き出し先にできません");
    };
    OutputPlace place;
    struct stat st {};
    const bool exists = ::stat(path.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) {
        if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode) || S_ISFIFO(st.st_mode)) {
            return OutputPlace{path, true};
        }
        throw refuse(S_ISDIR(st.st_mode) ? "はフォルダな" : "は通常のファイルではない");
    }
    // The file itself, or where a new one would be made: a link is followed to its target.
    const size_t slash = path.rfind('/');
    const std::string name = path.substr(slash + 1);
    std::string real;
    if (exists) {
        real = RealPath(path);
    } else {
        const std::string folder = RealPath(slash == 0 ? "/" : path.substr(0, slash));
        if (!folder.empty()) real = (folder == "/" ? "" : folder) + "/" + name;
    }
    if (real.empty()) return OutputPlace{path, false};  // the write names what is missing
    const size_t realSlash = real.rfind('/');
    const std::string realFolder = real.substr(0, realSlash == 0 ? 1 : realSlash);
    const std::string realName = real.substr(realSlash + 1);

    const std::string owned = "はこのプログラムのファイルな";
    for (const std::string& whole : wholeFolders) {
        const std::string root = RealPath(whole);
        if (!root.empty() && real.compare(0, root.size() + 1, root + "/") == 0) throw refuse(owned);
    }
    struct stat folderStat {};
    const bool folderKnown = ::stat(realFolder.c_str(), &folderStat) == 0;
    for (const std::string& folder : folders) {
        struct stat held {};
        if (folder.empty() || ::stat(folder.c_str(), &held) != 0) continue;
        if (folderKnown && SameIdentity(held, folderStat) && ProgramFileName(realName)) {
            throw refuse(owned);
        }
        // The same file under another name (a hard link) is still the program's.
        if (exists && HeldInFolder(folder, st)) throw refuse(owned);
    }
    place.Path = real;
    return place;
}

ProcessSetup CurrentProcessSetup() {
    ProcessSetup setup;
    setup.ExeDir = RunningProgramDir();
    setup.SharedDir = InstalledSharedDir(setup.ExeDir);
    setup.ExeDirWritable = IsWritableDirectory(setup.ExeDir);
    setup.Env = ProcessEnvironment();
    setup.Today = LocalToday();
    setup.Version = kVersion;
    return setup;
}

QuietLoad LoadWithoutWriting(Ledger& ledger, const ProcessSetup& setup, const std::string& path) {
    QuietLoad result;
    // The folders as the window would choose them, without preparing any of them.
    const ProgramFolders folders =
        ChooseProgramFolders(setup.ExeDir, setup.SharedDir, setup.ExeDirWritable, setup.Env);
    SetStartupDefaults(ledger, kNoScreenHeight);
    ledger.ExeDir = folders.ProgramDir;
    ledger.IniPath = folders.ProgramDir + kSettingsFile;
    if (FileExists(ledger.IniPath)) {
        try {
            ReadSettingsFile(ledger, ledger.IniPath);
        } catch (const LedgerError& e) {
            result.Warnings.push_back({NoticeKind::Error, e.what()});
        }
    }
    // A first start would copy the shipped masters; they are read where they lie instead.
    ReadMasters(ledger, folders.ProgramDir, folders.MastersSource, result.Warnings);

    std::string dir;
    std::string name;
    SplitLedgerPath(path, dir, name);
    ledger.DataDir = dir;
    try {
        const LoadResult load = MonthLoad(ledger, dir, name);
        if (!load.Loaded) {
            // The one name a load passes over silently is still a file that is not there.
            const std::string file = dir + EntriesFileName(name);
            const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
            const int error = fd < 0 ? errno : 0;
            struct stat st {};
            const bool folder = fd >= 0 && ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode);
            if (fd >= 0) ::close(fd);
            if (folder || (error != 0 && error != ENOENT)) {
                // A file that is there but cannot be read says why.
                result.Refusal = "ファイル「" + file + "」を読み込めません。" +
                                 FileErrorReason(folder ? EISDIR : error);
            } else if (load.Message) {
                result.Refusal = load.Message->Text;
            } else {
                result.Refusal = "ファイル名" + EntriesFileName(name) + "は見つかりませんでした。";
            }
        }
    } catch (const LedgerError& e) {
        result.Refusal = e.what();
    }
    ledger.LedgerName = name;
    return result;
}

int LedgerYear(const Ledger& ledger, int fallback) {
    for (const auto& month : ledger.EntryTable) {
        if (month[0].Amount != 0 && month[0].Year != 0) return month[0].Year;
    }
    return fallback;
}

TextTable ExportTable(Ledger& ledger, int sheet, int account) {
    if (sheet == kEntryListExport) return EntryListTable(ledger);
    SheetState state;
    state.SheetKind = sheet;
    state.PassbookChoice = account;
    return SheetTexts(FillSheet(ledger, sheet, state));
}

int RunWithoutWindow(const CommandLine& command, const ProcessSetup& setup, std::ostream& out,
                     std::ostream& err) {
    switch (command.Action) {
        case CommandAction::Help:
            out << HelpText();
            return out.flush() ? 0 : 1;
        case CommandAction::Version:
            out << VersionText(setup.Version);
            return out.flush() ? 0 : 1;
        case CommandAction::Export:
            return Export(command, setup, out, err);
        case CommandAction::Check:
            return Check(command, setup, out);
        case CommandAction::Import:
            return RunImport(command, setup, out, err);
        case CommandAction::Error:
            err << command.Message << '\n';
            return 2;
        case CommandAction::Window:
            break;
    }
    return 0;
}

}  // namespace kakeibo
