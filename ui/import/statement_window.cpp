#include "ui/import/statement_window.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTableView>

#include "core/errors.h"
#include "core/ledger/entries.h"
#include "core/numbers.h"
#include "core/reports/sheets.h"
#include "core/sjis.h"
#include "ui/controls/make.h"
#include "ui/import/import_lines_model.h"
#include "ui/platform/fonts.h"
#include "ui/platform/platform.h"
#include "ui/platform/text.h"
#include "ui/window/workspace.h"

namespace kakeibo {

namespace {

constexpr int kClientWidth = 860;
constexpr int kClientHeight = 604;
constexpr int kRowHeight = 20;
constexpr int kColumnWidths[ImportLinesModel::ColumnCount] = {24, 80, 190, 76, 50, 96, 96, 140, 90};

const char* const kNoColumn = "（なし）";
const char* const kNothingChecked = "取り込む行がありません。";
const char* const kPickItemFirst = "項目を選んでからルールに追加してください。";
const char* const kNoRuleText = "摘要に含む文字を入力してください。";

QPushButton* MakeButton(QWidget* parent, const char* name, QRect geometry, const char* caption) {
    auto* button = Make<QPushButton>(parent, name, geometry);
    button->setText(QString::fromUtf8(caption));
    button->setAutoDefault(false);
    return button;
}

std::string ItemAndSub(const Ledger& ledger, int item, int sub) {
    return ledger.ItemTable[item].Name + "・" + ledger.SubItemTable[item][sub];
}

// A yen sum with thousands separators.
QString Yen(int64_t value) {
    return Qs(FormatNumber(static_cast<long double>(value), 1, 0)) + QStringLiteral("円");
}

}  // namespace

TFormMeisai::TFormMeisai(Ledger& ledger, Workspace& workspace, QWidget* owner)
    : QDialog(owner), ledger_(ledger), workspace_(workspace) {
    settings_ = ReadImportSettings(ledger_.DataDir);
    learned_ = std::make_unique<LearnedAssignments>(ledger_);
    BuildControls();
    FillRuleItems();
    FillAccounts({0, 0});
    ShowRules();
    ConnectHandlers();
    ShowSums();
}

TFormMeisai::~TFormMeisai() = default;

void TFormMeisai::BuildControls() {
    setObjectName(QStringLiteral("FormMeisai"));
    setWindowTitle(QStringLiteral("明細の取り込み"));
    setModal(true);
    setFixedSize(kClientWidth, kClientHeight);
    setFont(MainWindowFont());

    Label1 = MakeLabel(this, "Label1", {8, 12}, "明細ファイル");
    Edit1 = Make<QLineEdit>(this, "Edit1", {84, 8, 640, 22});
    Edit1->setReadOnly(true);
    Button1 = MakeButton(this, "Button1", {732, 7, 120, 24}, "ファイルを開く…");

    GroupBox1 = Make<QGroupBox>(this, "GroupBox1", {8, 36, 844, 80});
    GroupBox1->setTitle(QStringLiteral("列と口座"));
    struct ListPlace {
        QComboBox** List;
        const char* Name;
        const char* Caption;
        int X;
        int Y;
    };
    const ListPlace lists[] = {
        {&ComboBox1, "ComboBox1", "日付", 8, 20},   {&ComboBox2, "ComboBox2", "摘要", 196, 20},
        {&ComboBox6, "ComboBox6", "メモ", 384, 20}, {&ComboBox3, "ComboBox3", "金額", 8, 48},
        {&ComboBox4, "ComboBox4", "出金", 196, 48}, {&ComboBox5, "ComboBox5", "入金", 384, 48},
    };
    for (const ListPlace& place : lists) {
        const std::string label = std::string("Label") + place.Name;
        QLabel* caption =
            MakeLabel(GroupBox1, label.c_str(), {place.X, place.Y + 4}, place.Caption);
        *place.List = Make<QComboBox>(GroupBox1, place.Name, {place.X + 36, place.Y, 140, 22});
        (*place.List)->setMaxVisibleItems(16);
        caption->setBuddy(*place.List);
    }
    QLabel* positive = MakeLabel(GroupBox1, "Label7", {572, 52}, "正の金額は");
    ComboBox7 = Make<QComboBox>(GroupBox1, "ComboBox7", {640, 48, 70, 22});
    positive->setBuddy(ComboBox7);
    ComboBox7->addItems({QStringLiteral("出金"), QStringLiteral("入金")});
    QLabel* days = MakeLabel(GroupBox1, "Label11", {716, 52}, "重複±");
    SpinEdit1 = Make<QSpinBox>(GroupBox1, "SpinEdit1", {758, 48, 50, 22});
    SpinEdit1->setRange(0, kMaxDuplicateDays);
    SpinEdit1->setValue(kDuplicateDays);
    days->setBuddy(SpinEdit1);
    MakeLabel(GroupBox1, "Label12", {812, 52}, "日");
    QLabel* account = MakeLabel(GroupBox1, "Label8", {572, 24}, "口座");
    ComboBox8 = Make<QComboBox>(GroupBox1, "ComboBox8", {608, 20, 228, 22});
    account->setBuddy(ComboBox8);
    ComboBox8->setMaxVisibleItems(16);

    GroupBox2 = Make<QGroupBox>(this, "GroupBox2", {8, 120, 844, 128});
    GroupBox2->setTitle(QStringLiteral("ルール（上から順に当てはめます）"));
    ListBox1 = Make<QListWidget>(GroupBox2, "ListBox1", {8, 20, 480, 100});
    QLabel* contains = MakeLabel(GroupBox2, "Label9", {500, 24}, "摘要に含む");
    Edit2 = Make<QLineEdit>(GroupBox2, "Edit2", {572, 20, 264, 22});
    contains->setBuddy(Edit2);
    QLabel* item = MakeLabel(GroupBox2, "Label10", {500, 52}, "項目・細目");
    ComboBox9 = Make<QComboBox>(GroupBox2, "ComboBox9", {572, 48, 130, 22});
    ComboBox9->setMaxVisibleItems(16);
    item->setBuddy(ComboBox9);
    ComboBox10 = Make<QComboBox>(GroupBox2, "ComboBox10", {706, 48, 130, 22});
    HiddenLabelFor(ComboBox10, QStringLiteral("細目"));
    Button3 = MakeButton(GroupBox2, "Button3", {572, 88, 60, 26}, "追加");
    Button9 = MakeButton(GroupBox2, "Button9", {636, 88, 60, 26}, "変更");
    Button4 = MakeButton(GroupBox2, "Button4", {700, 88, 60, 26}, "削除");
    Button5 = MakeButton(GroupBox2, "Button5", {764, 88, 34, 26}, "↑");
    Button6 = MakeButton(GroupBox2, "Button6", {802, 88, 34, 26}, "↓");

    SG1 = Make<QTableView>(this, "SG1", {8, 256, 844, 252});
    model_ =
        new ImportLinesModel(ledger_, lines_, settings_.Rules, accountItem_, accountSubItem_, this);
    delegate_ = new ImportLinesDelegate(*model_, this);
    SG1->setModel(model_);
    SG1->setItemDelegate(delegate_);
    SG1->setSelectionBehavior(QAbstractItemView::SelectRows);
    SG1->setSelectionMode(QAbstractItemView::SingleSelection);
    SG1->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                         QAbstractItemView::EditKeyPressed);
    SG1->verticalHeader()->hide();
    SG1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    SG1->verticalHeader()->setDefaultSectionSize(kRowHeight);
    for (int c = 0; c < ImportLinesModel::ColumnCount; ++c) {
        SG1->setColumnWidth(c, kColumnWidths[c]);
    }
    SG1->horizontalHeader()->setStretchLastSection(true);

