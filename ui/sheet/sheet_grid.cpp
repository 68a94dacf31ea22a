#include "ui/sheet/sheet_grid.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHash>
#include <QHeaderView>
#include <QKeyEvent>

#include "core/reports/sheet_drawing.h"

namespace kakeibo {

namespace {

class SheetTableAccessible;

// One cell, or one column heading (row -1), of the grid; found by its place in the model.
class SheetCellAccessible final : public QAccessibleInterface,
                                  public QAccessibleTableCellInterface,
                                  public QAccessibleActionInterface {
public:
    SheetCellAccessible(TSheetGrid* grid, int row, int column)
        : grid_(grid), row_(row), column_(column) {}

    bool isValid() const override {
        return grid_ != nullptr && row_ < grid_->rowCount() && column_ < grid_->columnCount();
    }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return grid_->window()->windowHandle(); }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(grid_);
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    void setText(QAccessible::Text, const QString&) override {}

    QString text(QAccessible::Text t) const override {
        if (t != QAccessible::Name || !isValid()) return {};
        const QString spoken = QString::fromStdString(Spoken().Text);
        // The item column has no heading of its own on the sheet; a reader is told what it holds.
        if (Heading() && column_ == 0 && spoken.isEmpty()) return QStringLiteral("項目");
        return spoken;
    }
    QRect rect() const override {
        if (!isValid()) return {};
        if (Heading()) {
            const QHeaderView* header = grid_->horizontalHeader();
            const QPoint at(header->sectionViewportPosition(column_), 0);
            return QRect(header->viewport()->mapToGlobal(at),
                         QSize(header->sectionSize(column_), header->height()));
        }
        const QRect cell = grid_->visualRect(Index());
        return QRect(grid_->viewport()->mapToGlobal(cell.topLeft()), cell.size());
    }
    QAccessible::Role role() const override {
        if (Heading()) return QAccessible::ColumnHeader;
        return ItemColumn() ? QAccessible::RowHeader : QAccessible::Cell;
    }
    QAccessible::State state() const override {
        QAccessible::State s;
        if (!isValid()) return s;
        s.invisible = !grid_->isVisible();
        if (Heading()) return s;
        s.focusable = true;
        s.focused = grid_->hasFocus() && grid_->currentIndex() == Index();
        s.selectable = Selectable();
        s.selected = grid_->selectionModel()->isSelected(Index());
        const SpokenCell spoken = Spoken();
        s.expandable = spoken.Expandable;
        s.expanded = spoken.Expandable && spoken.Expanded;
        s.collapsed = spoken.Expandable && !spoken.Expanded;
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TableCellInterface) {
            return static_cast<QAccessibleTableCellInterface*>(this);
        }
        if (type == QAccessible::ActionInterface) {
            return static_cast<QAccessibleActionInterface*>(this);
        }
        return nullptr;
    }

    // QAccessibleTableCellInterface
    bool isSelected() const override {
        return !Heading() && grid_->selectionModel()->isSelected(Index());
    }
    QList<QAccessibleInterface*> columnHeaderCells() const override;
    QList<QAccessibleInterface*> rowHeaderCells() const override;
    int columnIndex() const override { return column_; }
    int rowIndex() const override { return Heading() ? -1 : grid_->ShownRows().indexOf(row_); }
    int columnExtent() const override { return Heading() ? 1 : grid_->columnSpan(row_, column_); }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override { return parent(); }

    // QAccessibleActionInterface: an item row opens and closes.
    QStringList actionNames() const override {
        return isValid() && !Heading() && Spoken().Expandable ? QStringList{toggleAction()}
                                                              : QStringList{};
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }
    void doAction(const QString& name) override {
        if (name == toggleAction() && isValid() && !Heading()) grid_->Flip(row_);
    }

private:
    bool Heading() const { return row_ < 0; }
    QModelIndex Index() const { return grid_->model()->index(row_, column_); }
    const QTableWidgetItem* Item() const {
        return Heading() ? grid_->horizontalHeaderItem(column_) : grid_->item(row_, column_);
    }
    bool Selectable() const {
        const QTableWidgetItem* item = Item();
        return item != nullptr && item->flags().testFlag(Qt::ItemIsSelectable);
    }
    // The item names stand in column 0, which cannot be selected where it is fixed.
    bool ItemColumn() const { return column_ == 0 && !Selectable(); }
    SpokenCell Spoken() const {
        const QTableWidgetItem* item = Item();
        return SpeakCell(item != nullptr ? item->text().toStdString() : std::string(),
                         Heading() ? -1 : column_);
    }

    TSheetGrid* grid_;
    int row_;
    int column_;
};

