#include "ui/main/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QWindow>
#include <algorithm>
#include <exception>
#include <optional>

#include "core/files/ledger_files.h"
#include "core/files/ledger_paths.h"
#include "core/files/process_info.h"
#include "core/files/save_intent.h"
#include "core/files/settings_file.h"
#include "core/ledger/totals.h"
#include "core/money_in/statement_import.h"
#include "core/reports/entry_list.h"
#include "core/reports/graphs.h"
#include "core/session/carry_over.h"
#include "core/version.h"
#include "ui/entry/entry_form.h"
#include "ui/import/statement_window.h"
#include "ui/main/csv_export.h"
#include "ui/platform/app_info.h"
#include "ui/platform/damaged_file.h"
#include "ui/platform/focus_return.h"
#include "ui/platform/fonts.h"
#include "ui/platform/placement.h"
#include "ui/platform/platform.h"
#include "ui/platform/text.h"
#include "ui/print/printout.h"
#include "ui/recurring/recurring_form.h"
#include "ui/search/search_form.h"
#include "ui/settings/settings_dialog.h"
#include "ui/sheet/data_sheet.h"
#include "ui/window/tool_window.h"

namespace kakeibo {

namespace {

// The arrow keys walk from a menu onto 検索, which has no menu of its own: the popup closes
// and the focus goes back to its field, so the next key would land there. While such an entry
// is the bar's current one and no menu is open, the keys are the bar's, as they are after
// Esc: the arrows walk on, Esc leaves the bar, and Enter, Return or Space choose the entry.
class MenuBarKeys final : public QObject {
public:
    MenuBarKeys(QMenuBar* bar, QObject* parent) : QObject(parent), bar_(bar) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress || watched == bar_) return false;
        auto* key = static_cast<QKeyEvent*>(event);
        QAction* current = bar_->activeAction();
        if (current == nullptr || current->menu() != nullptr ||
            QApplication::activePopupWidget() != nullptr || UnderMouse(current) ||
            (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
            return false;
        }
        const int k = key->key();
        if (k == Qt::Key_Left || k == Qt::Key_Right || k == Qt::Key_Escape) {
            QCoreApplication::sendEvent(bar_, key);
            return true;
        }
        if (k != Qt::Key_Return && k != Qt::Key_Enter && k != Qt::Key_Space) return false;
        // The bar lets go of the entry first, so that the next Enter is the field's again.
        QKeyEvent cancel(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(bar_, &cancel);
        if (current->isEnabled()) current->trigger();
        return true;
    }

private:
    // The entry is the bar's current one because the mouse rests on it.
    bool UnderMouse(QAction* entry) const {
        return bar_->actionGeometry(entry).contains(bar_->mapFromGlobal(QCursor::pos()));
    }

    QMenuBar* bar_;
};

constexpr int kStripHeight = 80;
constexpr int kFirstYear = 2000;
constexpr int kLastFixedYear = 2010;
constexpr int kComboHeight = 21;

const char* const kSaveQuestion = "編集したデータがあります。保存しますか？";
const char* const kPanelPrefix = " 編集中ファイル名： ";
const char* const kCarryOverOwnFile =
    "編集中の家計簿データには繰り越せません。別のファイル名を指定してください。";

int ScreenHeight(const QWidget* widget) {
    QScreen* screen = ScreenOf(widget);
    return screen != nullptr ? screen->geometry().height() : 768;
}

int ScreenWidth(const QWidget* widget) {
    QScreen* screen = ScreenOf(widget);
    return screen != nullptr ? screen->geometry().width() : 1024;
}

DesktopArea Desktop() {
    QRect all;
    for (const QRect& screen : ScreenRects()) all = all.united(screen);
    return DesktopArea{all.left(), all.top(), all.width(), all.height()};
}

// Two paths name the same file: compared after resolving links when both exist.
bool SameFile(const QString& a, const QString& b) {
    const QFileInfo infoA(a);
    const QFileInfo infoB(b);
    if (infoA.exists() && infoB.exists()) {
        return infoA.canonicalFilePath() == infoB.canonicalFilePath();
    }
    return QDir::cleanPath(infoA.absoluteFilePath()) == QDir::cleanPath(infoB.absoluteFilePath());
}

FileDialogOptions LedgerSaveOptions(const Ledger& ledger) {
    FileDialogOptions options;
    options.Filter = Qs(kLedgerFilter);
    options.InitialDir = Qs(ledger.DataDir);
    options.DefaultExt = Qs(kEntriesExtension);
    options.FileName = Qs(ledger.LedgerName);
    options.OverwritePrompt = true;
    return options;
}

}  // namespace

TForm1::TForm1(Ledger& ledger, QWidget* parent)
    : QMainWindow(parent),
      ledger_(ledger),
      session_(ledger, questions_, [] { return CurrentPlatform().Now(); }) {
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(Qs(kMainWindowCaption));
    setFont(MainWindowFont());
    BuildControls();
    BuildMenu();
    // Every change kept, and changes recovered, refresh the edit menu and every window.
    session_.Listen([this] {
        UpdateEditMenu();
        AllUpdate();
    });
    // Any resize keeps the strip 80 pixels high; only the width follows the user.
    setMinimumHeight(kStripHeight);
    setMaximumHeight(kStripHeight);
    resize(ScreenWidth(this), kStripHeight);
}

void TForm1::BuildControls() {
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("Client"));
    setCentralWidget(central);

