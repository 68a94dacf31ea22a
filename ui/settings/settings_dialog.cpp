#include "ui/settings/settings_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QToolButton>

#include "core/numbers.h"
#include "ui/controls/make.h"
#include "ui/controls/nval_edit.h"
#include "ui/platform/fonts.h"
#include "ui/platform/platform.h"
#include "ui/platform/text.h"
#include "ui/window/workspace.h"

namespace kakeibo {

namespace {

// 470 x 322 with the window frame.
constexpr int kClientWidth = 462;
constexpr int kClientHeight = 295;

const char* const kBadOpening = "金額が不正です";
const char* const kItemField = "訂正後科目名";
const char* const kSubItemField = "訂正後補助名";

// The chosen line of a list: -1 when none is chosen.
int Position(const QComboBox* list) {
    return list->currentIndex();
}

QGroupBox* MakeGroup(QWidget* parent, const char* name, QRect geometry, const char* caption) {
    auto* group = Make<QGroupBox>(parent, name, geometry);
    group->setTitle(QString::fromUtf8(caption));
    return group;
}

QComboBox* MakeList(QWidget* parent, const char* name, QRect geometry) {
    auto* list = Make<QComboBox>(parent, name, geometry);
    list->setEditable(false);
    list->setMaxVisibleItems(16);
    return list;
}

QRadioButton* MakeRadio(QWidget* parent, const char* name, QPoint at, const char* caption) {
    auto* radio = new QRadioButton(QString::fromUtf8(caption), parent);
    radio->setObjectName(QString::fromUtf8(name));
    radio->adjustSize();
    radio->move(at);
    return radio;
}

void FillList(QComboBox* list, const std::array<std::string, kSubItemCount>& names) {
    list->clear();
    for (const std::string& name : names) list->addItem(Qs(name));
    list->setCurrentIndex(0);
}

}  // namespace

TUpDown::TUpDown(QWidget* parent) : QWidget(parent) {
    for (auto [button, name, arrow, step] :
         {std::tuple{&Up, "Up", Qt::UpArrow, 1}, std::tuple{&Down, "Down", Qt::DownArrow, -1}}) {
        *button = new QToolButton(this);
        (*button)->setObjectName(QString::fromUtf8(name));
        (*button)->setArrowType(arrow);
        (*button)->setAutoRepeat(true);
        const int s = step;
        connect(*button, &QToolButton::clicked, this, [this, s] {
            if (onStep_) onStep_(s);
        });
    }
}

void TUpDown::resizeEvent(QResizeEvent*) {
    const int half = height() / 2;
    Up->setGeometry(0, 0, width(), half);
    Down->setGeometry(0, half, width(), height() - half);
}

TForm2::TForm2(Ledger& ledger, Workspace& mainWindow, QWidget* owner)
    : QDialog(owner), ledger_(ledger), mainWindow_(mainWindow) {
    setObjectName(QStringLiteral("TForm2"));
    setWindowTitle(QStringLiteral("各種設定"));
    setFont(WindowFont());
    setFixedSize(kClientWidth, kClientHeight);
    BuildControls();
    ConnectHandlers();
}

void TForm2::BuildControls() {
    PageControl1 = Make<QTabWidget>(this, "PageControl1", {0, 0, 457, 257});
    TabSheet3 = new QWidget;
    TabSheet3->setObjectName(QStringLiteral("TabSheet3"));
    TabSheet2 = new QWidget;
    TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
    TabSheet1 = new QWidget;
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    PageControl1->addTab(TabSheet3, QStringLiteral("基本設定"));
    PageControl1->addTab(TabSheet2, QStringLiteral("繰越設定"));
    PageControl1->addTab(TabSheet1, QStringLiteral("科目名変更"));
    PageControl1->setCurrentWidget(TabSheet1);

    auto button = [this](QPushButton*& b, const char* name, const char* caption, int left) {
        b = Make<QPushButton>(this, name, {left, 264, 75, 25});
        b->setText(QString::fromUtf8(caption));
        b->setAutoDefault(false);
    };
    button(Button1, "Button1", "Ok", 224);
    button(Button2, "Button2", "Cancel", 304);
    button(Button3, "Button3", "適用", 384);

    BuildBasicPage();
    BuildOpeningPage();
    BuildNamesPage();
}

void TForm2::BuildBasicPage() {
    GroupBox4 =
        MakeGroup(TabSheet3, "GroupBox4", {8, 8, 433, 60}, "お店の名前及び一口メモ履歴件数");
    auto history = [this](TNValEdit*& field, TUpDown*& arrows, const char* fieldName,
                          const char* arrowsName, int left) {
        field = Make<TNValEdit>(GroupBox4, fieldName, {left, 24, 33, 21});
        field->SetMaxDigits(2);
        field->SetPrmtNegative(false);
        field->SetZeroDisplay(true);
        field->SetValue(0);
        arrows = Make<TUpDown>(GroupBox4, arrowsName, {left + 33, 24, 16, 21});
        TNValEdit* target = field;
        arrows->SetStepHandler(
            [target](int step) { target->SetValue(StepHistoryLength(target->Value(), step)); });
    };
    Label12 = MakeLabel(GroupBox4, "Label12", {16, 28}, "お店の名前");
    history(NValEdit1, UpDown1, "NValEdit1", "UpDown1", 96);
    Label13 = MakeLabel(GroupBox4, "Label13", {200, 28}, "一口メモ");
    history(NValEdit2, UpDown2, "NValEdit2", "UpDown2", 264);

    GroupBox5 = MakeGroup(TabSheet3, "GroupBox5", {8, 76, 433, 52}, "オプション");
    CheckBox1 =
        new QCheckBox(QStringLiteral("データフォームで累計額 0円の科目は表示しない"), GroupBox5);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setGeometry(16, 24, 400, 17);

    RadioGroup3 = MakeGroup(TabSheet3, "RadioGroup3", {8, 136, 433, 52}, "消費税の円未満処理");
    const char* const choices[] = {"四捨五入", "切捨て", "切り上げ"};
    for (int n = 0; n < 3; ++n) {
        const QByteArray name = "RadioGroup3Items" + QByteArray::number(n);
        RadioGroup3Items[n] =
            MakeRadio(RadioGroup3, name.constData(), {16 + 140 * n, 24}, choices[n]);
    }
}

void TForm2::BuildOpeningPage() {
    Label3 = MakeLabel(TabSheet2, "Label3", {8, 8}, "各種口座の1月1日現在の残高を設定します。");
    GroupBox3 = MakeGroup(TabSheet2, "GroupBox3", {8, 28, 433, 124}, "");
    Label4 = MakeLabel(GroupBox3, "Label4", {16, 24}, "口座選択");
    ComboBox2 = MakeList(GroupBox3, "ComboBox2", {120, 20, 161, 21});
    Label5 = MakeLabel(GroupBox3, "Label5", {16, 56}, "口座の種類選択");
    ComboBox3 = MakeList(GroupBox3, "ComboBox3", {120, 52, 161, 21});
    Label6 = MakeLabel(GroupBox3, "Label6", {16, 88}, "繰越金額");
    NValEdit3 = Make<TNValEdit>(GroupBox3, "NValEdit3", {120, 84, 161, 21});
    NValEdit3->SetZeroDisplay(true);
    NValEdit3->SetValue(0);
    Label10 = MakeLabel(GroupBox3, "Label10", {288, 88}, "円");
}

void TForm2::BuildNamesPage() {
    Label7 = MakeLabel(TabSheet1, "Label7", {8, 8}, "科目名及び補助名を変更します。");
    Label11 = MakeLabel(TabSheet1, "Label11", {200, 8}, "メイン口座のお財布は変更できません。");
    QPalette red = Label11->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    Label11->setPalette(red);

    auto pair = [this](QGroupBox*& group, const char* groupName, int top, const char* caption,
                       QLabel*& before, const char* beforeName, const char* beforeCaption,
                       QComboBox*& list, const char* listName, QLabel*& after,
                       const char* afterName, const char* afterCaption, QLineEdit*& edit,
                       const char* editName) {
        group = MakeGroup(TabSheet1, groupName, {8, top, 433, 56}, caption);
        before = MakeLabel(group, beforeName, {12, 28}, beforeCaption);
        list = MakeList(group, listName, {92, 24, 121, 21});
        after = MakeLabel(group, afterName, {224, 28}, afterCaption);
        edit = Make<QLineEdit>(group, editName, {304, 24, 121, 21});
        edit->setAttribute(Qt::WA_InputMethodEnabled);
    };
    pair(GroupBox1, "GroupBox1", 28, "科目名", Label1, "Label1", "訂正前科目名", ComboBox1,
         "ComboBox1", Label2, "Label2", "訂正後科目名", Edit1, "Edit1");
    pair(GroupBox2, "GroupBox2", 90, "補助名", Label8, "Label8", "訂正前補助名", ComboBox4,
         "ComboBox4", Label9, "Label9", "訂正後補助名", Edit3, "Edit3");

    RadioGroup1 = MakeGroup(TabSheet1, "RadioGroup1", {8, 152, 433, 48}, "科目区分");
    RadioButton1 = MakeRadio(RadioGroup1, "RadioButton1", {24, 22}, "収入");
    RadioButton2 = MakeRadio(RadioGroup1, "RadioButton2", {120, 22}, "支出");
    CheckBox2 = new QCheckBox(QStringLiteral("軽減税率（8%）"), RadioGroup1);
    CheckBox2->setObjectName(QStringLiteral("CheckBox2"));
    CheckBox2->adjustSize();
    CheckBox2->move(240, 22);
}

void TForm2::ConnectHandlers() {
    ConnectGuarded(ComboBox1, &QComboBox::currentIndexChanged, this, &TForm2::ComboBox1Change);
    ConnectGuarded(ComboBox2, &QComboBox::currentIndexChanged, this, &TForm2::ComboBox2Change);
    ConnectGuarded(ComboBox3, &QComboBox::currentIndexChanged, this,
                   [this] { DrawData(ComboBox3); });
    ConnectGuarded(ComboBox4, &QComboBox::currentIndexChanged, this, &TForm2::ComboBox4Change);
    ConnectGuarded(Edit1, &QLineEdit::textChanged, this, &TForm2::Edit1Change);
    ConnectGuarded(Edit3, &QLineEdit::textChanged, this, &TForm2::Edit3Change);
    ConnectGuarded(NValEdit3, &QLineEdit::textChanged, this, &TForm2::NValEdit3Change);
    ConnectGuarded(RadioButton1, &QRadioButton::clicked, this,
                   [this] { RadioButtonClick(RadioButton1); });
    ConnectGuarded(RadioButton2, &QRadioButton::clicked, this,
                   [this] { RadioButtonClick(RadioButton2); });
    ConnectGuarded(CheckBox2, &QCheckBox::clicked, this, &TForm2::CheckBox2Click);
    ConnectGuarded(Button3, &QPushButton::clicked, this, &TForm2::Button3Click);
    ConnectGuarded(Button1, &QPushButton::clicked, this, &TForm2::Button1Click);
    ConnectGuarded(Button2, &QPushButton::clicked, this, &TForm2::Button2Click);
    ConnectGuarded(PageControl1, &QTabWidget::currentChanged, this, [this] {
        if (PageControl1->currentWidget() == TabSheet1) {
            TabSheet1Show();
            // The lists are back at item 0; the fields follow them, so that "適用" never
            // lists a typed name for an item it does not store it in.
            ShowWorkingNames();
        }
        // Names typed on the names page are the accounts' names here too.
        if (PageControl1->currentWidget() == TabSheet2) ShowAccountNames();
        if (PageControl1->currentWidget() == TabSheet3) TabSheet3Show();
    });
}

void TForm2::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;
    RunGuarded([this] {
        RefreshData();
        TabSheet1Show();
        FormShow();
    });
}

