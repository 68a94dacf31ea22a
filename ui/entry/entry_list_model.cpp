#include "ui/entry/entry_list_model.h"

#include <algorithm>

namespace kakeibo {

EntryListModel::EntryListModel(QObject* parent) : QAbstractTableModel(parent) {}

const std::array<QString, kEntryListColumns>& EntryListModel::Headings() {
    static const std::array<QString, kEntryListColumns> headings = {
        QStringLiteral("日"),      QStringLiteral("お店の名前等"), QStringLiteral("項　目1"),
        QStringLiteral("細　目1"), QStringLiteral("項　目2"),      QStringLiteral("細　目2"),
        QStringLiteral("金　額"),  QStringLiteral("メ　モ")};
    return headings;
}

void EntryListModel::Fill(const Ledger& ledger) {
    const int used = std::clamp(ledger.NextSlot, 0, kSlotCount);
    Resize(used + 1);
    // The names are shared by many rows: convert each once per fill.
    std::array<QString, kItemCount> items;
    std::array<std::array<QString, kSubItemCount>, kItemCount> subItems;
    for (int i = 0; i < kItemCount; ++i) {
        items[i] = QString::fromStdString(ledger.ItemTable[i].Name);
        for (int s = 0; s < kSubItemCount; ++s) {
            subItems[i][s] = QString::fromStdString(ledger.SubItemTable[i][s]);
        }
    }
    auto itemName = [&](int item) {
        return item >= 0 && item < kItemCount ? items[item] : QString();
    };
    auto subItemName = [&](int item, int sub) {
        return item >= 0 && item < kItemCount && sub >= 0 && sub < kSubItemCount
                   ? subItems[item][sub]
                   : QString();
    };
    const int m = std::clamp(ledger.EditMonth, 1, kMonthCount) - 1;
    for (int s = 0; s < used; ++s) {
        const EntryRecord& e = ledger.EntryTable[m][s];
        const EntryText& t = ledger.EntryTextTable[m][s];
        Row& row = rows_[s];
        row[0] = QString::number(e.Day);
        row[1] = QString::fromStdString(t.Shop);
        row[2] = itemName(e.Item1);
        row[3] = subItemName(e.Item1, e.SubItem1);
        row[4] = itemName(e.Item2);
        row[5] = subItemName(e.Item2, e.SubItem2);
        row[6] = QString::number(e.Amount);
        row[7] = QString::fromStdString(t.Memo);
    }
    rows_[used] = Row{};
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
        rows_.resize(rows);
        endInsertRows();
    } else if (rows < old) {
        beginRemoveRows({}, rows, old - 1);
        rows_.resize(rows);
        endRemoveRows();
    }
}

QString EntryListModel::Text(int row, int column) const {
    if (row < 0 || row >= static_cast<int>(rows_.size()) || column < 0 ||
        column >= kEntryListColumns) {
        return {};
    }
    return rows_[row][column];
}

int EntryListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int EntryListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kEntryListColumns;
}

QVariant EntryListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    return rows_[index.row()][index.column()];
}

QVariant EntryListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Horizontal && section >= 0 && section < kEntryListColumns) {
        return Headings()[section];
    }
    return {};
}

}  // namespace kakeibo
