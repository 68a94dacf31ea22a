#include "core/cli/command_line.h"

#include <filesystem>

#include "core/money_in/statement_import.h"
#include "core/reports/sheets.h"

namespace kakeibo {

namespace {

constexpr const char* kProgram = "kakeibo";

// The options Qt takes out of the arguments itself (QGuiApplication, QApplication and the
// xcb platform), with one dash or two.
struct QtOption {
    std::string_view Name;
    bool TakesValue;
};
constexpr QtOption kQtOptions[] = {
    {"platform", true},
    {"platformpluginpath", true},
    {"platformtheme", true},
    {"plugin", true},
    {"qwindowgeometry", true},
    {"qwindowicon", true},
    {"qwindowtitle", true},
    {"geometry", true},
    {"title", true},
    {"icon", true},
    {"session", true},
    {"style", true},
    {"stylesheet", true},
    {"display", true},
    {"name", true},
    {"visual", true},
    {"reverse", false},
    {"testability", false},
    {"widgetcount", false},
    {"qdevel", false},
    {"qdebug", false},
    {"nograb", false},
    {"dograb", false},
};
// Qt's options that carry their value after "=".
constexpr std::string_view kQtValuePrefixes[] = {"style=", "stylesheet=", "qmljsdebugger="};

const QtOption* FindQtOption(std::string_view arg) {
    std::string_view name = arg.substr(arg.starts_with("--") ? 2 : 1);
    for (std::string_view prefix : kQtValuePrefixes) {
        if (name.starts_with(prefix)) {
            static constexpr QtOption kWithValue{"", false};
            return &kWithValue;
        }
    }
    for (const QtOption& option : kQtOptions) {
        if (option.Name == name) return &option;
    }
    return nullptr;
}

// Our own options; `-o` is the one short form.
enum class Option {
    Help,
    Version,
    Export,
    Check,
    Import,
    Month,
    Day,
    Encoding,
    Account,
    Days,
    DryRun,
    Output
};
struct OwnOption {
    std::string_view Name;
    Option Id;
    bool TakesValue;
};
constexpr OwnOption kOwnOptions[] = {
    {"help", Option::Help, false},
    {"version", Option::Version, false},
    {"export", Option::Export, true},
    {"check", Option::Check, false},
    {"month", Option::Month, true},
    {"day", Option::Day, true},
    {"encoding", Option::Encoding, true},
    {"account", Option::Account, true},
    {"import", Option::Import, true},
    {"days", Option::Days, true},
    {"dry-run", Option::DryRun, false},
    // Last: `-o` is its short form.
    {"output", Option::Output, true},
};

std::optional<int> SmallNumber(std::string_view text) {
    if (text.empty() || text.size() > 4) return std::nullopt;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

CommandLine Failure(std::string text) {
    CommandLine command;
    command.Action = CommandAction::Error;
    command.Message =
        std::string(kProgram) + ": " + std::move(text) + "（使い方は " + kProgram + " --help）";
    return command;
}

std::string Quoted(std::string_view text) {
    // Appended piece by piece: g++ 12's optimiser warns (wrongly) of an overlapping copy in
    // "'" + std::string(text), and the release build treats warnings as errors.
    std::string quoted;
    quoted.reserve(text.size() + 2);
    quoted += '\'';
    quoted += text;
    quoted += '\'';
    return quoted;
}

}  // namespace

std::optional<int> SheetFromArgument(std::string_view text) {
    if (text == "list") return kEntryListExport;
    for (int kind = 0; kind < kSheetKindCount; ++kind) {
        if (text == SheetName(kind)) return kind;
    }
    const std::optional<int> number = SmallNumber(text);
    if (number && *number < kSheetKindCount) return number;
    return std::nullopt;
}

CommandLine ParseCommandLine(const std::vector<std::string>& args, const std::string& cwd) {
    CommandLine command;
    bool exporting = false;
    bool checking = false;
    bool importing = false;
    std::vector<std::string_view> exportOnly;  // options that only an export takes
    std::vector<std::string_view> importOnly;  // options that only an import takes
    bool accountGiven = false;
    std::vector<std::string_view> positional;
    bool optionsEnded = false;

    for (size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (const QtOption* qt = FindQtOption(arg)) {
            if (qt->TakesValue) ++i;
            continue;
        }

        // Find our own option and its value, if it takes one.
        const OwnOption* own = nullptr;
        std::optional<std::string_view> value;
        if (arg.starts_with("--")) {
            std::string_view name = arg.substr(2);
            const size_t eq = name.find('=');
            if (eq != std::string_view::npos) {
                value = name.substr(eq + 1);
                name = name.substr(0, eq);
            }
            for (const OwnOption& option : kOwnOptions) {
                if (option.Name == name) own = &option;
            }
            if (own == nullptr) return Failure("不明なオプション " + Quoted(arg) + " です");
            if (!own->TakesValue && value) {
                return Failure("オプション " + Quoted("--" + std::string(name)) +
                               " は値を取りません");
            }
        } else if (arg[1] == 'o') {
            own = &kOwnOptions[std::size(kOwnOptions) - 1];
            if (arg.size() > 2) value = arg.substr(2);
        } else {
            return Failure("不明なオプション " + Quoted(arg) + " です");
        }
        if (own->TakesValue && !value) {
            if (i + 1 >= args.size()) {
                return Failure("オプション " + Quoted(arg) + " には値が必要です");
            }
            value = args[++i];
        }

        auto number = [&](int low, int high) -> std::optional<int> {
            const std::optional<int> n = SmallNumber(*value);
            if (n && *n >= low && *n <= high) return n;
            return std::nullopt;
        };
        switch (own->Id) {
            case Option::Help:
                command.Action = CommandAction::Help;
                return command;
            case Option::Version:
                command.Action = CommandAction::Version;
                return command;
            case Option::Export: {
                const std::optional<int> sheet = SheetFromArgument(*value);
                if (!sheet) return Failure("シート " + Quoted(*value) + " はありません");
                command.Sheet = *sheet;
                exporting = true;
                break;
            }
            case Option::Check:
                checking = true;
                break;
            case Option::Month: {
                const std::optional<int> month = number(1, kMonthCount);
                if (!month)
                    return Failure("月 " + Quoted(*value) + " は 1 から 12 の数ではありません");
                command.Month = *month;
                exportOnly.push_back("--month");
                break;
            }
            case Option::Day: {
                const std::optional<int> day = number(1, 31);
                if (!day)
                    return Failure("日 " + Quoted(*value) + " は 1 から 31 の数ではありません");
                command.Day = *day;
                exportOnly.push_back("--day");
                break;
            }
            case Option::Encoding:
                if (*value == "cp932") {
                    command.Encoding = CsvEncoding::Cp932;
                } else if (*value == "utf-8") {
                    command.Encoding = CsvEncoding::Utf8;
                } else {
                    return Failure("文字コード " + Quoted(*value) +
                                   " は使えません（cp932 か utf-8）");
                }
                exportOnly.push_back("--encoding");
                break;
            case Option::Account: {
                // A passbook's number for an export; 「項目/細目」 for an import.
                if (value->empty()) return Failure("口座が空です");
                accountGiven = true;
                if (value->find_first_not_of("0123456789") != std::string_view::npos) {
                    command.ImportAccount = *value;
                    break;
                }
                const std::optional<int> account = number(0, 99);
                if (!account || !DecodePassbookChoice(*account)) {
                    return Failure("口座 " + Quoted(*value) + " はありません（10〜14 か 20〜24）");
                }
                command.Account = *account;
                break;
            }
            case Option::Import:
                if (value->empty()) return Failure("明細のファイル名が空です");
                command.ImportFile = *value;
                importing = true;
                break;
            case Option::Days: {
                const std::optional<int> days = number(0, kMaxDuplicateDays);
                if (!days) {
                    return Failure("日数 " + Quoted(*value) + " は 0 から " +
                                   std::to_string(kMaxDuplicateDays) + " の数ではありません");
                }
                command.Days = *days;
                importOnly.push_back("--days");
                break;
            }
            case Option::DryRun:
                command.DryRun = true;
                importOnly.push_back("--dry-run");
                break;
            case Option::Output:
                if (value->empty()) return Failure("出力先のファイル名が空です");
                command.Output = *value;
                exportOnly.push_back("--output");
                break;
        }
    }

    if (positional.size() > 1) {
        return Failure("家計簿ファイルは一つだけ指定できます: " + Quoted(positional[1]));
    }
    // Absolute, so that a message names the file wherever it is read.
    auto absolute = [&](std::string_view path) {
        namespace fs = std::filesystem;
        return (fs::path(cwd) / fs::path(path)).lexically_normal().string();
    };
    if (!positional.empty()) command.LedgerPath = absolute(positional[0]);
    if (!command.Output.empty()) command.Output = absolute(command.Output);
    if (!command.ImportFile.empty()) command.ImportFile = absolute(command.ImportFile);
    if (exporting && checking) return Failure("--export と --check は一緒に使えません");
    if (importing && (exporting || checking)) {
        return Failure(std::string("--import と ") + (exporting ? "--export" : "--check") +
                       " は一緒に使えません");
    }
    if (importing) {
        if (!exportOnly.empty()) {
            return Failure("オプション " + Quoted(exportOnly[0]) + " は --export と一緒に使います");
        }
        if (command.LedgerPath.empty()) return Failure("家計簿ファイルを指定してください");
        if (accountGiven && command.ImportAccount.empty()) {
            return Failure("--import の口座は「項目/細目」で指定してください");
        }
        command.Action = CommandAction::Import;
        return command;
    }
    if (!importOnly.empty()) {
        return Failure("オプション " + Quoted(importOnly[0]) + " は --import と一緒に使います");
    }
    if (!exporting && accountGiven) {
        return Failure("オプション '--account' は --export か --import と一緒に使います");
    }
    if (exporting && !command.ImportAccount.empty()) {
        return Failure("口座 " + Quoted(command.ImportAccount) +
                       " はありません（10〜14 か 20〜24）");
    }
    if (!exporting && !exportOnly.empty()) {
        return Failure("オプション " + Quoted(exportOnly[0]) + " は --export と一緒に使います");
    }
    if (exporting || checking) {
        if (command.LedgerPath.empty()) return Failure("家計簿ファイルを指定してください");
    }
    if (exporting) {
        if (command.Month == 0) return Failure("--export には --month が必要です");
        if (command.Sheet == PassbookSheet && command.Account == 0) {
            return Failure("通帳記帳には --account が必要です");
        }
        if (command.Sheet != PassbookSheet && command.Account != 0) {
            return Failure("--account は通帳記帳のためのオプションです");
        }
        command.Action = CommandAction::Export;
    } else if (checking) {
        command.Action = CommandAction::Check;
    }
    return command;
}

std::string HelpText() {
    std::string sheets;
    for (int kind = 0; kind < kSheetKindCount; ++kind) {
        sheets +=
            "                          " + std::to_string(kind) + " " + SheetName(kind) + "\n";
    }
    return std::string("使い方: ") + kProgram + " [家計簿ファイル.nbd]\n" +
           "  または: " + kProgram +
           " --export シート --month 月 [--day 日] [--encoding cp932|utf-8]\n"
           "                  [--account 口座] [-o ファイル] 家計簿ファイル.nbd\n"
           "  または: " +
           kProgram +
           " --check 家計簿ファイル.nbd\n"
           "  または: " +
           kProgram +
           " --import 明細ファイル [--account 項目/細目] [--days 日数] [--dry-run]\n"
           "                  家計簿ファイル.nbd\n"
           "Nimbrelの家計簿を起動します。家計簿ファイルを指定すると、それを開いて始めます。\n"
           "\n"
           "ウィンドウを開かずに使うオプション:\n"
           "      --export シート     その月のシートを CSV で書き出す。シートは名前か番号:\n" +
           sheets +
           "                          list 入力フォームの今月の明細一覧\n"
           "      --month 月          書き出す月（1〜12）\n"
           "      --day 日            その日付で書き出す（既定はその月の末日）\n"
           "      --encoding 文字コード  cp932（既定）か utf-8（BOM なし）。改行はどちらも CR LF\n"
           "      --account 口座      通帳記帳の口座: 10〜14 は口座科目 1 つ目の細目、\n"
           "                          20〜24 は 2 つ目の細目（10 はお財布）\n"
           "  -o, --output ファイル   書き出し先（既定は標準出力）\n"
           "      --check             家計簿を読み込めるか調べ、読み込めない理由か、\n"
           "                          読み込みで出る警告を一つずつ表示する\n"
           "      --import 明細ファイル  銀行やカードの明細を「明細の取り込み」と同じルールと\n"
           "                          過去の記入で割り当て、チェックされる行を一度に記入して\n"
           "                          保存する（ほかのプログラムが開いていれば何もしない）\n"
           "      --account 項目/細目  取り込む口座（例: 現金・預金/普通預金①）。既定はこの\n"
           "                          明細の形に前回選んだ口座\n"
           "      --days 日数         同じ金額の記入を重複とみなす前後の日数（既定は前回の値、\n"
           "                          はじめは 5）\n"
           "      --dry-run           何も書き込まず、各行を CSV（UTF-8）で標準出力に表示する:\n"
           "                          行,日付,金額,入出金,項目,細目,お店,メモ,状態,理由\n"
           "                          状態は 取り込み、未割当、重複の可能性、読めません のどれか\n"
           "      --help              この使い方を表示して終わる\n"
           "      --version           版を表示して終わる\n"
           "\n"
           "Qt のオプション（-platform、-style など）もそのまま使えます。\n"
           "年は家計簿の明細の年です。設定と科目はウィンドウと同じく読みます。--export と --check "
           "は\n"
           "何も書き込みません。\n"
           "\n"
           "終了ステータス: 0 正常、1 "
           "家計簿や明細を読み込めない・書き出せない・ほかのプログラムが\n"
           "使っている、2 引数の誤り\n";
}

std::string VersionText(const std::string& version) {
    return std::string(kProgram) + " (Nimbrelの家計簿) " + version + "\n";
}

}  // namespace kakeibo