void TForm2::TabSheet1Show() {
    const QSignalBlocker block1(ComboBox1);
    const QSignalBlocker block4(ComboBox4);
    ComboBox1->clear();
    ComboBox4->clear();
    for (const ItemRecord& item : work_.Items) ComboBox1->addItem(Qs(item.Name));
    for (const std::string& name : work_.SubItems[0]) ComboBox4->addItem(Qs(name));
    ComboBox1->setCurrentIndex(0);
    ComboBox4->setCurrentIndex(0);
}

void TForm2::TabSheet3Show() {
    NValEdit1->SetValue(ledger_.ShopHistoryMax);
    NValEdit2->SetValue(ledger_.MemoHistoryMax);
}

void TForm2::FormShow() {
    {
        const QSignalBlocker block1(ComboBox1);
        const QSignalBlocker block2(ComboBox2);
        const QSignalBlocker block3(ComboBox3);
        ComboBox2->clear();
        for (int a = 0; a < kAccountItemCount; ++a) ComboBox2->addItem(Qs(work_.Items[a].Name));
        FillList(ComboBox3, work_.SubItems[0]);
        CopyOpening(ledger_, work_);
        CopyOptions(ledger_, work_);
        ComboBox1->setCurrentIndex(0);
        ComboBox2->setCurrentIndex(0);
    }
    NValEdit3->SetValue(static_cast<long double>(work_.Opening[0][0]));
    NValEdit1->SetValue(ledger_.ShopHistoryMax);
    NValEdit2->SetValue(ledger_.MemoHistoryMax);
    CheckBox1->setChecked(ledger_.HideZeroItems);
    if (ledger_.TaxRounding >= 0 && ledger_.TaxRounding < 3) {
        RadioGroup3Items[ledger_.TaxRounding]->setChecked(true);
    }
    DrawData(this);
}

