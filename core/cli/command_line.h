// The program's arguments read into what it was asked to do.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/reports/csv.h"

namespace kakeibo {

// What the program was asked to do by its arguments.
enum class CommandAction {
    Window,   // the windows, with LedgerPath open when one is named
    Help,     // usage on standard output
    Version,  // the version on standard output
    Export,   // a sheet or the entry list as CSV, without a window
    Check,    // a ledger's load, reported without a window
    Import,   // a statement file's lines written into the ledger, or listed (DryRun)
    Error,    // a mistake in the arguments: Message on standard error
};

// What `--export` names besides the data sheet's kinds: the entry form's month list.
inline constexpr int kEntryListExport = -1;

struct CommandLine {
    CommandAction Action = CommandAction::Window;
    std::string LedgerPath;  // absolute; "" when none is named
    int Sheet = 0;           // a sheet kind, or kEntryListExport
    int Month = 0;           // 1..12
    int Day = 0;             // 1..31; 0 stands for the month's last day
    int Account = 0;         // the passbook's account, coded as the passbook choice codes it
    CsvEncoding Encoding = CsvEncoding::Cp932;
    std::string Output;         // absolute; "" for standard output
    std::string ImportFile;     // Import: the statement, absolute
    std::string ImportAccount;  // Import: 「項目/細目」 as the masters spell them, or ""
    int Days = -1;              // Import: the duplicate window; -1 for the remembered one
    bool DryRun = false;        // Import: list the lines, write nothing
    std::string Message;        // Error: one line naming what is wrong
};

// Reads the arguments that follow the program's name, in the manner of GNU programs
// ("--month 3", "--month=3", "-o FILE", "-oFILE", "--" ending the options). Qt's own options
// (-platform, -style, ...) are passed over with their values, so Qt still takes them; any
// other unknown option is an error. The ledger's and the output's paths are made absolute
// against `cwd`.
CommandLine ParseCommandLine(const std::vector<std::string>& args, const std::string& cwd);

// The sheet `--export` names: a data sheet's name as its list shows it, its number, or
// "list" for the entry list. Nothing for any other text.
std::optional<int> SheetFromArgument(std::string_view text);

std::string HelpText();
std::string VersionText(const std::string& version);

}  // namespace kakeibo
