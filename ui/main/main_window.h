#pragma once

#include <QMainWindow>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/calendar.h"
#include "core/files/save.h"
#include "core/ledger/ledger.h"
#include "core/session/ledger_session.h"
#include "ui/main/ledger_safety.h"
#include "ui/platform/modules.h"
#include "ui/window/workspace.h"

class QAction;
class QComboBox;
class QFileSystemWatcher;
class QFrame;
class QGroupBox;
class QLabel;
class QMenu;
class QToolBar;
class QToolButton;

namespace kakeibo {

class TForm3;
class TForm6;
struct SyncCopy;
class TSheetWindow;
class TToolWindow;

// The main window: a thin strip across the top of the screen with the menu, the toolbar and
// the 編集日 selectors. It owns nothing but a reference to the ledger; the other windows call
// AllUpdate after they change it.
class TForm1 final : public QMainWindow, public Workspace {
    Q_OBJECT

public:
    // Builds the controls; touches no disk.
    explicit TForm1(Ledger& ledger, QWidget* parent = nullptr);

    // Start-up: settings, masters and the last ledger, its notices shown, the file-name
    // panel, init and the placement at the top of the screen.
    void FormCreate();
    // Refills the selectors from today, resets the per-ledger state and the view check marks.
    void init();
    // Recomputes the totals, then refills the tool windows (those refilled only while shown
    // only then).
    void AllUpdate() override;
    // Switches a tool window: `sender` is its view entry or the window itself, `state` the
    // entry's check mark or the window's visibility before the switch.
    void FormVisible(QObject* sender, bool state) override;
    // Keeps a change a window made in the session (journal, history), which then has this
    // window refresh the others.
    void Apply(const Change& change) override;
    // The entry form's item lists, after the settings dialog renamed or changed items.
    void RefillItemLists() override;

    // The tool windows, each owned by this window from then on. Saves take their places
    // (the entry form's into layout slot 0, the graph sheet's 1, the data sheet's 2), and the
    // view entries show and hide them.
    // The entry form: saves also take its histories; "今月の詳細データ" exports its list.
    void SetEntryForm(TForm3* form);
    // The data sheet: "表示中のデータシート" exports what it shows.
    void SetDataSheet(TSheetWindow* sheet);
    // The graph sheet, its own library (Qt Charts): known here as a tool window.
    void SetGraphSheet(TToolWindow* sheet);
    // The search window, shown modally by "検索".
    void SetSearchForm(TForm6* form) { searchForm_ = form; }

    // Windows made as they are first shown, so that a start pays only for what it shows.
    // A maker returns its window placed as the saved layout says and hidden, or nullptr when
    // it cannot make it (having said why).
    using ToolWindowMaker = std::function<TToolWindow*()>;
    using SheetWindowMaker = std::function<TSheetWindow*()>;
    using SearchFormMaker = std::function<TForm6*()>;
    // The data sheet's: made at once when the saved layout shows the sheet (as it mostly
    // does), else at its view entry, the default layout or the CSV export of what it shows.
    // Until then saves keep slot 2 as it was read.
    void SetDataSheetMaker(SheetWindowMaker make);
    // The graph sheet's: made at once when the saved layout shows the sheet, else at the view
    // entry's first check. Until then saves keep slot 1 as it was read.
    void SetGraphSheetMaker(ToolWindowMaker make);
    // The search window's: made at the first "検索".
    void SetSearchFormMaker(SearchFormMaker make) { searchFormMaker_ = std::move(make); }

    // Sets the selectors to `date` (refilling the days when the month changes), EditDate,
    // and the month's state, then AllUpdate, as a user's pick of that day does.
    void SelectDate(const Date& date) override;
    void EditRecurring(const RecurringEntry* preset) override;
    void ComboBox1Change();  // the user picked a month
    void ComboBox2Change();  // the user picked a day