void TForm2::RefreshData() {
    CopyMasters(ledger_, work_);
}

// Only the opening copies the masters: what was typed for one item stays in the working copy
// while another item, account or page is chosen, as "適用" would keep it.
void TForm2::DrawData(const QObject* source) {
    if (source == ComboBox1 || source == this) {
        const int i = Position(ComboBox1);
        if (i < 0) return;
        ShowKind(i);
        {
            const QSignalBlocker block4(ComboBox4);
            FillList(ComboBox4, work_.SubItems[i]);
        }
        Edit1->setText(Qs(work_.Items[i].Name));
        Edit3->setText(Qs(work_.SubItems[i][0]));
    }
    if (source == ComboBox2 || source == ComboBox3 || source == this) {
        const int a = Position(ComboBox2);
        const int s = Position(ComboBox3);
        if (a >= 0 && a < kAccountItemCount && s >= 0 && s < kSubItemCount) {
            NValEdit3->SetValue(static_cast<long double>(work_.Opening[a][s]));
        }
    }
}

// The kind buttons and the reduced-rate mark of item `i`: unchecked and disabled for an account. A
// kind that is not a number stops here with the general error box.
void TForm2::ShowKind(int i) {
    const int32_t kind = ParseInt32(work_.Items[i].Kind);
    for (QRadioButton* r : {RadioButton1, RadioButton2}) {
        r->setAutoExclusive(false);
        r->setChecked(false);
        r->setAutoExclusive(true);
        r->setEnabled(kind != 0);
    }
    if (kind == -1) RadioButton2->setChecked(true);
    if (kind == 1) RadioButton1->setChecked(true);
    ShowReducedRate(i);
}

