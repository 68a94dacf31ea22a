#include "ui/recurring/recurring_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTableWidget>

#include "core/errors.h"
#include "core/files/ledger_writers.h"
#include "core/numbers.h"
#include "ui/controls/make.h"
#include "ui/platform/damaged_file.h"
#include "ui/platform/fonts.h"
#include "ui/platform/platform.h"
#include "ui/platform/text.h"

namespace kakeibo {

namespace {

constexpr int kFormWidth = 600;
constexpr int kFormHeight = 400;
constexpr int kFieldsTop = 192;
constexpr int kRowStep = 26;
constexpr int kFieldHeight = 22;
constexpr int kButtonsTop = 360;

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
    setFont(WindowFont());
    setFixedSize(kFormWidth, kFormHeight);

    ListView1 = new QTableWidget(0, 5, this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setGeometry(10, 10, 580, 170);
    ListView1->setHorizontalHeaderLabels({QStringLiteral("名前"), QStringLiteral("区分"),
                                          QStringLiteral("金額"), QStringLiteral("日"),
                                          QStringLiteral("間隔")});
    ListView1->verticalHeader()->hide();
    ListView1->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);

    // Four columns of fields below the list: a caption, its field, a caption, its field.
    auto at = [this](auto* widget, const char* name, int x, int row, int width) {
        widget->setObjectName(QString::fromUtf8(name));
        widget->setGeometry(x, kFieldsTop + row * kRowStep, width, kFieldHeight);
        return widget;
    };
    auto caption = [this](const char* text, int x, int row) {
        auto* label = new QLabel(QString::fromUtf8(text), this);
        label->setGeometry(x, kFieldsTop + row * kRowStep, 80, kFieldHeight);
    };
    caption("名前", 10, 0);
    EditName = at(new QLineEdit(this), "EditName", 90, 0, 200);
    caption("区分", 300, 0);
    ComboTab = at(new QComboBox(this), "ComboTab", 380, 0, 210);
    for (int t = 0; t < 3; ++t) ComboTab->addItem(QString::fromUtf8(kTabNames[t]), t);
    caption("項目1・細目", 10, 1);
    ComboItem1 = at(new QComboBox(this), "ComboItem1", 90, 1, 110);
    ComboSub1 = at(new QComboBox(this), "ComboSub1", 204, 1, 86);
    caption("項目2・細目", 300, 1);
    ComboItem2 = at(new QComboBox(this), "ComboItem2", 380, 1, 120);
    ComboSub2 = at(new QComboBox(this), "ComboSub2", 504, 1, 86);
    caption("金額", 10, 2);
    EditAmount = at(new QLineEdit(this), "EditAmount", 90, 2, 80);
    EditAmount->setAlignment(Qt::AlignRight);
    CheckVaries =
        at(new QCheckBox(QStringLiteral("金額は毎回変わる"), this), "CheckVaries", 176, 2, 120);
    caption("税区分", 300, 2);
    ComboTax = at(new QComboBox(this), "ComboTax", 380, 2, 210);
    for (int t = 0; t < 3; ++t) ComboTax->addItem(QString::fromUtf8(kTaxNames[t]), t);
    caption("日・間隔", 10, 3);
    ComboDay = at(new QComboBox(this), "ComboDay", 90, 3, 90);
    for (int d = 1; d <= 31; ++d) ComboDay->addItem(DayName(d), d);
    ComboDay->addItem(DayName(kMonthEnd), kMonthEnd);
    ComboInterval = at(new QComboBox(this), "ComboInterval", 186, 3, 104);
    for (int months : kRecurringIntervals) ComboInterval->addItem(IntervalName(months), months);
    caption("開始", 300, 3);
    SpinStartYear = at(new QSpinBox(this), "SpinStartYear", 380, 3, 100);
    ComboStartMonth = at(new QComboBox(this), "ComboStartMonth", 484, 3, 106);
    caption("お店の名前", 10, 4);
    EditShop = at(new QLineEdit(this), "EditShop", 90, 4, 200);
    CheckEnd = at(new QCheckBox(QStringLiteral("終了"), this), "CheckEnd", 300, 4, 80);
    SpinEndYear = at(new QSpinBox(this), "SpinEndYear", 380, 4, 100);
    ComboEndMonth = at(new QComboBox(this), "ComboEndMonth", 484, 4, 106);
    caption("一言メモ", 10, 5);
    EditMemo = at(new QLineEdit(this), "EditMemo", 90, 5, 200);
    for (QSpinBox* year : {SpinStartYear, SpinEndYear}) year->setRange(2000, 2100);
    for (QComboBox* month : {ComboStartMonth, ComboEndMonth}) {
        for (int m = 1; m <= 12; ++m) month->addItem(QStringLiteral("%1月").arg(m), m);
    }

    // Each caption is the label of the field after it for a screen reader.
    const QList<QLabel*> captions = findChildren<QLabel*>(Qt::FindDirectChildrenOnly);
    QWidget* const captioned[] = {EditName, ComboTab, ComboItem1,    ComboItem2, EditAmount,
                                  ComboTax, ComboDay, SpinStartYear, EditShop,   EditMemo};
    for (size_t i = 0; i < std::size(captioned) && i < size_t(captions.size()); ++i) {
        captions[qsizetype(i)]->setBuddy(captioned[i]);
    }
    const std::pair<QWidget*, const char*> unlabelled[] = {
        {ComboSub1, "項目1の細目"},  {ComboSub2, "項目2の細目"}, {ComboInterval, "間隔"},
        {ComboStartMonth, "開始月"}, {SpinEndYear, "終了年"},    {ComboEndMonth, "終了月"}};
    for (const auto& [field, name] : unlabelled) HiddenLabelFor(field, QString::fromUtf8(name));
    ListView1->setAccessibleName(windowTitle());

