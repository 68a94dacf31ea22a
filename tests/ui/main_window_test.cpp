#include "ui/main/main_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <cerrno>
#include <memory>

#include "core/errors.h"
#include "core/files/file_io.h"
#include "core/files/group_write.h"
#include "core/files/save.h"
#include "core/files/settings_file.h"
#include "core/sjis.h"
#include "core/version.h"
#include "ui/entry/entry_form.h"
#include "ui/support/fake_platform.h"
#include "ui/support/fake_workspace.h"
#include "ui/support/screenshot.h"

namespace kakeibo {
namespace {

using Box = test::FakePlatform::BoxType;
using test::FakeSheet;

const QString kQuestion = QStringLiteral("編集したデータがあります。保存しますか？");

QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

// A CP932 file as UTF-8 text, line ends kept.
QString ReadText(const QString& path) {
    return QString::fromStdString(DecodeCp932(ReadBytes(path).toStdString()));
}

void WriteText(const QString& path, const QString& text) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QByteArray::fromStdString(EncodeCp932(text.toStdString())));
}

QStringList FilesIn(const QString& dir) {
    return QDir(dir).entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
}

QStringList Captions(const QList<QAction*>& actions) {
    QStringList captions;
    for (const QAction* action : actions) {
        if (!action->isSeparator()) captions << action->text();
    }
    return captions;
}

QStringList Items(const QComboBox* combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
    return items;
}

EntryRecord Expense(int year, int month, int day, int amount) {
    // Food (item 2) paid from the wallet (item 0, sub-item 0).
    return EntryRecord{year, month, day, 2, 0, 0, 0, amount, 0};
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(exeDir.isValid());
        ASSERT_TRUE(otherDir.isValid());
        exe = exeDir.path() + QLatin1Char('/');
        other = otherDir.path() + QLatin1Char('/');
        for (const char* master : {"kamoku.dat", "hojyo.dat"}) {
            ASSERT_TRUE(QFile::copy(QStringLiteral(KAKEIBO_DATA_DIR) + QLatin1String(master),
                                    exe + QLatin1String(master)));
        }
        platform.ExeDirectory = exe;
        platform.TodayDate = Date{2026, 12, 7};
    }

    // Writes a ledger `name` into `dir` with the given December entries, as a previous run
    // of the program would have saved it.
    void SaveLedger(const QString& dir, const QString& name, int entries) {
        QTemporaryDir scratch;
        auto saved = std::make_unique<Ledger>();
        saved->ExeDir = scratch.path().toStdString() + "/";
        for (int i = 0; i < entries; ++i) saved->EntryTable[11][i] = Expense(2026, 12, 1, 100 + i);
        saved->LedgerChanged = true;
        SaveInputs inputs;
        inputs.Sync = false;
        MonthSave(*saved, dir.toStdString(), name.toStdString(), inputs);
    }

    void WriteIni(const QString& dataDir, const QString& name) {
        WriteText(
            exe + QStringLiteral("rozed.ini"),
            dataDir + QStringLiteral("\r\n") + name + QStringLiteral("\r\n30\r\n30\r\nFalse\r\n"));
    }

    TForm1& Start() {
        window = std::make_unique<TForm1>(*ledger);
        window->FormCreate();
        return *window;
    }

    void ClickButton(const char* name) {
        auto* button = window->findChild<QToolButton*>(QLatin1String(name));
        ASSERT_NE(button, nullptr);
        QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
    }

    QAction* Action(const char* name) { return window->findChild<QAction*>(QLatin1String(name)); }

    QString PanelText() { return window->findChild<QLabel*>(QStringLiteral("Panel2"))->text(); }

    int ScreenHeight() { return QGuiApplication::primaryScreen()->geometry().height(); }

    test::FakePlatform platform;
    QTemporaryDir exeDir;
    QTemporaryDir otherDir;
    QString exe;
    QString other;
    std::unique_ptr<Ledger> ledger = std::make_unique<Ledger>();
    std::unique_ptr<TForm1> window;
};

TEST_F(MainWindowTest, FirstStartShowsTodayInAThinStripAtTheTop) {
    TForm1& w = Start();

    EXPECT_TRUE(platform.Boxes.empty());
    EXPECT_EQ(ReadText(exe + QStringLiteral("rozed.ini")),
              exe + QStringLiteral("\r\n新規作成\r\n"));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Nimbrel の家計簿"));
    EXPECT_EQ(PanelText(), QStringLiteral(" 編集中ファイル名： 新規作成"));

    // Years 2000 up to today's 2026, so today's year shows; the list cannot be changed.
    ASSERT_EQ(w.ComboBox3->count(), 27);
    EXPECT_EQ(w.ComboBox3->itemText(0), QStringLiteral("2000"));
    EXPECT_EQ(w.ComboBox3->currentText(), QStringLiteral("2026"));
    EXPECT_FALSE(w.ComboBox3->isEnabled());
    EXPECT_EQ(Items(w.ComboBox1).join(QLatin1Char(',')),
              QStringLiteral("1,2,3,4,5,6,7,8,9,10,11,12"));
    EXPECT_EQ(w.ComboBox1->currentText(), QStringLiteral("12"));
    EXPECT_EQ(w.ComboBox2->count(), 31);
    EXPECT_EQ(w.ComboBox2->currentText(), QStringLiteral("7"));
    EXPECT_EQ(ledger->EditDate, (Date{2026, 12, 7}));
    EXPECT_EQ(ledger->EditMonth, 12);
    EXPECT_EQ(ledger->EditMonthIndex, 11);

    // The default layout shows the entry form and the data sheet.
    EXPECT_TRUE(w.N11->isChecked());
    EXPECT_FALSE(w.N12->isChecked());
    EXPECT_TRUE(w.N13->isChecked());

    const int screenWidth = QGuiApplication::primaryScreen()->geometry().width();
    EXPECT_EQ(w.geometry(), QRect(0, 0, screenWidth, 80));
    w.resize(500, 300);
    EXPECT_EQ(w.size(), QSize(500, 80));
}

