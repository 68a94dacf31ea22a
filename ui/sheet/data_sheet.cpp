#include "ui/sheet/data_sheet.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <algorithm>
#include <vector>

#include "core/files/ledger_paths.h"
#include "core/reports/previous_year.h"
#include "core/reports/sheet_drawing.h"
#include "ui/controls/fixed_header.h"
#include "ui/controls/focus_frame.h"
#include "ui/controls/make.h"
#include "ui/controls/picture_button.h"
#include "ui/platform/colours.h"
#include "ui/platform/fonts.h"
#include "ui/platform/platform.h"
#include "ui/print/printout.h"
#include "ui/sheet/sheet_grid.h"
#include "ui/window/workspace.h"

namespace kakeibo {

namespace {

constexpr int kDesignWidth = 476;
constexpr int kDesignHeight = 559;
constexpr int kGridLeft = 8;
constexpr int kGridTop = 65;
constexpr int kRowHeight = 25;  // 24 pixels and the grid line

const QColor kNavy(0, 0, 128);
const QColor kWindowColour(254, 254, 254);
// A light selection, so that black and red figures both stay readable on it.
const QColor kSelection(204, 228, 255);

// Hands every cell to the sheet's own drawing.
class SheetCellDelegate final : public QStyledItemDelegate {
public:
    SheetCellDelegate(const TForm5& form, QObject* parent)
        : QStyledItemDelegate(parent), form_(form) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        // The fixed column is the one whose cells cannot be selected.
        const bool fixed = !index.flags().testFlag(Qt::ItemIsSelectable);
        form_.StringGrid1DrawCell(*painter, index.column(), index.row(), option.rect, fixed,
                                  option.state.testFlag(QStyle::State_Selected));
        // The current cell while the grid has the focus, the item column's too.
        if (option.state.testFlag(QStyle::State_HasFocus)) DrawFocusFrame(*painter, option.rect);
    }

private:
    const TForm5& form_;
};

// Our own small picture, drawn once: a decoration (the title is one of the artwork's).
QPixmap Canvas(int w, int h) {
    QPixmap pixmap(w, h);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

QPixmap DecorationPicture() {
    QPixmap pixmap = Canvas(16, 16);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(kNavy);
    p.drawPolygon(QPolygon({QPoint(8, 1), QPoint(15, 8), QPoint(8, 15), QPoint(1, 8)}));
    p.setBrush(kSheetFixedCells);
    p.drawEllipse(QRectF(5.5, 5.5, 5, 5));
    return pixmap;
}

}  // namespace

TForm5::TForm5(Ledger& ledger, Workspace& mainWindow, QWidget* parent)
    : TSheetWindow(mainWindow, ToolFrame::Sizable, parent), ledger_(ledger) {
    setObjectName(QStringLiteral("TForm5"));
    setWindowTitle(QStringLiteral("データシート"));
    setFont(WindowFont());
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, kWindowColour);
    setPalette(palette);
    setAutoFillBackground(true);
    BuildControls();
    resize(kDesignWidth, kDesignHeight);
}

