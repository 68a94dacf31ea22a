#include "ui/graph/graph_sheet.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QGuiApplication>
#include <QHorizontalBarSeries>
#include <QLabel>
#include <QLegend>
#include <QLineSeries>
#include <QPainter>
#include <QScreen>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QToolTip>
#include <algorithm>
#include <memory>

#include "ui/entry/entry_widgets.h"
#include "ui/main/workspace.h"
#include "ui/platform/frameless.h"
#include "ui/platform/platform.h"

namespace kakeibo {

namespace {

constexpr int kMainStripHeight = 80;
const QColor kNavy(0, 0, 128);
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

QString Qs(const std::string& text) {
    return QString::fromStdString(text);
}

QFont SheetFont(int pixels, bool bold = false) {
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

// A yen axis whose labels are the program's own number texts ("12,345") at round values.
QCategoryAxis* YenAxisOf(int64_t low, int64_t high) {
    const YenAxis scale = MakeYenAxis(low, high);
    auto* axis = new QCategoryAxis;
    axis->setObjectName(QStringLiteral("YenAxis"));
    axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    axis->setStartValue(static_cast<qreal>(scale.Min));
    for (size_t n = 0; n < scale.Labels.size(); ++n) {
        axis->append(Qs(scale.Labels[n]), static_cast<qreal>(scale.Min + scale.Step * int64_t(n)));
    }
    axis->setRange(static_cast<qreal>(scale.Min), static_cast<qreal>(scale.Max));
    return axis;
}

QBarCategoryAxis* CategoryAxisOf(const QStringList& labels) {
    auto* axis = new QBarCategoryAxis;
    axis->setObjectName(QStringLiteral("CategoryAxis"));
    axis->append(labels);
    return axis;
}

QStringList MonthLabels() {
    QStringList months;
    for (int m = 1; m <= kMonthCount; ++m) months << Qs(MonthLabel(m));
    return months;
}

QBarSet* BarSet(const char* name, const QColor& color) {
    auto* set = new QBarSet(QString::fromUtf8(name));
    set->setObjectName(QString::fromUtf8(name));
    set->setColor(color);
    set->setBorderColor(color.darker(130));
    return set;
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
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint),
      ledger_(ledger),
      mainWindow_(mainWindow) {
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

    Image2 = new TPictureButton(QPixmap(QStringLiteral(":/resources/graph_close.png")), this);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setToolTip(QStringLiteral("閉じる"));
    Image3 = new TPictureButton(QPixmap(QStringLiteral(":/resources/graph_maximize.png")), this);
    Image3->setObjectName(QStringLiteral("Image3"));
    Image3->setToolTip(QStringLiteral("最大化"));
    for (TPictureButton* button : {Image2, Image3}) {
        button->resize(16, 16);
        button->setCursor(Qt::PointingHandCursor);
    }

    Chart1 = new QChartView(NewChart(), this);
    Chart1->setObjectName(QStringLiteral("Chart1"));
    Chart1->setRenderHint(QPainter::Antialiasing);
    Chart1->setFrameShape(QFrame::Box);

    connect(ComboBox1, &QComboBox::activated, this,
            [this] { RunGuarded([this] { ComboBox1Change(); }); });
    connect(Image2, &TPictureButton::clicked, this,
            [this] { RunGuarded([this] { Image2Click(); }); });
    connect(Image3, &TPictureButton::clicked, this,
            [this] { RunGuarded([this] { Image3Click(); }); });
    FramelessDrag::ForSheet(this);

    resize(kGraphSheetDefault.Width, kGraphSheetDefault.Height);
}

void TForm4::FormCreate() {
    const LayoutSlot slot = GraphSheetPlacement(ledger_);
    move(slot.Left, slot.Top);
    resize(slot.Width, slot.Height);
    ComboBox1->setCurrentIndex(0);
    setVisible(slot.Visible == 1);
}

GraphKind TForm4::Kind() const {
    return static_cast<GraphKind>(std::clamp(ComboBox1->currentIndex(), 0, kGraphCount - 1));
}

void TForm4::ComboBox1Change() {
    DrawChart();
}

void TForm4::DrawChart() {
    // A fresh chart each time: axes taken out of a chart leave their drawings behind.
    std::unique_ptr<QChart> chart(NewChart());
    chart->setTitle(Qs(GraphTitle(Kind(), ledger_)));
    switch (Kind()) {
        case GraphKind::MonthExpense:
            DrawMonthExpense(*chart);
            break;
        case GraphKind::YearBalance:
            DrawYearBalance(*chart);
            break;
        case GraphKind::AccountBalances:
            DrawAccountBalances(*chart);
            break;
    }
    for (QAbstractAxis* axis : chart->axes()) {
        axis->setLabelsFont(SheetFont(11));
        axis->setTitleFont(SheetFont(11));
    }
    QChart* old = Chart1->chart();
    Chart1->setChart(chart.release());
    delete old;
}

void TForm4::DrawMonthExpense(QChart& chart) {
    const std::vector<ExpenseBar> bars = MonthExpenseSeries(ledger_);
    QBarSet* spent = BarSet("実績", kSpentColor);
    QBarSet* budget = BarSet("予算", kBudgetColor);
    QStringList names;
    int64_t low = 0;
    int64_t high = 0;
    // A horizontal chart counts its categories from the bottom: the largest goes last.
    for (auto bar = bars.rbegin(); bar != bars.rend(); ++bar) {
        names << Qs(bar->Name);
        *spent << static_cast<qreal>(bar->Spent);
        *budget << static_cast<qreal>(bar->Budget);
        low = std::min({low, bar->Spent, bar->Budget});
        high = std::max({high, bar->Spent, bar->Budget});
    }
    auto* series = new QHorizontalBarSeries;
    series->setObjectName(QStringLiteral("Bars"));
    series->append(spent);
    series->append(budget);
    series->setBarWidth(0.8);
    chart.addSeries(series);
    QBarCategoryAxis* items = CategoryAxisOf(names);
    chart.addAxis(items, Qt::AlignLeft);
    series->attachAxis(items);
    QCategoryAxis* yen = YenAxisOf(low, high);
    chart.addAxis(yen, Qt::AlignBottom);
    series->attachAxis(yen);
    connect(series, &QAbstractBarSeries::hovered, this,
            [this, names](bool state, int index, QBarSet* set) {
                ShowTip(state,
                        Qs(GraphTip(names.value(index).toStdString(), set->label().toStdString(),
                                    static_cast<int64_t>(set->at(index)))));
            });
}

void TForm4::DrawYearBalance(QChart& chart) {
    const auto year = YearBalanceSeries(ledger_);
    QBarSet* expense = BarSet("支出", kExpenseColor);
    QBarSet* income = BarSet("収入", kIncomeColor);
    auto* difference = new QLineSeries;
    difference->setObjectName(QStringLiteral("差し引き"));
    difference->setName(QStringLiteral("差し引き"));
    difference->setPen(QPen(kDifferenceColor, 2));
    difference->setPointsVisible(true);
    int64_t low = 0;
    int64_t high = 0;
    for (int m = 0; m < kMonthCount; ++m) {
        const MonthFigures& f = year[m];
        *expense << static_cast<qreal>(f.Expense);
        *income << static_cast<qreal>(f.Income);
        difference->append(m, static_cast<qreal>(f.Difference));
        low = std::min({low, f.Expense, f.Income, f.Difference});
        high = std::max({high, f.Expense, f.Income, f.Difference});
    }
    auto* bars = new QBarSeries;
    bars->setObjectName(QStringLiteral("Bars"));
    bars->append(expense);
    bars->append(income);
    chart.addSeries(bars);
    chart.addSeries(difference);
    QBarCategoryAxis* months = CategoryAxisOf(MonthLabels());
    chart.addAxis(months, Qt::AlignBottom);
    QCategoryAxis* yen = YenAxisOf(low, high);
    chart.addAxis(yen, Qt::AlignLeft);
    for (QAbstractSeries* series :
         {static_cast<QAbstractSeries*>(bars), static_cast<QAbstractSeries*>(difference)}) {
        series->attachAxis(months);
        series->attachAxis(yen);
    }
    connect(bars, &QAbstractBarSeries::hovered, this, [this](bool state, int index, QBarSet* set) {
        ShowTip(state, Qs(GraphTip(MonthLabel(index + 1), set->label().toStdString(),
                                   static_cast<int64_t>(set->at(index)))));
    });
    connect(
        difference, &QLineSeries::hovered, this, [this, year](const QPointF& point, bool state) {
            const int m = std::clamp(static_cast<int>(std::lround(point.x())), 0, kMonthCount - 1);
            ShowTip(state, Qs(GraphTip(MonthLabel(m + 1), "差し引き", year[m].Difference)));
        });
}

void TForm4::DrawAccountBalances(QChart& chart) {
    const std::vector<BalanceLine> lines = AccountBalanceSeries(ledger_);
    QBarCategoryAxis* months = CategoryAxisOf(MonthLabels());
    chart.addAxis(months, Qt::AlignBottom);
    int64_t low = 0;
    int64_t high = 0;
    for (const BalanceLine& line : lines) {
        for (int64_t v : line.Balances) {
            low = std::min(low, v);
            high = std::max(high, v);
        }
    }
    QCategoryAxis* yen = YenAxisOf(low, high);
    chart.addAxis(yen, Qt::AlignLeft);
    int colour = 0;
    for (const BalanceLine& line : lines) {
        auto* series = new QLineSeries;
        series->setObjectName(Qs(line.Name));
        series->setName(Qs(line.Name));
        // An item's total is drawn bolder and dashed, so it stands out over its accounts.
        const bool total = line.Column == kTotalColumn;
        const QColor color = kLineColors[colour++ % std::size(kLineColors)];
        series->setPen(QPen(color, total ? 3 : 2, total ? Qt::DashLine : Qt::SolidLine));
        series->setPointsVisible(true);
        for (int m = 0; m < kMonthCount; ++m) {
            series->append(m, static_cast<qreal>(line.Balances[m]));
        }
        chart.addSeries(series);
        series->attachAxis(months);
        series->attachAxis(yen);
        const std::string name = line.Name;
        const auto balances = line.Balances;
        connect(series, &QLineSeries::hovered, this,
                [this, name, balances](const QPointF& point, bool state) {
                    const int m =
                        std::clamp(static_cast<int>(std::lround(point.x())), 0, kMonthCount - 1);
                    ShowTip(state, Qs(GraphTip(MonthLabel(m + 1) + "末", name, balances[m])));
                });
    }
}

void TForm4::ShowTip(bool state, const QString& text) {
    if (state) {
        QToolTip::showText(QCursor::pos(), text, Chart1);
    } else {
        QToolTip::hideText();
    }
}

void TForm4::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Hidden, the sheet was not refilled: it catches up as it comes back.
    if (!event->spontaneous()) RunGuarded([this] { DrawChart(); });
}

void TForm4::closeEvent(QCloseEvent* event) {
    // Hidden, never destroyed: the chosen graph and the place outlive the closing.
    mainWindow_.FormVisible(this, isVisible());
    event->accept();
}

void TForm4::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int w = width();
    const int h = height();
    Chart1->setGeometry(8, 65, std::max(0, w - 16), std::max(0, h - 75));
    Image3->move(w - 39, 8);
    Image2->move(w - 22, 8);
    update();
}

void TForm4::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(Qt::NoPen);
    p.setBrush(kNavy);
    const int w = width();
    const int h = height();
    p.drawRect(0, 0, w, 2);
    p.drawRect(0, h - 2, w, 2);
    p.drawRect(0, 0, 2, h);
    p.drawRect(w - 2, 0, 2, h);
}

void TForm4::Image2Click() {
    close();
}

void TForm4::Image3Click() {
    if (maximized_) {
        setGeometry(normalGeometry_);
    } else {
        normalGeometry_ = geometry();
        // Directly under the main window's strip, 50 pixels short of the screen's bottom.
        QScreen* screen =
            this->screen() != nullptr ? this->screen() : QGuiApplication::primaryScreen();
        const QRect area = screen != nullptr ? screen->geometry() : QRect(0, 0, 1024, 768);
        setGeometry(area.left(), area.top() + kMainStripHeight + 1, area.width(),
                    area.height() - kMainStripHeight - 50);
    }
    maximized_ = !maximized_;
    Image3->SetPicture(QPixmap(maximized_ ? QStringLiteral(":/resources/graph_restore.png")
                                          : QStringLiteral(":/resources/graph_maximize.png")));
    Image3->setToolTip(maximized_ ? QStringLiteral("元のサイズに戻す") : QStringLiteral("最大化"));
}

}  // namespace kakeibo