TEST_F(MainWindowTest, YearListKeepsItsFixedRangeInEarlierYears) {
    platform.TodayDate = Date{2005, 6, 15};
    TForm1& w = Start();
    EXPECT_EQ(w.ComboBox3->count(), 11);
    EXPECT_EQ(w.ComboBox3->itemText(10), QStringLiteral("2010"));
    EXPECT_EQ(w.ComboBox3->currentText(), QStringLiteral("2005"));
    EXPECT_EQ(w.ComboBox2->count(), 30);
    EXPECT_EQ(w.ComboBox2->currentText(), QStringLiteral("15"));
}

TEST_F(MainWindowTest, MenuToolbarAndSelectorsCarryTheirTexts) {
    TForm1& w = Start();
    EXPECT_EQ(
        Captions(w.menuBar()->actions()),
        QStringList({QStringLiteral("　ファイル"), QStringLiteral("　編集　"),
                     QStringLiteral("　表示　"), QStringLiteral("検索"), QStringLiteral("　設定　"),
                     QStringLiteral("　CSVデータ出力"), QStringLiteral("　ヘルプ　")}));
    auto menu = [&](const char* name) {
        return Captions(w.findChild<QMenu*>(QLatin1String(name))->actions());
    };
    EXPECT_EQ(menu("File1"),
              QStringList({QStringLiteral("　上書き保存"), QStringLiteral("　名前を付けて保存"),
                           QStringLiteral("　バックアップから復元…"),
                           QStringLiteral("　明細の取り込み…"), QStringLiteral("　次年度繰越"),
                           QStringLiteral("　定期入出金…"), QStringLiteral("　印刷…"),
                           QStringLiteral("　PDFに出力…"), QStringLiteral("　終了")}));
    EXPECT_EQ(menu("View1"),
              QStringList({QStringLiteral("　データシート　"), QStringLiteral("　グラフシート　"),
                           QStringLiteral("　入力フォーム　"), QStringLiteral("　初期値に戻す")}));
    EXPECT_EQ(menu("Setting1"), QStringList({QStringLiteral("　各種設定")}));
    EXPECT_EQ(menu("Csv1"), QStringList({QStringLiteral("　表示中のデータシート"),
                                         QStringLiteral("　今月の詳細データ")}));
    EXPECT_EQ(menu("Help1"), QStringList({QStringLiteral("　バージョン情報")}));

    EXPECT_EQ(w.N11->shortcut().toString(), QStringLiteral("Ctrl+D"));
    EXPECT_EQ(w.N13->shortcut().toString(), QStringLiteral("Ctrl+I"));
    EXPECT_EQ(Action("N3")->shortcut().toString(), QStringLiteral("Ctrl+S"));
    EXPECT_TRUE(w.N11->isCheckable() && w.N12->isCheckable() && w.N13->isCheckable());
    EXPECT_TRUE(w.N12->isEnabled());

    auto* open = w.findChild<QToolButton*>(QStringLiteral("ToolButton1"));
    auto* save = w.findChild<QToolButton*>(QStringLiteral("ToolButton2"));
    EXPECT_EQ(open->toolTip(), QStringLiteral("読み込み"));
    EXPECT_EQ(save->toolTip(), QStringLiteral("上書き保存"));
    EXPECT_FALSE(open->icon().isNull());
    EXPECT_FALSE(save->icon().isNull());
    QStringList labels;
    for (const char* name : {"Label4", "Label3", "Label2", "Label1"}) {
        labels << w.findChild<QLabel*>(QLatin1String(name))->text();
    }
    EXPECT_EQ(labels, QStringList({QStringLiteral("編集日"), QStringLiteral("年"),
                                   QStringLiteral("月"), QStringLiteral("日")}));

    Action("About1")->trigger();
    ASSERT_EQ(platform.Boxes.size(), 1u);
    EXPECT_EQ(platform.Boxes[0].Type, Box::Plain);
    EXPECT_EQ(platform.Boxes[0].Text,
              QStringLiteral("Nimbrelの家計簿\nバージョン ") + QString::fromUtf8(kVersion));
}