void TForm5::BuildControls() {
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(8, 8, 156, 16);
    Image1->setPixmap(QPixmap(QStringLiteral(":/resources/sheet_title.png")));
    // The title is bare surface: pressing it drags the window.
    Image1->setAttribute(Qt::WA_TransparentForMouseEvents);

    Image6 = new QLabel(this);
    Image6->setObjectName(QStringLiteral("Image6"));
    Image6->setGeometry(456, 488, 16, 16);
    Image6->setPixmap(DecorationPicture());
    Image6->setAttribute(Qt::WA_TransparentForMouseEvents);

    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setGeometry(8, 32, 145, 20);
    ComboBox1->setMaxVisibleItems(kSheetKindCount);
    // `activated` is the user's pick alone, and also a pick of the sheet already shown, so
    // choosing the passbook again asks for the account again.
    ConnectGuarded(ComboBox1, &QComboBox::activated, this, &TForm5::ComboBox1Change);
    HiddenLabelFor(ComboBox1, QStringLiteral("表示するシート"));

    Button1 = new QPushButton(QStringLiteral("前年の家計簿を選ぶ…"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(161, 31, 150, 22);
    Button1->hide();
    ConnectGuarded(Button1, &QPushButton::clicked, this, &TForm5::Button1Click);

    auto* grid = new TSheetGrid(this);
    StringGrid1 = grid;
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    grid->SetFlipHandler([this](int row) {
        bool flipped = false;
        RunGuarded([&] { flipped = FlipRow(row); });
        return flipped;
    });
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid1->setSelectionBehavior(QAbstractItemView::SelectItems);
    StringGrid1->setWordWrap(false);
    // A text wider than its cell is cut at the cell's edge, never shortened to "…".
    StringGrid1->setTextElideMode(Qt::ElideNone);
    StringGrid1->setCornerButtonEnabled(false);
    StringGrid1->setItemDelegate(new SheetCellDelegate(*this, StringGrid1));
    QPalette gridPalette = StringGrid1->palette();
    gridPalette.setColor(QPalette::Highlight, kSelection);
    StringGrid1->setPalette(gridPalette);
    StringGrid1->viewport()->installEventFilter(this);
    StringGrid1->verticalHeader()->hide();
    StringGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    StringGrid1->verticalHeader()->setMinimumSectionSize(1);
    StringGrid1->verticalHeader()->setDefaultSectionSize(kRowHeight);
    // Row 0 holds the headings as every other row holds its texts; the header shows them, so
    // they stay in sight while the rows scroll.
    auto* header = new TFixedHeader(kRowHeight, StringGrid1);
    StringGrid1->setHorizontalHeader(header);
    header->setSectionResizeMode(QHeaderView::Fixed);
    header->setMinimumSectionSize(1);
    header->setSectionsClickable(false);
    header->setHighlightSections(false);
    header->setStyleSheet(
        QStringLiteral("QHeaderView { background: white; } "
                       "QHeaderView::section { background: rgb(255, 254, 232); "
                       "border: none; border-right: 1px solid silver; "
                       "border-bottom: 1px solid silver; padding: 0px; }"));
    // The window opens on the sheet list; the close and maximise pictures come last.
    setTabOrder(StringGrid1, Image3);
    setTabOrder(Image3, Image2);
}

void TForm5::FormCreate() {
    ComboBox1->clear();
    for (int kind = 0; kind < kSheetKindCount; ++kind) {
        ComboBox1->addItem(QString::fromUtf8(SheetName(kind)));
    }
    ComboBox1->setCurrentIndex(0);
    HojyoInit();
    State.PassbookChoice = 0;
    GridMode(ExpenseSheet);
    Place(ledger_.WindowLayout[kLayoutDataSheet], true);
    // Activated, the window opens on its sheet list, not on its close or maximise picture.
    ComboBox1->setFocus(Qt::OtherFocusReason);
}

int TForm5::MonthSheetWidth() {
    const QStyle* style = QApplication::style();
    int columns = 0;
    for (int kind : {ExpenseSheet, IncomeSheet}) {
        int sum = 0;
        for (int width : SheetLayoutOf(kind).ColumnWidths) sum += width + 1;  // as GridMode sets
        columns = std::max(columns, sum);
    }
    // The grid's frame on both sides, its vertical scroll bar and the window's margins.
    return columns + 2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth) +
           style->pixelMetric(QStyle::PM_ScrollBarExtent) + 16;
}

void TForm5::HojyoInit() {
    for (auto& kind : State.ExpandedItems) kind.fill(false);
}

void TForm5::ComboBox1Change() {
    GridMode(ComboBox1->currentIndex());
    // A sheet wider than the window shows whole where the screen has room, once per pick: a
    // width the user sets afterwards stays until the next pick.
    workspace_.WidenSheet(this, WholeWidth());
}

int TForm5::WholeWidth() const {
    const QStyle* style = StringGrid1->style();
    int columns = 0;
    for (int c = 0; c < StringGrid1->columnCount(); ++c) {
        if (!StringGrid1->isColumnHidden(c)) columns += StringGrid1->columnWidth(c);
    }
    // As MonthSheetWidth: the grid's frame, its vertical scroll bar and the window's margins.
    return columns + 2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth) +
           style->pixelMetric(QStyle::PM_ScrollBarExtent) + 16;
}

void TForm5::GridMode(int kind) {
    if (kind < 0 || kind >= kSheetKindCount) return;
    // The account first: the grid keeps the sheet it shows until one is chosen, and stays
    // as it was (the list back on it) when the choice is cancelled.
    if (kind == PassbookSheet) {
        const int32_t choice = CurrentPlatform().ChoosePassbookAccount(ledger_, this);
        if (!DecodePassbookChoice(choice)) {
            const QSignalBlocker blocker(ComboBox1);
            ComboBox1->setCurrentIndex(State.SheetKind);
            return;
        }
        State.PassbookChoice = choice;
    }
    const SheetLayout layout = SheetLayoutOf(kind);
    StringGrid1->clearContents();
    StringGrid1->setColumnCount(layout.ColumnCount);
    StringGrid1->setRowCount(layout.RowCount);
    for (int c = 0; c < layout.ColumnCount; ++c) {
        // The width is the cell's; the grid line right of it comes on top.
        StringGrid1->setColumnWidth(c, layout.ColumnWidths[c] + 1);
    }
    Button1->setVisible(kind == YearComparisonSheet);
    State.SheetKind = kind;
    State.SheetRowItems[kind].fill(0);
    DrawCell(kind);
}