// The grid as a table. Its children are numbered as Qt's own tables number them (a row of
// headings first, a column for the hidden vertical header), so the focus events of the view
// name the right cell; the table itself counts only the rows shown.
class SheetTableAccessible final : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    explicit SheetTableAccessible(TSheetGrid* grid) : QAccessibleWidget(grid, QAccessible::Table) {}
    ~SheetTableAccessible() override {
        for (QAccessible::Id id : std::as_const(cells_)) QAccessible::deleteAccessibleInterface(id);
    }

    QAccessibleInterface* Cell(int row, int column) const {
        if (row < -1 || row >= Grid()->rowCount() || column < 0 ||
            column >= Grid()->columnCount()) {
            return nullptr;
        }
        const auto key = qMakePair(row, column);
        auto found = cells_.find(key);
        if (found == cells_.end()) {
            found = cells_.insert(key, QAccessible::registerAccessibleInterface(
                                           new SheetCellAccessible(Grid(), row, column)));
        }
        return QAccessible::accessibleInterface(*found);
    }

    int childCount() const override {
        return (Grid()->rowCount() + 1) * (Grid()->columnCount() + 1);
    }
    QAccessibleInterface* child(int index) const override {
        const int width = Grid()->columnCount() + 1;
        if (index < 0 || width <= 1) return nullptr;
        const int row = index / width - 1;
        const int column = index % width - 1;
        if (column < 0 || (row >= 0 && Grid()->isRowHidden(row))) return nullptr;
        return Cell(row, column);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        if (child == nullptr) return -1;
        for (auto it = cells_.cbegin(); it != cells_.cend(); ++it) {
            if (QAccessible::accessibleInterface(it.value()) == child) {
                return (it.key().first + 1) * (Grid()->columnCount() + 1) + it.key().second + 1;
            }
        }
        return -1;
    }
    QAccessibleInterface* focusChild() const override {
        const QModelIndex current = Grid()->currentIndex();
        return Grid()->hasFocus() && current.isValid() ? Cell(current.row(), current.column())
                                                       : nullptr;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TableInterface)
            return static_cast<QAccessibleTableInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    // QAccessibleTableInterface
    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QString columnDescription(int column) const override {
        const QAccessibleInterface* heading = Cell(-1, column);
        return heading != nullptr ? heading->text(QAccessible::Name) : QString();
    }
    QString rowDescription(int row) const override {
        const QAccessibleInterface* name = cellAt(row, 0);
        return name != nullptr ? name->text(QAccessible::Name) : QString();
    }
    int columnCount() const override { return Grid()->columnCount(); }
    int rowCount() const override { return static_cast<int>(Grid()->ShownRows().size()); }
    QAccessibleInterface* cellAt(int row, int column) const override {
        const QList<int> shown = Grid()->ShownRows();
        return row >= 0 && row < shown.size() ? Cell(shown[row], column) : nullptr;
    }
    int selectedCellCount() const override {
        return static_cast<int>(Grid()->selectionModel()->selectedIndexes().size());
    }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return 0; }
    QList<QAccessibleInterface*> selectedCells() const override {
        QList<QAccessibleInterface*> cells;
        for (const QModelIndex& index : Grid()->selectionModel()->selectedIndexes()) {
            if (QAccessibleInterface* cell = Cell(index.row(), index.column())) cells.append(cell);
        }
        return cells;
    }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int) const override { return false; }
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent*) override {}

private:
    TSheetGrid* Grid() const { return static_cast<TSheetGrid*>(widget()); }
    mutable QHash<QPair<int, int>, QAccessible::Id> cells_;
};

QList<QAccessibleInterface*> SheetCellAccessible::columnHeaderCells() const {
    if (Heading()) return {};
    const auto* table = static_cast<const SheetTableAccessible*>(parent());
    QAccessibleInterface* heading = table->Cell(-1, column_);
    return heading != nullptr ? QList<QAccessibleInterface*>{heading}
                              : QList<QAccessibleInterface*>{};
}

QList<QAccessibleInterface*> SheetCellAccessible::rowHeaderCells() const {
    // The item name heads its row, itself included: readers ask the first cell of a row.
    if (Heading()) return {};
    const auto* table = static_cast<const SheetTableAccessible*>(parent());
    QAccessibleInterface* name = table->Cell(row_, 0);
    if (name == nullptr || name->role() != QAccessible::RowHeader) return {};
    return {name};
}

QAccessibleInterface* AccessibleFactory(const QString& className, QObject* object) {
    if (className == QLatin1String(TSheetGrid::staticMetaObject.className())) {
        if (auto* grid = qobject_cast<TSheetGrid*>(object)) return new SheetTableAccessible(grid);
    }
    return nullptr;
}

}  // namespace

TSheetGrid::TSheetGrid(QWidget* parent) : QTableWidget(parent) {
    static const bool accessible = (QAccessible::installFactory(&AccessibleFactory), true);
    Q_UNUSED(accessible);
    setTabKeyNavigation(false);
}

QList<int> TSheetGrid::ShownRows() const {
    QList<int> rows;
    for (int r = 0; r < rowCount(); ++r) {
        if (!isRowHidden(r)) rows.append(r);
    }
    return rows;
}

void TSheetGrid::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    const bool press = key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter;
    if (press && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier &&
        currentIndex().isValid() && Flip(currentIndex().row())) {
        event->accept();
        return;
    }
    QTableWidget::keyPressEvent(event);
}

}  // namespace kakeibo