TEST_F(MainWindowTest, MonthAndDayPicksFollowTheCalendar) {
    platform.TodayDate = Date{2028, 3, 15};
    TForm1& w = Start();
    FakeSheet sheet(w);
    const int& refills = sheet.Refills;
    w.SetDataSheet(&sheet);
    for (int i = 0; i < 3; ++i) ledger->EntryTable[1][i] = Expense(2028, 2, 3, 500);

    QTest::keyClick(w.ComboBox1, Qt::Key_Up);  // March -> February of a leap year
    EXPECT_EQ(w.ComboBox1->currentText(), QStringLiteral("2"));
    EXPECT_EQ(w.ComboBox2->count(), 29);
    EXPECT_EQ(w.ComboBox2->currentText(), QStringLiteral("1"));
    EXPECT_EQ(ledger->EditDate, (Date{2028, 2, 1}));
    EXPECT_EQ(ledger->EditMonth, 2);
    EXPECT_EQ(ledger->EditMonthIndex, 1);
    EXPECT_EQ(ledger->NextSlot, 3);
    EXPECT_EQ(refills, 1);

    QTest::keyClick(w.ComboBox1, Qt::Key_Down);
    QTest::keyClick(w.ComboBox1, Qt::Key_Down);  // April
    EXPECT_EQ(w.ComboBox2->count(), 30);
    EXPECT_EQ(ledger->EditDate, (Date{2028, 4, 1}));
    EXPECT_EQ(ledger->NextSlot, 0);

    // A day pick changes the date only.
    QTest::keyClick(w.ComboBox2, Qt::Key_Down);
    QTest::keyClick(w.ComboBox2, Qt::Key_Down);
    EXPECT_EQ(w.ComboBox2->currentText(), QStringLiteral("3"));
    EXPECT_EQ(ledger->EditDate, (Date{2028, 4, 3}));
    EXPECT_EQ(ledger->EditMonth, 4);
    EXPECT_EQ(refills, 5);
    EXPECT_EQ(w.ComboBox3->currentText(), QStringLiteral("2028"));
}

TEST_F(MainWindowTest, FebruaryOf2100HasTwentyEightDays) {
    platform.TodayDate = Date{2100, 1, 31};
    TForm1& w = Start();
    EXPECT_EQ(w.ComboBox3->count(), 101);
    EXPECT_EQ(w.ComboBox3->currentText(), QStringLiteral("2100"));
    QTest::keyClick(w.ComboBox1, Qt::Key_Down);
    EXPECT_EQ(w.ComboBox2->count(), 28);
    EXPECT_EQ(w.ComboBox2->currentText(), QStringLiteral("1"));
    EXPECT_EQ(ledger->EditDate, (Date{2100, 2, 1}));
}

TEST_F(MainWindowTest, SelectDateMovesEverySelectorAndTheEditedMonth) {
    TForm1& w = Start();
    FakeSheet sheet(w);
    const int& refills = sheet.Refills;
    w.SetDataSheet(&sheet);
    ledger->EntryTable[2][0] = Expense(2026, 3, 1, 800);
    ledger->EntryTable[2][1] = Expense(2026, 3, 5, 900);

    w.SelectDate(Date{2026, 3, 5});
    EXPECT_EQ(w.ComboBox3->currentText(), QStringLiteral("2026"));
    EXPECT_EQ(w.ComboBox1->currentText(), QStringLiteral("3"));
    EXPECT_EQ(w.ComboBox2->count(), 31);
    EXPECT_EQ(w.ComboBox2->currentText(), QStringLiteral("5"));
    EXPECT_EQ(ledger->EditDate, (Date{2026, 3, 5}));
    EXPECT_EQ(ledger->EditMonth, 3);
    EXPECT_EQ(ledger->EditMonthIndex, 2);
    EXPECT_EQ(ledger->NextSlot, 2);
    EXPECT_EQ(refills, 1);
}

TEST_F(MainWindowTest, AFailingRefillIsReportedAndThePickStands) {
    TForm1& w = Start();
    FakeSheet sheet(w);
    sheet.OnRefill = [] { throw LedgerError("表を作れません"); };
    w.SetDataSheet(&sheet);
    QTest::keyClick(w.ComboBox1, Qt::Key_Up);
    ASSERT_EQ(platform.Boxes.size(), 1u);
    EXPECT_EQ(platform.Boxes[0].Type, Box::Error);
    EXPECT_EQ(platform.Boxes[0].Text, QStringLiteral("表を作れません."));
    EXPECT_EQ(ledger->EditDate, (Date{2026, 11, 1}));
}

TEST_F(MainWindowTest, AllUpdateRecomputesTotalsBeforeTheWindowsRefill) {
    TForm1& w = Start();
    ledger->BalanceTable[0][0][0] = 10000;
    ledger->BalanceTable[0][0][5] = 10000;
    int64_t walletSeen = -1;
    FakeSheet sheet(w);
    sheet.OnRefill = [&] { walletSeen = ledger->BalanceTable[12][0][0]; };
    w.SetDataSheet(&sheet);

    ledger->EntryTable[11][0] = Expense(2026, 12, 7, 3000);
    w.AllUpdate();
    EXPECT_EQ(walletSeen, 7000);
}