    Label2 = MakeLabel(this, "Label2", {8, 516}, "");
    Label2->resize(560, 16);
    Memo1 = Make<QPlainTextEdit>(this, "Memo1", {8, 536, 560, 60});
    Memo1->setReadOnly(true);
    Button2 = MakeButton(this, "Button2", {652, 512, 200, 26}, "この摘要をルールに追加");
    Button7 = MakeButton(this, "Button7", {652, 566, 98, 30}, "取り込む");
    Button8 = MakeButton(this, "Button8", {754, 566, 98, 30}, "閉じる");

    // Names for a screen reader where the picture or the place says what a control is.
    Label1->setBuddy(Edit1);
    ListBox1->setAccessibleName(GroupBox2->title());
    Button5->setAccessibleName(QStringLiteral("ルールを上へ"));
    Button6->setAccessibleName(QStringLiteral("ルールを下へ"));
    SG1->setAccessibleName(QStringLiteral("明細の行"));
    Memo1->setAccessibleName(QStringLiteral("取り込まない行"));
}

void TFormMeisai::ConnectHandlers() {
    model_->SetChangeHandler([this] { ShowSums(); });
    ConnectGuarded(Button1, &QPushButton::clicked, this, &TFormMeisai::Button1Click);
    for (QComboBox* list :
         {ComboBox1, ComboBox2, ComboBox3, ComboBox4, ComboBox5, ComboBox6, ComboBox7}) {
        ConnectGuarded(list, &QComboBox::currentIndexChanged, this, &TFormMeisai::ColumnChange);
    }
    ConnectGuarded(ComboBox8, &QComboBox::currentIndexChanged, this, &TFormMeisai::ComboBox8Change);
    ConnectGuarded(SpinEdit1, &QSpinBox::valueChanged, this, &TFormMeisai::SpinEdit1Change);
    ConnectGuarded(ListBox1, &QListWidget::currentRowChanged, this, &TFormMeisai::ListBox1Click);
    ConnectGuarded(ComboBox9, &QComboBox::currentIndexChanged, this, &TFormMeisai::ComboBox9Change);
    ConnectGuarded(Button3, &QPushButton::clicked, this, &TFormMeisai::Button3Click);
    ConnectGuarded(Button9, &QPushButton::clicked, this, &TFormMeisai::Button9Click);
    ConnectGuarded(Button4, &QPushButton::clicked, this, &TFormMeisai::Button4Click);
    ConnectGuarded(Button5, &QPushButton::clicked, this, &TFormMeisai::Button5Click);
    ConnectGuarded(Button6, &QPushButton::clicked, this, &TFormMeisai::Button6Click);
    ConnectGuarded(Button2, &QPushButton::clicked, this, &TFormMeisai::Button2Click);
    ConnectGuarded(Button7, &QPushButton::clicked, this, &TFormMeisai::Button7Click);
    connect(Button8, &QPushButton::clicked, this, &QDialog::reject);
}