    GroupBox1 = new QGroupBox(central);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(0, 0, 1016, 32);

    ToolBar1 = new QToolBar(GroupBox1);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setGeometry(0, 5, 143, 27);
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setIconSize(QSize(16, 16));
    ToolBar1->setStyleSheet(QStringLiteral("QToolBar { border: none; background: transparent; }"));

    auto makeButton = [this](QToolButton*& button, const char* name, const char* icon,
                             const char* tip) {
        button = new QToolButton(ToolBar1);
        button->setObjectName(Qs(name));
        button->setIcon(QIcon(Qs(icon)));
        button->setToolTip(Qs(tip));
        button->setAccessibleName(Qs(tip));
        button->setAutoRaise(true);
        button->setFixedSize(23, 22);
        ToolBar1->addWidget(button);
    };
    makeButton(ToolButton1, "ToolButton1", ":/resources/open.png", "読み込み");
    makeButton(ToolButton2, "ToolButton2", ":/resources/save.png", "上書き保存");

    Panel1 = new QFrame(GroupBox1);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(142, 6, 283, 25);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);

    auto makeLabel = [this](QLabel*& label, const char* name, const char* text, int left) {
        label = new QLabel(Qs(text), Panel1);
        label->setObjectName(Qs(name));
        label->adjustSize();
        // Centred on the selectors' middle line, whatever the font's height.
        label->move(left, 2 + (kComboHeight - label->height()) / 2);
    };
    auto makeCombo = [this](QComboBox*& combo, const char* name, int left, int width) {
        combo = new QComboBox(Panel1);
        combo->setObjectName(Qs(name));
        combo->setGeometry(left, 2, width, kComboHeight);
        combo->setMaxVisibleItems(16);
    };
    makeLabel(Label4, "Label4", "編集日", 8);
    makeCombo(ComboBox3, "ComboBox3", 48, 65);
    ComboBox3->setEnabled(false);
    makeLabel(Label3, "Label3", "年", 120);
    makeCombo(ComboBox1, "ComboBox1", 136, 49);
    makeLabel(Label2, "Label2", "月", 192);
    makeCombo(ComboBox2, "ComboBox2", 208, 49);
    makeLabel(Label1, "Label1", "日", 264);
    // The unit after each selector is its label for a screen reader (no mnemonic).
    Label3->setBuddy(ComboBox3);
    Label2->setBuddy(ComboBox1);
    Label1->setBuddy(ComboBox2);

    Panel2 = new QLabel(GroupBox1);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setGeometry(765, 6, 250, 25);
    Panel2->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel2->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    ShowPanelName();

    Label5 = new QLabel(GroupBox1);
    Label5->setObjectName(QStringLiteral("Label5"));
    Label5->setGeometry(430, 6, 330, 25);
    Label5->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    ConnectGuarded(ToolButton1, &QToolButton::clicked, this, &TForm1::ToolButton1Click);
    ConnectGuarded(ToolButton2, &QToolButton::clicked, this, &TForm1::ToolButton2Click);
    // `activated` fires only for the user's picks, never for the fills of init.
    ConnectGuarded(ComboBox1, &QComboBox::activated, this, &TForm1::ComboBox1Change);
    ConnectGuarded(ComboBox2, &QComboBox::activated, this, &TForm1::ComboBox2Change);
}

