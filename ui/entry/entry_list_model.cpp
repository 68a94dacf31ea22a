#include "ui/entry/entry_list_model.h"

namespace kakeibo {

EntryListModel::EntryListModel(QObject* parent) : QAbstractTableModel(parent) {}

QString EntryListModel::Heading(int column) {
    return column >= 0 && column < kEntryListColumns
               ? QString::fromUtf8(EntryListHeadings()[column])
               : QString();
}

void EntryListModel::Fill(const Ledger& ledger) {
    TextTable rows = EntryListRows(ledger);
    Resize(static_cast<int>(rows.size()));
    rows_ = std::move(rows);
    emit dataChanged(index(0, 0), index(static_cast<int>(rows_.size()) - 1, kEntryListColumns - 1),
                     {Qt::DisplayRole});
}

void EntryListModel::EnsureRows(int rows) {
    if (rows > static_cast<int>(rows_.size())) Resize(rows);
}

void EntryListModel::Resize(int rows) {
    const int old = static_cast<int>(rows_.size());
    if (rows > old) {
        beginInsertRows({}, old, rows - 1);
        rows_.resize(rows, std::vector<std::string>(kEntryListColumns));
        endInsertRows();
    } else if (rows < old) {
        beginRemoveRows({}, rows, old - 1);
        rows_.resize(rows);
        endRemoveRows();
    }
}

QString EntryListModel::Text(int row, int column) const {
    if (row < 0 || row >= static_cast<int>(rows_.size()) || column < 0 ||
        column >= static_cast<int>(rows_[row].size())) {
        return {};
    }
    return QString::fromStdString(rows_[row][column]);
}

int EntryListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int EntryListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kEntryListColumns;
}

QVariant EntryListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    return Text(index.row(), index.column());
}

QVariant EntryListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
    return Heading(section);
}

}  // namespace kakeibo
