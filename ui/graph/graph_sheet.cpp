#include "ui/graph/graph_sheet.h"

#include <QApplication>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QCursor>
#include <QFontMetrics>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QHorizontalBarSeries>
#include <QLabel>
#include <QLegend>
#include <QLineSeries>
#include <QPainter>
#include <QScreen>
#include <QSignalBlocker>
#include <QToolTip>
#include <algorithm>
#include <memory>

#include "ui/platform/fonts.h"
#include "ui/platform/placement.h"
#include "ui/platform/platform.h"
#include "ui/platform/text.h"
#include "ui/print/printout.h"

namespace kakeibo {

namespace {

const QColor kBackground(254, 254, 254);
const QColor kSpentColor(70, 100, 180);
const QColor kBudgetColor(190, 205, 235);  // the budget is the lighter bar beside the spending
const QColor kExpenseColor(200, 70, 70);
const QColor kIncomeColor(60, 110, 190);
const QColor kDifferenceColor(30, 130, 60);
// Enough colours for every line: two accounts of five sub-items and their two totals.
const QColor kLineColors[] = {QColor(0, 0, 128),    QColor(200, 70, 70),  QColor(30, 130, 60),
                              QColor(220, 130, 0),  QColor(120, 60, 160), QColor(0, 140, 160),
                              QColor(150, 100, 50), QColor(230, 90, 160), QColor(100, 100, 100),
                              QColor(150, 170, 30), QColor(60, 140, 230), QColor(170, 20, 40)};

// What the chart around the plot takes, measured with the program's fonts: the window's
// frame, the title, the legend, the yen labels and the margins.
constexpr int kChartFrameHeight = 175;
constexpr int kChartFrameWidth = 70;
// A category's band needs its label's text item (the text and its margins) and a little air;
// a legend entry its text, its mark and the space before the next.
constexpr int kBandAboveText = 10;
constexpr int kLegendMark = 24;

QFont SheetFont(int pixels, bool bold = false) {
    return WindowFont(pixels, bold);
}

// The yen axis' labels are the program's own number texts ("12,345") at round values.
void SetYenLabels(QCategoryAxis& axis, const YenAxis& scale) {
    for (const QString& label : axis.categoriesLabels()) axis.remove(label);
    axis.setStartValue(static_cast<qreal>(scale.Min));
    for (size_t n = 0; n < scale.Labels.size(); ++n) {
        axis.append(Qs(scale.Labels[n]),
                    static_cast<qreal>(scale.Min + scale.Step * static_cast<int64_t>(n)));
    }
    axis.setRange(static_cast<qreal>(scale.Min), static_cast<qreal>(scale.Max));
}

YenAxis ScaleOf(const GraphPlot& plot) {
    int64_t low = 0;
    int64_t high = 0;
    for (const GraphSeries& series : plot.Series) {
        for (int64_t v : series.Values) {
            low = std::min(low, v);
            high = std::max(high, v);
        }
    }
    return MakeYenAxis(low, high);
}

QStringList MonthLabels() {
    QStringList months;
    for (int m = 1; m <= kMonthCount; ++m) months << Qs(MonthLabel(m));
    return months;
}

GraphPlot MonthExpensePlot(Ledger& ledger) {
    GraphPlot plot;
    plot.Horizontal = true;
    GraphSeries spent{QStringLiteral("実績"), kSpentColor, false, false, {}};
    GraphSeries budget{QStringLiteral("予算"), kBudgetColor, false, false, {}};
    const std::vector<ExpenseBar> bars = MonthExpenseSeries(ledger);
    // A horizontal chart counts its categories from the bottom: the largest goes last.
    for (auto bar = bars.rbegin(); bar != bars.rend(); ++bar) {
        plot.Categories << Qs(bar->Name);
        spent.Values.push_back(bar->Spent);
        budget.Values.push_back(bar->Budget);
    }
    plot.Series = {std::move(spent), std::move(budget)};
    return plot;
}

GraphPlot YearBalancePlot(Ledger& ledger) {
    GraphPlot plot;
    plot.Categories = MonthLabels();
    GraphSeries expense{QStringLiteral("支出"), kExpenseColor, false, false, {}};
    GraphSeries income{QStringLiteral("収入"), kIncomeColor, false, false, {}};
    GraphSeries difference{QStringLiteral("差し引き"), kDifferenceColor, true, false, {}};
    for (const MonthFigures& f : YearBalanceSeries(ledger)) {
        expense.Values.push_back(f.Expense);
        income.Values.push_back(f.Income);
        difference.Values.push_back(f.Difference);
    }
    plot.Series = {std::move(expense), std::move(income), std::move(difference)};
    return plot;
}

GraphPlot AccountBalancesPlot(Ledger& ledger) {
    GraphPlot plot;
    plot.Categories = MonthLabels();
    plot.PointSuffix = QStringLiteral("末");
    size_t colour = 0;
    for (const BalanceLine& line : AccountBalanceSeries(ledger)) {
        // An item's total is drawn bolder and dashed, so it stands out over its accounts.
        plot.Series.push_back({Qs(line.Name), kLineColors[colour++ % std::size(kLineColors)], true,
                               line.Column == kTotalColumn,
                               std::vector<int64_t>(line.Balances.begin(), line.Balances.end())});
    }
    return plot;
}

QStringList YearLabels(const YearsFigures& figures) {
    QStringList years;
    for (int year : figures.Years) years << QString::number(year) + QStringLiteral("年");
    return years;
}

GraphPlot YearsBalancePlot(const YearsFigures& figures) {
    GraphPlot plot;
    plot.Categories = YearLabels(figures);
    GraphSeries expense{QStringLiteral("支出"), kExpenseColor, false, false, {}};
    GraphSeries income{QStringLiteral("収入"), kIncomeColor, false, false, {}};
    GraphSeries difference{QStringLiteral("差し引き"), kDifferenceColor, true, false, {}};
    for (const MonthFigures& f : figures.Balance) {
        expense.Values.push_back(f.Expense);
        income.Values.push_back(f.Income);
        difference.Values.push_back(f.Difference);
    }
    plot.Series = {std::move(expense), std::move(income), std::move(difference)};
    return plot;
}

GraphPlot AssetsPlot(const YearsFigures& figures) {
    GraphPlot plot;
    plot.Categories = YearLabels(figures);
    plot.PointSuffix = QStringLiteral("末");
    for (size_t k = 0; k < figures.Assets.size(); ++k) {
        // The sum stands out over the accounts, as an item's total does.
        plot.Series.push_back({Qs(figures.AssetNames[k]), kLineColors[k % std::size(kLineColors)],
                               true, k == 0, figures.Assets[k]});
    }
    return plot;
}

// Two plots draw on the same chart when only their figures and title differ.
bool SameShape(const GraphPlot& a, const GraphPlot& b) {
    if (a.Horizontal != b.Horizontal || a.Categories != b.Categories ||
        a.Series.size() != b.Series.size()) {
        return false;
    }
    for (size_t k = 0; k < a.Series.size(); ++k) {
        if (a.Series[k].Name != b.Series[k].Name || a.Series[k].Line != b.Series[k].Line) {
            return false;
        }
    }
    return true;
}

QList<QPointF> PointsOf(const GraphSeries& series) {
    QList<QPointF> points;
    points.reserve(static_cast<qsizetype>(series.Values.size()));
    for (size_t i = 0; i < series.Values.size(); ++i) {
        points.append(QPointF(static_cast<qreal>(i), static_cast<qreal>(series.Values[i])));
    }
    return points;
}

QChart* NewChart() {
    auto* chart = new QChart;
    chart->setObjectName(QStringLiteral("Chart"));
    chart->setBackgroundRoundness(0);
    // Room on the right for the last yen label, which is centred on the axis' end.
    chart->setMargins(QMargins(4, 4, 24, 4));
    chart->setTitleFont(SheetFont(14, true));
    chart->legend()->setFont(SheetFont(12));
    chart->legend()->setAlignment(Qt::AlignBottom);
    return chart;
}

}  // namespace

TForm4::TForm4(Ledger& ledger, Workspace& mainWindow, QWidget* parent)
    : TToolWindow(mainWindow, ToolFrame::Sizable, parent), ledger_(ledger) {
    setObjectName(QStringLiteral("TForm4"));
    setWindowTitle(QStringLiteral("グラフシート"));
    setFont(SheetFont(12));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, kBackground);
    setPalette(palette);
    setAutoFillBackground(true);
    setMinimumSize(240, 160);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(8, 8, 156, 16);
    Image1->setPixmap(QPixmap(QStringLiteral(":/resources/graph_title.png")));
    // Presses on the title reach the window, so it drags the window like the bare surface.
    Image1->setAttribute(Qt::WA_TransparentForMouseEvents);

    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setGeometry(8, 32, 145, 20);
    for (const char* name : kGraphNames) ComboBox1->addItem(QString::fromUtf8(name));