TEST_F(MainWindowTest, OverwriteSaveOfANewLedgerAsksForANameAndCancelKeepsTheChanges) {
    WriteText(exe + QStringLiteral("mise.dat"), QStringLiteral("スーパー\r\nコンビニ\r\n"));
    TForm1& w = Start();
    ClickButton("ToolButton2");

    ASSERT_EQ(platform.FileDialogs.size(), 1u);
    const auto& dialog = platform.FileDialogs[0];
    EXPECT_TRUE(dialog.Save);
    EXPECT_EQ(dialog.Options.Filter, QStringLiteral("家計簿データ(*.nbd)|*.nbd"));
    EXPECT_EQ(dialog.Options.InitialDir, exe);
    EXPECT_EQ(dialog.Options.DefaultExt, QStringLiteral(".nbd"));
    EXPECT_EQ(dialog.Options.FileName, QStringLiteral("新規作成"));
    EXPECT_TRUE(dialog.Options.OverwritePrompt);
    EXPECT_EQ(FilesIn(exe), QStringList({QStringLiteral("hojyo.dat"), QStringLiteral("kamoku.dat"),
                                         QStringLiteral("mise.dat"), QStringLiteral("rozed.ini")}));
    EXPECT_TRUE(ledger->LedgerChanged);
    EXPECT_TRUE(ledger->MastersChanged);
    EXPECT_TRUE(platform.Boxes.empty());

    // Saved as into another folder: that folder becomes the data folder.
    platform.FileAnswers.push_back(other + QStringLiteral("家計簿2026.nbd"));
    w.N4Click();
    EXPECT_EQ(FilesIn(other),
              QStringList({QStringLiteral("memo.dat"), QStringLiteral("mise.dat"),
                           QStringLiteral("家計簿2026.nbd"), QStringLiteral("家計簿2026r.dat"),
                           QStringLiteral("家計簿2026y.dat")}));
    // The history read at start goes along; it is never emptied.
    EXPECT_EQ(ReadText(other + QStringLiteral("mise.dat")),
              QStringLiteral("スーパー\r\nコンビニ\r\n"));
    EXPECT_TRUE(ReadText(exe + QStringLiteral("rozed.ini"))
                    .startsWith(other + QStringLiteral("\r\n家計簿2026\r\n30\r\n30\r\nFalse\r\n")));
    EXPECT_EQ(PanelText(), QStringLiteral(" 編集中ファイル名： 家計簿2026"));
    EXPECT_EQ(ledger->DataDir, other.toStdString());
    EXPECT_FALSE(ledger->LedgerChanged);
    EXPECT_FALSE(ledger->MastersChanged);
    ASSERT_EQ(platform.Boxes.size(), 1u);
    EXPECT_EQ(platform.Boxes[0].Type, Box::Plain);
    EXPECT_EQ(platform.Boxes[0].Text, QStringLiteral("保存が終了しました"));

    // The next overwrite save finds the file there and asks nothing.
    ledger->EntryTable[11][0] = Expense(2026, 12, 7, 1234);
    ClickButton("ToolButton2");
    EXPECT_EQ(platform.FileDialogs.size(), 2u);
    EXPECT_EQ(ReadText(other + QStringLiteral("家計簿2026.nbd")),
              QStringLiteral("2026,12,7,2,0,0,0,1234,0,,\r\n"));
    EXPECT_EQ(platform.Boxes.size(), 2u);
}

TEST_F(MainWindowTest, OpenedLedgerIsSavedBackWhereItWasFound) {
    SaveLedger(exe, QStringLiteral("家計簿"), 1);
    SaveLedger(other, QStringLiteral("家計簿"), 2);
    WriteIni(exe, QStringLiteral("家計簿"));
    const QByteArray before = ReadBytes(exe + QStringLiteral("家計簿.nbd"));
    Start();
    ASSERT_TRUE(platform.Boxes.empty());

    platform.FileAnswers.push_back(other + QStringLiteral("家計簿.nbd"));
    ClickButton("ToolButton1");
    ASSERT_EQ(platform.FileDialogs.size(), 1u);
    EXPECT_FALSE(platform.FileDialogs[0].Save);
    EXPECT_EQ(platform.FileDialogs[0].Options.Filter, QStringLiteral("家計簿データ(*.nbd)|*.nbd"));
    EXPECT_EQ(ledger->DataDir, other.toStdString());
    EXPECT_EQ(ledger->EntryTable[11][1].Amount, 101);

    ClickButton("ToolButton2");
    EXPECT_EQ(ReadBytes(exe + QStringLiteral("家計簿.nbd")), before);
    EXPECT_EQ(ReadText(other + QStringLiteral("家計簿.nbd")),
              QStringLiteral("2026,12,1,2,0,0,0,100,0,,\r\n2026,12,1,2,0,0,0,101,0,,\r\n"));
    EXPECT_TRUE(ReadText(exe + QStringLiteral("rozed.ini"))
                    .startsWith(other + QStringLiteral("\r\n家計簿\r\n")));
}

class OpenWithChangesTest : public MainWindowTest {
protected:
    // The open ledger "今年" with one entry, a month picked and a new entry not yet saved.
    void StartChanged() {
        SaveLedger(exe, QStringLiteral("今年"), 1);
        SaveLedger(other, QStringLiteral("別"), 2);
        WriteIni(exe, QStringLiteral("今年"));
        savedBefore = ReadBytes(exe + QStringLiteral("今年.nbd"));
        Start();
        QTest::keyClick(window->ComboBox1, Qt::Key_Up);  // November
        ledger->EntryTable[10][0] = Expense(2026, 11, 1, 777);
        ledger->LedgerChanged = true;
        platform.Boxes.clear();
    }

    void ExpectQuestionAsked() {
        ASSERT_FALSE(platform.Boxes.empty());
        EXPECT_EQ(platform.Boxes[0].Type, Box::Typed);
        EXPECT_EQ(platform.Boxes[0].Kind, MessageKind::Information);
        EXPECT_EQ(platform.Boxes[0].Text, kQuestion);
        EXPECT_EQ(platform.Boxes[0].Buttons, YesButton | NoButton | CancelButton);
    }

