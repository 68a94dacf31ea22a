#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "core/files/ledger_files.h"
#include "core/reports/sheets.h"
#include "tests/ui/entry_fixture.h"
#include "ui/graph/graph_sheet.h"
#include "ui/platform/text.h"
#include "ui/print/printout.h"
#include "ui/print_dialog/print_preview.h"
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

// The preview opens at a size that shows a whole page, fitted in its view.
TEST_F(PrintTest, ThePreviewOpensShowingAWholePage) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    TablePrintout table = PrintoutTitles(*ledger, "今月の支出", false);
    table.Cells = {{"", "当月実績"}, {"食費", "1,500"}};
    table.ColumnWidths = {128, 82};
    const TableDocument document(std::move(table), 25);
    QSize size;
    QPrintPreviewWidget::ZoomMode zoom = QPrintPreviewWidget::CustomZoom;
    QString title;
    // Looked at a few turns of the event loop after it shows, then closed.
    int turns = 0;
    std::function<void()> look = [&] {
        auto* dialog = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || ++turns < 3) {
            QTimer::singleShot(20, look);
            return;
        }
        size = dialog->size();
        title = dialog->windowTitle();
        zoom = dialog->findChild<QPrintPreviewWidget*>()->zoomMode();
        dialog->reject();
    };
    QTimer::singleShot(0, look);
    EXPECT_FALSE(ShowPrintPreview(document, nullptr));
    EXPECT_EQ(title, QStringLiteral("印刷プレビュー：2026年7月　今月の支出"));
    EXPECT_EQ(zoom, QPrintPreviewWidget::FitInView);
    EXPECT_GE(size.height(), screen.height() * 8 / 10);
    EXPECT_LE(size.height(), screen.height());
    EXPECT_LE(size.width(), screen.width());
}

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

    // The entry list's amounts as the list shows them, with separators.
    const QString list = WritePdfOf(QStringLiteral("list.pdf"));
    const QStringList listPages = PagesOf(list);
    ASSERT_FALSE(listPages.isEmpty());
    EXPECT_TRUE(listPages[0].contains(QStringLiteral("10,000"))) << listPages[0].toStdString();

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