    Chart1 = new QChartView(NewChart(), this);
    Chart1->setObjectName(QStringLiteral("Chart1"));
    Chart1->setRenderHint(QPainter::Antialiasing);
    Chart1->setFrameShape(QFrame::Box);

    ConnectGuarded(ComboBox1, &QComboBox::activated, this, &TForm4::ComboBox1Change);

    resize(kGraphSheetDefault.Width, kGraphSheetDefault.Height);
}

void TForm4::FormCreate() {
    ComboBox1->setCurrentIndex(0);
    unplaced_ = GraphSheetNeverPlaced(ledger_);
    Place(GraphSheetPlacement(ledger_), true);
}

void TForm4::ForgetPlace(const LayoutSlot& slot) {
    Place(slot);
    unplaced_ = true;
}

void TForm4::FormShow() {
    if (unplaced_) {
        unplaced_ = false;
        PlaceWhereItCoversLeast();
    }
    DrawChart();
}

QSize TForm4::ReadableSize() {
    const QFontMetrics labels(SheetFont(11));
    const QFontMetrics legend(SheetFont(12));
    QSize size(kGraphSheetDefault.Width, kGraphSheetDefault.Height);
    // The graphs of the open ledger: those over the years would read every ledger first.
    for (int kind = 0; kind <= static_cast<int>(GraphKind::AccountBalances); ++kind) {
        const GraphPlot plot = PlotOf(static_cast<GraphKind>(kind));
        // Qt Charts shows a category label that is higher than its band as "...".
        if (plot.Horizontal) {
            const int bands = static_cast<int>(plot.Categories.size());
            size.setHeight(std::max(
                size.height(), kChartFrameHeight + bands * (labels.height() + kBandAboveText)));
        }
        // The legend shares one row among its entries and shortens each to its share.
        int width = kChartFrameWidth;
        for (const GraphSeries& series : plot.Series) {
            width += legend.horizontalAdvance(series.Name) + kLegendMark;
        }
        size.setWidth(std::max(size.width(), width));
    }
    return size;
}