void TForm1::BuildMenu() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    auto addMenu = [bar](QMenu*& menu, const char* name, const char* caption) {
        menu = bar->addMenu(Qs(caption));
        menu->setObjectName(Qs(name));
        menu->menuAction()->setObjectName(Qs(name));
    };
    auto addEntry = [this](QMenu* menu, QAction*& action, const char* name, const char* caption) {
        action = menu->addAction(Qs(caption));
        action->setObjectName(Qs(name));
        return action;
    };
    // The view and settings keys also work while a tool window has the focus.
    auto shortcut = [](QAction* action, Qt::Key key) {
        action->setShortcut(QKeySequence(Qt::CTRL | key));
        action->setShortcutContext(Qt::ApplicationShortcut);
    };

    addMenu(File1, "File1", "　ファイル");
    ConnectGuarded(addEntry(File1, N4, "N4", "　上書き保存"), &QAction::triggered, this,
                   &TForm1::N4Click);
    ConnectGuarded(addEntry(File1, N6, "N6", "　名前を付けて保存"), &QAction::triggered, this,
                   &TForm1::N6Click);
    ConnectGuarded(addEntry(File1, RestoreBackup1, "RestoreBackup1", "　バックアップから復元…"),
                   &QAction::triggered, this, &TForm1::RestoreBackup1Click);
    ConnectGuarded(File1, &QMenu::aboutToShow, this, &TForm1::UpdateRestoreEntry);
    ConnectGuarded(addEntry(File1, StatementImport1, "StatementImport1", "　明細の取り込み…"),
                   &QAction::triggered, this, &TForm1::StatementImport1Click);
    ConnectGuarded(addEntry(File1, N9, "N9", "　次年度繰越"), &QAction::triggered, this,
                   &TForm1::N9Click);
    ConnectGuarded(addEntry(File1, Teiki1, "Teiki1", "　定期入出金…"), &QAction::triggered, this,
                   [this] { EditRecurring(nullptr); });
    File1->addSeparator();
    addEntry(File1, Print1, "Print1", "　印刷…");
    shortcut(Print1, Qt::Key_P);
    ConnectGuarded(Print1, &QAction::triggered, this, &TForm1::Print1Click);
    ConnectGuarded(addEntry(File1, Pdf1, "Pdf1", "　PDFに出力…"), &QAction::triggered, this,
                   &TForm1::Pdf1Click);
    File1->addSeparator();
    ConnectGuarded(addEntry(File1, N16, "N16", "　終了"), &QAction::triggered, this,
                   &TForm1::N16Click);

    BuildEditMenu();

    addMenu(View1, "View1", "　表示　");
    addEntry(View1, N11, "N11", "　データシート　")->setCheckable(true);
    shortcut(N11, Qt::Key_D);
    addEntry(View1, N12, "N12", "　グラフシート　")->setCheckable(true);
    addEntry(View1, N13, "N13", "　入力フォーム　")->setCheckable(true);
    shortcut(N13, Qt::Key_I);
    View1->addSeparator();
    addEntry(View1, DefaultLayout1, "DefaultLayout1", "　初期値に戻す");
    ConnectGuarded(N11, &QAction::triggered, this, &TForm1::N11Click);
    ConnectGuarded(N12, &QAction::triggered, this, &TForm1::N12Click);
    ConnectGuarded(N13, &QAction::triggered, this, &TForm1::N13Click);
    ConnectGuarded(DefaultLayout1, &QAction::triggered, this, &TForm1::FormVisibleInit);

    Find1 = bar->addAction(QStringLiteral("検索"));
    Find1->setObjectName(QStringLiteral("Find1"));
    qApp->installEventFilter(new MenuBarKeys(bar, this));
    ConnectGuarded(Find1, &QAction::triggered, this, &TForm1::Find1Click);

    addMenu(Setting1, "Setting1", "　設定　");
    addEntry(Setting1, N3, "N3", "　各種設定");
    shortcut(N3, Qt::Key_S);
    ConnectGuarded(N3, &QAction::triggered, this, &TForm1::N3Click);

    addMenu(Csv1, "Csv1", "　CSVデータ出力");
    addEntry(Csv1, N5, "N5", "　表示中のデータシート");
    addEntry(Csv1, N7, "N7", "　今月の詳細データ");
    for (QAction* entry : {N5, N7}) {
        ConnectGuarded(entry, &QAction::triggered, this, [this, entry] { N5Click(entry); });
    }

    addMenu(Help1, "Help1", "　ヘルプ　");
    ConnectGuarded(addEntry(Help1, About1, "About1", "　バージョン情報"), &QAction::triggered, this,
                   &TForm1::About1Click);

    // F10 opens the first menu, as on every desktop, and the arrow keys walk on from there;
    // also from a tool window, which has no menu of its own.
    MenuKey1 = new QAction(this);
    MenuKey1->setObjectName(QStringLiteral("MenuKey1"));
    MenuKey1->setShortcut(QKeySequence(Qt::Key_F10));
    MenuKey1->setShortcutContext(Qt::ApplicationShortcut);
    addAction(MenuKey1);
    connect(MenuKey1, &QAction::triggered, this, [this, bar] {
        activateWindow();
        bar->setActiveAction(File1->menuAction());
    });
}

void TForm1::FormCreate() {
    Platform& platform = CurrentPlatform();
    const Date today = platform.Today();
    // A fault part-way leaves what was read so far; the window must still come up on today.
    std::vector<FileStamp> loaded;
    bool layoutSaved = false;
    RunGuarded([&] {
        const std::string exeDir = platform.ExeDir().toStdString();
        // A save of the settings cut short is put right before they are read.
        for (const Notice& notice : RecoverInterruptedSaves(exeDir, "")) ShowNotice(notice);
        // And the scratch files a killed program left there (a running one's stay).
        RemoveLeftovers(exeDir, "", ProcessStartSeconds());
        StartupResult result = StartUp(ledger_, exeDir, today, ScreenHeight(this),
                                       platform.DefaultDataDir().toStdString(),
                                       [this](const std::string& dir, const std::string& name) {
                                           return session_.TakeLedger(dir, name, true);
                                       });
        layoutSaved = result.LayoutSaved;
        for (const Notice& notice : result.Messages) ShowNotice(notice);
        loaded = std::move(result.LoadedFiles);
    });
    // A damaged or foreign rozed.ini must not open a window larger than every screen.
    LimitLayout(ledger_.WindowLayout, Desktop());
    // A saved layout is the user's; the first one uses a wide screen's room.
    if (!layoutSaved) {
        WidenFirstLayout(ledger_.WindowLayout, ScreenWidth(this), TForm5::MonthSheetWidth(),
                         TForm3::kFormWidth);
    }
    // The shop and memo histories are read once, from the start-up's data folder.
    session_.LoadTextHistories(ledger_.DataDir);
    ShowPanelName();
    init();
    RunGuarded([&] { recoveredAtStart_ = session_.AdoptLedger(std::move(loaded)); });
    move(0, 0);
    resize(ScreenWidth(this), kStripHeight);
    // The native window exists before the tool windows are made, so that each of them is
    // owned by it from its creation (see OwnToolWindow).
    winId();
}