    // Commands.
    void ToolButton1Click();  // open
    // Opens the ledger file at `path` as 「開く」 does once a file is chosen (also a file
    // named on the command line): the data folder and the name follow it. A missing file is
    // reported; a damaged one throws (run it under RunGuarded); either leaves the open ledger
    // as it was.
    void OpenLedger(const QString& path);
    // A search result: shows `date` in the ledger whose entries file is `path`, asking first
    // to open it (and to save this one, as 「開く」 does) when it is another. False when the
    // user declined or it could not be opened.
    bool ShowFoundEntry(const std::string& path, const Date& date);
    void ToolButton2Click();       // overwrite save
    void N4Click();                // overwrite save
    void N6Click();                // save as
    void N9Click();                // carry-over to the next year
    void RestoreBackup1Click();    // back to a generation kept by an earlier save
    void StatementImport1Click();  // a bank's or card's statement into the ledger
    void N16Click();               // close
    void N11Click();               // data sheet on/off
    void N12Click();               // graph sheet on/off
    void N13Click();               // entry form on/off
    void FormVisibleInit();        // default layout
    void Find1Click();
    void N3Click();
    // CSV export: `sender` N7 writes the month's entry list, any other the shown sheet.
    void N5Click(QObject* sender);
    void About1Click();
    // Printing and PDF of what the tool window used last shows (PrintTarget).
    void Print1Click();
    void Pdf1Click();
    // The tool window whose contents 「印刷…」 takes: the one active last while it is still
    // shown, else the first shown of the data sheet, the entry form and the graph sheet.
    TToolWindow* PrintTarget() const;
    void ToolWindowActivated(TToolWindow* window) override { lastActive_ = window; }
    void WidenSheet(TToolWindow* sheet, int width) override;
    // 元に戻す and やり直し: the history's step back or forward, shown where it happened.
    void Undo1Click();
    void Redo1Click();
    // The conflict copies a sync service left beside the open ledger: each asked about once
    // and, taken in, merged as one change (ui/main/sync_merge.cpp).
    void OfferSyncCopies();

    // The date selectors.
    QComboBox* ComboBox1 = nullptr;  // month
    QComboBox* ComboBox2 = nullptr;  // day
    QComboBox* ComboBox3 = nullptr;  // year, disabled: a ledger is one year
    // View entries.
    QAction* N11 = nullptr;  // データシート on/off (Ctrl+D)
    QAction* N12 = nullptr;  // グラフシート on/off
    QAction* N13 = nullptr;  // 入力フォーム on/off (Ctrl+I)

    // Keeps the window's outer height (frame included) at 80: the client height is 80 less
    // the frame the window manager put around it, 80 itself when there is no frame.
    void FitStripToFrame();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildControls();
    void BuildMenu();
    void BuildEditMenu();
    void UpdateEditMenu();
    void StepHistory(bool forward);
    void ShowStep(const Change& change);
    void ShowPanelName();
    void FillDays(int year, int month, int day);
    void SelectYear(int year);
    void SetEditMonth(int month);
    bool AskSaveChanges();
    void UpdateRestoreEntry();
    bool OverwriteSave();
    bool SaveAs();
    bool SaveTo(const std::string& dir, const std::string& name);
    SaveInputs CollectSaveInputs() const;
    void SetToolWindowVisible(TToolWindow* window, int layoutSlot, bool visible);
    // The graph sheet and the data sheet, made now when they have a maker and were not made
    // yet; may be nullptr.
    TToolWindow* MakeGraphSheet();
    TSheetWindow* MakeDataSheet();
    void AdoptToolWindow(TToolWindow* window, QAction* viewEntry);
    // Watches the data folder for conflict copies; made after the first paint.
    void WatchDataFolder();
    void TakeInSyncCopy(const SyncCopy& copy);

