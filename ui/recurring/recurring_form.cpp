#include "ui/recurring/recurring_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include "core/errors.h"
#include "core/ledger_writers.h"
#include "core/numbers.h"
#include "ui/platform/damaged_file.h"
#include "ui/platform/platform.h"
#include "ui/platform/text.h"

namespace kakeibo {

namespace {

const char* const kTabNames[] = {"費用", "移動", "収入"};
const char* const kTaxNames[] = {"税込", "税抜", "その他"};

QString IntervalName(int months) {
    return months == 1 ? QStringLiteral("毎月") : QStringLiteral("%1か月ごと").arg(months);
}

QString DayName(int day) {
    return day == kMonthEnd ? QStringLiteral("月末") : QStringLiteral("%1日").arg(day);
}

void SelectData(QComboBox* box, int value) {
    const int at = box->findData(value);
    box->setCurrentIndex(at >= 0 ? at : (box->count() > 0 ? 0 : -1));
}

int Data(const QComboBox* box) {
    return box->currentIndex() < 0 ? -1 : box->currentData().toInt();
}

}  // namespace

TFormTeiki::TFormTeiki(const Ledger& ledger, QWidget* owner) : QDialog(owner), ledger_(ledger) {
    setObjectName(QStringLiteral("TFormTeiki"));
    setWindowTitle(QStringLiteral("定期入出金"));
    auto* layout = new QVBoxLayout(this);

    ListView1 = new QTableWidget(0, 5, this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setHorizontalHeaderLabels({QStringLiteral("名前"), QStringLiteral("区分"),
                                          QStringLiteral("金額"), QStringLiteral("日"),
                                          QStringLiteral("間隔")});
    ListView1->verticalHeader()->hide();
    ListView1->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setMinimumSize(560, 160);
    layout->addWidget(ListView1);

    auto* grid = new QGridLayout;
    auto named = [this](auto* widget, const char* name) {
        widget->setObjectName(QString::fromUtf8(name));
        return widget;
    };
    EditName = named(new QLineEdit(this), "EditName");
    ComboTab = named(new QComboBox(this), "ComboTab");
    for (int t = 0; t < 3; ++t) ComboTab->addItem(QString::fromUtf8(kTabNames[t]), t);
    ComboItem1 = named(new QComboBox(this), "ComboItem1");
    ComboSub1 = named(new QComboBox(this), "ComboSub1");
    ComboItem2 = named(new QComboBox(this), "ComboItem2");
    ComboSub2 = named(new QComboBox(this), "ComboSub2");
    EditAmount = named(new QLineEdit(this), "EditAmount");
    EditAmount->setAlignment(Qt::AlignRight);
    CheckVaries = named(new QCheckBox(QStringLiteral("金額は毎回変わる"), this), "CheckVaries");
    ComboTax = named(new QComboBox(this), "ComboTax");
    for (int t = 0; t < 3; ++t) ComboTax->addItem(QString::fromUtf8(kTaxNames[t]), t);
    ComboDay = named(new QComboBox(this), "ComboDay");
    for (int d = 1; d <= 31; ++d) ComboDay->addItem(DayName(d), d);
    ComboDay->addItem(DayName(kMonthEnd), kMonthEnd);
    ComboInterval = named(new QComboBox(this), "ComboInterval");
    for (int months : kRecurringIntervals) ComboInterval->addItem(IntervalName(months), months);
    SpinStartYear = named(new QSpinBox(this), "SpinStartYear");
    ComboStartMonth = named(new QComboBox(this), "ComboStartMonth");
    CheckEnd = named(new QCheckBox(QStringLiteral("終了"), this), "CheckEnd");
    SpinEndYear = named(new QSpinBox(this), "SpinEndYear");
    ComboEndMonth = named(new QComboBox(this), "ComboEndMonth");
    for (QSpinBox* year : {SpinStartYear, SpinEndYear}) year->setRange(2000, 2100);
    for (QComboBox* month : {ComboStartMonth, ComboEndMonth}) {
        for (int m = 1; m <= 12; ++m) month->addItem(QStringLiteral("%1月").arg(m), m);
    }
    EditShop = named(new QLineEdit(this), "EditShop");
    EditMemo = named(new QLineEdit(this), "EditMemo");

    auto label = [this](const char* text) { return new QLabel(QString::fromUtf8(text), this); };
    auto pair = [this](QWidget* a, QWidget* b) {
        auto* box = new QHBoxLayout;
        box->addWidget(a);
        box->addWidget(b);
        return box;
    };
    grid->addWidget(label("名前"), 0, 0);
    grid->addWidget(EditName, 0, 1);
    grid->addWidget(label("区分"), 0, 2);
    grid->addWidget(ComboTab, 0, 3);
    grid->addWidget(label("項目1・細目"), 1, 0);
    grid->addLayout(pair(ComboItem1, ComboSub1), 1, 1);
    grid->addWidget(label("項目2・細目"), 1, 2);
    grid->addLayout(pair(ComboItem2, ComboSub2), 1, 3);
    grid->addWidget(label("金額"), 2, 0);
    grid->addLayout(pair(EditAmount, CheckVaries), 2, 1);
    grid->addWidget(label("税区分"), 2, 2);
    grid->addWidget(ComboTax, 2, 3);
    grid->addWidget(label("日・間隔"), 3, 0);
    grid->addLayout(pair(ComboDay, ComboInterval), 3, 1);
    grid->addWidget(label("開始"), 3, 2);
    grid->addLayout(pair(SpinStartYear, ComboStartMonth), 3, 3);
    grid->addWidget(label("お店の名前"), 4, 0);
    grid->addWidget(EditShop, 4, 1);
    grid->addWidget(CheckEnd, 4, 2);
    grid->addLayout(pair(SpinEndYear, ComboEndMonth), 4, 3);
    grid->addWidget(label("一言メモ"), 5, 0);
    grid->addWidget(EditMemo, 5, 1);
    layout->addLayout(grid);

    auto* buttons = new QHBoxLayout;
    auto button = [this, buttons](const char* caption, const char* name) {
        auto* b = new QPushButton(QString::fromUtf8(caption), this);
        b->setObjectName(QString::fromUtf8(name));
        b->setAutoDefault(false);
        buttons->addWidget(b);
        return b;
    };
    ButtonAdd = button("追加", "ButtonAdd");
    ButtonChange = button("変更", "ButtonChange");
    ButtonDelete = button("削除", "ButtonDelete");
    ButtonUp = button("↑", "ButtonUp");
    ButtonDown = button("↓", "ButtonDown");
    buttons->addStretch();
    ButtonClose = button("閉じる", "ButtonClose");
    layout->addLayout(buttons);

    ConnectGuarded(ButtonAdd, &QPushButton::clicked, this, &TFormTeiki::AddClick);
    ConnectGuarded(ButtonChange, &QPushButton::clicked, this, &TFormTeiki::ChangeClick);
    ConnectGuarded(ButtonDelete, &QPushButton::clicked, this, &TFormTeiki::DeleteClick);
    ConnectGuarded(ButtonUp, &QPushButton::clicked, this, [this] { MoveClick(-1); });
    ConnectGuarded(ButtonDown, &QPushButton::clicked, this, [this] { MoveClick(1); });
    ConnectGuarded(ButtonClose, &QPushButton::clicked, this, [this] { accept(); });
    ConnectGuarded(ListView1, &QTableWidget::itemSelectionChanged, this, &TFormTeiki::ListClick);
    ConnectGuarded(ComboTab, &QComboBox::currentIndexChanged, this, &TFormTeiki::TabChange);
    ConnectGuarded(ComboItem1, &QComboBox::currentIndexChanged, this, [this] { ItemChange(0); });
    ConnectGuarded(ComboItem2, &QComboBox::currentIndexChanged, this, [this] { ItemChange(1); });
    connect(CheckEnd, &QCheckBox::toggled, this, [this](bool on) {
        SpinEndYear->setEnabled(on);
        ComboEndMonth->setEnabled(on);
    });

    templates_ = ReadRecurring(ledger_.DataDir);
    RecurringEntry fresh;
    fresh.StartYear = ledger_.EditDate.Year >= 2000 ? ledger_.EditDate.Year : 2000;
    fresh.StartMonth = ledger_.EditMonth;
    fresh.Day = ledger_.EditDate.Day >= 1 ? ledger_.EditDate.Day : 1;
    fresh.Amount = 0;
    Show(fresh);
    FillList(-1);
}

void TFormTeiki::FillItems(QComboBox* items, int side) {
    const QSignalBlocker block(items);
    items->clear();
    const auto tab = static_cast<RecurringTab>(std::max(Data(ComboTab), 0));
    for (int item : RecurringItemChoices(ledger_, tab, side)) {
        items->addItem(Qs(ledger_.ItemTable[item].Name), item);
    }
}

void TFormTeiki::FillSubItems(QComboBox* subs, QComboBox* items, int) {
    const QSignalBlocker block(subs);
    subs->clear();
    const int item = Data(items);
    if (item < 0) return;
    for (int s = 0; s < kSubItemCount; ++s) subs->addItem(Qs(ledger_.SubItemTable[item][s]), s);
}

void TFormTeiki::TabChange() {
    FillItems(ComboItem1, 0);
    FillItems(ComboItem2, 1);
    FillSubItems(ComboSub1, ComboItem1, 0);
    FillSubItems(ComboSub2, ComboItem2, 1);
}

void TFormTeiki::ItemChange(int side) {
    if (side == 0) {
        FillSubItems(ComboSub1, ComboItem1, 0);
    } else {
        FillSubItems(ComboSub2, ComboItem2, 1);
    }
}

RecurringEntry TFormTeiki::Shown() const {
    RecurringEntry e;
    e.Name = EditName->text().trimmed().toStdString();
    e.Tab = static_cast<RecurringTab>(std::max(Data(ComboTab), 0));
    e.Item1 = Data(ComboItem1);
    e.SubItem1 = Data(ComboSub1);
    e.Item2 = Data(ComboItem2);
    e.SubItem2 = Data(ComboSub2);
    try {
        e.Amount = ParseInt32(RemoveCommas(EditAmount->text().trimmed().toStdString()));
    } catch (const LedgerError&) {
        e.Amount = 0;
    }
    e.AmountVaries = CheckVaries->isChecked();
    e.TaxKind = std::max(Data(ComboTax), 0);
    e.Day = Data(ComboDay);
    e.Interval = Data(ComboInterval);
    e.StartYear = SpinStartYear->value();
    e.StartMonth = Data(ComboStartMonth);
    if (CheckEnd->isChecked()) {
        e.EndYear = SpinEndYear->value();
        e.EndMonth = Data(ComboEndMonth);
    }
    // Shop and memo as the entries file will hold them: one line, "，" for ",".
    e.Shop = StorableShop(EditShop->text().toStdString());
    e.Memo = OneLine(EditMemo->text().toStdString());
    return e;
}

void TFormTeiki::Show(const RecurringEntry& e) {
    EditName->setText(Qs(e.Name));
    SelectData(ComboTab, static_cast<int>(e.Tab));
    TabChange();
    SelectData(ComboItem1, e.Item1);
    ItemChange(0);
    SelectData(ComboSub1, e.SubItem1);
    SelectData(ComboItem2, e.Item2);
    ItemChange(1);
    SelectData(ComboSub2, e.SubItem2);
    EditAmount->setText(e.Amount > 0 ? Qs(FormatNumber(e.Amount, 1, 0)) : QString());
    CheckVaries->setChecked(e.AmountVaries);
    SelectData(ComboTax, e.TaxKind);
    SelectData(ComboDay, e.Day);
    SelectData(ComboInterval, e.Interval);
    SpinStartYear->setValue(e.StartYear);
    SelectData(ComboStartMonth, e.StartMonth);
    CheckEnd->setChecked(e.EndYear != 0);
    SpinEndYear->setValue(e.EndYear != 0 ? e.EndYear : e.StartYear);
    SelectData(ComboEndMonth, e.EndYear != 0 ? e.EndMonth : 12);
    SpinEndYear->setEnabled(e.EndYear != 0);
    ComboEndMonth->setEnabled(e.EndYear != 0);
    EditShop->setText(Qs(e.Shop));
    EditMemo->setText(Qs(e.Memo));
}

int TFormTeiki::CurrentRow() const {
    const auto rows = ListView1->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.front().row();
}

void TFormTeiki::FillList(int current) {
    const QSignalBlocker block(ListView1);
    ListView1->setRowCount(static_cast<int>(templates_.size()));
    for (size_t r = 0; r < templates_.size(); ++r) {
        const RecurringEntry& e = templates_[r];
        const int row = static_cast<int>(r);
        const QString cells[] = {
            Qs(e.Name), QString::fromUtf8(kTabNames[static_cast<int>(e.Tab)]),
            Qs(FormatNumber(e.Amount, 1, 0)) + (e.AmountVaries ? QStringLiteral("～") : QString()),
            DayName(e.Day), IntervalName(e.Interval)};
        for (int c = 0; c < 5; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (c == 2) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            ListView1->setItem(row, c, item);
        }
    }
    ListView1->clearSelection();
    if (current >= 0 && current < ListView1->rowCount()) ListView1->selectRow(current);
}

void TFormTeiki::ListClick() {
    const int row = CurrentRow();
    if (row >= 0) Show(templates_[static_cast<size_t>(row)]);
}

void TFormTeiki::Store(std::vector<RecurringEntry> next, int current) {
    WriteRecurring(ledger_.DataDir, next);
    templates_ = std::move(next);
    FillList(current);
}

void TFormTeiki::AddClick() {
    const RecurringEntry e = Shown();
    const std::string fault = RecurringFault(ledger_, e);
    if (!fault.empty()) {
        CurrentPlatform().ShowMessage(Qs(fault));
        return;
    }
    std::vector<RecurringEntry> next = templates_;
    next.push_back(e);
    Store(std::move(next), static_cast<int>(templates_.size()));
}

void TFormTeiki::ChangeClick() {
    const int row = CurrentRow();
    if (row < 0) return;
    const RecurringEntry e = Shown();
    const std::string fault = RecurringFault(ledger_, e);
    if (!fault.empty()) {
        CurrentPlatform().ShowMessage(Qs(fault));
        return;
    }
    std::vector<RecurringEntry> next = templates_;
    next[static_cast<size_t>(row)] = e;
    Store(std::move(next), row);
}

void TFormTeiki::DeleteClick() {
    const int row = CurrentRow();
    if (row < 0) return;
    if (CurrentPlatform().ShowTypedMessage(MessageKind::Information,
                                           QStringLiteral("削除してよろしいですか？"),
                                           OkButton | CancelButton) != OkButton) {
        return;
    }
    std::vector<RecurringEntry> next = templates_;
    next.erase(next.begin() + row);
    Store(std::move(next), std::min(row, static_cast<int>(next.size()) - 1));
}

void TFormTeiki::MoveClick(int step) {
    const int row = CurrentRow();
    const int to = row + step;
    if (row < 0 || to < 0 || to >= static_cast<int>(templates_.size())) return;
    std::vector<RecurringEntry> next = templates_;
    std::swap(next[static_cast<size_t>(row)], next[static_cast<size_t>(to)]);
    Store(std::move(next), to);
}

void ShowRecurringForm(const Ledger& ledger, QWidget* owner,
                       const std::optional<RecurringEntry>& preset) {
    // A damaged file is offered to be set aside, so that the form opens empty.
    if (!ReadOrSetAside(ledger.DataDir + kRecurringFile, [&] { ReadRecurring(ledger.DataDir); })) {
        return;
    }
    TFormTeiki form(ledger, owner);
    if (preset) form.Show(*preset);
    form.exec();
}

}  // namespace kakeibo
