// The CSV export of the main window's menu: the shown sheet and the month's entry list.
#include <sys/stat.h>

#include <QAction>
#include <QFile>
#include <QTableWidget>
#include <QTemporaryDir>

#include "core/sjis.h"
#include "entry_fixture.h"
#include "ui/sheet/data_sheet.h"

namespace kakeibo::test {
namespace {

using Box = FakePlatform::BoxType;

const QString kDone = QStringLiteral("　保存は正常に終了しました。　");

// The export is the main window's menu over the data sheet and the entry form.
class CsvExportTest : public EntryWindowsTest {
protected:
    void SetUp() override {
        EntryWindowsTest::SetUp();
        ASSERT_TRUE(dir.isValid());
        ledger->DataDir = dir.path().toStdString() + "/";
        sheet = std::make_unique<TForm5>(*ledger, *main);
        sheet->show();
        main->SetDataSheet(sheet.get());
    }

    // Shows a text in a cell of the sheet's grid, as a fill would.
    void SetCell(int row, int column, const char* text) {
        QTableWidget* grid = sheet->StringGrid1;
        grid->setRowCount(2);
        grid->setColumnCount(3);
        grid->setItem(row, column, new QTableWidgetItem(QString::fromUtf8(text)));
    }

    // Chooses the menu entry and answers the save dialog with `file` in the data folder.
    void Export(const char* entry, const QString& file) {
        platform.FileAnswers.push_back(file.isEmpty() ? QString() : dir.filePath(file));
        main->findChild<QAction*>(QLatin1String(entry))->trigger();
    }

    // The file's bytes; "<missing>" when there is none, so no file never passes for an empty one.
    std::string FileBytes(const char* name) const {
        QFile file(dir.filePath(QLatin1String(name)));
        if (!file.open(QIODevice::ReadOnly)) return "<missing>";
        return file.readAll().toStdString();
    }

    QTemporaryDir dir;
    std::unique_ptr<TForm5> sheet;
};

TEST_F(CsvExportTest, TheShownSheetIsWrittenAsShownWithNegativeFiguresKept) {
    SetCell(0, 0, "+食費");
    SetCell(0, 1, "     1,234");
    SetCell(0, 2, "    -1,234");
    SetCell(1, 0, " 外食");  // row 1 column 1 has no item at all
    SetCell(1, 2, "   -12.50%");

    // Saved where the user chose: made as the user's other files are.
    const mode_t mask = ::umask(027);
    Export("N5", QStringLiteral("sheet.csv"));
    ::umask(mask);
    struct stat made {};
    ASSERT_EQ(::stat(dir.filePath(QStringLiteral("sheet.csv")).toLocal8Bit().constData(), &made),
              0);
    EXPECT_EQ(made.st_mode & 0777, 0640u);

    EXPECT_EQ(FileBytes("sheet.csv"),
              EncodeCp932("食費,     1234,    -1234\r\n 外食,,   -12.50%\r\n"));
    ASSERT_EQ(platform.FileDialogs.size(), 1u);
    const FileDialogOptions& options = platform.FileDialogs[0].Options;
    EXPECT_TRUE(platform.FileDialogs[0].Save);
    EXPECT_EQ(options.Filter, QStringLiteral("CSV File(*.csv)|*.csv"));
    EXPECT_EQ(options.DefaultExt, QStringLiteral("csv"));
    EXPECT_EQ(options.InitialDir, QString::fromStdString(ledger->DataDir));
    EXPECT_TRUE(options.OverwritePrompt);
    ASSERT_EQ(platform.Boxes.size(), 1u);
    EXPECT_EQ(platform.Boxes[0].Type, Box::Plain);
    EXPECT_EQ(platform.Boxes[0].Text, kDone);
}

TEST_F(CsvExportTest, TheMonthsListIsWrittenWithItsSpareRowWhileTheSheetIsHidden) {
    Put(7, 0, Entry(7, 3, 2, 1, 0, 0, 1500), "八百屋", "野菜,果物");
    AllUpdate();
    sheet->hide();

    Export("N7", QStringLiteral("list.csv"));

    EXPECT_EQ(FileBytes("list.csv"),
              EncodeCp932("日,お店の名前等,項　目1,細　目1,項　目2,細　目2,金　額,メ　モ\r\n"
                          "3,八百屋,食費,外食,現金,お財布,1500,野菜果物\r\n"
                          ",,,,,,,\r\n"));
    ASSERT_EQ(platform.Boxes.size(), 1u);
    EXPECT_EQ(platform.Boxes[0].Text, kDone);
}

TEST_F(CsvExportTest, ACancelledOrFailedExportWritesNothingAndReportsNoSuccess) {
    Export("N5", QString());
    EXPECT_TRUE(platform.Boxes.empty());

    Export("N7", QStringLiteral("missing/list.csv"));
    EXPECT_EQ(FileBytes("missing/list.csv"), "<missing>");
    ASSERT_EQ(platform.Boxes.size(), 1u);
    EXPECT_EQ(platform.Boxes[0].Type, Box::Error);
    EXPECT_TRUE(platform.Boxes[0].Text.contains(QStringLiteral("書き込めませんでした")))
        << platform.Boxes[0].Text.toStdString();
}

}  // namespace
}  // namespace kakeibo::test
