#include "ui/graph/graph_sheet.h"

#include <QAbstractBarSeries>
#include <QAction>
#include <QBarCategoryAxis>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QFile>
#include <QLegendMarker>
#include <QLineSeries>
#include <QTemporaryDir>
#include <QToolTip>

#include "core/sjis.h"
#include "entry_fixture.h"
#include "ui/entry/entry_widgets.h"
#include "ui/support/screenshot.h"

namespace kakeibo::test {
namespace {

// January to July: salary 250,000 into みずほ, food 30,000 + 1,000 a month from the wallet,
// daily goods 8,000 from みずほ, and 40,000 moved from みずほ into the wallet.
void FillYear(Ledger& ledger) {
    ledger.BalanceTable[0][0][0] = ledger.BalanceTable[0][0][kTotalColumn] = 50000;
    ledger.BalanceTable[0][1][0] = ledger.BalanceTable[0][1][kTotalColumn] = 300000;
    for (int m = 1; m <= 7; ++m) {
        auto& month = ledger.EntryTable[m - 1];
        month[0] = Entry(m, 25, 1, 0, 5, 0, 250000);
        month[1] = Entry(m, 3, 2, 0, 0, 0, 30000 + m * 1000);
        month[2] = Entry(m, 10, 3, 1, 1, 0, 8000);
        month[3] = Entry(m, 26, 0, 0, 1, 0, 40000);
    }
    ledger.BudgetTable[7][2] = 45000;
    ledger.BudgetTable[7][3] = 10000;
    ledger.NextSlot = ledger.GetIndex(7);
}

QStringList SeriesNames(const QChart* chart) {
    QStringList names;
    for (const QLegendMarker* marker : chart->legend()->markers()) names << marker->label();
    return names;
}

QStringList YenLabels(const QChart* chart) {
    for (QAbstractAxis* axis : chart->axes()) {
        if (auto* yen = qobject_cast<QCategoryAxis*>(axis)) return yen->categoriesLabels();
    }
    return {};
}

QStringList Categories(const QChart* chart) {
    for (QAbstractAxis* axis : chart->axes()) {
        if (auto* c = qobject_cast<QBarCategoryAxis*>(axis)) return c->categories();
    }
    return {};
}

QBarSet* Set(const QChart* chart, const QString& label) {
    for (QAbstractSeries* series : chart->series()) {
        if (auto* bars = qobject_cast<QAbstractBarSeries*>(series)) {
            for (QBarSet* set : bars->barSets()) {
                if (set->label() == label) return set;
            }
        }
    }
    return nullptr;
}

// The figures of a bar set, category by category.
QMap<QString, qreal> Figures(const QChart* chart, const QString& label) {
    QMap<QString, qreal> figures;
    const QStringList categories = Categories(chart);
    const QBarSet* set = Set(chart, label);
    if (set == nullptr) return figures;
    for (int i = 0; i < set->count(); ++i) figures[categories.value(i)] = set->at(i);
    return figures;
}

class GraphSheetTest : public EntryFormTest {
protected:
    void SetUp() override {
        EntryFormTest::SetUp();
        graph = std::make_unique<TForm4>(*ledger, *main);
        graph->FormCreate();
        main->SetGraphSheet(graph.get(), [this] { graph->DrawChart(); });
    }
    void TearDown() override { QToolTip::hideText(); }

    void Pick(GraphKind kind) {
        graph->ComboBox1->setCurrentIndex(static_cast<int>(kind));
        graph->ComboBox1Change();
    }
    QChart* Chart() { return graph->Chart1->chart(); }
    QAction* N12() { return main->N12; }