bool TFormMeisai::Button1Click() {
    FileDialogOptions options;
    options.Filter = QStringLiteral("明細ファイル(*.csv *.txt)|*.csv *.txt");
    const std::optional<QString> path = CurrentPlatform().GetOpenFileName(options);
    if (!path) return false;
    StatementTable table = ParseStatement(ReadStatementBytes(path->toStdString()));
    if (!table.Refusal.empty()) {
        CurrentPlatform().ShowTypedMessage(
            MessageKind::Warning,
            QStringLiteral("ファイル「%1」は明細として読めません。%2")
                .arg(*path, QString::fromStdString(table.Refusal)),
            OkButton);
        return false;
    }
    table_ = std::move(table);
    Edit1->setText(*path);
    const ImportSource* remembered = settings_.FindSource(table_.HeaderText);
    FillColumnLists();
    const StatementColumns columns = ChooseColumns(table_, remembered);
    {
        const QSignalBlocker blockers[] = {QSignalBlocker(ComboBox1), QSignalBlocker(ComboBox2),
                                           QSignalBlocker(ComboBox3), QSignalBlocker(ComboBox4),
                                           QSignalBlocker(ComboBox5), QSignalBlocker(ComboBox6),
                                           QSignalBlocker(ComboBox7)};
        ComboBox1->setCurrentIndex(columns.Date + 1);
        ComboBox2->setCurrentIndex(columns.Description + 1);
        ComboBox3->setCurrentIndex(columns.Amount + 1);
        ComboBox4->setCurrentIndex(columns.Out + 1);
        ComboBox5->setCurrentIndex(columns.In + 1);
        ComboBox6->setCurrentIndex(columns.Memo + 1);
        ComboBox7->setCurrentIndex(columns.PositiveIsOut ? 0 : 1);
    }
    if (remembered) {
        FillAccounts({remembered->AccountItem, remembered->AccountSubItem});
    } else {
        FillAccounts(ProposeAccount(ledger_, ReadStatement(table_, columns, ledger_.EditDate.Year),
                                    settings_.Rules));
    }
    {
        const QSignalBlocker blocker(SpinEdit1);
        SpinEdit1->setValue(remembered ? remembered->DuplicateDays : kDuplicateDays);
    }
    ReadLines();
    return true;
}