void TForm1::WidenSheet(TToolWindow* sheet, int width) {
    if (sheet == nullptr || sheet->Maximised()) return;
    const auto slotOf = [](const QWidget* window) {
        const QRect at = window->frameGeometry();
        return LayoutSlot{window->isVisible() ? 1 : 0, at.left(), at.top(), at.height(),
                          at.width()};
    };
    LayoutSlot sheetSlot = slotOf(sheet);
    // Any frame the window system adds comes on top of the `width` the contents need.
    const int frame = sheetSlot.Width - sheet->width();
    LayoutSlot entrySlot = entryForm_ != nullptr ? slotOf(entryForm_) : LayoutSlot{};
    const QScreen* screen = ScreenOf(sheet);
    const int screenRight = screen != nullptr ? screen->availableGeometry().right() + 1 : 0;
    const int entryLeft = entrySlot.Left;
    WidenForSheet(sheetSlot, entrySlot, screenRight, width + frame);
    if (sheetSlot.Width - frame != sheet->width()) {
        sheet->resize(sheetSlot.Width - frame, sheet->height());
    }
    if (entryForm_ != nullptr && entrySlot.Left != entryLeft) {
        entryForm_->move(entryForm_->x() + entrySlot.Left - entryLeft, entryForm_->y());
    }
}

void TForm1::FitStripToFrame() {
    const QWindow* window = windowHandle();
    const int frame = window != nullptr && isVisible()
                          ? window->frameMargins().top() + window->frameMargins().bottom()
                          : 0;
    const int client = frame > 0 && frame < kStripHeight ? kStripHeight - frame : kStripHeight;
    if (minimumHeight() == client && maximumHeight() == client && height() == client) return;
    setMinimumHeight(client);
    setMaximumHeight(client);
    resize(width(), client);
}

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    FitStripToFrame();
    // A window manager frames the window some moments after it is shown, and not every
    // one of them tells with a move: look again a few times over the first two seconds.
    frameChecks_ = 20;
    auto* timer = new QTimer(this);
    timer->setInterval(100);
    connect(timer, &QTimer::timeout, this, [this, timer] {
        FitStripToFrame();
        if (--frameChecks_ <= 0) timer->deleteLater();
    });
    timer->start();
    // The data folder is watched only once the window is painted: a start pays nothing for it.
    if (!folderWatch_) {
        QTimer::singleShot(0, this, [this] {
            RunGuarded([this] {
                WatchDataFolder();
                OfferSyncCopies();
            });
        });
    }
}

void TForm1::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    FitStripToFrame();
}

void TForm1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FitStripToFrame();
}

void TForm1::init() {
    const Date today = CurrentPlatform().Today();
    InitLedgerState(ledger_, today);

    ComboBox1->clear();
    ComboBox2->clear();
    ComboBox3->clear();
    SelectYear(today.Year);
    for (int month = 1; month <= kMonthCount; ++month) ComboBox1->addItem(QString::number(month));
    ComboBox1->setCurrentIndex(today.Month - 1);
    FillDays(today.Year, today.Month, today.Day);

    // A registered window's mark follows the window itself, so that a window hidden since
    // start keeps an empty mark after a ledger is opened.
    const auto& layout = ledger_.WindowLayout;
    const auto shown = [](const TToolWindow* window, bool saved) {
        return window != nullptr ? !window->isHidden() : saved;
    };
    N11->setChecked(shown(dataSheet_, !dataSheetMaker_ && layout[kLayoutDataSheet].Visible == 1));
    // A graph sheet not made yet is not on the screen, whatever its slot says.
    N12->setChecked(
        shown(graphSheet_, !graphSheetMaker_ && GraphSheetPlacement(ledger_).Visible == 1));
    N13->setChecked(shown(entryForm_, layout[kLayoutEntryForm].Visible == 1));
    UpdateRestoreEntry();
    // Another ledger, or the same one as it was saved: the old steps are not its own.
    session_.ClearHistory();
    UpdateEditMenu();
}