// 年間推移 is as wide as the year: it prints on a landscape page, every month's column and the
// year's totals on it, filling the page's width.
TEST_F(PrintTest, TheYearSheetPrintsOnALandscapePageWithEveryColumn) {
    ledger->BudgetTable[7][2] = 1000;
    Put(7, 0, Entry(7, 3, 2, 0, 0, 0, 1500));
    Put(7, 1, Entry(7, 4, 3, 0, 0, 0, 2500));
    main->AllUpdate();
    sheet->ComboBox1->setCurrentIndex(YearSheet);
    emit sheet->ComboBox1->activated(YearSheet);
    Activate(sheet.get());
    const QString pdf = WritePdfOf(QStringLiteral("year.pdf"));
    EXPECT_EQ(PageSize(pdf), kA4Landscape);
    const QStringList pages = PagesOf(pdf);
    ASSERT_EQ(pages.size(), 1);
    for (const char* text :
         {"1月", "7月", "12月", "合計", "予算合計", "達成率", "1,500", "2,500", "150.00%"}) {
        EXPECT_TRUE(pages[0].contains(QString::fromUtf8(text))) << text;
    }
    // The table spans the page: the rate, right-aligned in the last column, ends near the
    // right margin (12 mm, 34 points, from the edge).
    const QString words =
        Poppler(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    const auto rate =
        QRegularExpression(QStringLiteral("xMax=\"([0-9.]+)\"[^>]*>150\\.00%<")).match(words);
    ASSERT_TRUE(rate.hasMatch()) << words.toStdString();
    EXPECT_GT(rate.captured(1).toDouble(), 842 - 34 - 20);
}

// 食費 over its budget: the gauge drawn, its bar red; the wallet below 0 on the balances: its
// figure red. The pages are portrait.
// A write that fails leaves no file and says why; no window shown, nothing to print.
TEST_F(PrintTest, ExpenseSheetPrintsRedFiguresAndGaugesAndAFailedWriteLeavesNoFile) {
    ledger->BudgetTable[7][2] = 1000;
    Put(7, 0, Entry(7, 3, 2, 0, 0, 0, 1500));
    main->AllUpdate();
    Activate(sheet.get());
    // Saved where the user chose: made as the user's other files are, as a CSV is.
    const mode_t mask = ::umask(027);
    const QString pdf = WritePdfOf(QStringLiteral("expense.pdf"));
    ::umask(mask);
    struct stat made {};
    ASSERT_EQ(::stat(pdf.toLocal8Bit().constData(), &made), 0);
    EXPECT_EQ(made.st_mode & 0777, 0640u);
    EXPECT_EQ(PageSize(pdf), kA4Portrait);
    // An item reads by its name on paper, without the window's 「+」.
    const QString expense = PagesOf(pdf).value(0);
    EXPECT_TRUE(expense.contains(QStringLiteral("食費"))) << expense.toStdString();
    EXPECT_FALSE(expense.contains(QStringLiteral("+食費"))) << expense.toStdString();
    EXPECT_FALSE(expense.contains(QStringLiteral("-食費"))) << expense.toStdString();
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

// Every graph is laid out for the page: with the shipped items (18 expense items, ten account
// lines in the legend) each item name and legend entry reads whole on paper, never 「…」. The
// PDF and the preview say it is a graph.
TEST_F(PrintTest, EachGraphPrintsEveryItemNameAndLegendEntryWhole) {
    ASSERT_TRUE(ReadItemMaster(*ledger, KAKEIBO_DATA_DIR "kamoku.dat"));
    ASSERT_TRUE(ReadSubItemMaster(*ledger, KAKEIBO_DATA_DIR "hojyo.dat"));
    for (int i = 2; i < kItemCount; ++i) {
        if (ledger->ItemTable[i].Kind == kKindExpense) ledger->BudgetTable[7][i] = 1000 * i;
    }
    Put(7, 0, Entry(7, 3, 2, 0, 0, 0, 1500));
    ledger->WindowLayout[kLayoutGraphSheet] = LayoutSlot{1, 30, 90, 400, 600};
    graph = std::make_unique<TForm4>(*ledger, *main);
    graph->FormCreate();
    main->SetGraphSheet(graph.get());
    Activate(graph.get());
    QStringList expenseItems;
    for (const ItemRecord& item : ledger->ItemTable) {
        if (item.Kind == kKindExpense && !item.Name.empty()) expenseItems << Qs(item.Name);
    }
    ASSERT_EQ(expenseItems.size(), 18);
    QStringList accountLines;
    for (int i = 0; i < 2; ++i) {
        for (const std::string& sub : ledger->SubItemTable[i]) {
            if (!sub.empty()) accountLines << Qs(sub);
        }
        accountLines << Qs(ledger->ItemTable[i].Name) + QStringLiteral("　合計");
    }
    ASSERT_EQ(accountLines.size(), 10);
    const struct {
        GraphKind kind;
        const char* pdf;
        const char* title;
        QStringList texts;
    } rows[] = {
        {GraphKind::MonthExpense, "家計簿_2026年07月_今月の支出のグラフ.pdf",
         "2026年7月　今月の支出のグラフ", expenseItems + QStringList{"実績", "予算"}},
        {GraphKind::AccountBalances, "家計簿_2026年_口座残高の推移のグラフ.pdf",
         "2026年　口座残高の推移のグラフ", accountLines},
    };
    for (const auto& row : rows) {
        graph->ComboBox1->setCurrentIndex(static_cast<int>(row.kind));
        graph->ComboBox1Change();
        const QString pdf = WritePdfOf(QStringLiteral("graph.pdf"));
        EXPECT_EQ(platform.FileDialogs.back().Options.FileName, QString::fromUtf8(row.pdf));
        platform.Previews.clear();
        Menu("Print1");
        EXPECT_EQ(platform.Previews, std::vector<QString>{QString::fromUtf8(row.title)});
        EXPECT_EQ(PageSize(pdf), kA4Landscape);
        const QStringList pages = PagesOf(pdf);
        ASSERT_EQ(pages.size(), 1);
        const QString& text = pages[0];
        // Whole: a cut name would read 「銀行口…」.
        for (QString name : row.texts) {
            name.replace(QStringLiteral("　"), kTitleBlank);
            EXPECT_TRUE(text.contains(name)) << name.toStdString() << "\n" << text.toStdString();
        }
        EXPECT_FALSE(text.contains(QStringLiteral("...")) || text.contains(QStringLiteral("…")))
            << text.toStdString();
        QFile::remove(pdf);
    }
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
    for (const char* text : {"食費", "予算", "実績", "1 / 1", "のグラフ"}) {
        EXPECT_TRUE(pages[0].contains(QString::fromUtf8(text))) << text;
    }
}

}  // namespace
}  // namespace kakeibo::test
