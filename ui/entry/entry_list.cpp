// The month's entry list on the entry form, with its delete and edit commands.
#include "core/reports/entry_list.h"

#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QMenu>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTableView>

#include "core/ledger/entries.h"
#include "ui/controls/fixed_header.h"
#include "ui/controls/nval_edit.h"
#include "ui/entry/entry_form.h"
#include "ui/entry/entry_list_model.h"
#include "ui/platform/platform.h"
#include "ui/print/printout.h"
#include "ui/window/workspace.h"

namespace kakeibo {

namespace {

constexpr int kColumnWidths[kEntryListColumns] = {32, 128, 128, 128, 128, 128, 64, 340};
constexpr int kRowHeight = 18;

}  // namespace

void TForm3::BuildEntryList() {
    model_ = new EntryListModel(this);
    SG31 = new QTableView(this);
    SG31->setObjectName(QStringLiteral("SG31"));
    SG31->setGeometry(22, 24, 553, 153);
    // The headings row before the model: the model's columns are laid out by it alone.
    auto* headings = new TFixedHeader(kRowHeight + 1, SG31);
    SG31->setHorizontalHeader(headings);
    SG31->setModel(model_);
    // Reached by Tab as well: arrows move the current cell, the menu key opens the menu.
    SG31->setFocusPolicy(Qt::StrongFocus);
    SG31->setTabKeyNavigation(false);
    SG31->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SG31->setSelectionBehavior(QAbstractItemView::SelectItems);
    SG31->setSelectionMode(QAbstractItemView::ContiguousSelection);
    SG31->setShowGrid(true);
    SG31->setWordWrap(false);
    SG31->setCornerButtonEnabled(false);
    SG31->verticalHeader()->hide();
    SG31->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    SG31->verticalHeader()->setDefaultSectionSize(kRowHeight);
    headings->setSectionResizeMode(QHeaderView::Interactive);
    headings->setSectionsMovable(true);
    headings->setSectionsClickable(false);
    headings->setHighlightSections(false);
    headings->setMinimumSectionSize(8);
    headings->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    headings->setStyleSheet(
        QStringLiteral("QHeaderView::section { background-color: rgb(254, 250, 233); color: black;"
                       " padding: 0px 2px; border: 0px; border-right: 1px solid #a0a0a0;"
                       " border-bottom: 1px solid #a0a0a0; }"));
    for (int c = 0; c < kEntryListColumns; ++c) SG31->setColumnWidth(c, kColumnWidths[c]);
    // The user's order and widths, as rozed.ini keeps them; every move or resize goes back.
    const ListColumns columns = ledger_.EntryListColumns;
    for (int place = 0; place < kListColumnCount; ++place) {
        const ListColumn& column = columns[place];
        if (column.Column < 0 || column.Column >= kEntryListColumns) continue;
        headings->moveSection(headings->visualIndex(column.Column), place);
        SG31->setColumnWidth(column.Column, column.Width);
    }
    const auto keepColumns = [this, headings] {
        for (int place = 0; place < kListColumnCount; ++place) {
            const int column = headings->logicalIndex(place);
            ledger_.EntryListColumns[place] = ListColumn{column, headings->sectionSize(column)};
        }
    };
    connect(headings, &QHeaderView::sectionMoved, this, keepColumns);
    connect(headings, &QHeaderView::sectionResized, this, keepColumns);
    SG31->viewport()->installEventFilter(this);
    headings->viewport()->installEventFilter(this);
    ConnectGuarded(SG31->selectionModel(), &QItemSelectionModel::currentChanged, this,
                   &TForm3::SG31Click);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    Delete1 = PopupMenu1->addAction(QStringLiteral("削除"));
    Delete1->setObjectName(QStringLiteral("Delete1"));
    Edit1 = PopupMenu1->addAction(QStringLiteral("編集"));
    Edit1->setObjectName(QStringLiteral("Edit1"));
    ConnectGuarded(Delete1, &QAction::triggered, this, &TForm3::sakujyo1Click);
    Teiki1 = PopupMenu1->addAction(QStringLiteral("定期入出金に登録"));
    Teiki1->setObjectName(QStringLiteral("Teiki1"));
    ConnectGuarded(Edit1, &QAction::triggered, this, &TForm3::henshu);
    ConnectGuarded(Teiki1, &QAction::triggered, this, &TForm3::Teiki1Click);
    model_->Fill(ledger_);
    MoveCurrentRow(0);
}

void TForm3::DrawCell() {
    model_->Fill(ledger_);
    if (!SG31->currentIndex().isValid()) MoveCurrentRow(0);
    SetWalletBalance();
    // The edited date may have moved across a change of the rate.
    ShowTaxRate();
    RefreshRecurring();
}

void TForm3::MoveCurrentRow(int modelRow) {
    SG31->setCurrentIndex(model_->index(modelRow, 0));
}

void TForm3::SG31Click() {
    // The grid's row 0 is the headings, so model row r is grid row r + 1 and slot r.
    const QModelIndex current = SG31->currentIndex();
    if (current.isValid()) selectedSlot_ = current.row();
}

void TForm3::SG31MouseDown(Qt::MouseButton button, int x, int y) {
    if (button != Qt::RightButton) return;
    // The commands act on the row the user pointed at: it becomes the current row first.
    const QPoint inRows = SG31->viewport()->mapFrom(SG31, QPoint(x, y));
    const QModelIndex clicked = SG31->indexAt(inRows);
    if (clicked.isValid() && SG31->viewport()->rect().contains(inRows)) {
        SG31->setCurrentIndex(clicked);
    }
    PopupMenu1->popup(QPoint(this->x() + x + 10, this->y() + y + 30));
}

int TForm3::EntryListRowCount() const {
    return model_->rowCount() + 1;
}

QString TForm3::EntryListCell(int row, int column) const {
    if (row == 0) return EntryListModel::Heading(column);
    return model_->Text(row - 1, column);
}

std::unique_ptr<PrintDocument> TForm3::Printed() const {
    TablePrintout table = PrintoutTitles(ledger_, "今月の入力一覧", false);
    for (int r = 0; r < EntryListRowCount(); ++r) {
        auto& cells = table.Cells.emplace_back();
        for (int c = 0; c < kEntryListColumns; ++c) {
            cells.push_back(EntryListCell(r, c).toStdString());
        }
    }
    table.ColumnWidths.assign(std::begin(kColumnWidths), std::end(kColumnWidths));
    table.Landscape = true;
    // The rows as the sheets have them: room for the larger print.
    return std::make_unique<TableDocument>(std::move(table), 25);
}

int TForm3::EntryListCurrentRow() const {
    const QModelIndex current = SG31->currentIndex();
    return current.isValid() ? current.row() + 1 : 1;
}

void TForm3::sakujyo1Click() {
    const std::string question =
        DeleteQuestion(ledger_, ledger_.EditMonth, EntryListCurrentRow() - 1);
    const MessageButton answer = CurrentPlatform().ShowTypedMessage(
        MessageKind::Information, QString::fromStdString(question), OkButton | CancelButton);
    if (answer != OkButton) {
        DrawCell();
        return;
    }
    // The spare row holds no entry: nothing to delete and nothing changed.
    const auto change = DeleteEntry(ledger_, ledger_.EditMonth, EntryListCurrentRow() - 1);
    if (change) {
        workspace_.Apply(*change);
    } else {
        workspace_.AllUpdate();
    }
}

void TForm3::henshu() {
    const int slot = selectedSlot_;
    if (slot < 0 || slot >= ledger_.NextSlot) return;  // the spare row: nothing to edit
    const int m = ledger_.EditMonth - 1;
    const EntryRecord e = ledger_.EntryTable[m][slot];
    const EntryText text = ledger_.EntryTextTable[m][slot];
    SetEditMode(true);

    auto kindOf = [this](int item) {
        return item >= 0 && item < kItemCount ? ledger_.ItemTable[item].Kind : std::string();
    };
    if (const auto tab = TabForKinds(kindOf(e.Item1), kindOf(e.Item2))) {
        TabDraw(static_cast<int>(*tab));
        SetKamoku(*tab);
    }
    // As a pick of that day in the main window, so that a plain write keeps the date.
    workspace_.SelectDate(Date{e.Year, e.Month, e.Day});

    auto positionOf = [](const QComboBox* list, const std::array<int32_t, 31>& map, int item) {
        for (int p = 0; p < list->count(); ++p) {
            if (map[p] == item) return p;
        }
        return -1;
    };
    {
        const QSignalBlocker blocker(ComboBox5);
        ComboBox5->setCurrentIndex(positionOf(ComboBox5, item1Map_, e.Item1));
    }
    SetHojyo(ComboBox5);
    ComboBox12->setCurrentIndex(e.SubItem1 < ComboBox12->count() ? e.SubItem1 : -1);
    {
        const QSignalBlocker blocker(ComboBox3);
        ComboBox3->setCurrentIndex(positionOf(ComboBox3, item2Map_, e.Item2));
    }
    SetHojyo(ComboBox3);
    ComboBox4->setCurrentIndex(e.SubItem2 < ComboBox4->count() ? e.SubItem2 : -1);

    QRadioButton* taxKinds[] = {RadioButton1, RadioButton2, RadioButton3};
    taxKinds[std::clamp(e.TaxKind, 0, 2)]->setChecked(true);
    NValEdit5->SetValue(e.Amount);
    ComboBox1->setEditText(QString::fromStdString(text.Shop));
    ComboBox2->setEditText(QString::fromStdString(text.Memo));
}

}  // namespace kakeibo
