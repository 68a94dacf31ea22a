#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "core/sheets.h"
#include "tests/ui/entry_fixture.h"
#include "ui/graph/graph_sheet.h"
#include "ui/print/printout.h"
#include "ui/sheet/data_sheet.h"

namespace kakeibo::test {
namespace {

// The output of a poppler tool on `pdf` (pdftotext writes to "-": standard output).
QString Poppler(const QString& tool, QStringList arguments) {
    QProcess process;
    process.start(tool, arguments);
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

QStringList PagesOf(const QString& pdf) {
    if (qEnvironmentVariableIsSet("KEEP_PDF"))
        QFile::copy(pdf, "/tmp/" + QFileInfo(pdf).fileName());
    QStringList pages =
        Poppler(QStringLiteral("pdftotext"), {QStringLiteral("-raw"), pdf, QStringLiteral("-")})
            .split(QChar('\f'));
    if (!pages.isEmpty() && pages.back().trimmed().isEmpty()) pages.removeLast();
    return pages;
}

QString PageSize(const QString& pdf) {
    const QString info = Poppler(QStringLiteral("pdfinfo"), {pdf});
    const auto match =
        QRegularExpression(QStringLiteral("Page size:\\s+([0-9.]+ x [0-9.]+)")).match(info);
    return match.captured(1);
}

// The pixels of page 1 of `pdf`, rendered at 150 dots per inch.
QImage FirstPage(const QString& pdf, const QString& folder) {
    const QString stem = folder + QStringLiteral("/page");
    Poppler(QStringLiteral("pdftoppm"),
            {QStringLiteral("-r"), QStringLiteral("150"), QStringLiteral("-f"), QStringLiteral("1"),
             QStringLiteral("-singlefile"), QStringLiteral("-png"), pdf, stem});
    return QImage(stem + QStringLiteral(".png"));
}

int PixelsOf(const QImage& image, QColor color) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            count += std::abs(pixel.red() - color.red()) < 40 &&
                     std::abs(pixel.green() - color.green()) < 40 &&
                     std::abs(pixel.blue() - color.blue()) < 40;
        }
    }
    return count;
}

// The title's full-width blank as the text extraction gives it.
const QString kTitleBlank = QStringLiteral(" ");
const QString kA4Portrait = QStringLiteral("595 x 842");
const QString kA4Landscape = QStringLiteral("842 x 595");

// Printing is the main window's menu, over whichever tool window was active.
class PrintTest : public EntryWindowsTest {
protected:
    void SetUp() override {
        EntryWindowsTest::SetUp();
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
            GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
        }
        ledger->LedgerName = "kakei";
        ledger->DataDir = folder.path().toStdString() + "/";
        ledger->WindowLayout[kLayoutDataSheet] = LayoutSlot{1, 30, 90, 520, 440};
        sheet = std::make_unique<TForm5>(*ledger, *main);
        sheet->FormCreate();
        main->SetDataSheet(sheet.get());
    }

    // Makes `window` the active window, as a click on it does.
    void Activate(QWidget* window) {
        QApplication::setActiveWindow(window);
        ASSERT_EQ(QApplication::activeWindow(), window);
    }

    // Chooses a ファイル menu entry by its name.
    void Menu(const char* name) { main->findChild<QAction*>(QString::fromUtf8(name))->trigger(); }

    QString WritePdfOf(const QString& name) {
        const QString path = folder.filePath(name);
        platform.FileAnswers.push_back(path);
        Menu("Pdf1");
        return path;
    }

    QTemporaryDir folder;
    std::unique_ptr<TForm5> sheet;  // destroyed before the main window
    std::unique_ptr<TForm4> graph;
};

