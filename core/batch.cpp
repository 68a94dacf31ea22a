#include "core/batch.h"

#include <ctime>
#include <memory>
#include <ostream>

#include "core/entry_list.h"
#include "core/errors.h"
#include "core/file_io.h"
#include "core/group_write.h"
#include "core/import_command.h"
#include "core/ledger_files.h"
#include "core/ledger_paths.h"
#include "core/settings_file.h"
#include "core/sheets.h"
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
    const TextTable table = ExportTable(*ledger, command.Sheet, command.Account);
    try {
        const std::string bytes =
            CsvBytes(table, command.Encoding, command.Output.empty() ? "標準出力" : command.Output);
        if (!command.Output.empty()) {
            WriteFileAtomic(command.Output, bytes, true, NewFileAccess::FollowUmask);
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
            result.Refusal =
                load.Message ? load.Message->Text
                             : "ファイル名" + EntriesFileName(name) + "は見つかりませんでした。";
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