void TForm5::DrawCell(int kind) {
    if (kind < 0 || kind >= kSheetKindCount) return;
    grid_ = FillSheet(ledger_, kind, State);
    // A screen reader names the table after the sheet.
    const QString name = QString::fromUtf8(SheetName(kind));
    if (StringGrid1->accessibleName() != name) StringGrid1->setAccessibleName(name);
    // Set again before every fill, but only when changed: a font change lays the grid out anew.
    const QFont& font = SheetFont();
    if (StringGrid1->font() != font) StringGrid1->setFont(font);
    const SheetLayout layout = SheetLayoutOf(kind);
    const bool fixedColumn = layout.FixedColumn;
    const int rows = grid_.RowCount();
    const int columns = grid_.ColumnCount();
    const int laidOut = StringGrid1->columnCount();
    StringGrid1->setColumnCount(columns);
    // 年別推移 has a column per year found: the layout's last width stands for them all.
    for (int c = std::max(laidOut, static_cast<int>(layout.ColumnWidths.size())); c < columns;
         ++c) {
        StringGrid1->setColumnWidth(c, layout.ColumnWidths.back() + 1);
    }
    StringGrid1->setRowCount(rows);
    std::vector<int> gaugeRows;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            const QString text = QString::fromStdString(grid_.Cell(r, c));
            QTableWidgetItem* item = StringGrid1->item(r, c);
            if (item == nullptr) {
                item = new QTableWidgetItem(text);
                StringGrid1->setItem(r, c, item);
            } else if (item->text() != text) {
                item->setText(text);
                // The gauge under the name is drawn from this month's figure and the budget.
                if (c == 2 || c == 3) gaugeRows.push_back(r);
            }
            const bool fixed = fixedColumn && c == 0;
            const Qt::ItemFlags flags =
                fixed ? Qt::ItemIsEnabled : Qt::ItemIsEnabled | Qt::ItemIsSelectable;
            if (item->flags() != flags) item->setFlags(flags);
            const QBrush background = fixed ? QBrush(kSheetFixedCells) : QBrush();
            if (item->background() != background) item->setBackground(background);
        }
    }
    if (kind == ExpenseSheet || kind == IncomeSheet) {
        for (int r : gaugeRows) StringGrid1->update(StringGrid1->model()->index(r, 0));
    }
    for (int c = 0; c < columns; ++c) {
        QTableWidgetItem* heading = StringGrid1->horizontalHeaderItem(c);
        const QString text = QString::fromStdString(grid_.Cell(0, c));
        if (heading == nullptr) {
            StringGrid1->setHorizontalHeaderItem(c, new QTableWidgetItem(text));
        } else if (heading->text() != text) {
            heading->setText(text);
        }
    }
    if (!StringGrid1->isRowHidden(0)) StringGrid1->setRowHidden(0, true);
    // 前年比較 and 年別推移 say across their first row which ledgers they read, or why none.
    const bool named = kind == YearComparisonSheet || kind == YearsSheet;
    const int span = named && rows > 1 ? columns : 1;
    if (rows > 1 && StringGrid1->columnSpan(1, 0) != span) StringGrid1->setSpan(1, 0, 1, span);
}

QString TForm5::CellText(int row, int column) const {
    const QTableWidgetItem* item = StringGrid1->item(row, column);
    return item != nullptr ? item->text() : QString();
}

void TForm5::StringGrid1DrawCell(QPainter& painter, int column, int row, const QRect& rect,
                                 bool fixed, bool selected) const {
    painter.save();
    painter.setClipRect(rect);
    painter.fillRect(rect, selected ? kSelection : fixed ? kSheetFixedCells : QColor(Qt::white));
    painter.setFont(StringGrid1->font());
    painter.setPen(Qt::black);
    const QString text = CellText(row, column);
    const QRect inner = rect.adjusted(2, 2, -2, -2);
    const int oneLine = Qt::AlignVCenter | Qt::TextSingleLine;
    if (row == 0) {
        painter.drawText(rect, Qt::AlignHCenter | oneLine, text);
    } else if (column == 0) {
        painter.drawText(inner, Qt::AlignLeft | oneLine, text);
        const bool budgetSheet = State.SheetKind == ExpenseSheet || State.SheetKind == IncomeSheet;
        const auto gauge =
            budgetSheet ? GaugeOf(State.SheetKind, text.toStdString(),
                                  CellText(row, 2).toStdString(), CellText(row, 3).toStdString())
                        : std::nullopt;
        if (gauge) {
            const QRect strip(rect.left(), rect.top() + kGaugeTop, rect.width(),
                              rect.height() - kGaugeTop);
            painter.fillRect(strip, kSheetGaugeStrip);
            painter.fillRect(QRect(rect.left() + gauge->BarLeft, strip.top(),
                                   gauge->BarRight - gauge->BarLeft, strip.height()),
                             gauge->Red ? kSheetRed : kSheetWithinBudget);
        }
    } else {
        // Figures are right-aligned in a fixed-pitch font, so their digits line up.
        const auto red = RedFigure(text.toStdString());
        painter.setPen(red ? kSheetRed : QColor(Qt::black));
        painter.drawText(inner, Qt::AlignRight | oneLine,
                         red ? QString::fromStdString(*red) : text);
    }
    painter.restore();
}