// 600 entries of July: every amount on the pages in order, the headings and the page
// number on each page, landscape; the menu takes the window the user used last.
TEST_F(PrintTest, EveryRowOfTheDetailSheetOnLandscapePagesWithTheHeadingsRepeated) {
    for (int i = 0; i < 600; ++i) Put(7, i, Entry(7, 1 + i % 31, 2, 0, 0, 0, 10000 + i));
    main->AllUpdate();
    sheet->ComboBox1->setCurrentIndex(DetailSheet);
    emit sheet->ComboBox1->activated(DetailSheet);
    Activate(sheet.get());

    Menu("Print1");
    Activate(form.get());
    Menu("Print1");
    EXPECT_EQ(platform.Previews,
              std::vector<QString>({"2026年7月　今月の詳細データ", "2026年7月　今月の入力一覧"}));

    Activate(sheet.get());
    const QString pdf = WritePdfOf(QStringLiteral("detail.pdf"));
    const FileDialogOptions& options = platform.FileDialogs.back().Options;
    EXPECT_EQ(options.FileName, QStringLiteral("家計簿_2026年07月_今月の詳細データ.pdf"));
    EXPECT_EQ(options.InitialDir, folder.path() + "/");
    EXPECT_EQ(options.Filter, QStringLiteral("PDFファイル(*.pdf)|*.pdf"));
    EXPECT_TRUE(options.OverwritePrompt);
    EXPECT_EQ(platform.Boxes.back().Text, QStringLiteral("　保存は正常に終了しました。　"));

    EXPECT_EQ(PageSize(pdf), kA4Landscape);
    const QStringList pages = PagesOf(pdf);
    ASSERT_GT(pages.size(), 1);
    EXPECT_TRUE(pages[0].contains(QStringLiteral("2026年7月") + kTitleBlank +
                                  QStringLiteral("今月の詳細データ")));
    EXPECT_TRUE(pages[0].contains(QStringLiteral("kakei")));
    EXPECT_TRUE(pages[0].contains(QStringLiteral("印刷日 2026/07/12")));
    int next = 0;  // the next amount to find, in the order of the entries
    for (int p = 0; p < pages.size(); ++p) {
        const QString& page = pages[p];
        EXPECT_TRUE(page.contains(QStringLiteral("項目1")) && page.contains(QStringLiteral("金額")))
            << "page " << p + 1;
        EXPECT_TRUE(page.contains(QStringLiteral("%1 / %2").arg(p + 1).arg(pages.size())));
        int at = 0;
        while (next < 600) {
            const QString amount = QLocale(QLocale::English).toString(10000 + next);
            at = page.indexOf(amount, at);
            if (at < 0) break;
            ++next;
        }
    }
    EXPECT_EQ(next, 600);
}

// 食費 over its budget: the gauge drawn, its bar red; the wallet below 0 on the balances: its
// figure red. The pages are portrait.
// A write that fails leaves no file and says why; no window shown, nothing to print.
TEST_F(PrintTest, ExpenseSheetPrintsRedFiguresAndGaugesAndAFailedWriteLeavesNoFile) {
    ledger->BudgetTable[7][2] = 1000;
    Put(7, 0, Entry(7, 3, 2, 0, 0, 0, 1500));
    main->AllUpdate();
    Activate(sheet.get());
    const QString pdf = WritePdfOf(QStringLiteral("expense.pdf"));
    EXPECT_EQ(PageSize(pdf), kA4Portrait);
    const QImage page = FirstPage(pdf, folder.path());
    EXPECT_GT(PixelsOf(page, QColor(0, 255, 255)), 0);  // the gauge's strip
    EXPECT_GT(PixelsOf(page, QColor(255, 0, 0)), 0);    // its bar: the budget is missed

    sheet->ComboBox1->setCurrentIndex(AccountSheet);
    emit sheet->ComboBox1->activated(AccountSheet);
    const QString balances = WritePdfOf(QStringLiteral("balances.pdf"));
    EXPECT_EQ(PageSize(balances), kA4Portrait);
    EXPECT_TRUE(PagesOf(balances).at(0).contains(QStringLiteral("-1,500")));
    EXPECT_GT(PixelsOf(FirstPage(balances, folder.path()), QColor(255, 0, 0)), 0);

    const QString missing = folder.filePath(QStringLiteral("no/such/folder/x.pdf"));
    platform.FileAnswers.push_back(missing);
    Menu("Pdf1");
    EXPECT_FALSE(QFile::exists(missing));
    EXPECT_EQ(platform.Boxes.back().Type, FakePlatform::BoxType::Error);
    EXPECT_TRUE(platform.Boxes.back().Text.contains(missing));

    sheet->hide();
    form->hide();
    Menu("Print1");
    EXPECT_EQ(
        platform.Boxes.back().Text,
        QStringLiteral("印刷するデータシート、グラフシートか入力フォームを表示してください。"));
    EXPECT_TRUE(platform.Previews.empty());
}

// The graph goes on the page as vectors with its title and legend: its texts can be read.
TEST_F(PrintTest, GraphPrintsWithItsTitleAndLegendAsText) {
    ledger->BudgetTable[7][2] = 1000;
    Put(7, 0, Entry(7, 3, 2, 0, 0, 0, 1500));
    ledger->WindowLayout[kLayoutGraphSheet] = LayoutSlot{1, 30, 90, 400, 600};
    graph = std::make_unique<TForm4>(*ledger, *main);
    graph->FormCreate();
    main->SetGraphSheet(graph.get());
    Activate(graph.get());
    const QString pdf = WritePdfOf(QStringLiteral("graph.pdf"));
    EXPECT_EQ(PageSize(pdf), kA4Landscape);
    const QStringList pages = PagesOf(pdf);
    ASSERT_EQ(pages.size(), 1);
    EXPECT_TRUE(pages[0].contains(QStringLiteral("2026年7月") + kTitleBlank +
                                  QStringLiteral("今月の支出")));
    for (const char* text : {"食費", "予算", "実績", "1 / 1"}) {
        EXPECT_TRUE(pages[0].contains(QString::fromUtf8(text))) << text;
    }
}

}  // namespace
}  // namespace kakeibo::test