void TForm1::AllUpdate() {
    // The totals first, so the entry list's wallet balance already counts the last change.
    RecomputeTotals(ledger_);
    for (TToolWindow* window : {static_cast<TToolWindow*>(entryForm_),
                                static_cast<TToolWindow*>(dataSheet_), graphSheet_}) {
        if (window != nullptr && (window->RefillsWhileHidden() || !window->isHidden())) {
            window->Refill();
        }
    }
    // A copy that appeared while the user typed is asked about now, after the refill.
    if (syncCopiesWaiting_) {
        QTimer::singleShot(0, this, [this] {
            if (syncCopiesWaiting_) RunGuarded([this] { OfferSyncCopies(); });
        });
    }
}

void TForm1::FormVisible(QObject* sender, bool state) {
    const bool shown = !state;
    const auto from = [sender](QAction* entry, const QObject* window) {
        return sender == entry || (window != nullptr && sender == window);
    };
    if (from(N11, dataSheet_)) {
        if (shown && MakeDataSheet() == nullptr && dataSheetMaker_) {
            N11->setChecked(false);
            return;
        }
        N11->setChecked(shown);
        SetToolWindowVisible(dataSheet_, kLayoutDataSheet, shown);
    } else if (from(N13, entryForm_)) {
        N13->setChecked(shown);
        SetToolWindowVisible(entryForm_, kLayoutEntryForm, shown);
    } else if (from(N12, graphSheet_)) {
        // A sheet that cannot be made stays off, its mark empty.
        if (shown && MakeGraphSheet() == nullptr && graphSheetMaker_) {
            N12->setChecked(false);
            return;
        }
        N12->setChecked(shown);
        SetToolWindowVisible(graphSheet_, kLayoutGraphSheet, shown);
    }
}

// Without the window (this window alone, in tests) the switch lands in the saved layout.
void TForm1::SetToolWindowVisible(TToolWindow* window, int layoutSlot, bool visible) {
    if (window != nullptr) {
        window->setVisible(visible);
        // Shown from the menu or its key, the window is where the user goes next.
        if (visible) {
            window->raise();
            window->activateWindow();
        }
    } else {
        ledger_.WindowLayout[layoutSlot].Visible = visible ? 1 : 0;
    }
}

void TForm1::RefillItemLists() {
    if (entryForm_ != nullptr) entryForm_->SetKamoku(entryForm_->CurrentTab());
}

void TForm1::AdoptToolWindow(TToolWindow* window, QAction* viewEntry) {
    if (window == nullptr) return;
    OwnToolWindow(this, window);
    viewEntry->setChecked(!window->isHidden());
}

void TForm1::SetEntryForm(TForm3* form) {
    entryForm_ = form;
    // The form read the histories' files as they are; recovered entries add theirs.
    if (recoveredAtStart_ && form != nullptr) form->ShowTextHistories(session_.Texts());
    AdoptToolWindow(form, N13);
}

void TForm1::SetDataSheet(TSheetWindow* sheet) {
    dataSheet_ = sheet;
    AdoptToolWindow(sheet, N11);
}

void TForm1::SetGraphSheet(TToolWindow* sheet) {
    graphSheet_ = sheet;
    AdoptToolWindow(sheet, N12);
}

void TForm1::SetGraphSheetMaker(ToolWindowMaker make) {
    graphSheetMaker_ = std::move(make);
    if (GraphSheetPlacement(ledger_).Visible == 1) MakeGraphSheet();
    N12->setChecked(graphSheet_ != nullptr && !graphSheet_->isHidden());
}

void TForm1::SetDataSheetMaker(SheetWindowMaker make) {
    dataSheetMaker_ = std::move(make);
    if (ledger_.WindowLayout[kLayoutDataSheet].Visible == 1) MakeDataSheet();
    N11->setChecked(dataSheet_ != nullptr && !dataSheet_->isHidden());
}

TSheetWindow* TForm1::MakeDataSheet() {
    if (dataSheet_ == nullptr && dataSheetMaker_) {
        if (TSheetWindow* sheet = dataSheetMaker_()) SetDataSheet(sheet);
    }
    return dataSheet_;
}

TToolWindow* TForm1::MakeGraphSheet() {
    if (graphSheet_ == nullptr && graphSheetMaker_) {
        if (TToolWindow* sheet = graphSheetMaker_()) SetGraphSheet(sheet);
    }
    return graphSheet_;
}

TForm1::ToolWindowMaker GraphSheetFromModule(Ledger& ledger, TForm1& mainWindow,
                                             QStringList folders) {
    return [&ledger, &mainWindow, folders = std::move(folders)]() -> TToolWindow* {
        using Factory = TToolWindow* (*)(Ledger&, Workspace&, QWidget*);
        const auto make = reinterpret_cast<Factory>(ModuleSymbol(
            Qs(kGraphModule), kGraphSheetFactory, QStringLiteral("グラフシート"), folders));
        return make != nullptr ? make(ledger, mainWindow, &mainWindow) : nullptr;
    };
}

