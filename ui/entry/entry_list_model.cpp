#include "ui/entry/entry_list_model.h"

#include <algorithm>

#include "core/numbers.h"
#include "core/reports/sheet_drawing.h"

namespace kakeibo {

EntryListModel::EntryListModel(QObject* parent) : QAbstractTableModel(parent) {}

QString EntryListModel::Heading(int column) {
    return column >= 0 && column < kEntryListColumns
               ? QString::fromUtf8(EntryListHeadings()[column])
               : QString();
}

void EntryListModel::Fill(const Ledger& ledger) {
    const int used = std::clamp(ledger.NextSlot, 0, kSlotCount);
    const int m = std::clamp(ledger.EditMonth, 1, kMonthCount) - 1;
    std::vector<Row> rows;
    rows.reserve(used);
    for (int s = 0; s < used; ++s) {
        rows.push_back({ledger.EntryTable[m][s], ledger.EntryTextTable[m][s]});
    }
    // Rows leaving the view are removed while they still show their old texts; rows joining it
    // show the new ones.
    if (used + 1 < rowCount_) Resize(used + 1);
    rows_ = std::move(rows);
    names_ = EntryListNamesOf(ledger);
    if (used + 1 > rowCount_) Resize(used + 1);
    emit dataChanged(index(0, 0), index(rowCount_ - 1, kEntryListColumns - 1), {Qt::DisplayRole});
}

void EntryListModel::EnsureRows(int rows) {
    if (rows > rowCount_) Resize(rows);
}

void EntryListModel::Resize(int rows) {
    if (rows > rowCount_) {
        beginInsertRows({}, rowCount_, rows - 1);
        rowCount_ = rows;
        endInsertRows();
    } else if (rows < rowCount_) {
        beginRemoveRows({}, rows, rowCount_ - 1);
        rowCount_ = rows;
        endRemoveRows();
    }
}

QString EntryListModel::Text(int row, int column) const {
    if (row < 0 || row >= static_cast<int>(rows_.size())) return {};
    const Row& r = rows_[row];
    // The amount as every amount field shows it; the export keeps the plain digits.
    if (column == kAmountColumn) return QString::fromStdString(FormatNumber(r.Entry.Amount, 0, 0));
    return QString::fromStdString(EntryListCellText(r.Entry, r.Text, names_, column));
}

int EntryListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rowCount_;
}

int EntryListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kEntryListColumns;
}

QVariant EntryListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    // A screen reader hears the text without the blanks that align it.
    if (role == Qt::AccessibleTextRole) {
        return QString::fromStdString(
            SpeakCell(Text(index.row(), index.column()).toStdString(), -1).Text);
    }
    if (role == Qt::TextAlignmentRole && index.column() == kAmountColumn) {
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    }
    if (role != Qt::DisplayRole) return {};
    return Text(index.row(), index.column());
}

QVariant EntryListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
    return Heading(section);
}

}  // namespace kakeibo
