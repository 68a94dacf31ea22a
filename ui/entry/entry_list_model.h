#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <array>
#include <vector>

#include "core/ledger.h"

namespace kakeibo {

inline constexpr int kEntryListColumns = 8;

// The texts of the entry list: one row per used slot of the edited month and one spare
// row; the headings are the header's. Fill copies every text from the ledger, so drawing
// reads nothing else. Rows are added and removed rather than reset, so the view keeps its
// current cell across a refill.
class EntryListModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    using Row = std::array<QString, kEntryListColumns>;

    explicit EntryListModel(QObject* parent = nullptr);

    // The headings of the eight columns.
    static const std::array<QString, kEntryListColumns>& Headings();

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
    void Resize(int rows);

    std::vector<Row> rows_;
};

}  // namespace kakeibo