void TForm1::SelectDate(const Date& date) {
    if (!IsValidDate(date)) return;
    SelectYear(date.Year);
    ComboBox1->setCurrentIndex(date.Month - 1);
    FillDays(date.Year, date.Month, date.Day);
    if (date.Month != ledger_.EditMonth) SetEditMonth(date.Month);
    ledger_.EditDate = date;
    AllUpdate();
}

void TForm1::ComboBox1Change() {
    const int month = ComboBox1->currentIndex() + 1;
    if (month < 1) return;
    const int year = ledger_.EditDate.Year;
    FillDays(year, month, 1);
    SetEditMonth(month);
    ledger_.EditDate = Date{year, month, 1};
    AllUpdate();
}

void TForm1::ComboBox2Change() {
    const int day = ComboBox2->currentIndex() + 1;
    if (day < 1) return;
    ledger_.EditDate = Date{ledger_.EditDate.Year, ledger_.EditDate.Month, day};
    AllUpdate();
}

void TForm1::SetEditMonth(int month) {
    ledger_.EditMonth = month;
    ledger_.EditMonthIndex = month - 1;
    ledger_.NextSlot = ledger_.GetIndex(month);
}

void TForm1::FillDays(int year, int month, int day) {
    ComboBox2->clear();
    const int days = DaysInMonth(year, month);
    for (int d = 1; d <= days; ++d) ComboBox2->addItem(QString::number(d));
    ComboBox2->setCurrentIndex(std::clamp(day, 1, std::max(days, 1)) - 1);
}

// The list runs from 2000 to the later of 2010 and `year`, so the selector can always show
// the edited year.
void TForm1::SelectYear(int year) {
    const int last = std::max(kLastFixedYear, year);
    const int wanted = last - kFirstYear + 1;
    if (ComboBox3->count() != wanted) {
        ComboBox3->clear();
        for (int y = kFirstYear; y <= last; ++y) ComboBox3->addItem(QString::number(y));
    }
    ComboBox3->setCurrentIndex(year >= kFirstYear ? year - kFirstYear : -1);
}

void TForm1::ShowPanelName() {
    Panel2->setText(Qs(kPanelPrefix) + Qs(ledger_.LedgerName));
}

SaveInputs TForm1::CollectSaveInputs() const {
    SaveInputs inputs;
    inputs.EntryForm =
        entryForm_ != nullptr ? entryForm_->Placement() : ledger_.WindowLayout[kLayoutEntryForm];
    inputs.DataSheet =
        dataSheet_ != nullptr ? dataSheet_->Placement() : ledger_.WindowLayout[kLayoutDataSheet];
    if (graphSheet_ != nullptr) {
        inputs.GraphSheet = graphSheet_->Placement();
    } else if (const LayoutSlot& read = ledger_.WindowLayout[kLayoutGraphSheet];
               graphSheetMaker_ && read != ledger_.WindowLayout[kLayoutEntryForm]) {
        // Never made, so never shown: the place it was read with. A slot that repeats the
        // entry form's says the sheet was never placed, and goes on saying so.
        inputs.GraphSheet = read;
        inputs.GraphSheet->Visible = 0;
    }
    // The entry form holds the histories as the user sees them. Without it (this window
    // alone, in tests) the session's go along: the start-up's, with what was recovered.
    if (entryForm_ != nullptr) {
        inputs.ShopHistory = entryForm_->ShopHistory();
        inputs.MemoHistory = entryForm_->MemoHistory();
    } else {
        inputs.ShopHistory = session_.Texts().Shops;
        inputs.MemoHistory = session_.Texts().Memos;
    }
    inputs.Backup = CurrentPlatform().Now();
    return inputs;
}

bool TForm1::SaveTo(const std::string& dir, const std::string& name) {
    switch (session_.BeforeSave(dir, name)) {
        case LedgerSession::SaveCheck::Go:
            break;
        case LedgerSession::SaveCheck::SaveAs:
            return SaveAs();
        case LedgerSession::SaveCheck::Cancel:
            // A refused save as leaves the ledger's own name, shown again.
            ShowPanelName();
            return false;
    }
    const SaveResult result = MonthSave(ledger_, dir, name, CollectSaveInputs());
    session_.AfterSave(result);
    // The ledger is saved even when the program folder's files were not: one warning says
    // which of them and why, then the save is reported finished as usual.
    if (result.Warning) ShowNotice(*result.Warning);
    CurrentPlatform().ShowMessage(Qs(kSaveFinishedMessage));
    // Tidying the backups waits until the save is reported, so it never delays it.
    if (result.Backup) FinishBackup(*result.Backup);
    return true;
}

// Asked before unsaved changes would be lost; true when the caller may go on. A failed save
// throws, so the caller stops.
bool TForm1::AskSaveChanges() {
    session_.ThrowAwayOnLeave(false);
    if (!ledger_.LedgerChanged && !ledger_.MastersChanged) return true;
    const MessageButton answer = CurrentPlatform().ShowTypedMessage(
        MessageKind::Information, Qs(kSaveQuestion), YesButton | NoButton | CancelButton);
    if (answer == YesButton) return SaveTo(ledger_.DataDir, ledger_.LedgerName);
    // Thrown away: the journal goes aside once the ledger is left.
    session_.ThrowAwayOnLeave(answer == NoButton);
    return answer == NoButton;
}

