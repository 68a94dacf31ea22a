#pragma once

#include <QColor>
#include <QStringList>
#include <cstdint>
#include <vector>

#include "core/ledger/ledger.h"
#include "core/reports/graphs.h"
#include "ui/window/tool_window.h"

class QComboBox;
class QLabel;

QT_BEGIN_NAMESPACE
class QBarSet;
class QCategoryAxis;
class QChartView;
class QLineSeries;
QT_END_NAMESPACE

namespace kakeibo {

// One named series of a graph: exact yen figures, one per category.
struct GraphSeries {
    QString Name;
    QColor Color;
    bool Line = false;  // a line over the categories, else bars
    bool Bold = false;  // an account item's total
    std::vector<int64_t> Values;
};

// What one graph draws, before the chart sees it.
struct GraphPlot {
    QString Title;
    bool Horizontal = false;  // categories up the left, yen along the bottom
    QStringList Categories;
    QString PointSuffix;  // follows the category in a hover text ("7月末")
    std::vector<GraphSeries> Series;
};

// The graph sheet "グラフシート": a frameless tool window that draws one of five graphs: of
// the ledger (the month's spending against the budget, the year's income and expense, the
// accounts over the year) and of every year (income and expense, the assets at each year's end). It
// stays alive while hidden and is refilled only while shown.
class TForm4 final : public TToolWindow {
    Q_OBJECT

public:
    TForm4(Ledger& ledger, Workspace& mainWindow, QWidget* parent = nullptr);

    // Placement and visibility from WindowLayout slot 1; the list on 「今月の支出」. A sheet
    // never placed takes its first place as it first shows (PlaceWhereItCoversLeast).
    void FormCreate();
    void ForgetPlace(const LayoutSlot& slot) override;
    // The size at which every category label and legend entry of the three graphs reads whole
    // (at least the default size).
    QSize ReadableSize();
    // Draws the graph chosen in ComboBox1 from the ledger: new figures go into the chart on
    // show while the graph keeps its categories and series, otherwise a new chart is built.
    void DrawChart();
    GraphKind Kind() const;
    void Refill() override { DrawChart(); }
    // A hidden sheet is redrawn as it shows again; a write need not pay for it.
    bool RefillsWhileHidden() const override { return false; }
    // The graph on show, laid out again at the page's size, with its legend.
    std::unique_ptr<PrintDocument> Printed() const override;

    void ComboBox1Change();

    // Controls, by their names.
    QLabel* Image1 = nullptr;        // title picture; drags the window
    QComboBox* ComboBox1 = nullptr;  // which of the five graphs
    QChartView* Chart1 = nullptr;    // the chart; hover a bar or point for its figure

protected:
    void FormShow() override;
    void FormResize() override;

private:
    GraphPlot PlotOf(GraphKind kind);
    void BuildChart(const GraphPlot& plot, const YenAxis& scale);
    void UpdateChart(const GraphPlot& plot, const YenAxis& scale);
    void ShowTip(bool state, size_t series, int index);
    void DescribeChart();
    void PlaceWhereItCoversLeast();

    // What the chart on show draws, series by series.
    struct Drawn {
        QBarSet* Bars = nullptr;
        QLineSeries* Line = nullptr;
    };

    Ledger& ledger_;
    AllYearsCache years_;  // every year's totals, for the graphs over the years
    GraphPlot plot_;
    YenAxis scale_;
    std::vector<Drawn> drawn_;
    QCategoryAxis* yenAxis_ = nullptr;
    bool unplaced_ = false;  // never placed: the first showing chooses the place
};

}  // namespace kakeibo