// Only an expense item pays the reduced rate, so only its mark can be set.
void TForm2::ShowReducedRate(int i) {
    const bool expense = work_.Items[i].Kind == kKindExpense;
    CheckBox2->setEnabled(expense);
    CheckBox2->setChecked(expense && work_.ReducedRate[i]);
}

void TForm2::ShowWorkingNames() {
    const int i = Position(ComboBox1);
    if (i < 0) return;
    {
        const QSignalBlocker block4(ComboBox4);
        for (int s = 0; s < ComboBox4->count() && s < kSubItemCount; ++s) {
            ComboBox4->setItemText(s, Qs(work_.SubItems[i][s]));
        }
    }
    Edit1->setText(Qs(work_.Items[i].Name));
    const int s = Position(ComboBox4);
    if (s >= 0) Edit3->setText(Qs(work_.SubItems[i][s]));
    ShowKind(i);
}

void TForm2::ShowAccountNames() {
    const QSignalBlocker block2(ComboBox2);
    const QSignalBlocker block3(ComboBox3);
    for (int a = 0; a < ComboBox2->count() && a < kAccountItemCount; ++a) {
        ComboBox2->setItemText(a, Qs(work_.Items[a].Name));
    }
    const int a = Position(ComboBox2);
    if (a < 0 || a >= kAccountItemCount) return;
    for (int s = 0; s < ComboBox3->count() && s < kSubItemCount; ++s) {
        ComboBox3->setItemText(s, Qs(work_.SubItems[a][s]));
    }
}

void TForm2::ComboBox1Change() {
    DrawData(ComboBox1);
}

void TForm2::ComboBox2Change() {
    const int a = Position(ComboBox2);
    if (a < 0 || a >= kAccountItemCount) return;
    {
        const QSignalBlocker block3(ComboBox3);
        FillList(ComboBox3, work_.SubItems[a]);
    }
    DrawData(ComboBox2);
}

void TForm2::ComboBox4Change() {
    Edit3->setText(ComboBox4->currentText());
}

void TForm2::Edit1Change() {
    const int i = Position(ComboBox1);
    if (i < 0) return;
    work_.Items[i].Name = Edit1->text().toStdString();
    // The list shows the working name, the one "Ok" stores.
    const QSignalBlocker block1(ComboBox1);
    ComboBox1->setItemText(i, Edit1->text());
}