bool TForm1::OverwriteSave() {
    ledger_.LedgerChanged = true;
    ledger_.MastersChanged = true;
    const QString entries = Qs(ledger_.DataDir + EntriesFileName(ledger_.LedgerName));
    if (!QFileInfo::exists(entries)) return SaveAs();
    return SaveTo(ledger_.DataDir, ledger_.LedgerName);
}

bool TForm1::SaveAs() {
    const auto path = CurrentPlatform().GetSaveFileName(LedgerSaveOptions(ledger_));
    if (!path) return false;
    std::string dir;
    std::string name;
    SplitLedgerPath(path->toStdString(), dir, name);
    // The next start and the next overwrite save look for the ledger where it now lies.
    ledger_.DataDir = dir;
    ledger_.LedgerChanged = true;
    ledger_.MastersChanged = true;
    ledger_.LedgerName = name;
    ShowPanelName();
    return SaveTo(dir, name);
}

void TForm1::EditRecurring(const RecurringEntry* preset) {
    const FocusReturn back;
    ShowRecurringForm(ledger_, this,
                      preset != nullptr ? std::optional<RecurringEntry>(*preset) : std::nullopt);
    // The entry form's count of what is due follows the list as it was left.
    AllUpdate();
}

void TForm1::ToolButton1Click() {
    if (!AskSaveChanges()) return;
    FileDialogOptions options;
    options.Filter = Qs(kLedgerFilter);
    options.InitialDir = Qs(ledger_.DataDir);
    options.DefaultExt = Qs(kEntriesExtension);
    const auto path = CurrentPlatform().GetOpenFileName(options);
    if (path) OpenLedger(*path);
}

void TForm1::OpenLedger(const QString& path) {
    std::string dir;
    std::string name;
    SplitLedgerPath(path.toStdString(), dir, name);
    if (!session_.TakeLedger(dir, name, true)) return;
    const LoadResult result = MonthLoad(ledger_, dir, name);
    if (result.Message) ShowNotice(*result.Message);
    // A load that failed left the ledger as it was; so stay the date, flags and panel.
    if (!result.Loaded) return;
    session_.LeaveLedger();
    ledger_.DataDir = dir;
    ShowPanelName();
    init();
    // Recovered entries bring their shops and memos into the lists.
    if (session_.AdoptLedger(result.Files) && entryForm_ != nullptr) {
        entryForm_->ShowTextHistories(session_.Texts());
    }
    AllUpdate();
    if (folderWatch_) {
        WatchDataFolder();
        OfferSyncCopies();
    }
}

bool TForm1::ShowFoundEntry(const std::string& path, const Date& date) {
    const std::string open = ledger_.DataDir + EntriesFileName(ledger_.LedgerName);
    if (!SameFile(Qs(path), Qs(open))) {
        std::string dir;
        std::string name;
        SplitLedgerPath(path, dir, name);
        const QString question =
            QStringLiteral("この明細は家計簿「%1」（%2年）にあります。\rその家計簿を開きますか？")
                .arg(Qs(name))
                .arg(date.Year);
        if (CurrentPlatform().ShowTypedMessage(MessageKind::Confirmation, question,
                                               YesButton | NoButton) != YesButton ||
            !AskSaveChanges()) {
            return false;
        }
        OpenLedger(Qs(path));
        if (!SameFile(Qs(path), Qs(ledger_.DataDir + EntriesFileName(ledger_.LedgerName)))) {
            return false;
        }
    }
    SelectDate(date);
    return true;
}

void TForm1::ToolButton2Click() {
    OverwriteSave();
}

void TForm1::N4Click() {
    ToolButton2Click();
}

void TForm1::N6Click() {
    SaveAs();
}

void TForm1::N9Click() {
    FileDialogOptions options = LedgerSaveOptions(ledger_);
    options.FileName = Qs(NextYearLedgerName(ledger_.LedgerName, ledger_.EditDate.Year));
    const auto path = CurrentPlatform().GetSaveFileName(options);
    if (!path) return;
    std::string dir;
    std::string name;
    SplitLedgerPath(path->toStdString(), dir, name);
    // Writing the empty new year over the open ledger's files would lose the year on disk while
    // the window still shows it.
    if (SameFile(Qs(dir + EntriesFileName(name)),
                 Qs(ledger_.DataDir + EntriesFileName(ledger_.LedgerName)))) {
        CurrentPlatform().ShowTypedMessage(MessageKind::Warning, Qs(kCarryOverOwnFile), OkButton);
        return;
    }
    WriteCarryOver(ledger_, dir, name, true, CurrentPlatform().Now());
}

void TForm1::N16Click() {
    close();
}

// The view entries have switched their marks already; FormVisible wants the mark before.
void TForm1::N11Click() {
    FormVisible(N11, !N11->isChecked());
}

