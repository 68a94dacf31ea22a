#include "ui/entry/entry_form.h"

#include <QAction>
#include <QBitmap>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTableView>

#include "core/files/ledger_files.h"
#include "core/files/ledger_paths.h"
#include "core/ledger/totals.h"
#include "ui/controls/border_label.h"
#include "ui/controls/list_box.h"
#include "ui/controls/make.h"
#include "ui/controls/nval_edit.h"
#include "ui/controls/nval_label.h"
#include "ui/controls/picture_button.h"
#include "ui/entry/entry_list_model.h"
#include "ui/entry/entry_widgets.h"
#include "ui/platform/fonts.h"
#include "ui/platform/input_method.h"
#include "ui/platform/platform.h"
#include "ui/platform/text.h"

namespace kakeibo {

namespace {

const QColor kPanelColor(251, 253, 255);
const QColor kCaptionCream(254, 250, 233);
const QColor kCaptionBlue(238, 249, 255);
const QColor kTotalPink(248, 201, 213);
const QColor kSelectedTabGrey(229, 229, 229);
const QColor kSelectedTabMark(255, 128, 0);

const char* const kTabPictureFiles[kEntryTabCount] = {
    ":/resources/entry_tab_expense.png", ":/resources/entry_tab_transfer.png",
    ":/resources/entry_tab_income.png", ":/resources/entry_tab_budget.png"};
const char* const kTabPictureNames[kEntryTabCount] = {"tab2", "tab3", "tab4", "tab5"};

QPixmap Picture(const char* path) {
    return QPixmap(QString::fromUtf8(path));
}

// Per tab: the captions of the first and the second item list.
std::array<std::array<QString, 2>, kEntryTabCount> StandardTabCaptions() {
    return {{{QStringLiteral("　費用項目　及び　細目"), QStringLiteral("　口座項目　及び　細目")},
             {QStringLiteral("　移動先口座項目　及び　細目"),
              QStringLiteral("　移動元口座項目　及び　細目")},
             {QStringLiteral("　口座項目　及び　細目"), QStringLiteral("　収入項目　及び　細目")},
             {QStringLiteral("　予算登録項目　及び　細目"), QString()}}};
}

}  // namespace

TForm3::TForm3(Ledger& ledger, Workspace& mainWindow, QWidget* parent)
    : TToolWindow(mainWindow, ToolFrame::Fixed, parent), ledger_(ledger) {
    setObjectName(QStringLiteral("TForm3"));
    setWindowTitle(QStringLiteral("各種入力フォーム"));
    setFixedSize(kFormWidth, kFormHeight);
    setFont(WindowFont());
    TabCaptions = StandardTabCaptions();
    BuildControls();
    ConnectHandlers();
    SetTabOrder();
}

void TForm3::BuildControls() {
    Image3 = new QLabel(this);
    Image3->setObjectName(QStringLiteral("Image3"));
    Image3->setGeometry(17, 8, 200, 16);
    Image3->setPixmap(Picture(":/resources/entry_title.png"));
    // Presses on the title reach the window, so the band drags it there too.
    Image3->setAttribute(Qt::WA_TransparentForMouseEvents);

    BuildEntryList();

    for (int n = 0; n < kEntryTabCount; ++n) {
        tabPictures_[n] = Picture(kTabPictureFiles[n]);
        transparentTabs_[n] = tabPictures_[n];
        transparentTabs_[n].setMask(tabPictures_[n].createMaskFromColor(Qt::white));
        TabPictures[n] = new QLabel(this);
        TabPictures[n]->setObjectName(QString::fromUtf8(kTabPictureNames[n]));
        TabPictures[n]->setPixmap(tabPictures_[n]);
        TabPictures[n]->hide();
    }
    tab1 = new TTabStrip(this);
    tab1->setObjectName(QStringLiteral("tab1"));
    tab1->setGeometry(20, 189, 296, 20);
    tab1->SetTabs({QStringLiteral("費用"), QStringLiteral("移動"), QStringLiteral("収入"),
                   QStringLiteral("予算")},
                  72);

    BuildPanel();
}

void TForm3::BuildPanel() {
    Panel1 = new TBevelPanel(kPanelColor, this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(19, 208, 545, 265);

    Image1 = new QLabel(Panel1);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(1, 20, 16, 230);
    Image1->setPixmap(Picture(":/resources/entry_side.png"));

    auto label = [this](const char* name, QRect geometry, const QString& caption,
                        const QColor& color, Qt::Alignment align = Qt::AlignLeft) {
        return MakeBorderLabel(Panel1, name, geometry, caption, color, align);
    };
    auto list = [this](const char* name, QRect geometry, bool editable) {
        return MakeListBox(Panel1, name, geometry, editable);
    };

    BorderLabel1 = label("BorderLabel1", {32, 8, 185, 20}, TabCaptions[0][0], kCaptionCream);
    ComboBox5 = list("ComboBox5", {216, 8, 145, 20}, false);
    ComboBox12 = list("ComboBox12", {359, 8, 147, 20}, false);
    BorderLabel9 = label("BorderLabel9", {32, 27, 185, 20}, TabCaptions[0][1], kCaptionBlue);
    ComboBox3 = list("ComboBox3", {216, 28, 145, 20}, false);
    ComboBox4 = list("ComboBox4", {359, 28, 147, 20}, false);
    BorderLabel2 =
        label("BorderLabel2", {32, 59, 185, 20}, QStringLiteral("　お店の名前"), kCaptionCream);
    ComboBox1 = list("ComboBox1", {216, 59, 289, 20}, true);
    BorderLabel3 =
        label("BorderLabel3", {32, 78, 185, 20}, QStringLiteral("　税区分"), kCaptionBlue);
    auto radio = [this](const char* name, int left, const QString& caption) {
        auto* r = new QRadioButton(caption, Panel1);
        r->setObjectName(QString::fromUtf8(name));
        // 88 apart: wide enough for 「税抜(10%)」.
        r->setGeometry(left, 80, 88, 17);
        return r;
    };
    RadioButton1 = radio("RadioButton1", 224, QStringLiteral("税込"));
    RadioButton2 = radio("RadioButton2", 312, QStringLiteral("税抜"));
    RadioButton3 = radio("RadioButton3", 400, QStringLiteral("その他"));
    RadioButton1->setChecked(true);
    BorderLabel4 =
        label("BorderLabel4", {32, 97, 185, 20}, QStringLiteral("　金額"), kCaptionCream);
    NValEdit5 = new TNValEdit(Panel1);
    NValEdit5->setObjectName(QStringLiteral("NValEdit5"));
    NValEdit5->setGeometry(216, 97, 289, 20);
    NValEdit5->SetZeroDisplay(true);
    NValEdit5->SetValue(0);
    BorderLabel5 =
        label("BorderLabel5", {32, 116, 185, 20}, QStringLiteral("　一言メモ"), kCaptionBlue);
    ComboBox2 = list("ComboBox2", {216, 116, 289, 20}, true);

    Button1 = new QPushButton(QStringLiteral("前月予算コピー"), Panel1);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(184, 152, 97, 25);
    Button1->hide();
    Button2 = new QPushButton(QStringLiteral("予算登録"), Panel1);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(296, 152, 75, 25);
    Button2->hide();

    Button3 = new QPushButton(QStringLiteral("定期入出金を記入"), Panel1);
    Button3->setObjectName(QStringLiteral("Button3"));
    Button3->setGeometry(24, 152, 200, 25);
    Button3->hide();

    SPB5 = new TPictureButton(Picture(":/resources/entry_write.png"), Panel1);
    SPB5->setObjectName(QStringLiteral("SPB5"));
    SPB5->setGeometry(416, 144, 32, 35);
    BorderLabel6 =
        label("BorderLabel6", {413, 184, 42, 21}, QStringLiteral("　記入　"), kCaptionCream);
    SPB6 = new TPictureButton(Picture(":/resources/entry_close.png"), Panel1);
    SPB6->setObjectName(QStringLiteral("SPB6"));
    SPB6->setGeometry(472, 144, 32, 35);
    BorderLabel7 =
        label("BorderLabel7", {470, 184, 42, 21}, QStringLiteral("　閉る　"), kCaptionCream);

    BorderLabel11 = label("BorderLabel11", {24, 208, 505, 2}, QString(), kPanelColor);

    Panel2 = new QLabel(QStringLiteral("　入力"), Panel1);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setGeometry(24, 216, 97, 20);
    Panel2->setFrameStyle(QFrame::Box | QFrame::Plain);
    Panel2->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    {
        QPalette palette = Panel2->palette();
        palette.setColor(QPalette::Window, kCaptionCream);
        Panel2->setPalette(palette);
        Panel2->setAutoFillBackground(true);
    }

    auto total = [this](const char* name, int top) {
        auto* n = new TNValLabel(Panel1);
        n->setObjectName(QString::fromUtf8(name));
        n->SetCtl3D(false);
        n->SetZeroDisplay(true);
        n->setGeometry(384, top, 121, 18);
        n->SetValue(0);
        return n;
    };
    BorderLabel8 = label("BorderLabel8", {305, 216, 80, 18}, QStringLiteral("レシート合計　"),
                         kTotalPink, Qt::AlignRight);
    NValLabel1 = total("NValLabel1", 216);
    Image2 = new TPictureButton(Picture(":/resources/entry_clear.png"), Panel1);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setGeometry(512, 217, 16, 16);
    Image2->setToolTip(QStringLiteral("レシート合計を0円にします"));
    BorderLabel10 = label("BorderLabel10", {305, 240, 80, 18}, QStringLiteral("お財布残金　"),
                          kTotalPink, Qt::AlignRight);
    NValLabel2 = total("NValLabel2", 240);
    NameControls();
}

void TForm3::NameControls() {
    // Each caption is its field's label for a screen reader (no mnemonic: the texts stay).
    BorderLabel1->setBuddy(ComboBox5);
    BorderLabel9->setBuddy(ComboBox3);
    BorderLabel2->setBuddy(ComboBox1);
    BorderLabel4->setBuddy(NValEdit5);
    BorderLabel5->setBuddy(ComboBox2);
    NameListField(ComboBox1, BorderLabel2);
    NameListField(ComboBox2, BorderLabel5);
    BorderLabel8->setBuddy(NValLabel1);
    BorderLabel10->setBuddy(NValLabel2);
    HiddenLabelFor(ComboBox12, QStringLiteral("細目"));
    HiddenLabelFor(ComboBox4, QStringLiteral("細目"));
    SPB5->setAccessibleName(QStringLiteral("記入"));
    SPB6->setAccessibleName(QStringLiteral("閉る"));
    SG31->setAccessibleName(QStringLiteral("今月の入力一覧"));
}

void TForm3::ConnectHandlers() {
    tab1->SetPressHandler([this](int x) { RunGuarded([&] { Tab1MouseDown(x); }); });
    tab1->SetChooseHandler([this](int tab) {
        RunGuarded([&] {
            TabDraw(tab);
            SetKamoku(static_cast<EntryTab>(tab));
        });
    });
    ConnectGuarded(ComboBox5, &QComboBox::currentIndexChanged, this,
                   [this] { SetHojyo(ComboBox5); });
    ConnectGuarded(ComboBox3, &QComboBox::currentIndexChanged, this,
                   [this] { SetHojyo(ComboBox3); });
    // A sub-item may pay another rate than its item (外食 under 食費).
    ConnectGuarded(ComboBox12, &QComboBox::currentIndexChanged, this, &TForm3::ShowTaxRate);
    for (QComboBox* box : {ComboBox5, ComboBox3, ComboBox12, ComboBox4}) {
        box->installEventFilter(this);
    }
    composition_ = new PendingComposition(this);
    composition_->Watch(ComboBox1);
    composition_->Watch(ComboBox2);
    // The copy of a committed composition may arrive after the focus moved to the amount.
    composition_->Watch(NValEdit5);
    NValEdit5->installEventFilter(this);
    SG31->installEventFilter(this);
    ConnectGuarded(SPB5, &QAbstractButton::clicked, this, &TForm3::KinyuClick);
    ConnectGuarded(SPB6, &QAbstractButton::clicked, this, [this] { close(); });
    ConnectGuarded(Image2, &QAbstractButton::clicked, this, &TForm3::RecieptClear);
    ConnectGuarded(Button2, &QPushButton::clicked, this, &TForm3::YosanClick);
    ConnectGuarded(Button1, &QPushButton::clicked, this, &TForm3::Button1Click);
    ConnectGuarded(Button3, &QPushButton::clicked, this, &TForm3::TeikiKinyuClick);
}

void TForm3::SetTabOrder() {
    // The fields first, as the form opens on them; then the buttons, the entry list and the
    // tab strip, so that Shift+Tab from the first list reaches the strip above it.
    QWidget* order[] = {ComboBox5,    ComboBox12,   ComboBox3, ComboBox4, ComboBox1, RadioButton1,
                        RadioButton2, RadioButton3, NValEdit5, ComboBox2, Button2,   Button1,
                        Button3,      SPB5,         SPB6,      Image2,    SG31,      tab1};
    for (size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);
}

void TForm3::FormCreate() {
    setFixedSize(kFormWidth, kFormHeight);
    for (auto [box, file] :
         {std::pair{ComboBox1, kShopHistoryFile}, std::pair{ComboBox2, kMemoHistoryFile}}) {
        const QSignalBlocker blocker(box);
        box->clear();
        for (const std::string& line : ReadHistory(ledger_.DataDir + file)) box->addItem(Qs(line));
        box->setCurrentIndex(-1);
        box->setEditText(QString());
    }
    currentTab_ = EntryTab::Expense;
    receiptTotal_ = 0;
    NValLabel1->SetValue(0);
    // A saved place mostly off every screen would leave the form out of reach.
    Place(ledger_.WindowLayout[kLayoutEntryForm], true);
}

void TForm3::FormShow() {
    TabCaptions = StandardTabCaptions();
    // The strip, the labels, the lists and the tax kind all follow the current tab.
    SetKamoku(currentTab_);
    SetHojyo(this);
    TabDraw(static_cast<int>(currentTab_));
    // At start-up nothing has computed the balances yet: the wallet must not show a stale 0.
    RecomputeTotals(ledger_);
    DrawCell();
    // Shown the first time, the form opens on its first list, whatever the Tab order has first.
    if (focusWidget() == nullptr) ComboBox5->setFocus(Qt::OtherFocusReason);
}

bool TForm3::eventFilter(QObject* watched, QEvent* event) {
    if (watched == NValEdit5 && event->type() == QEvent::KeyPress &&
        AmountEnter(*static_cast<QKeyEvent*>(event))) {
        return true;
    }
    if (watched == SG31 && event->type() == QEvent::KeyPress &&
        EntryListKeyPress(*static_cast<QKeyEvent*>(event))) {
        return true;
    }
    if (event->type() == QEvent::KeyPress) {
        const QString text = static_cast<QKeyEvent*>(event)->text();
        if (text.size() == 1 && AnyBoxKeyPress(watched, text.front())) return true;
    }
    if (SG31 != nullptr && event->type() == QEvent::MouseButtonPress &&
        (watched == SG31->viewport() || watched == SG31->horizontalHeader()->viewport())) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint at = static_cast<QWidget*>(watched)->mapTo(SG31, mouse->position().toPoint());
        RunGuarded([&] { SG31MouseDown(mouse->button(), at.x(), at.y()); });
        // A right press makes its row current and opens the menu for it; it starts no range.
        return mouse->button() == Qt::RightButton;
    }
    return QWidget::eventFilter(watched, event);
}

// Enter (or the keypad's Enter) in the amount field writes the entry as "記入" does, its
// refusals included, and leaves the focus in the field for the next amount of a receipt.
// Only while "記入" can be pressed (not on the budget tab) and only without other modifiers.
bool TForm3::AmountEnter(const QKeyEvent& key) {
    if (key.key() != Qt::Key_Return && key.key() != Qt::Key_Enter) return false;
    if ((key.modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) return false;
    if (SPB5->isHidden() || !SPB5->isEnabled()) return false;
    RunGuarded([this] { KinyuClick(); });
    NValEdit5->setFocus(Qt::OtherFocusReason);
    return true;
}

bool TForm3::EntryListKeyPress(const QKeyEvent& key) {
    const Qt::KeyboardModifiers modifiers = key.modifiers() & ~Qt::KeypadModifier;
    const bool menu = (key.key() == Qt::Key_Menu && modifiers == Qt::NoModifier) ||
                      (key.key() == Qt::Key_F10 && modifiers == Qt::ShiftModifier);
    if (menu) {
        // Under the current row, as a right click there would open it.
        const QRect cell = SG31->visualRect(SG31->currentIndex());
        const QPoint at = cell.isValid() ? cell.bottomLeft() : QPoint(0, 0);
        PopupMenu1->popup(SG31->viewport()->mapToGlobal(at));
        return true;
    }
    if (key.key() == Qt::Key_Delete && modifiers == Qt::NoModifier) {
        RunGuarded([this] { sakujyo1Click(); });
        return true;
    }
    return false;
}

bool TForm3::AnyBoxKeyPress(QObject* source, QChar key) {
    if (key != QLatin1Char(' ')) return false;
    for (QComboBox* box : {ComboBox5, ComboBox3, ComboBox12, ComboBox4}) {
        if (source == box) {
            box->showPopup();
            return true;
        }
    }
    return false;
}

void TForm3::TabDraw(int k) {
    if (k < 0 || k >= kEntryTabCount) return;
    QPixmap& surface = tab1->Surface();
    {
        QPainter p(&surface);
        p.fillRect(QRect(0, 0, 500, 19), Qt::white);
        // The left tab lies on top of its right neighbour; only the selected one lets the
        // grey through its white.
        for (int n = kEntryTabCount - 1; n >= 0; --n) {
            p.drawPixmap(72 * n, 0, n == k ? transparentTabs_[n] : tabPictures_[n]);
        }
        const int b = 72 * k;
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(kSelectedTabGrey);
        p.drawPolygon(QPolygon({QPoint(b + 1, 19), QPoint(b + 4, 1), QPoint(b + 75, 1),
                                QPoint(b + 78, 19), QPoint(b + 1, 19)}));
        p.drawPixmap(b, 0, transparentTabs_[k]);
        // A bar along the chosen tab's top edge: it stands out from the others at a glance.
        p.fillRect(QRect(b + 5, 2, 70, 2), kSelectedTabMark);
    }
    tab1->SetCurrent(k);
    tab1->update();
}

void TForm3::Tab1MouseDown(int x) {
    if (const auto tab = TabAtStripX(x)) {
        TabDraw(static_cast<int>(*tab));
        SetKamoku(*tab);
    }
}

void TForm3::SetKamoku(EntryTab tab) {
    std::fill(item1Map_.begin(), item1Map_.begin() + kItemCount, 0);
    std::fill(item2Map_.begin(), item2Map_.begin() + kItemCount, 0);
    const QSignalBlocker block5(ComboBox5);
    const QSignalBlocker block3(ComboBox3);
    ComboBox5->clear();
    ComboBox3->clear();
    currentTab_ = tab;

    for (QWidget* w : std::initializer_list<QWidget*>{ComboBox1, ComboBox2, ComboBox3, ComboBox4,
                                                      ComboBox12, SPB6, SPB5}) {
        w->setEnabled(true);
    }
    Button1->hide();
    Button2->hide();

    const bool expense = tab == EntryTab::Expense;
    switch (tab) {
        case EntryTab::Expense:
            BorderLabel2->setText(QStringLiteral("　お店の名前"));
            break;
        case EntryTab::Transfer:
            BorderLabel2->setText(QStringLiteral("　銀行名等"));
            break;
        case EntryTab::Income:
            BorderLabel2->setText(QStringLiteral("　支払先名称"));
            break;
        case EntryTab::Budget:
            break;
    }
    NameListField(ComboBox1, BorderLabel2);
    for (QRadioButton* r : {RadioButton1, RadioButton2, RadioButton3}) r->setEnabled(expense);
    (expense ? RadioButton1 : RadioButton3)->setChecked(true);
    if (tab == EntryTab::Budget) {
        for (QWidget* w : std::initializer_list<QWidget*>{ComboBox1, ComboBox2, ComboBox3,
                                                          ComboBox4, ComboBox12, SPB5, SPB6}) {
            w->setEnabled(false);
        }
        Button1->show();
        Button2->show();
    }
    RefreshRecurring();
    const int t = static_cast<int>(tab);
    BorderLabel1->setText(TabCaptions[t][0]);
    BorderLabel9->setText(TabCaptions[t][1]);

    int position = 0;
    for (int item : ItemChoices(ledger_, tab, ItemSide::First)) {
        ComboBox5->addItem(Qs(ledger_.ItemTable[item].Name));
        item1Map_[position++] = item;
    }
    position = 0;
    for (int item : ItemChoices(ledger_, tab, ItemSide::Second)) {
        ComboBox3->addItem(Qs(ledger_.ItemTable[item].Name));
        item2Map_[position++] = item;
    }
    ComboBox5->setCurrentIndex(ComboBox5->count() > 0 ? 0 : -1);
    ComboBox3->setCurrentIndex(ComboBox3->count() > 0 ? 0 : -1);
    SetHojyo(this);
}

void TForm3::SetHojyo(const QObject* source) {
    if (source != ComboBox3) {
        FillSubItems(ComboBox12, item1Map_, ComboBox5->currentIndex());
        ShowTaxRate();
    }
    if (source != ComboBox5) FillSubItems(ComboBox4, item2Map_, ComboBox3->currentIndex());
}

void TForm3::FillSubItems(QComboBox* list, const std::array<int32_t, 31>& map, int position) {
    list->clear();
    if (position < 0 || position >= static_cast<int>(map.size())) return;
    const int item = map[position];
    if (item < 0 || item >= kItemCount) return;
    for (int s = 0; s < kSubItemCount; ++s) list->addItem(Qs(ledger_.SubItemTable[item][s]));
    list->setCurrentIndex(0);
}

void TForm3::ShowTextHistories(const TextHistories& texts) {
    for (auto [box, lines] :
         {std::pair{ComboBox1, &texts.Shops}, std::pair{ComboBox2, &texts.Memos}}) {
        const QSignalBlocker blocker(box);
        const QString typed = box->currentText();
        box->clear();
        for (const std::string& line : *lines) box->addItem(Qs(line));
        box->setCurrentIndex(-1);
        box->setEditText(typed);
    }
}

std::vector<std::string> TForm3::ShopHistory() const {
    std::vector<std::string> lines;
    for (int i = 0; i < ComboBox1->count(); ++i)
        lines.push_back(ComboBox1->itemText(i).toStdString());
    return lines;
}

std::vector<std::string> TForm3::MemoHistory() const {
    std::vector<std::string> lines;
    for (int i = 0; i < ComboBox2->count(); ++i)
        lines.push_back(ComboBox2->itemText(i).toStdString());
    return lines;
}

void TForm3::SetWalletBalance() {
    const int month = std::clamp(ledger_.EditMonth, 1, kMonthCount);
    NValLabel2->SetValue(static_cast<long double>(ledger_.BalanceTable[month][0][0]));
}

void TForm3::ShowTaxRate() {
    const int position = ComboBox5->currentIndex();
    const int item = position >= 0 && position < kItemCount ? item1Map_[position] : -1;
    RadioButton2->setText(
        Qs(TaxExcludedCaption(ledger_, ledger_.EditDate, item, ComboBox12->currentIndex())));
}

void TForm3::SetEditMode(bool editing) {
    ledger_.RowEditMode = editing ? 1 : 0;
    Panel2->setText(editing ? QStringLiteral("　編集") : QStringLiteral("　入力"));
}

}  // namespace kakeibo