void TFormMeisai::FillColumnLists() {
    QStringList names{QString::fromUtf8(kNoColumn)};
    for (const std::string& name : table_.ColumnNames) names << Qs(name);
    for (QComboBox* list : {ComboBox1, ComboBox2, ComboBox3, ComboBox4, ComboBox5, ComboBox6}) {
        const QSignalBlocker blocker(list);
        list->clear();
        list->addItems(names);
    }
}

void TFormMeisai::FillAccounts(std::pair<int, int> account) {
    const QSignalBlocker blocker(ComboBox8);
    ComboBox8->clear();
    // The accounts of the two account items, each a sub-item with a name.
    for (int item = 0; item < 2; ++item) {
        if (ledger_.ItemTable[item].Kind != kKindAccount) continue;
        for (int sub = 0; sub < kSubItemCount; ++sub) {
            if (ledger_.SubItemTable[item][sub].empty()) continue;
            ComboBox8->addItem(Qs(ItemAndSub(ledger_, item, sub)), EncodePassbookChoice(item, sub));
        }
    }
    ComboBox8->setCurrentIndex(
        std::max(ComboBox8->findData(EncodePassbookChoice(account.first, account.second)), 0));
    const PassbookAccount chosen =
        DecodePassbookChoice(ComboBox8->currentData().toInt()).value_or(PassbookAccount{});
    accountItem_ = chosen.Item;
    accountSubItem_ = chosen.SubItem;
}

StatementColumns TFormMeisai::ChosenColumns() const {
    StatementColumns c;
    c.Date = ComboBox1->currentIndex() - 1;
    c.Description = ComboBox2->currentIndex() - 1;
    c.Amount = ComboBox3->currentIndex() - 1;
    c.Out = ComboBox4->currentIndex() - 1;
    c.In = ComboBox5->currentIndex() - 1;
    c.Memo = ComboBox6->currentIndex() - 1;
    c.PositiveIsOut = ComboBox7->currentIndex() != 1;
    // One signed column, or the two of money out and in.
    if (c.Amount >= 0) c.Out = c.In = -1;
    return c;
}

void TFormMeisai::ReadLines() {
    reading_ = ReadStatement(table_, ChosenColumns(), ledger_.EditDate.Year);
    lines_ = PrepareImport(ledger_, reading_, settings_.Rules, accountItem_, accountSubItem_,
                           SpinEdit1->value());
    model_->Reset();
    ShowUnread();
}

void TFormMeisai::ShowUnread() {
    QStringList text;
    if (!reading_.Unread.empty()) {
        text << QStringLiteral("取り込まない行 %1行").arg(reading_.Unread.size());
        for (const std::string& reason : reading_.Unread) text << Qs(reason);
    }
    if (reading_.Skipped > 0) {
        text << QStringLiteral("表の下の合計や空行 %1行は読み飛ばしました").arg(reading_.Skipped);
    }
    Memo1->setPlainText(text.join(QLatin1Char('\n')));
}