void TForm2::Edit3Change() {
    const int i = Position(ComboBox1);
    const int s = Position(ComboBox4);
    if (i < 0 || s < 0) return;
    RenameSubItem(work_, i, s, Edit3->text().toStdString());
    // The list shows the working name, so choosing this sub-item again brings it back
    // instead of the old one.
    const QSignalBlocker block4(ComboBox4);
    ComboBox4->setItemText(s, Qs(work_.SubItems[i][s]));
}

void TForm2::NValEdit3Change() {
    const int a = Position(ComboBox2);
    const int s = Position(ComboBox3);
    if (a < 0 || a >= kAccountItemCount || s < 0 || s >= kSubItemCount) return;
    if (const auto amount = ParseOpening(NValEdit3->text().toStdString())) {
        work_.Opening[a][s] = *amount;
    }
}

void TForm2::RadioButtonClick(const QRadioButton* sender) {
    const int i = Position(ComboBox1);
    if (i < 0) return;
    work_.Items[i].Kind = sender == RadioButton1 ? kKindIncome : kKindExpense;
    if (sender == RadioButton1) work_.ReducedRate[i] = false;
    ShowReducedRate(i);
}

void TForm2::CheckBox2Click() {
    const int i = Position(ComboBox1);
    if (i >= 0) work_.ReducedRate[i] = CheckBox2->isChecked();
}

// The masters are CP932 files with one name per line: a changed name they cannot hold is
// refused before anything is written.
bool TForm2::NamesStorable() {
    const auto fault = FindUnstorableName(ledger_, work_);
    if (!fault) return true;
    const QString field = QString::fromUtf8(fault->SubItem < 0 ? kItemField : kSubItemField);
    const QString text = fault->Character.empty()
                             ? QStringLiteral("「%1」に改行は使えません。").arg(field)
                             : QStringLiteral("「%1」に保存できない文字「%2」があります。")
                                   .arg(field, Qs(fault->Character));
    CurrentPlatform().ShowTypedMessage(MessageKind::Warning, text, OkButton);
    return false;
}

void TForm2::ApplyOptions() {
    work_.HideZeroItems = CheckBox1->isChecked();
    for (int n = 0; n < 3; ++n) {
        if (RadioGroup3Items[n]->isChecked()) work_.TaxRounding = n;
    }
}

void TForm2::Button3Click() {
    if (!NamesStorable()) return;
    const int i = Position(ComboBox1);
    if (i >= 0) {
        const QSignalBlocker block1(ComboBox1);
        ComboBox1->setItemText(i, Edit1->text());
    }
    const auto amount = ParseOpening(NValEdit3->text().toStdString());
    const int a = Position(ComboBox2);
    const int s = Position(ComboBox3);
    if (!amount) {
        CurrentPlatform().ShowMessage(QString::fromUtf8(kBadOpening));
    } else if (a >= 0 && a < kAccountItemCount && s >= 0 && s < kSubItemCount) {
        work_.Opening[a][s] = *amount;
    }
    ApplyOptions();
    DataRewrite();
    mainWindow_.AllUpdate();
}

void TForm2::Button1Click() {
    if (!NamesStorable()) return;
    ApplyOptions();
    DataRewrite();
    mainWindow_.AllUpdate();
    accept();
}

void TForm2::Button2Click() {
    reject();
}

void TForm2::done(int result) {
    RunGuarded([this] { FormClose(); });
    QDialog::done(result);
}

void TForm2::FormClose() {
    mainWindow_.AllUpdate();
}

void TForm2::DataRewrite() {
    mainWindow_.Apply(WriteSettings(ledger_, work_, NValEdit1->Value(), NValEdit2->Value()));
    mainWindow_.RefillItemLists();
}

TForm2* CreateSettingsDialog(Ledger& ledger, Workspace& mainWindow, QWidget* owner) {
    auto* dialog = new TForm2(ledger, mainWindow, owner);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::ApplicationModal);
    QScreen* screen = owner != nullptr ? owner->screen() : nullptr;
    if (screen == nullptr) screen = QGuiApplication::primaryScreen();
    if (screen != nullptr) {
        const QRect area = screen->availableGeometry();
        dialog->move(area.center() - QPoint(kClientWidth / 2, kClientHeight / 2));
    }
    return dialog;
}

}  // namespace kakeibo
