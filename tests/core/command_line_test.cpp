#include "core/cli/command_line.h"

#include <gtest/gtest.h>

#include "core/reports/sheets.h"

namespace kakeibo {
namespace {

// What a command says, in one line: the action and every value it carries.
std::string Said(const CommandLine& c) {
    if (c.Action == CommandAction::Error) return c.Message;
    if (c.Action == CommandAction::Import) {
        return "import " + c.LedgerPath + " " + c.ImportFile + " [" + c.ImportAccount + "] " +
               std::to_string(c.Days) + (c.DryRun ? " dry-run" : "");
    }
    return std::to_string(static_cast<int>(c.Action)) + " " + c.LedgerPath + " sheet " +
           std::to_string(c.Sheet) + " " + std::to_string(c.Month) + "/" + std::to_string(c.Day) +
           " account " + std::to_string(c.Account) +
           (c.Encoding == CsvEncoding::Utf8 ? " utf-8 " : " cp932 ") + c.Output;
}

TEST(CommandLineTest, ArgumentsGiveTheActionAndItsValuesOrOneLineNamingTheMistake) {
    const std::string hint = "（使い方は kakeibo --help）";
    const struct {
        std::vector<std::string> args;
        std::string said;
    } rows[] = {
        {{"k.nbd"}, "0 /u/k.nbd sheet 0 0/0 account 0 cp932 "},
        {{"-platform", "xcb", "--style", "x", "-reverse", "-stylesheet=a", "../b/k.nbd"},
         "0 /b/k.nbd sheet 0 0/0 account 0 cp932 "},
        {{"--help", "--frob"}, "1  sheet 0 0/0 account 0 cp932 "},
        {{"--version"}, "2  sheet 0 0/0 account 0 cp932 "},
        {{"--export", "今月の収入", "--month=3", "--day", "9", "--encoding", "utf-8", "-oo.csv",
          "/d/k.nbd"},
         "3 /d/k.nbd sheet 1 3/9 account 0 utf-8 /u/o.csv"},
        {{"--export=6", "--account", "21", "--month", "12", "k.nbd", "--output", "/o.csv"},
         "3 /u/k.nbd sheet 6 12/0 account 21 cp932 /o.csv"},
        {{"--export", "list", "--month", "1", "--", "-k.nbd"},
         "3 /u/-k.nbd sheet -1 1/0 account 0 cp932 "},
        {{"--check", "k.nbd"}, "4 /u/k.nbd sheet 0 0/0 account 0 cp932 "},
        {{"--import", "m.csv", "k.nbd"}, "import /u/k.nbd /u/m.csv [] -1"},
        {{"--dry-run", "--account=現金・預金/普通預金①", "--days", "0", "--import", "../m.csv",
          "k.nbd"},
         "import /u/k.nbd /m.csv [現金・預金/普通預金①] 0 dry-run"},
        {{"--import", "m.csv"}, "kakeibo: 家計簿ファイルを指定してください" + hint},
        {{"--days", "3", "k"}, "kakeibo: オプション '--days' は --import と一緒に使います" + hint},
        {{"--dry-run", "k"}, "kakeibo: オプション '--dry-run' は --import と一緒に使います" + hint},
        {{"--import", "m", "--days", "100", "k"},
         "kakeibo: 日数 '100' は 0 から 99 の数ではありません" + hint},
        {{"--import", "m", "--account", "10", "k"},
         "kakeibo: --import の口座は「項目/細目」で指定してください" + hint},
        {{"--import", "m", "--check", "k"},
         "kakeibo: --import と --check は一緒に使えません" + hint},
        {{"--import", "m", "--month", "3", "k"},
         "kakeibo: オプション '--month' は --export と一緒に使います" + hint},
        {{"--export", "6", "--month", "1", "--account", "銀行/普通", "k"},
         "kakeibo: 口座 '銀行/普通' はありません（10〜14 か 20〜24）" + hint},
        {{"--account", "銀行/普通", "k"},
         "kakeibo: オプション '--account' は --export か --import と一緒に使います" + hint},
        {{"--frob", "k.nbd"}, "kakeibo: 不明なオプション '--frob' です" + hint},
        {{"--platform=xcb"}, "kakeibo: 不明なオプション '--platform=xcb' です" + hint},
        {{"-x"}, "kakeibo: 不明なオプション '-x' です" + hint},
        {{"--export"}, "kakeibo: オプション '--export' には値が必要です" + hint},
        {{"--check=1"}, "kakeibo: オプション '--check' は値を取りません" + hint},
        {{"--export", "7x"}, "kakeibo: シート '7x' はありません" + hint},
        {{"--month", "13"}, "kakeibo: 月 '13' は 1 から 12 の数ではありません" + hint},
        {{"--day", "0"}, "kakeibo: 日 '0' は 1 から 31 の数ではありません" + hint},
        {{"--account", "15"}, "kakeibo: 口座 '15' はありません（10〜14 か 20〜24）" + hint},
        {{"--encoding", "sjis"},
         "kakeibo: 文字コード 'sjis' は使えません（cp932 か utf-8）" + hint},
        {{"--export", "6", "--month", "1", "k"},
         "kakeibo: 通帳記帳には --account が必要です" + hint},
        {{"--export", "0", "--month", "1", "--account", "10", "k"},
         "kakeibo: --account は通帳記帳のためのオプションです" + hint},
        {{"--export", "0", "k"}, "kakeibo: --export には --month が必要です" + hint},
        {{"--check"}, "kakeibo: 家計簿ファイルを指定してください" + hint},
        {{"--check", "--export", "0", "k"},
         "kakeibo: --export と --check は一緒に使えません" + hint},
        {{"--check", "-o", "x", "k"},
         "kakeibo: オプション '--output' は --export と一緒に使います" + hint},
        {{"a", "b"}, "kakeibo: 家計簿ファイルは一つだけ指定できます: 'b'" + hint},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(Said(ParseCommandLine(row.args, "/u")), row.said) << row.args[0];
    }
}

TEST(CommandLineTest, EverySheetIsNamedByItsNameAndNumberAndListedInTheHelp) {
    const std::string help = HelpText();
    for (int kind = 0; kind < kSheetKindCount; ++kind) {
        EXPECT_EQ(SheetFromArgument(SheetName(kind)), kind);
        EXPECT_EQ(SheetFromArgument(std::to_string(kind)), kind);
        EXPECT_NE(help.find(std::to_string(kind) + " " + SheetName(kind) + "\n"), help.npos);
    }
    EXPECT_EQ(SheetFromArgument(std::to_string(kSheetKindCount)), std::nullopt);
}

}  // namespace
}  // namespace kakeibo