// The first showing of a sheet that was never placed: where it hides least of the main window
// and the other tool windows on show, at a size at which the chart reads whole.
void TForm4::PlaceWhereItCoversLeast() {
    const QWidget* owner = parentWidget();
    const QScreen* on = owner != nullptr ? owner->screen() : screen();
    if (on == nullptr) return;
    QList<QRect> others;
    for (const QWidget* window : QApplication::topLevelWidgets()) {
        const bool counts = window == owner || qobject_cast<const TToolWindow*>(window) != nullptr;
        if (window != this && counts && window->isVisible()) others << window->frameGeometry();
    }
    setGeometry(LeastCoveringPlace(ReadableSize(), others, on->availableGeometry()));
}

GraphKind TForm4::Kind() const {
    return static_cast<GraphKind>(std::clamp(ComboBox1->currentIndex(), 0, kGraphCount - 1));
}

void TForm4::ComboBox1Change() {
    // A picked graph is drawn anew, whatever was on show.
    drawn_.clear();
    DrawChart();
}

GraphPlot TForm4::PlotOf(GraphKind kind) {
    GraphPlot plot;
    switch (kind) {
        case GraphKind::MonthExpense:
            plot = MonthExpensePlot(ledger_);
            break;
        case GraphKind::YearBalance:
            plot = YearBalancePlot(ledger_);
            break;
        case GraphKind::AccountBalances:
            plot = AccountBalancesPlot(ledger_);
            break;
        case GraphKind::YearsBalance:
            plot = YearsBalancePlot(YearsSeries(ledger_, years_));
            break;
        case GraphKind::Assets:
            plot = AssetsPlot(YearsSeries(ledger_, years_));
            break;
    }
    plot.Title = Qs(GraphTitle(kind, ledger_));
    return plot;
}