void TFormMeisai::ShowSums() {
    int count = 0;
    int64_t out = 0;
    int64_t in = 0;
    for (const ImportLine& line : lines_) {
        if (!line.Checked) continue;
        ++count;
        (line.Source.MoneyIn ? in : out) += line.Source.Amount;
    }
    Label2->setText(
        QStringLiteral("選択 %1件　出金 %2　入金 %3").arg(count).arg(Yen(out), Yen(in)));
}

void TFormMeisai::ColumnChange() {
    if (table_.Records.empty()) return;
    ReadLines();
}

void TFormMeisai::ComboBox8Change() {
    const PassbookAccount account =
        DecodePassbookChoice(ComboBox8->currentData().toInt()).value_or(PassbookAccount{});
    accountItem_ = account.Item;
    accountSubItem_ = account.SubItem;
    if (table_.Records.empty()) return;
    ReadLines();
}

void TFormMeisai::SpinEdit1Change() {
    if (table_.Records.empty()) return;
    RemarkDuplicates(ledger_, lines_, accountItem_, accountSubItem_, SpinEdit1->value());
    model_->RowsChanged();
}

void TFormMeisai::FillRuleItems() {
    const QSignalBlocker blocker(ComboBox9);
    ComboBox9->clear();
    for (int item = 0; item < kItemCount; ++item) {
        const ItemRecord& record = ledger_.ItemTable[item];
        if (record.Name.empty()) continue;
        if (record.Kind == kKindExpense || record.Kind == kKindAccount ||
            record.Kind == kKindIncome) {
            ComboBox9->addItem(Qs(record.Name), item);
        }
    }
    ComboBox9->setCurrentIndex(0);
    ComboBox9Change();
}

void TFormMeisai::ComboBox9Change() {
    ComboBox10->clear();
    if (ComboBox9->currentIndex() < 0) return;
    const int item = ComboBox9->currentData().toInt();
    for (int sub = 0; sub < kSubItemCount; ++sub) {
        ComboBox10->addItem(Qs(ledger_.SubItemTable[item][sub]));
    }
    ComboBox10->setCurrentIndex(0);
}

void TFormMeisai::ShowRules() {
    const QSignalBlocker blocker(ListBox1);
    const int current = ListBox1->currentRow();
    ListBox1->clear();
    for (const ImportRule& rule : settings_.Rules) {
        ListBox1->addItem(
            QStringLiteral("摘要に「%1」を含む → %2")
                .arg(Qs(rule.Text), Qs(ItemAndSub(ledger_, rule.Item, rule.SubItem))));
    }
    ListBox1->setCurrentRow(std::min(current, ListBox1->count() - 1));
}

void TFormMeisai::ListBox1Click() {
    const int row = ListBox1->currentRow();
    if (row < 0 || row >= static_cast<int>(settings_.Rules.size())) return;
    const ImportRule& rule = settings_.Rules[row];
    Edit2->setText(Qs(rule.Text));
    ComboBox9->setCurrentIndex(std::max(ComboBox9->findData(rule.Item), 0));
    ComboBox10->setCurrentIndex(rule.SubItem);
}

std::optional<ImportRule> TFormMeisai::TypedRule() {
    Platform& platform = CurrentPlatform();
    const std::string text = Edit2->text().trimmed().toStdString();
    if (text.empty()) {
        platform.ShowMessage(QString::fromUtf8(kNoRuleText));
        return std::nullopt;
    }
    const std::string bad = FirstUnstorableCharacter(text);
    if (!bad.empty()) {
        platform.ShowTypedMessage(
            MessageKind::Warning,
            QStringLiteral("「摘要に含む」に保存できない文字「%1」があります。").arg(Qs(bad)),
            OkButton);
        return std::nullopt;
    }
    if (ComboBox9->currentIndex() < 0) return std::nullopt;
    return ImportRule{text, ComboBox9->currentData().toInt(),
                      std::max(ComboBox10->currentIndex(), 0)};
}