void TForm1::N12Click() {
    FormVisible(N12, !N12->isChecked());
}

void TForm1::N13Click() {
    FormVisible(N13, !N13->isChecked());
}

void TForm1::FormVisibleInit() {
    const auto defaults = DefaultWindowLayout(ScreenHeight(this));
    // The entry form's size is its own; only its place and visibility are defaults.
    const LayoutSlot& entryDefault = defaults[kLayoutEntryForm];
    LayoutSlot& entry = ledger_.WindowLayout[kLayoutEntryForm];
    entry.Visible = entryDefault.Visible;
    entry.Left = entryDefault.Left;
    entry.Top = entryDefault.Top;
    const LayoutSlot& sheet = ledger_.WindowLayout[kLayoutDataSheet] = defaults[kLayoutDataSheet];
    MakeDataSheet();
    if (entryForm_ != nullptr) {
        entryForm_->move(entry.Left, entry.Top);
        entryForm_->show();
    }
    if (dataSheet_ != nullptr) {
        dataSheet_->move(sheet.Left, sheet.Top);
        dataSheet_->resize(sheet.Width, sheet.Height);
        dataSheet_->show();
    }
    // The graph sheet is not part of the default layout: hidden, at its default place. One not
    // made yet will choose its first place as it first shows.
    if (graphSheet_ != nullptr) {
        graphSheet_->ForgetPlace(kGraphSheetDefault);
    } else if (graphSheetMaker_) {
        ledger_.WindowLayout[kLayoutGraphSheet] = LayoutSlot{};
    }
    N13->setChecked(true);
    N11->setChecked(true);
    N12->setChecked(false);
}

void TForm1::Find1Click() {
    const FocusReturn back;
    if (searchForm_ == nullptr && searchFormMaker_) searchForm_ = searchFormMaker_();
    if (searchForm_ != nullptr) searchForm_->exec();
}

void TForm1::StatementImport1Click() {
    const FocusReturn back;
    if (!ReadOrSetAside(ImportSettingsPath(ledger_.DataDir),
                        [&] { ReadImportSettings(ledger_.DataDir); })) {
        return;
    }
    TFormMeisai form(ledger_, *this, this);
    if (form.Button1Click()) form.exec();
}

void TForm1::N3Click() {
    const FocusReturn back;
    CreateSettingsDialog(ledger_, *this, this)->exec();
}

void TForm1::N5Click(QObject* sender) {
    if (sender == N7) {
        // The list's texts come from the ledger, as the entry form shows them.
        ExportCsv(EntryListTable(ledger_), ledger_.DataDir);
        return;
    }
    // The sheet is read as shown, also while the window is hidden.
    if (MakeDataSheet() != nullptr) ExportCsv(dataSheet_->ShownTable(), ledger_.DataDir);
}

TToolWindow* TForm1::PrintTarget() const {
    if (lastActive_ != nullptr && lastActive_->isVisible()) return lastActive_;
    for (TToolWindow* window :
         std::initializer_list<TToolWindow*>{dataSheet_, entryForm_, graphSheet_}) {
        if (window != nullptr && window->isVisible()) return window;
    }
    return nullptr;
}

namespace {

// What the tool window used last prints; says so when no window shows anything to print.
std::unique_ptr<PrintDocument> PrintedOf(const TToolWindow* window) {
    std::unique_ptr<PrintDocument> document = window != nullptr ? window->Printed() : nullptr;
    if (document == nullptr) {
        CurrentPlatform().ShowMessage(
            QStringLiteral("印刷するデータシート、グラフシートか入力フォームを表示してください。"));
    }
    return document;
}

}  // namespace

void TForm1::Print1Click() {
    const auto document = PrintedOf(PrintTarget());
    if (document != nullptr) CurrentPlatform().PrintWithPreview(*document, this);
}

void TForm1::Pdf1Click() {
    const auto document = PrintedOf(PrintTarget());
    if (document == nullptr) return;
    Platform& platform = CurrentPlatform();
    FileDialogOptions options;
    options.Filter = QStringLiteral("PDFファイル(*.pdf)|*.pdf");
    options.InitialDir = QString::fromStdString(ledger_.DataDir);
    options.DefaultExt = QStringLiteral("pdf");
    options.FileName = document->PdfName();
    options.OverwritePrompt = true;
    const auto path = platform.GetSaveFileName(options);
    if (!path) return;
    WritePdf(*document, path->toStdString());
    platform.ShowMessage(QStringLiteral("　保存は正常に終了しました。　"));
}

void TForm1::About1Click() {
    CurrentPlatform().ShowMessage(Qs(kApplicationTitle) + QStringLiteral("\nバージョン ") +
                                  Qs(kVersion));
}

void TForm1::closeEvent(QCloseEvent* event) {
    bool mayClose = false;
    // A save that fails keeps the program open, its error shown.
    RunGuarded([&] { mayClose = AskSaveChanges(); });
    if (mayClose) {
        session_.Close();
        event->accept();
    } else {
        event->ignore();
    }
}

}  // namespace kakeibo