void TForm4::DrawChart() {
    GraphPlot plot = PlotOf(Kind());
    const YenAxis scale = ScaleOf(plot);
    if (!drawn_.empty() && SameShape(plot, plot_)) {
        UpdateChart(plot, scale);
    } else {
        BuildChart(plot, scale);
    }
    plot_ = std::move(plot);
    scale_ = scale;
}

// A write changes a figure or two: the chart on show takes them over without being rebuilt.
void TForm4::UpdateChart(const GraphPlot& plot, const YenAxis& scale) {
    QChart* chart = Chart1->chart();
    if (plot.Title != plot_.Title) chart->setTitle(plot.Title);
    for (size_t k = 0; k < plot.Series.size(); ++k) {
        const std::vector<int64_t>& values = plot.Series[k].Values;
        if (values == plot_.Series[k].Values) continue;
        if (QLineSeries* line = drawn_[k].Line) {
            line->replace(PointsOf(plot.Series[k]));
            continue;
        }
        for (size_t i = 0; i < values.size(); ++i) {
            if (values[i] != plot_.Series[k].Values[i]) {
                drawn_[k].Bars->replace(static_cast<int>(i), static_cast<qreal>(values[i]));
            }
        }
    }
    if (scale.Min != scale_.Min || scale.Max != scale_.Max || scale.Step != scale_.Step) {
        SetYenLabels(*yenAxis_, scale);
    }
}