    std::unique_ptr<TForm4> graph;  // declared last: destroyed first
};

TEST_F(GraphSheetTest, ViewEntrySwitchesTheSheetAndClosingClearsTheMark) {
    EXPECT_TRUE(N12()->isEnabled());
    EXPECT_TRUE(N12()->isCheckable());
    // The default layout leaves the sheet hidden, at its default place.
    EXPECT_TRUE(graph->isHidden());
    EXPECT_FALSE(N12()->isChecked());
    EXPECT_EQ(graph->geometry(), QRect(0, 81, 600, 400));
    struct Step {
        const char* What;
        std::function<void()> Do;
        bool Shown;
    };
    const Step steps[] = {
        {"menu", [&] { N12()->trigger(); }, true},
        {"menu again", [&] { N12()->trigger(); }, false},
        {"menu", [&] { N12()->trigger(); }, true},
        {"close picture", [&] { QTest::mouseClick(graph->Image2, Qt::LeftButton); }, false},
        {"menu", [&] { N12()->trigger(); }, true},
        {"default layout", [&] { main->findChild<QAction*>("DefaultLayout1")->trigger(); }, false},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.What);
        step.Do();
        EXPECT_EQ(graph->isVisible(), step.Shown);
        EXPECT_EQ(N12()->isChecked(), step.Shown);
    }
    EXPECT_EQ(graph->geometry(), QRect(0, 81, 600, 400));
}

TEST_F(GraphSheetTest, AWriteRedrawsTheShownSheetAtOnceAndTheHiddenOneOnlyWhenShown) {
    N12()->trigger();
    EXPECT_EQ(Figures(Chart(), "実績").value("食費", -1), 0);
    TypeAmount("1280");
    Write();
    EXPECT_EQ(Figures(Chart(), "実績").value("食費", -1), 1280);
    EXPECT_EQ(YenLabels(Chart()), QStringList({"0", "500", "1,000", "1,500"}));
    QCoreApplication::processEvents();
    SaveScreenshot(*graph, QStringLiteral("graph_sheet_after_write"));

    N12()->trigger();                                       // hidden
    QTest::mouseClick(form->RadioButton2, Qt::LeftButton);  // tax excluded: 720 counts as 756
    TypeAmount("720");
    Write();
    EXPECT_EQ(Figures(Chart(), "実績").value("食費", -1), 1280);  // not rebuilt while hidden
    N12()->trigger();
    EXPECT_EQ(Figures(Chart(), "実績").value("食費", -1), 2036);
}

TEST_F(GraphSheetTest, EachGraphShowsItsFiguresWithYenAxesAndAScreenshot) {
    FillYear(*ledger);
    graph->resize(640, 440);
    N12()->trigger();
    struct Row {
        GraphKind Kind;
        QString Title;
        QStringList Series;
        QStringList Categories;
        QStringList Yen;
        const char* Shot;
    };
    const Row rows[] = {
        // Largest last: a horizontal chart counts its categories from the bottom.
        {GraphKind::MonthExpense,
         "2026年7月の支出と予算（円）",
         {"実績", "予算"},
         {"日用品", "食費"},
         {"0", "10,000", "20,000", "30,000", "40,000", "50,000"},
         "graph_sheet_month_expense"},
        {GraphKind::YearBalance,
         "2026年の収支（円）",
         {"支出", "収入", "差し引き"},
         {"1月", "2月", "3月", "4月", "5月", "6月", "7月", "8月", "9月", "10月", "11月", "12月"},
         {"0", "50,000", "100,000", "150,000", "200,000", "250,000"},
         "graph_sheet_year_balance"},
        {GraphKind::AccountBalances,
         "2026年の月末口座残高（円）",
         {"お財布", "小銭入れ", "現金　合計", "みずほ", "ゆうちょ", "三井住友", "銀行　合計"},
         {"1月", "2月", "3月", "4月", "5月", "6月", "7月", "8月", "9月", "10月", "11月", "12月"},
         {"0", "500,000", "1,000,000", "1,500,000", "2,000,000"},
         "graph_sheet_account_balances"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Shot);
        Pick(row.Kind);
        EXPECT_EQ(Chart()->title(), row.Title);
        EXPECT_EQ(SeriesNames(Chart()), row.Series);
        EXPECT_EQ(Categories(Chart()), row.Categories);
        EXPECT_EQ(YenLabels(Chart()), row.Yen);
        QCoreApplication::processEvents();  // the chart lays itself out in posted events
        SaveScreenshot(*graph, QString::fromUtf8(row.Shot));
    }

    Pick(GraphKind::MonthExpense);
    EXPECT_EQ(Figures(Chart(), "実績"), (QMap<QString, qreal>{{"食費", 37000}, {"日用品", 8000}}));
    EXPECT_EQ(Figures(Chart(), "予算"), (QMap<QString, qreal>{{"食費", 45000}, {"日用品", 10000}}));
    Pick(GraphKind::YearBalance);
    EXPECT_EQ(Set(Chart(), "支出")->at(6), 45000);
    EXPECT_EQ(Set(Chart(), "収入")->at(6), 250000);
    EXPECT_EQ(Set(Chart(), "収入")->at(7), 0);
    auto* difference = qobject_cast<QLineSeries*>(Chart()->series().value(1));
    ASSERT_NE(difference, nullptr);
    EXPECT_EQ(difference->at(0), QPointF(0, 250000 - 31000 - 8000));
    EXPECT_EQ(difference->at(11), QPointF(11, 0));
    Pick(GraphKind::AccountBalances);
    // The wallet: 50,000 + 7 x 40,000 moved in - (31,000 + ... + 37,000) of food.
    auto* wallet = qobject_cast<QLineSeries*>(Chart()->series().value(0));
    ASSERT_NE(wallet, nullptr);
    EXPECT_EQ(wallet->at(6).y(), 50000 + 7 * 40000 - 238000);
    EXPECT_EQ(wallet->at(11).y(), 50000 + 7 * 40000 - 238000);
}

TEST_F(GraphSheetTest, HoveringAFigureShowsItExactly) {
    FillYear(*ledger);
    N12()->trigger();
    QBarSet* spent = Set(Chart(), "実績");
    ASSERT_NE(spent, nullptr);
    auto* bars = qobject_cast<QAbstractBarSeries*>(Chart()->series().value(0));
    emit bars->hovered(true, 1, spent);
    EXPECT_EQ(QToolTip::text(), QStringLiteral("食費　実績：37,000円"));
    Pick(GraphKind::AccountBalances);
    auto* bank = qobject_cast<QLineSeries*>(Chart()->series().value(6));
    emit bank->hovered(QPointF(6.2, 0), true);
    // みずほ: 300,000 + 7 x (250,000 - 8,000 - 40,000) at the end of July.
    EXPECT_EQ(QToolTip::text(), QStringLiteral("7月末　銀行　合計：1,714,000円"));
}

TEST_F(GraphSheetTest, MaximiseFillsTheScreenBelowTheStripAndRestores) {
    N12()->trigger();
    graph->setGeometry(30, 120, 500, 300);
    QTest::mouseClick(graph->Image3, Qt::LeftButton);
    const QRect screen = graph->screen()->geometry();
    EXPECT_EQ(graph->geometry(), QRect(0, 81, screen.width(), screen.height() - 130));
    EXPECT_EQ(graph->Chart1->geometry(), QRect(8, 65, screen.width() - 16, screen.height() - 205));
    QTest::mouseClick(graph->Image3, Qt::LeftButton);
    EXPECT_EQ(graph->geometry(), QRect(30, 120, 500, 300));
}

// Saves and starts go through the program's folder.
class GraphLayoutTest : public GraphSheetTest {
protected:
    void SetUp() override {
        GraphSheetTest::SetUp();
        ASSERT_TRUE(dir.isValid());
        path = dir.path().toStdString() + "/";
        for (const char* master : {"kamoku.dat", "hojyo.dat"}) {
            QFile::copy(QStringLiteral(KAKEIBO_DATA_DIR) + QLatin1String(master),
                        QString::fromStdString(path) + QLatin1String(master));
        }
        platform.ExeDirectory = QString::fromStdString(path);
        ledger->ExeDir = ledger->DataDir = path;
        ledger->IniPath = path + "rozed.ini";
    }