    void ExpectOpenedOther() {
        EXPECT_EQ(ledger->LedgerName, "別");
        EXPECT_EQ(ledger->DataDir, other.toStdString());
        EXPECT_EQ(PanelText(), QStringLiteral(" 編集中ファイル名： 別"));
        EXPECT_EQ(window->ComboBox1->currentText(), QStringLiteral("12"));
        EXPECT_EQ(ledger->EditDate, (Date{2026, 12, 7}));
        EXPECT_FALSE(ledger->LedgerChanged);
        EXPECT_EQ(ledger->EntryTable[11][1].Amount, 101);
        EXPECT_EQ(ledger->EntryTable[10][0].Amount, 0);
    }

    QByteArray savedBefore;
};

TEST_F(OpenWithChangesTest, CancelKeepsTheLedgerWithoutAskingForAFile) {
    StartChanged();
    platform.Answers.push_back(CancelButton);
    ClickButton("ToolButton1");
    ExpectQuestionAsked();
    EXPECT_TRUE(platform.FileDialogs.empty());
    EXPECT_EQ(ledger->LedgerName, "今年");
    EXPECT_EQ(ledger->EntryTable[10][0].Amount, 777);
    EXPECT_TRUE(ledger->LedgerChanged);
    EXPECT_EQ(window->ComboBox1->currentText(), QStringLiteral("11"));
}

TEST_F(OpenWithChangesTest, NoOpensWithoutSaving) {
    StartChanged();
    platform.Answers.push_back(NoButton);
    platform.FileAnswers.push_back(other + QStringLiteral("別.nbd"));
    ClickButton("ToolButton1");
    ExpectQuestionAsked();
    EXPECT_EQ(platform.Boxes.size(), 1u);
    EXPECT_EQ(ReadBytes(exe + QStringLiteral("今年.nbd")), savedBefore);
    ExpectOpenedOther();
}

TEST_F(OpenWithChangesTest, YesSavesFirstThenOpens) {
    StartChanged();
    platform.Answers.push_back(YesButton);
    platform.FileAnswers.push_back(other + QStringLiteral("別.nbd"));
    ClickButton("ToolButton1");
    ExpectQuestionAsked();
    ASSERT_EQ(platform.Boxes.size(), 2u);
    EXPECT_EQ(platform.Boxes[1].Text, QStringLiteral("保存が終了しました"));
    EXPECT_EQ(ReadText(exe + QStringLiteral("今年.nbd")),
              QStringLiteral("2026,11,1,2,0,0,0,777,0,,\r\n2026,12,1,2,0,0,0,100,0,,\r\n"));
    ExpectOpenedOther();
}

TEST_F(OpenWithChangesTest, AFoundEntryOfAnotherLedgerIsShownOnceItIsOpenedAsOpenOpensIt) {
    StartChanged();
    const std::string here = exe.toStdString() + "今年.nbd";
    const std::string there = other.toStdString() + "別.nbd";
    // In the open ledger: its day, without a question.
    EXPECT_TRUE(window->ShowFoundEntry(here, Date{2026, 3, 5}));
    EXPECT_TRUE(platform.Boxes.empty());
    EXPECT_EQ(ledger->EditDate, (Date{2026, 3, 5}));

    const QString question =
        QStringLiteral("この明細は家計簿「別」（2026年）にあります。\rその家計簿を開きますか？");
    platform.Answers = {NoButton};
    EXPECT_FALSE(window->ShowFoundEntry(there, Date{2026, 12, 1}));
    ASSERT_EQ(platform.Boxes.size(), 1u);
    EXPECT_EQ(platform.Boxes[0].Text, question);
    EXPECT_EQ(ledger->LedgerName, "今年");

    platform.Boxes.clear();
    platform.Answers = {YesButton, YesButton};
    EXPECT_TRUE(window->ShowFoundEntry(there, Date{2026, 12, 1}));
    ASSERT_EQ(platform.Boxes.size(), 3u);
    EXPECT_EQ(platform.Boxes[1].Text, kQuestion);
    EXPECT_EQ(platform.Boxes[2].Text, QStringLiteral("保存が終了しました"));
    EXPECT_EQ(ReadText(exe + QStringLiteral("今年.nbd")),
              QStringLiteral("2026,11,1,2,0,0,0,777,0,,\r\n2026,12,1,2,0,0,0,100,0,,\r\n"));
    EXPECT_EQ(ledger->LedgerName, "別");
    EXPECT_EQ(ledger->EditDate, (Date{2026, 12, 1}));
}

TEST_F(OpenWithChangesTest, FailedLoadLeavesDateFlagsPanelAndLedger) {
    StartChanged();
    // A missing file: the load's warning, nothing else changes.
    platform.Answers.push_back(NoButton);
    platform.FileAnswers.push_back(other + QStringLiteral("ない.nbd"));
    ClickButton("ToolButton1");
    ASSERT_EQ(platform.Boxes.size(), 2u);
    EXPECT_EQ(platform.Boxes[1].Kind, MessageKind::Warning);
    EXPECT_EQ(platform.Boxes[1].Text, QStringLiteral("ファイル名ない.nbdは見つかりませんでした。"));

    // A malformed file: the general error box, nothing else changes.
    WriteText(other + QStringLiteral("壊れ.nbd"), QStringLiteral("2026,12,x\r\n"));
    platform.Answers.push_back(NoButton);
    platform.FileAnswers.push_back(other + QStringLiteral("壊れ.nbd"));
    ClickButton("ToolButton1");
    ASSERT_EQ(platform.Boxes.size(), 4u);
    EXPECT_EQ(platform.Boxes[3].Type, Box::Error);

    EXPECT_EQ(ledger->LedgerName, "今年");
    EXPECT_EQ(ledger->DataDir, exe.toStdString());
    EXPECT_EQ(PanelText(), QStringLiteral(" 編集中ファイル名： 今年"));
    EXPECT_EQ(window->ComboBox1->currentText(), QStringLiteral("11"));
    EXPECT_EQ(ledger->EditDate, (Date{2026, 11, 1}));
    EXPECT_TRUE(ledger->LedgerChanged);
    EXPECT_EQ(ledger->EntryTable[10][0].Amount, 777);
}