void TForm4::BuildChart(const GraphPlot& plot, const YenAxis& scale) {
    // A fresh chart: axes taken out of a chart leave their drawings behind.
    std::unique_ptr<QChart> chart(NewChart());
    chart->setTitle(plot.Title);
    auto* categories = new QBarCategoryAxis;
    categories->setObjectName(QStringLiteral("CategoryAxis"));
    categories->append(plot.Categories);
    auto* yen = new QCategoryAxis;
    yen->setObjectName(QStringLiteral("YenAxis"));
    yen->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    SetYenLabels(*yen, scale);
    chart->addAxis(categories, plot.Horizontal ? Qt::AlignLeft : Qt::AlignBottom);
    chart->addAxis(yen, plot.Horizontal ? Qt::AlignBottom : Qt::AlignLeft);
    for (QAbstractAxis* axis :
         {static_cast<QAbstractAxis*>(categories), static_cast<QAbstractAxis*>(yen)}) {
        axis->setLabelsFont(SheetFont(11));
    }

    std::vector<Drawn> drawn(plot.Series.size());
    QAbstractBarSeries* bars = nullptr;
    // A horizontal series stacks its sets upwards from the bottom of each band: added in
    // reverse, they read from the top in the legend's order, which then lists them reversed.
    chart->legend()->setReverseMarkers(plot.Horizontal);
    for (size_t n = 0; n < plot.Series.size(); ++n) {
        const size_t k = plot.Horizontal ? plot.Series.size() - 1 - n : n;
        const GraphSeries& series = plot.Series[k];
        if (series.Line) continue;
        if (bars == nullptr) {
            bars = plot.Horizontal ? static_cast<QAbstractBarSeries*>(new QHorizontalBarSeries)
                                   : static_cast<QAbstractBarSeries*>(new QBarSeries);
            bars->setObjectName(QStringLiteral("Bars"));
        }
        auto* set = new QBarSet(series.Name);
        set->setObjectName(series.Name);
        set->setColor(series.Color);
        set->setBorderColor(series.Color.darker(130));
        for (int64_t v : series.Values) *set << static_cast<qreal>(v);
        bars->append(set);
        drawn[k].Bars = set;
    }
    // The bars first, so the lines are drawn over them.
    if (bars != nullptr) {
        chart->addSeries(bars);
        bars->attachAxis(categories);
        bars->attachAxis(yen);
        connect(bars, &QAbstractBarSeries::hovered, this,
                [this](bool state, int index, QBarSet* set) {
                    for (size_t k = 0; k < drawn_.size(); ++k) {
                        if (drawn_[k].Bars == set) ShowTip(state, k, index);
                    }
                });
    }
    for (size_t k = 0; k < plot.Series.size(); ++k) {
        const GraphSeries& series = plot.Series[k];
        if (!series.Line) continue;
        auto* line = new QLineSeries;
        line->setObjectName(series.Name);
        line->setName(series.Name);
        line->setPen(
            QPen(series.Color, series.Bold ? 3 : 2, series.Bold ? Qt::DashLine : Qt::SolidLine));
        line->setPointsVisible(true);
        line->append(PointsOf(series));
        chart->addSeries(line);
        line->attachAxis(categories);
        line->attachAxis(yen);
        connect(line, &QLineSeries::hovered, this, [this, k](const QPointF& point, bool state) {
            ShowTip(state, k, static_cast<int>(std::lround(point.x())));
        });
        drawn[k].Line = line;
    }

    QChart* old = Chart1->chart();
    Chart1->setChart(chart.release());
    delete old;
    drawn_ = std::move(drawn);
    yenAxis_ = yen;
}

void TForm4::ShowTip(bool state, size_t series, int index) {
    if (!state || series >= plot_.Series.size() || index < 0 ||
        static_cast<size_t>(index) >= plot_.Series[series].Values.size()) {
        QToolTip::hideText();
        return;
    }
    const GraphSeries& s = plot_.Series[series];
    const QString where = plot_.Categories.value(index) + plot_.PointSuffix;
    QToolTip::showText(QCursor::pos(),
                       Qs(GraphTip(where.toStdString(), s.Name.toStdString(), s.Values[index])),
                       Chart1);
}

void TForm4::FormResize() {
    Chart1->setGeometry(8, 65, std::max(0, width() - 16), std::max(0, height() - 75));
}

std::unique_ptr<PrintDocument> TForm4::Printed() const {
    QChart* chart = Chart1->chart();
    const bool wholeYear = Kind() != GraphKind::MonthExpense;
    return std::make_unique<PictureDocument>(
        PrintoutTitles(ledger_, ComboBox1->currentText().toStdString(), wholeYear),
        [chart](QPainter& painter, const QRectF& target) {
            // Laid out anew at the page's size, so that every label has its room, then back.
            const QRectF shown = chart->geometry();
            chart->setGeometry(QRectF(shown.topLeft(), target.size()));
            if (chart->layout() != nullptr) chart->layout()->activate();
            chart->scene()->render(&painter, target, QRectF(shown.topLeft(), target.size()));
            chart->setGeometry(shown);
            if (chart->layout() != nullptr) chart->layout()->activate();
        });
}

}  // namespace kakeibo
