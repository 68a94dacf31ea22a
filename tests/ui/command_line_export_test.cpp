// The program's --export, run as a script runs it (no display), against the menu's CSV export
// of the same ledger in the windows: the same bytes for every sheet and the entry list.
#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <memory>

#include "core/cli/command_line.h"
#include "core/reports/sheets.h"
#include "core/sjis.h"
#include "ui/entry/entry_form.h"
#include "ui/main/main_window.h"
#include "ui/sheet/data_sheet.h"
#include "ui/support/fake_platform.h"

namespace kakeibo::test {
namespace {

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void WriteCp932(const QString& path, const std::string& text) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write(EncodeCp932(text).c_str());
}

TEST(CommandLineExportTest, EverySheetAndTheEntryListAreTheBytesTheMenuWrites) {
    // A portable copy of the program, its settings (items without money hidden) beside it.
    QTemporaryDir scratch;
    const QString bin = scratch.filePath("bin/");
    const QString data = scratch.filePath("data/");
    ASSERT_TRUE(QDir().mkpath(bin) && QDir().mkpath(data));
    ASSERT_TRUE(QFile::copy(KAKEIBO_PROGRAM, bin + "kakeibo"));
    for (const QString master : {"kamoku.dat", "hojyo.dat"}) {
        ASSERT_TRUE(QFile::copy(KAKEIBO_DATA_DIR + master, bin + master));
    }
    WriteCp932(bin + "rozed.ini", data.toStdString() + "\r\nk\r\n30\r\n30\r\nTrue\r\n");
    WriteCp932(data + "k.nbd",
               "2026,6,25,1,0,20,0,250000,2,会社,6月分\r\n2026,6,28,2,0,0,0,3400,0,スーパー,\r\n"
               "2026,7,3,2,1,0,0,1280,0,ラーメン屋,昼食,大盛り\r\n2026,7,5,0,0,1,0,30000,2,,\r\n"
               "2026,7,5,3,2,1,3,2980,1,薬局,洗剤\r\n2026,7,10,4,0,1,0,85000,2,,-家賃+\r\n"
               "2026,7,1,2,0,0,0,5400,0,スーパー,\r\n2026,7,12,1,0,21,0,120000,2,,夏季\r\n");
    // Last year's ledger in the same folder, for 前年比較.
    WriteCp932(data + "昨年.nbd", "2025,7,3,2,0,0,0,900,0,,\r\n2025,6,1,1,0,20,0,240000,2,,\r\n");
    // July's food budget; opening balances of the wallet and the bank.
    std::string budgets;
    for (int k = 0; k < 7 * kItemCount + 2; ++k) budgets += "0\r\n";
    WriteCp932(data + "ky.dat", budgets + "40000\r\n");
    WriteCp932(data + "kr.dat",
               "20000\r\n0\r\n0\r\n0\r\n0\r\n20000\r\n500000\r\n0\r\n0\r\n0\r\n0\r\n500000\r\n");

    // The windows as the program makes them, started in the same program folder.
    FakePlatform platform;
    platform.ExeDirectory = bin;
    platform.TodayDate = Date{2026, 7, 12};
    auto ledger = std::make_unique<Ledger>();
    TForm1 main(*ledger);
    main.FormCreate();
    TForm3 form(*ledger, main);
    form.FormCreate();
    main.SetEntryForm(&form);
    TForm5 sheet(*ledger, main);
    sheet.FormCreate();
    main.SetDataSheet(&sheet);
    ASSERT_TRUE(platform.Boxes.empty()) << platform.Boxes[0].Text.toStdString();

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(name);
    const struct {
        int kind;
        QStringList args;
        Date date;
    } rows[] = {
        {ExpenseSheet, {"--export", "今月の支出", "--month", "7"}, {2026, 7, 31}},
        {IncomeSheet, {"--export", "1", "--month", "7", "--encoding", "cp932"}, {2026, 7, 31}},
        {AccountSheet, {"--export", "口座残高", "--month=7", "--day=12"}, {2026, 7, 12}},
        {DailySheet, {"--export", "3", "--month", "7", "--day", "6"}, {2026, 7, 6}},
        {BalanceSheet, {"--export", "今月の収支", "--month", "6"}, {2026, 6, 30}},
        {DetailSheet, {"--export", "5", "--month", "7"}, {2026, 7, 31}},
        {PassbookSheet, {"--export", "通帳記帳", "--account", "20", "--month", "7"}, {2026, 7, 31}},
        {YearSheet, {"--export", "年間推移", "--month", "7", "--day", "20"}, {2026, 7, 20}},
        {YearComparisonSheet, {"--export", "8", "--month", "7"}, {2026, 7, 31}},
        {kEntryListExport, {"--export", "list", "--month", "7"}, {2026, 7, 31}},
    };
    for (const auto& row : rows) {
        main.SelectDate(row.date);
        if (row.kind == PassbookSheet) {
            // As the account choice leaves it: 普通預金 of the bank chosen, the sheet filled.
            sheet.State.PassbookChoice = 20;
            sheet.State.SheetKind = row.kind;
            sheet.DrawCell(row.kind);
        } else if (row.kind != kEntryListExport) {
            sheet.GridMode(row.kind);
        }
        platform.FileAnswers.push_back(scratch.filePath("menu.csv"));
        main.findChild<QAction*>(row.kind == kEntryListExport ? "N7" : "N5")->trigger();
        const QByteArray menu = FileBytes(scratch.filePath("menu.csv"));
        ASSERT_NE(menu, "<missing>") << row.kind;

        QProcess program;
        program.setProcessEnvironment(env);
        program.setWorkingDirectory(data);
        program.start(bin + "kakeibo", row.args + QStringList{"-o", "../out.csv", "k.nbd"});
        EXPECT_TRUE(program.waitForFinished(60000) && program.exitCode() == 0)
            << program.readAllStandardError().toStdString();
        EXPECT_EQ(FileBytes(scratch.filePath("out.csv")), menu) << row.kind << ":\n"
                                                                << DecodeCp932(menu.toStdString());
        QFile::remove(scratch.filePath("menu.csv"));
        QFile::remove(scratch.filePath("out.csv"));
    }
}

TEST(CommandLineExportTest, StandardOutputGetsTheBytesAndAFullOneIsAFailure) {
    QTemporaryDir scratch;
    const QString bin = scratch.path() + "/";
    ASSERT_TRUE(QFile::copy(KAKEIBO_PROGRAM, bin + "kakeibo"));
    for (const QString master : {"kamoku.dat", "hojyo.dat"}) {
        ASSERT_TRUE(QFile::copy(KAKEIBO_DATA_DIR + master, bin + master));
    }
    WriteCp932(bin + "rozed.ini", bin.toStdString() + "\r\nk\r\n30\r\n30\r\nFalse\r\n");
    WriteCp932(bin + "k.nbd", "2026,7,3,2,1,0,0,1280,0,ラーメン屋,昼食\r\n");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(name);
    auto run = [&](const QStringList& args, const QString& output) {
        auto program = std::make_unique<QProcess>();
        program->setProcessEnvironment(env);
        program->setWorkingDirectory(bin);
        if (!output.isEmpty()) program->setStandardOutputFile(output);
        program->start(bin + "kakeibo", args);
        EXPECT_TRUE(program->waitForFinished(60000)) << args.join(' ').toStdString();
        return program;
    };
    const QStringList exportList = {"--export", "list", "--month", "7", "k.nbd"};
    run(exportList + QStringList{"-o", "list.csv"}, {});
    const auto toPipe = run(exportList, {});
    EXPECT_EQ(toPipe->exitCode(), 0) << toPipe->readAllStandardError().toStdString();
    EXPECT_EQ(toPipe->readAllStandardOutput(), FileBytes(bin + "list.csv"));

    // A disk that is full (or a closed pipe) must not pass for a finished export.
    if (!QFile::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
    for (const QStringList& args : {exportList, QStringList{"--version"}}) {
        const auto full = run(args, "/dev/full");
        EXPECT_EQ(full->exitCode(), 1) << args.join(' ').toStdString();
    }
    EXPECT_EQ(QString::fromUtf8(run(exportList, "/dev/full")->readAllStandardError()),
              "kakeibo: 標準出力に書き込めませんでした。\n");
}

// A start with no screen to reach says why on standard error and ends with 1, before it reads
// or writes anything; the options that need no screen still work.
TEST(CommandLineExportTest, WithoutAScreenTheWindowSaysWhyAndEnds) {
    QTemporaryDir scratch;
    const QString bin = scratch.path() + "/";
    ASSERT_TRUE(QFile::copy(KAKEIBO_PROGRAM, bin + "kakeibo"));
    ASSERT_TRUE(QDir().mkpath(bin + "run"));
    // A display number no server uses here.
    int free = 90;
    while (QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(free))) ++free;
    const QString display = QStringLiteral(":%1").arg(free);
    const struct {
        const char* name;
        QStringList variables;  // NAME=value
        QStringList args;
        int status;
        QString err;
    } rows[] = {
        {"no display", {}, {}, 1, "画面に接続できません（DISPLAY が設定されていません）。\n"},
        {"empty ones",
         {"DISPLAY=", "WAYLAND_DISPLAY="},
         {},
         1,
         "画面に接続できません（DISPLAY が設定されていません）。\n"},
        {"X unreachable",
         {"DISPLAY=" + display},
         {},
         1,
         "画面 " + display + " に接続できません。\n"},
        {"Wayland unreachable",
         {"WAYLAND_DISPLAY=wayland-9", "XDG_RUNTIME_DIR=" + bin + "run"},
         {},
         1,
         "画面 wayland-9 に接続できません。\n"},
        {"version", {}, {"--version"}, 0, ""},
        {"help", {}, {"--help"}, 0, ""},
    };
    for (const auto& row : rows) {
        QProcessEnvironment env;
        env.insert("PATH", "/usr/bin:/bin");
        env.insert("HOME", bin + "home");
        for (const QString& variable : row.variables) {
            env.insert(variable.section('=', 0, 0), variable.section('=', 1));
        }
        QProcess program;
        program.setProcessEnvironment(env);
        program.start(bin + "kakeibo", row.args);
        ASSERT_TRUE(program.waitForFinished(60000)) << row.name;
        EXPECT_EQ(program.exitCode(), row.status) << row.name;
        EXPECT_EQ(QString::fromUtf8(program.readAllStandardError()), row.err) << row.name;
    }
    // Nothing read or written: no settings file beside the program, no home folder.
    EXPECT_EQ(QDir(bin).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
              QStringList({"kakeibo", "run"}));
}

}  // namespace
}  // namespace kakeibo::test