class CloseTest : public MainWindowTest {
protected:
    void StartChanged() {
        Start();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        ledger->EntryTable[11][0] = Expense(2026, 12, 7, 2500);
        ledger->LedgerChanged = true;
    }
    const QStringList startFiles = {QStringLiteral("hojyo.dat"), QStringLiteral("kamoku.dat"),
                                    QStringLiteral("rozed.ini")};
};

TEST_F(CloseTest, CancelKeepsTheProgramRunning) {
    StartChanged();
    platform.Answers.push_back(CancelButton);
    Action("N16")->trigger();
    ASSERT_EQ(platform.Boxes.size(), 1u);
    EXPECT_EQ(platform.Boxes[0].Kind, MessageKind::Information);
    EXPECT_EQ(platform.Boxes[0].Text, kQuestion);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(FilesIn(exe), startFiles);
    EXPECT_TRUE(ledger->LedgerChanged);

    // Closing the box without an answer counts as cancel.
    platform.Answers.push_back(BoxClosed);
    window->close();
    EXPECT_TRUE(window->isVisible());
}

TEST_F(CloseTest, NoClosesWithoutWritingAnything) {
    StartChanged();
    platform.Answers.push_back(NoButton);
    window->close();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(FilesIn(exe), startFiles);
}

TEST_F(CloseTest, YesSavesUnderTheCurrentNameThenCloses) {
    StartChanged();
    platform.Answers.push_back(YesButton);
    window->close();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(FilesIn(exe),
              QStringList({QStringLiteral("hojyo.dat"), QStringLiteral("kamoku.dat"),
                           QStringLiteral("memo.dat"), QStringLiteral("mise.dat"),
                           QStringLiteral("rozed.ini"), QStringLiteral("新規作成.nbd"),
                           QStringLiteral("新規作成r.dat"), QStringLiteral("新規作成y.dat")}));
    EXPECT_EQ(ReadText(exe + QStringLiteral("新規作成.nbd")),
              QStringLiteral("2026,12,7,2,0,0,0,2500,0,,\r\n"));
    ASSERT_EQ(platform.Boxes.size(), 2u);
    EXPECT_EQ(platform.Boxes[1].Text, QStringLiteral("保存が終了しました"));
}

TEST_F(CloseTest, FailedSaveKeepsTheWindowOpen) {
    StartChanged();
    ASSERT_TRUE(QDir(exe).mkdir(QStringLiteral("新規作成r.dat")));
    platform.Answers.push_back(YesButton);
    window->close();
    EXPECT_TRUE(window->isVisible());
    ASSERT_EQ(platform.Boxes.size(), 2u);
    EXPECT_EQ(platform.Boxes[1].Type, Box::Error);
    EXPECT_TRUE(ledger->LedgerChanged);
}

TEST_F(CloseTest, AProgramFolderThatCannotBeWrittenWarnsOnceAndTheLedgerIsSaved) {
    StartChanged();
    // The ledger lies in another folder; the program folder refuses every new file.
    ledger->DataDir = other.toStdString();
    const std::string programDir = exe.toStdString();
    SetWriteFaultHookForTesting([&](WriteStep step, const std::string& path) {
        return step == WriteStep::CreateTemp && path.rfind(programDir, 0) == 0 ? EACCES : 0;
    });
    platform.Answers.push_back(YesButton);
    window->close();
    SetWriteFaultHookForTesting(nullptr);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(ReadText(other + QStringLiteral("新規作成.nbd")),
              QStringLiteral("2026,12,7,2,0,0,0,2500,0,,\r\n"));
    EXPECT_EQ(FilesIn(exe), startFiles);
    ASSERT_EQ(platform.Boxes.size(), 3u);
    EXPECT_EQ(platform.Boxes[1].Type, Box::Typed);
    EXPECT_EQ(platform.Boxes[1].Kind, MessageKind::Warning);
    EXPECT_TRUE(platform.Boxes[1].Text.startsWith(
        QStringLiteral("家計簿データは保存しましたが、設定を保存できませんでした。\r")))
        << platform.Boxes[1].Text.toStdString();
    EXPECT_TRUE(platform.Boxes[1].Text.contains(QStringLiteral("アクセスが拒否されました")));
    EXPECT_EQ(platform.Boxes[2].Text, QStringLiteral("保存が終了しました"));
    EXPECT_FALSE(ledger->LedgerChanged);
}

TEST_F(CloseTest, UnchangedLedgerClosesAtOnce) {
    Start();
    window->show();
    window->close();
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(platform.Boxes.empty());
}