    auto button = [this](const char* caption, const char* name, int x, int width) {
        auto* b = new QPushButton(QString::fromUtf8(caption), this);
        b->setObjectName(QString::fromUtf8(name));
        b->setGeometry(x, kButtonsTop, width, 26);
        b->setAutoDefault(false);
        return b;
    };
    ButtonAdd = button("追加", "ButtonAdd", 10, 70);
    ButtonChange = button("変更", "ButtonChange", 84, 70);
    ButtonDelete = button("削除", "ButtonDelete", 158, 70);
    ButtonUp = button("↑", "ButtonUp", 232, 36);
    ButtonDown = button("↓", "ButtonDown", 272, 36);
    ButtonClose = button("閉じる", "ButtonClose", 510, 80);

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
    fresh.Entry.Year = ledger_.EditDate.Year >= 2000 ? ledger_.EditDate.Year : 2000;
    fresh.Entry.Month = ledger_.EditMonth;
    fresh.Entry.Day = ledger_.EditDate.Day >= 1 ? ledger_.EditDate.Day : 1;
    fresh.Entry.Amount = 0;
    Show(fresh);
    FillList(-1);
}

void TFormTeiki::FillItems(QComboBox* items, int side) {
    const QSignalBlocker block(items);
    items->clear();
    const auto tab = static_cast<EntryTab>(std::max(Data(ComboTab), 0));
    for (int item : ItemChoices(ledger_, tab, side == 0 ? ItemSide::First : ItemSide::Second)) {
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
    // A transfer or an income is written with その他, as the entry form's tabs fix it.
    const bool expense = Data(ComboTab) == static_cast<int>(EntryTab::Expense);
    if (!expense) SelectData(ComboTax, 2);
    ComboTax->setEnabled(expense);
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
    e.Tab = static_cast<EntryTab>(std::max(Data(ComboTab), 0));
    e.Entry.Item1 = Data(ComboItem1);
    e.Entry.SubItem1 = Data(ComboSub1);
    e.Entry.Item2 = Data(ComboItem2);
    e.Entry.SubItem2 = Data(ComboSub2);
    // An amount that is not one stays 0, which RecurringFault names.
    e.Entry.Amount = TypedEntryAmount(EditAmount->text().toStdString()).value_or(0);
    e.AmountVaries = CheckVaries->isChecked();
    e.Entry.TaxKind = std::max(Data(ComboTax), 0);
    e.Entry.Day = Data(ComboDay);
    e.Interval = Data(ComboInterval);
    e.Entry.Year = SpinStartYear->value();
    e.Entry.Month = Data(ComboStartMonth);
    if (CheckEnd->isChecked()) {
        e.EndYear = SpinEndYear->value();
        e.EndMonth = Data(ComboEndMonth);
    }
    // Shop and memo as the entries file will hold them: one line, "，" for ",".
    e.Text.Shop = StorableShop(EditShop->text().toStdString());
    e.Text.Memo = OneLine(EditMemo->text().toStdString());
    return e;
}

void TFormTeiki::Show(const RecurringEntry& e) {
    EditName->setText(Qs(e.Name));
    SelectData(ComboTab, static_cast<int>(e.Tab));
    TabChange();
    SelectData(ComboItem1, e.Entry.Item1);
    ItemChange(0);
    SelectData(ComboSub1, e.Entry.SubItem1);
    SelectData(ComboItem2, e.Entry.Item2);
    ItemChange(1);
    SelectData(ComboSub2, e.Entry.SubItem2);
    EditAmount->setText(e.Entry.Amount > 0 ? Qs(FormatNumber(e.Entry.Amount, 1, 0)) : QString());
    CheckVaries->setChecked(e.AmountVaries);
    SelectData(ComboTax, e.Entry.TaxKind);
    SelectData(ComboDay, e.Entry.Day);
    SelectData(ComboInterval, e.Interval);
    SpinStartYear->setValue(e.Entry.Year);
    SelectData(ComboStartMonth, e.Entry.Month);
    CheckEnd->setChecked(e.EndYear != 0);
    SpinEndYear->setValue(e.EndYear != 0 ? e.EndYear : e.Entry.Year);
    SelectData(ComboEndMonth, e.EndYear != 0 ? e.EndMonth : 12);
    SpinEndYear->setEnabled(e.EndYear != 0);
    ComboEndMonth->setEnabled(e.EndYear != 0);
    EditShop->setText(Qs(e.Text.Shop));
    EditMemo->setText(Qs(e.Text.Memo));
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
        const QString cells[] = {Qs(e.Name), QString::fromUtf8(kTabNames[static_cast<int>(e.Tab)]),
                                 Qs(FormatNumber(e.Entry.Amount, 1, 0)) +
                                     (e.AmountVaries ? QStringLiteral("～") : QString()),
                                 DayName(e.Entry.Day), IntervalName(e.Interval)};
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
