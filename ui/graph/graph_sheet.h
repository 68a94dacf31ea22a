#pragma once

#include <QRect>
#include <QWidget>

#include "core/graphs.h"
#include "core/ledger.h"

class QComboBox;
class QLabel;

QT_BEGIN_NAMESPACE
class QChart;
class QChartView;
QT_END_NAMESPACE

namespace kakeibo {

class TPictureButton;
class Workspace;

// The graph sheet "グラフシート": a frameless tool window that draws one of three graphs of
// the ledger (the month's spending against the budget, the year's income and expense, the
// accounts over the year). It stays alive while hidden and is refilled only while shown.
class TForm4 final : public QWidget {
    Q_OBJECT

public:
    TForm4(Ledger& ledger, Workspace& mainWindow, QWidget* parent = nullptr);

    // Placement and visibility from WindowLayout slot 1; the list on 「今月の支出」.
    void FormCreate();
    // Rebuilds the chart of the graph chosen in ComboBox1 from the ledger.
    void DrawChart();
    GraphKind Kind() const;

    void ComboBox1Change();
    void Image2Click();  // close
    void Image3Click();  // maximise or restore
    bool Maximized() const { return maximized_; }

    // Controls, by their names.
    QLabel* Image1 = nullptr;  // title
    QComboBox* ComboBox1 = nullptr;
    QChartView* Chart1 = nullptr;
    TPictureButton* Image2 = nullptr;
    TPictureButton* Image3 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void DrawMonthExpense(QChart& chart);
    void DrawYearBalance(QChart& chart);
    void DrawAccountBalances(QChart& chart);
    void ShowTip(bool state, const QString& text);

    Ledger& ledger_;
    Workspace& mainWindow_;
    bool maximized_ = false;
    QRect normalGeometry_;
};

}  // namespace kakeibo