void TFormMeisai::Button3Click() {
    const std::optional<ImportRule> rule = TypedRule();
    if (!rule) return;
    settings_.Rules.push_back(*rule);
    RulesChanged(static_cast<int>(settings_.Rules.size()) - 1);
}

void TFormMeisai::Button9Click() {
    const int row = ListBox1->currentRow();
    if (row < 0 || row >= static_cast<int>(settings_.Rules.size())) return;
    const std::optional<ImportRule> rule = TypedRule();
    if (!rule) return;
    settings_.Rules[row] = *rule;
    RulesChanged(row);
}

void TFormMeisai::Button4Click() {
    const int row = ListBox1->currentRow();
    if (row < 0 || row >= static_cast<int>(settings_.Rules.size())) return;
    settings_.Rules.erase(settings_.Rules.begin() + row);
    RulesChanged(std::min(row, static_cast<int>(settings_.Rules.size()) - 1));
}

void TFormMeisai::Button5Click() {
    const int row = ListBox1->currentRow();
    if (row <= 0 || row >= static_cast<int>(settings_.Rules.size())) return;
    std::swap(settings_.Rules[row], settings_.Rules[row - 1]);
    RulesChanged(row - 1);
}

void TFormMeisai::Button6Click() {
    const int row = ListBox1->currentRow();
    if (row < 0 || row + 1 >= static_cast<int>(settings_.Rules.size())) return;
    std::swap(settings_.Rules[row], settings_.Rules[row + 1]);
    RulesChanged(row + 1);
}

void TFormMeisai::Button2Click() {
    const int row = SG1->currentIndex().row();
    if (row < 0 || row >= static_cast<int>(lines_.size())) return;
    const ImportLine& line = lines_[row];
    if (line.Item < 0) {
        CurrentPlatform().ShowMessage(QString::fromUtf8(kPickItemFirst));
        return;
    }
    Edit2->setText(Qs(line.Shop));
    const std::optional<ImportRule> typed = TypedRule();
    if (!typed) return;
    // A rule made from one line is more particular than the ones typed by hand: it goes first.
    settings_.Rules.insert(settings_.Rules.begin(), {typed->Text, line.Item, line.SubItem});
    RulesChanged(0);
}

void TFormMeisai::RulesChanged(int selected) {
    AssignLines(ledger_, lines_, settings_.Rules, *learned_, accountItem_, accountSubItem_);
    ShowRules();
    {
        const QSignalBlocker blocker(ListBox1);
        ListBox1->setCurrentRow(selected);
    }
    model_->RowsChanged();
    SaveSettings();
}

void TFormMeisai::SaveSettings() {
    WriteImportSettings(ledger_.DataDir, settings_);
}

void TFormMeisai::Button7Click() {
    Platform& platform = CurrentPlatform();
    const std::vector<NewEntry> entries =
        ImportEntries(ledger_, lines_, accountItem_, accountSubItem_);
    if (entries.empty()) {
        platform.ShowMessage(QString::fromUtf8(kNothingChecked));
        return;
    }
    Change change;
    try {
        change = AddEntries(ledger_, entries, ChangeKind::Import);
    } catch (const LedgerError& e) {
        platform.ShowTypedMessage(MessageKind::Warning, QString::fromUtf8(e.what()), OkButton);
        return;
    }
    workspace_.Apply(change);
    // The entries are in and the window is closed before the source is remembered: a file
    // that cannot be written is reported, and never offers the same lines a second time.
    accept();
    settings_.RememberSource(
        {table_.HeaderText, ChosenColumns(), accountItem_, accountSubItem_, SpinEdit1->value()});
    // What was written is said before a failure to keep the choices could be reported.
    platform.ShowTypedMessage(MessageKind::Information, Qs(ImportedText(entries)), OkButton);
    SaveSettings();
}

}  // namespace kakeibo