    std::string Line6() {
        QFile file(QString::fromStdString(path + "rozed.ini"));
        if (!file.open(QIODevice::ReadOnly)) return "<missing>";
        const QList<QByteArray> lines = file.readAll().split('\n');
        return lines.size() > 5 ? lines[5].trimmed().toStdString() : "<short>";
    }

    // A start of the program over the folder: the main window, then the graph sheet.
    struct Started {
        std::unique_ptr<Ledger> Book = std::make_unique<Ledger>();
        std::unique_ptr<TForm1> Main;
        std::unique_ptr<TForm4> Graph;
    };
    std::unique_ptr<Started> Start() {
        auto s = std::make_unique<Started>();
        s->Main = std::make_unique<TForm1>(*s->Book);
        s->Main->FormCreate();
        s->Graph = std::make_unique<TForm4>(*s->Book, *s->Main);
        s->Graph->FormCreate();
        s->Main->SetGraphSheet(s->Graph.get(), [] {});
        return s;
    }

    QTemporaryDir dir;
    std::string path;
};

TEST_F(GraphLayoutTest, SaveWritesTheSheetIntoSlotOneAndAStartPutsItBack) {
    N12()->trigger();
    graph->setGeometry(700, 90, 640, 350);
    platform.FileAnswers.push_back(QString::fromStdString(path + "家計簿.nbd"));
    main->N6Click();
    EXPECT_EQ(Line6(), "1,40,60,483,583,1,700,90,350,640,0,0,0,0,0,");
    auto started = Start();
    EXPECT_FALSE(started->Graph->isHidden());
    EXPECT_EQ(started->Graph->geometry(), QRect(700, 90, 640, 350));
    EXPECT_TRUE(started->Main->N12->isChecked());
}

TEST_F(GraphLayoutTest, StartPlacesTheSheetByLineSix) {
    struct Row {
        const char* Line;
        bool Shown;
        QRect Place;
    };
    const Row rows[] = {
        // Written before the graph sheet: slot 1 repeats the entry form's.
        {"1,427,81,483,583,1,427,81,483,583,1,0,81,618,425,", false, QRect(0, 81, 600, 400)},
        {"1,427,81,0,0,0,1,0,81,", false, QRect(0, 81, 600, 400)},
        {"1,427,81,483,583,1,300,200,320,480,1,0,81,618,425,", true, QRect(300, 200, 480, 320)},
        {"1,427,81,483,583,0,300,200,320,480,1,0,81,618,425,", false, QRect(300, 200, 480, 320)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Line);
        QFile file(QString::fromStdString(path + "rozed.ini"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QByteArray::fromStdString(
            EncodeCp932(path + "\r\nnone\r\n30\r\n30\r\nFalse\r\n" + row.Line + "\r\n")));
        file.close();
        auto started = Start();
        EXPECT_EQ(!started->Graph->isHidden(), row.Shown);
        EXPECT_EQ(started->Main->N12->isChecked(), row.Shown);
        EXPECT_EQ(started->Graph->geometry(), row.Place);
    }
}

}  // namespace
}  // namespace kakeibo::test