bool TForm5::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    // Each press acts, the second of a double click too.
    if (watched == StringGrid1->viewport() &&
        (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick)) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint at = mouse->position().toPoint();
        RunGuarded(
            [&] { StringGrid1MouseDown(mouse->button(), mouse->modifiers(), at.x(), at.y()); });
    }
    return QWidget::eventFilter(watched, event);
}

void TForm5::StringGrid1MouseDown(Qt::MouseButton, Qt::KeyboardModifiers, int x, int y) {
    const int kind = ComboBox1->currentIndex();
    // The grid's own hit test knows the rows scrolled out of sight and the hidden heading row
    // (the headings are the header's, above these rows).
    const SheetClick click =
        ClickOnSheet(grid_, State, kind, StringGrid1->rowAt(y), StringGrid1->columnAt(x));
    if (!click.Refill) return;
    if (click.FlipItem >= 0) {
        bool& expanded = State.ExpandedItems[kind][click.FlipItem];
        expanded = !expanded;
    }
    DrawCell(kind);
}

bool TForm5::FlipRow(int row) {
    const int kind = ComboBox1->currentIndex();
    const SheetClick click = ClickOnSheet(grid_, State, kind, row, 0);
    if (click.FlipItem < 0) return false;
    bool& expanded = State.ExpandedItems[kind][click.FlipItem];
    expanded = !expanded;
    DrawCell(kind);
    return true;
}

void TForm5::Button1Click() {
    FileDialogOptions options;
    options.Filter = QString::fromUtf8(kLedgerFilter);
    std::string dir = ledger_.DataDir;
    std::string name;
    if (!ledger_.PreviousYearLedger.empty()) SplitLedgerPath(ledger_.PreviousYearLedger, dir, name);
    options.InitialDir = QString::fromStdString(dir);
    options.DefaultExt = QString::fromUtf8(kEntriesExtension);
    const auto path = CurrentPlatform().GetOpenFileName(options);
    if (!path) return;
    ChoosePreviousYearLedger(ledger_, path->toStdString());
    DrawCurrentSheet();
}

void TForm5::DrawCurrentSheet() {
    DrawCell(ComboBox1->currentIndex());
}

TextTable TForm5::ShownTable() const {
    TextTable rows(static_cast<size_t>(StringGrid1->rowCount()));
    for (int r = 0; r < StringGrid1->rowCount(); ++r) {
        for (int c = 0; c < StringGrid1->columnCount(); ++c) {
            rows[r].push_back(CellText(r, c).toStdString());
        }
    }
    return rows;
}

QString TForm5::ShownTitle() const {
    return ComboBox1->currentText();
}

std::unique_ptr<PrintDocument> TForm5::Printed() const {
    const int kind = State.SheetKind;
    TablePrintout table = PrintoutTitles(ledger_, ShownTitle().toStdString(),
                                         kind == YearSheet || kind == YearsSheet);
    table.Cells = ShownTable();
    for (int c = 0; c < StringGrid1->columnCount(); ++c) {
        table.ColumnWidths.push_back(StringGrid1->columnWidth(c) - 1);
    }
    table.Landscape = IsWideSheet(kind);
    const int rows = static_cast<int>(table.Cells.size());
    if (kind == ExpenseSheet || kind == IncomeSheet) {
        table.Gauges.resize(rows);
        for (int r = 1; r < rows; ++r) {
            const auto& cells = table.Cells[r];
            if (cells.size() > 3) table.Gauges[r] = GaugeOf(kind, cells[0], cells[2], cells[3]);
        }
    }
    table.Spanned.resize(rows);
    for (int r = 1; r < rows; ++r) table.Spanned[r] = StringGrid1->columnSpan(r, 0) > 1;
    // On paper an item reads by its name: its 「+」 or 「-」 is a button of the window.
    for (int r = 1; r < rows; ++r) {
        if (table.Cells[r].empty()) continue;
        std::string& name = table.Cells[r][0];
        if (ClickOnSheet(grid_, State, kind, r, 0).FlipItem >= 0 && !name.empty()) {
            name.erase(0, 1);
        }
    }
    return std::make_unique<TableDocument>(std::move(table), kRowHeight);
}

void TForm5::FormResize() {
    StringGrid1->setGeometry(kGridLeft, kGridTop, width() - 16, height() - 75);
}

}  // namespace kakeibo