    Ledger& ledger_;
    int frameChecks_ = 0;  // looks left for a frame that the window manager adds late
    TForm3* entryForm_ = nullptr;
    TSheetWindow* dataSheet_ = nullptr;
    TToolWindow* graphSheet_ = nullptr;
    TForm6* searchForm_ = nullptr;
    ToolWindowMaker graphSheetMaker_;
    SheetWindowMaker dataSheetMaker_;
    SearchFormMaker searchFormMaker_;
    TToolWindow* lastActive_ = nullptr;
    // The open ledger's journal, lock, history and file stamps; its questions are shown by
    // questions_ (ui/main/ledger_safety.cpp).
    WindowQuestions questions_;
    LedgerSession session_;
    bool recoveredAtStart_ = false;  // changes of a killed program were replayed at start-up

    QGroupBox* GroupBox1 = nullptr;      // the band holding the toolbar and the date selectors
    QToolBar* ToolBar1 = nullptr;        // holds the two buttons
    QToolButton* ToolButton1 = nullptr;  // open a ledger (ToolButton1Click)
    QToolButton* ToolButton2 = nullptr;  // overwrite save (ToolButton2Click)
    QFrame* Panel1 = nullptr;            // frame of the 編集日 selectors
    QLabel* Label1 = nullptr;            // "日"
    QLabel* Label2 = nullptr;            // "月"
    QLabel* Label3 = nullptr;            // "年"
    QLabel* Label4 = nullptr;            // "編集日"
    QLabel* Panel2 = nullptr;            // 「編集中ファイル名」 and the ledger's name
    QLabel* Label5 = nullptr;            // what a merge of another computer's save brought
    QFileSystemWatcher* folderWatch_ = nullptr;  // the data folder, for conflict copies
    bool syncCopiesWaiting_ = false;             // the folder changed: look at the next refill
    std::set<std::string> askedCopies_;          // conflict copies asked about, by their first file

    QMenu* File1 = nullptr;             // 「ファイル」
    QMenu* Edit1 = nullptr;             // 「編集」
    QMenu* View1 = nullptr;             // 「表示」
    QMenu* Setting1 = nullptr;          // 「設定」
    QMenu* Csv1 = nullptr;              // 「CSVデータ出力」
    QMenu* Help1 = nullptr;             // 「ヘルプ」
    QAction* N4 = nullptr;              // 上書き保存
    QAction* N6 = nullptr;              // 名前を付けて保存
    QAction* N9 = nullptr;              // 次年度繰越
    QAction* Teiki1 = nullptr;          // 定期入出金… (the recurring entries' list)
    QAction* RestoreBackup1 = nullptr;  // バックアップから復元, enabled when a generation exists
    QAction* StatementImport1 = nullptr;  // 明細の取り込み
    QAction* Print1 = nullptr;            // 印刷… (Ctrl+P)
    QAction* Pdf1 = nullptr;              // PDFに出力…
    QAction* N16 = nullptr;               // 終了
    QAction* Undo1 = nullptr;             // 元に戻す (Ctrl+Z), naming the step
    QAction* Redo1 = nullptr;             // やり直し (Ctrl+Y, Ctrl+Shift+Z), naming the step
    QAction* DefaultLayout1 = nullptr;  // 初期値に戻す: the default places (FormVisibleInit)
    QAction* Find1 = nullptr;           // 検索, on the menu bar itself
    QAction* N3 = nullptr;              // 各種設定 (Ctrl+S)
    QAction* N5 = nullptr;              // CSV of the shown data sheet
    QAction* N7 = nullptr;              // CSV of the month's entry list
    QAction* About1 = nullptr;          // バージョン情報
    QAction* MenuKey1 = nullptr;        // F10: the first menu, opened from the keyboard
};

// The program's graph sheet maker: the sheet out of the graph module found in `folders`
// (ui/platform/modules.h), or nullptr with an error box when the module cannot be loaded.
TForm1::ToolWindowMaker GraphSheetFromModule(Ledger& ledger, TForm1& mainWindow,
                                             QStringList folders = ModuleFolders());

}  // namespace kakeibo