TEST_F(MainWindowTest, DefaultLayoutPlacesAndShowsBothToolWindows) {
    TForm1& w = Start();
    auto entry = std::make_unique<TForm3>(*ledger, w);
    FakeSheet sheet(w);
    entry->move(600, 300);
    sheet.setGeometry(200, 200, 300, 300);
    w.SetEntryForm(entry.get());
    w.SetDataSheet(&sheet);
    EXPECT_FALSE(w.N11->isChecked());
    EXPECT_FALSE(w.N13->isChecked());

    Action("DefaultLayout1")->trigger();
    EXPECT_TRUE(entry->isVisible());
    EXPECT_EQ(entry->pos(), QPoint(427, 81));
    EXPECT_TRUE(sheet.isVisible());
    EXPECT_EQ(sheet.geometry(), QRect(0, 81, 425, ScreenHeight() - 150));
    EXPECT_TRUE(w.N11->isChecked());
    EXPECT_TRUE(w.N13->isChecked());

    // The entry form closing itself clears its mark.
    w.FormVisible(entry.get(), entry->isVisible());
    EXPECT_FALSE(entry->isVisible());
    EXPECT_FALSE(w.N13->isChecked());
    // A ledger opened later keeps the marks of the windows as they are.
    w.init();
    EXPECT_FALSE(w.N13->isChecked());
    EXPECT_TRUE(w.N11->isChecked());
}

TEST_F(MainWindowTest, CtrlDHidesAndShowsTheDataSheet) {
    TForm1& w = Start();
    FakeSheet sheet(w);
    sheet.show();
    w.SetDataSheet(&sheet);
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    ASSERT_TRUE(w.N11->isChecked());

    QTest::keyClick(&w, Qt::Key_D, Qt::ControlModifier);
    EXPECT_FALSE(sheet.isVisible());
    EXPECT_FALSE(w.N11->isChecked());
    QTest::keyClick(&w, Qt::Key_D, Qt::ControlModifier);
    EXPECT_TRUE(sheet.isVisible());
    EXPECT_TRUE(w.N11->isChecked());
}

TEST_F(MainWindowTest, F10OpensTheFirstMenuAndTheArrowsWalkTheMenus) {
    TForm1& w = Start();
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    auto* file = w.findChild<QMenu*>(QStringLiteral("File1"));
    // The menu right of ファイル.
    auto* edit = w.findChild<QMenu*>(QStringLiteral("Edit1"));
    QTest::keyClick(w.ComboBox1, Qt::Key_F10);
    EXPECT_EQ(w.menuBar()->activeAction(), file->menuAction());
    ASSERT_TRUE(file->isVisible());
    QTest::keyClick(file, Qt::Key_Down);
    EXPECT_EQ(file->activeAction(), w.findChild<QAction*>(QStringLiteral("N4")));
    QTest::keyClick(file, Qt::Key_Right);
    EXPECT_FALSE(file->isVisible());
    EXPECT_TRUE(edit->isVisible());
    EXPECT_EQ(w.menuBar()->activeAction(), edit->menuAction());
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_FALSE(edit->isVisible());
}

TEST_F(MainWindowTest, UnregisteredEntryFormSwitchLandsInTheSavedLayout) {
    TForm1& w = Start();
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    QTest::keyClick(&w, Qt::Key_I, Qt::ControlModifier);
    EXPECT_FALSE(w.N13->isChecked());
    EXPECT_EQ(ledger->WindowLayout[kLayoutEntryForm].Visible, 0);

    platform.FileAnswers.push_back(exe + QStringLiteral("家計簿.nbd"));
    w.N6Click();
    const QStringList lines =
        ReadText(exe + QStringLiteral("rozed.ini")).split(QStringLiteral("\r\n"));
    ASSERT_GE(lines.size(), 6);
    EXPECT_EQ(lines[5],
              QStringLiteral("0,427,81,0,0,0,427,81,0,0,1,0,81,%1,425,").arg(ScreenHeight() - 150));
}

class CarryOverTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        SaveLedger(exe, QStringLiteral("今年"), 0);
        WriteIni(exe, QStringLiteral("今年"));
        Start();
        ledger->BalanceTable[0][0][0] = 10000;
        ledger->BalanceTable[0][0][5] = 10000;
        ledger->EntryTable[5][0] = Expense(2026, 6, 10, 3000);
        ledger->LedgerChanged = true;
        for (const char* suffix : {".nbd", "r.dat", "y.dat"}) {
            own << ReadBytes(exe + QStringLiteral("今年") + QLatin1String(suffix));
        }
    }

    void ExpectOwnFilesUntouched() {
        int i = 0;
        for (const char* suffix : {".nbd", "r.dat", "y.dat"}) {
            EXPECT_EQ(ReadBytes(exe + QStringLiteral("今年") + QLatin1String(suffix)), own[i++])
                << suffix;
        }
    }

    QList<QByteArray> own;
};

TEST_F(CarryOverTest, CancelWritesNothing) {
    Action("N9")->trigger();
    ASSERT_EQ(platform.FileDialogs.size(), 1u);
    const auto& dialog = platform.FileDialogs[0];
    EXPECT_TRUE(dialog.Save);
    EXPECT_EQ(dialog.Options.InitialDir, exe);
    // Never the open ledger's own name, which the carry-over refuses.
    EXPECT_EQ(dialog.Options.FileName, QStringLiteral("今年2027"));
    EXPECT_TRUE(dialog.Options.OverwritePrompt);
    EXPECT_TRUE(FilesIn(other).isEmpty());
    EXPECT_TRUE(platform.Boxes.empty());
    ExpectOwnFilesUntouched();
}

