#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <vector>

#include "core/ledger/ledger.h"
#include "core/reports/entry_list.h"

namespace kakeibo {

// The entry list (EntryListRows): one row per used slot of the edited month and one spare
// row; the headings are the header's. Fill keeps what the rows show as the ledger held it then
// (each slot's entry and texts, and the item names once), so drawing reads nothing else and
// the list shows the month as last filled while the ledger changes before the next fill. A
// cell's text is made only when the view asks for it.
// Rows are added and removed rather than reset, so the view keeps its current cell across a
// refill.
class EntryListModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit EntryListModel(QObject* parent = nullptr);
    static constexpr int kAmountColumn = 6;  // with separators, right-aligned

    // The heading of a column, "" outside the eight.
    static QString Heading(int column);

    // The month's slots 0..NextSlot-1, then the spare row.
    void Fill(const Ledger& ledger);
    // Grows to at least `rows` rows (new rows empty).
    void EnsureRows(int rows);

    QString Text(int row, int column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    struct Row {
        EntryRecord Entry;
        EntryText Text;
    };

    void Resize(int rows);

    // The filled slots; the rows after them, up to rowCount_, are empty.
    std::vector<Row> rows_;
    EntryListNames names_;
    int rowCount_ = 0;
};

}  // namespace kakeibo
