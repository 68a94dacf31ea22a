#include "ui/import/import_lines_model.h"

#include <QBrush>
#include <QColor>
#include <QComboBox>

#include "core/numbers.h"
#include "ui/platform/platform.h"
#include "ui/platform/text.h"

namespace kakeibo {

namespace {

const char* const kHeadings[] = {"",     "日付", "摘要", "金額", "入出金",
                                 "項目", "細目", "状態", "メモ"};

// The items a line may be booked to, in item order.
std::vector<int> ItemChoices(const Ledger& ledger, bool moneyIn) {
    std::vector<int> items;
    const char* other = moneyIn ? kKindIncome : kKindExpense;
    for (int i = 0; i < kItemCount; ++i) {
        const std::string& kind = ledger.ItemTable[i].Kind;
        if (kind == kKindAccount || kind == other) items.push_back(i);
    }
    return items;
}

}  // namespace

ImportLinesModel::ImportLinesModel(const Ledger& ledger, std::vector<ImportLine>& lines,
                                   const std::vector<ImportRule>& rules, const int& accountItem,
                                   const int& accountSubItem, QObject* parent)
    : QAbstractTableModel(parent),
      ledger_(ledger),
      lines_(lines),
      rules_(rules),
      accountItem_(accountItem),
      accountSubItem_(accountSubItem) {}

void ImportLinesModel::Reset() {
    beginResetModel();
    endResetModel();
    if (onChange_) onChange_();
}

void ImportLinesModel::RowsChanged() {
    if (!lines_.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1));
    if (onChange_) onChange_();
}

int ImportLinesModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(lines_.size());
}

int ImportLinesModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ImportLinesModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const ImportLine& line = lines_[index.row()];
    const int column = index.column();
    if (role == Qt::CheckStateRole && column == Check) {
        return line.Checked ? Qt::Checked : Qt::Unchecked;
    }
    if (role == Qt::TextAlignmentRole && column == Amount) {
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    }
    if (role == Qt::ForegroundRole && column == Status && (!Importable(line) || line.Duplicate)) {
        return QBrush(QColor(Qt::red));
    }
    if (role == Qt::EditRole && (column == Item || column == SubItem)) {
        return column == Item ? line.Item : line.SubItem;
    }
    if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
    switch (column) {
        case On:
            return QStringLiteral("%1/%2/%3")
                .arg(line.Source.On.Year)
                .arg(line.Source.On.Month, 2, 10, QLatin1Char('0'))
                .arg(line.Source.On.Day, 2, 10, QLatin1Char('0'));
        case Shop:
            return Qs(line.Shop);
        case Amount:
            return Qs(FormatNumber(line.Source.Amount, 1, 0));
        case Direction:
            return line.Source.MoneyIn ? QStringLiteral("入金") : QStringLiteral("出金");
        case Item:
            return line.Item >= 0 ? Qs(ledger_.ItemTable[line.Item].Name) : QString();
        case SubItem:
            return line.Item >= 0 ? Qs(ledger_.SubItemTable[line.Item][line.SubItem]) : QString();
        case Status:
            return Qs(LineStatus(line, rules_));
        case Memo:
            return Qs(line.Memo);
        default:
            return {};
    }
}

bool ImportLinesModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.row() >= rowCount()) return false;
    ImportLine& line = lines_[index.row()];
    const bool in = line.Source.MoneyIn;
    switch (index.column()) {
        case Check:
            if (role != Qt::CheckStateRole) return false;
            // An unassigned line, or one a save could not store, cannot be imported yet.
            if (!Importable(line)) {
                CurrentPlatform().Beep();
                return false;
            }
            line.Checked = value.toInt() == Qt::Checked;
            break;
        case Shop:
            SetLineTexts(line, value.toString().toStdString(), line.Memo);
            break;
        case Memo:
            SetLineTexts(line, line.Shop, value.toString().toStdString());
            break;
        case Item: {
            const int item = value.toInt();
            // The first sub-item that is not the statement's own account.
            int sub = 0;
            while (sub < kSubItemCount &&
                   !FitsDirection(ledger_, item, sub, in, accountItem_, accountSubItem_)) {
                ++sub;
            }
            if (sub == kSubItemCount) return false;
            if (item == line.Item && line.By == Assignment::User) return true;
            const bool wasImportable = Importable(line);
            line.Item = item;
            line.SubItem = sub;
            line.By = Assignment::User;
            line.Rule = -1;
            if (!wasImportable) line.Checked = Importable(line) && !line.Duplicate;
            break;
        }
        case SubItem: {
            const int sub = value.toInt();
            if (!FitsDirection(ledger_, line.Item, sub, in, accountItem_, accountSubItem_)) {
                CurrentPlatform().Beep();
                return false;
            }
            line.SubItem = sub;
            line.By = Assignment::User;
            line.Rule = -1;
            break;
        }
        default:
            return false;
    }
    LineChanged(index.row());
    return true;
}

void ImportLinesModel::LineChanged(int row) {
    emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
    if (onChange_) onChange_();
}

Qt::ItemFlags ImportLinesModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    const ImportLine& line = lines_[index.row()];
    switch (index.column()) {
        case Check:
            return flags | Qt::ItemIsUserCheckable;
        case Shop:
        case Item:
        case Memo:
            return flags | Qt::ItemIsEditable;
        case SubItem:
            return line.Item >= 0 ? flags | Qt::ItemIsEditable : flags;
        default:
            return flags;
    }
}

QVariant ImportLinesModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= ColumnCount) {
        return {};
    }
    return QString::fromUtf8(kHeadings[section]);
}

ImportLinesDelegate::ImportLinesDelegate(const ImportLinesModel& model, QObject* parent)
    : QStyledItemDelegate(parent), model_(model) {}

QWidget* ImportLinesDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                           const QModelIndex& index) const {
    const int column = index.column();
    if (column != ImportLinesModel::Item && column != ImportLinesModel::SubItem) {
        return QStyledItemDelegate::createEditor(parent, option, index);
    }
    const Ledger& ledger = model_.ledger();
    const ImportLine& line = model_.Line(index.row());
    auto* list = new QComboBox(parent);
    list->setObjectName(column == ImportLinesModel::Item ? QStringLiteral("ItemEditor")
                                                         : QStringLiteral("SubItemEditor"));
    list->setMaxVisibleItems(16);
    if (column == ImportLinesModel::Item) {
        for (int item : ItemChoices(ledger, line.Source.MoneyIn)) {
            list->addItem(Qs(ledger.ItemTable[item].Name), item);
        }
    } else if (line.Item >= 0) {
        for (int sub = 0; sub < kSubItemCount; ++sub) {
            list->addItem(Qs(ledger.SubItemTable[line.Item][sub]), sub);
        }
    }
    return list;
}

void ImportLinesDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    auto* list = qobject_cast<QComboBox*>(editor);
    if (!list) {
        QStyledItemDelegate::setEditorData(editor, index);
        return;
    }
    list->setCurrentIndex(list->findData(index.data(Qt::EditRole)));
}

void ImportLinesDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                       const QModelIndex& index) const {
    auto* list = qobject_cast<QComboBox*>(editor);
    if (!list) {
        QStyledItemDelegate::setModelData(editor, model, index);
        return;
    }
    if (list->currentIndex() >= 0) model->setData(index, list->currentData(), Qt::EditRole);
}

}  // namespace kakeibo