TEST_F(CarryOverTest, RefusesTheOpenLedgersOwnFile) {
    QDir(exe).mkdir(QStringLiteral("sub"));
    for (const QString& path :
         {exe + QStringLiteral("今年.nbd"), exe + QStringLiteral("sub/../今年.nbd")}) {
        platform.Boxes.clear();
        platform.FileAnswers.push_back(path);
        Action("N9")->trigger();
        ASSERT_EQ(platform.Boxes.size(), 1u) << path.toStdString();
        EXPECT_EQ(platform.Boxes[0].Type, Box::Typed);
        EXPECT_EQ(platform.Boxes[0].Kind, MessageKind::Warning);
        EXPECT_EQ(platform.Boxes[0].Text, QStringLiteral("編集中の家計簿データには繰り越せません。"
                                                         "別のファイル名を指定してください。"));
    }
    ExpectOwnFilesUntouched();
    EXPECT_TRUE(ledger->LedgerChanged);
}

TEST_F(CarryOverTest, WritesTheNextYearWithTheClosingBalances) {
    platform.FileAnswers.push_back(other + QStringLiteral("来年.nbd"));
    Action("N9")->trigger();
    EXPECT_TRUE(platform.Boxes.empty());
    EXPECT_EQ(FilesIn(other), QStringList({QStringLiteral("来年.nbd"), QStringLiteral("来年r.dat"),
                                           QStringLiteral("来年y.dat")}));
    const QStringList balances =
        ReadText(other + QStringLiteral("来年r.dat")).split(QStringLiteral("\r\n"));
    ASSERT_GE(balances.size(), 180);
    EXPECT_EQ(balances[0], QStringLiteral("7000"));
    EXPECT_EQ(balances[5], QStringLiteral("7000"));
    EXPECT_EQ(balances[180], QStringLiteral("7000"));
    EXPECT_TRUE(ReadBytes(other + QStringLiteral("来年.nbd")).isEmpty());
    // The open ledger stays as it was, still to be saved.
    EXPECT_EQ(ledger->LedgerName, "今年");
    EXPECT_EQ(ledger->DataDir, exe.toStdString());
    EXPECT_TRUE(ledger->LedgerChanged);
    ExpectOwnFilesUntouched();
}

TEST_F(MainWindowTest, StartUpShowsTheNoticesOfAMissingLedgerAndMaster) {
    QFile::remove(exe + QStringLiteral("kamoku.dat"));
    WriteIni(exe, QStringLiteral("消えた家計簿"));
    TForm1& w = Start();
    ASSERT_EQ(platform.Boxes.size(), 2u);
    EXPECT_EQ(platform.Boxes[0].Kind, MessageKind::Error);
    EXPECT_EQ(platform.Boxes[0].Text, QStringLiteral("科目ファイルが見つかりませんでした。"));
    EXPECT_EQ(platform.Boxes[1].Kind, MessageKind::Warning);
    EXPECT_EQ(platform.Boxes[1].Text,
              QStringLiteral("ファイル名消えた家計簿.nbdは見つかりませんでした。"));
    EXPECT_EQ(PanelText(), QStringLiteral(" 編集中ファイル名： 新規作成"));
    EXPECT_EQ(w.ComboBox2->currentText(), QStringLiteral("7"));
}

TEST_F(MainWindowTest, ADamagedLayoutLineStartsWithEveryWindowWithinTheScreen) {
    // Sizes of 2147483647 once opened a 32767 x 32767 window and stopped the program.
    WriteText(exe + QStringLiteral("rozed.ini"),
              exe + QStringLiteral("\r\n新規作成\r\n30\r\n30\r\nFalse\r\n"
                                   "1,-5000,81,2147483647,2147483647,1,2147483647,2147483647,"
                                   "2147483647,2147483647,1,0,-2147483647,1,1,\r\n"));
    Start();
    EXPECT_TRUE(platform.Boxes.empty());
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    for (const LayoutSlot& slot : ledger->WindowLayout) {
        const QRect window(slot.Left, slot.Top, slot.Width, slot.Height);
        const QSize least(kSmallestSheetWidth, kSmallestSheetHeight);
        EXPECT_TRUE(window.intersects(screen) &&
                    screen.size().expandedTo(window.size()) == screen.size() &&
                    window.size().expandedTo(least) == window.size())
            << slot.Left << "," << slot.Top << " " << slot.Width << "x" << slot.Height;
    }
}

TEST_F(MainWindowTest, Screenshot) {
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
    SaveLedger(exe, QStringLiteral("家計簿2026"), 3);
    WriteIni(exe, QStringLiteral("家計簿2026"));
    TForm1& w = Start();
    w.resize(1100, 80);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    const QImage shot = test::SaveScreenshot(w, QStringLiteral("main_window"));
    // The whole strip, and the ledger's name drawn in its panel at the right.
    EXPECT_EQ(shot.size(), w.size() * shot.devicePixelRatio());
    const auto* panel = w.findChild<QLabel*>(QStringLiteral("Panel2"));
    const QRect name(panel->mapTo(&w, QPoint(panel->width() / 2, 0)),
                     QSize(panel->width() / 2, panel->height()));
    int ink = 0;
    for (int x = name.left(); x <= name.right(); ++x) {
        for (int y = name.top(); y <= name.bottom(); ++y) ink += qGray(shot.pixel(x, y)) < 96;
    }
    EXPECT_GT(ink, 20);
}

}  // namespace
}  // namespace kakeibo
