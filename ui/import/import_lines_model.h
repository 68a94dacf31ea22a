#pragma once

#include <QAbstractTableModel>
#include <QStyledItemDelegate>
#include <functional>
#include <vector>

#include "core/ledger/ledger.h"
#include "core/money_in/statement_import.h"

namespace kakeibo {

// The preview grid's rows: the window's lines, shown and edited in place. The check box,
// the shop, the item, the sub-item and the memo can be changed; everything else is read.
class ImportLinesModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { Check, On, Shop, Amount, Direction, Item, SubItem, Status, Memo, ColumnCount };

    // Reads the window's own state, which outlives the model.
    ImportLinesModel(const Ledger& ledger, std::vector<ImportLine>& lines,
                     const std::vector<ImportRule>& rules, const int& accountItem,
                     const int& accountSubItem, QObject* parent);

    // Called after every change of a line, for the sum of the checked lines.
    void SetChangeHandler(std::function<void()> handler) { onChange_ = std::move(handler); }
    // The lines were replaced or reassigned as a whole.
    void Reset();
    void RowsChanged();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    const Ledger& ledger() const { return ledger_; }
    const ImportLine& Line(int row) const { return lines_[row]; }

private:
    void LineChanged(int row);

    const Ledger& ledger_;
    std::vector<ImportLine>& lines_;
    const std::vector<ImportRule>& rules_;
    const int& accountItem_;
    const int& accountSubItem_;
    std::function<void()> onChange_;
};

// Drop-down lists for the item (the items that suit the line's direction) and the sub-item
// (the five of the line's item); plain text fields for the shop and the memo.
class ImportLinesDelegate final : public QStyledItemDelegate {
    Q_OBJECT

public:
    explicit ImportLinesDelegate(const ImportLinesModel& model, QObject* parent);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;

private:
    const ImportLinesModel& model_;
};

}  // namespace kakeibo
