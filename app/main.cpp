#include <unistd.h>

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <string_view>

#include "core/cli/batch.h"
#include "core/cli/command_line.h"
#include "core/cli/display.h"
#include "core/files/fd_stream.h"
#include "core/ledger/ledger.h"
#include "ui/controls/focus_frame.h"
#include "ui/entry/entry_form.h"
#include "ui/main/main_window.h"
#include "ui/platform/first_paint.h"
#include "ui/platform/fonts.h"
#include "ui/platform/modules.h"
#include "ui/platform/platform.h"
#include "ui/search/search_form.h"
#include "ui/sheet/data_sheet.h"

int main(int argc, char* argv[]) {
    // Only arguments cost anything before the window: a plain start reads none.
    kakeibo::CommandLine command;
    if (argc > 1) {
        std::error_code noCwd;
        command = kakeibo::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc),
                                            std::filesystem::current_path(noCwd).string());
        // Help, version, export and check need no display, so no QApplication either.
        if (command.Action != kakeibo::CommandAction::Window) {
            kakeibo::FdStreamBuf outBuffer(STDOUT_FILENO);
            kakeibo::FdStreamBuf errBuffer(STDERR_FILENO);
            std::ostream out(&outBuffer);
            std::ostream err(&errBuffer);
            const int code =
                kakeibo::RunWithoutWindow(command, kakeibo::CurrentProcessSetup(), out, err);
            err.flush();
            // Output that never reached its file is a failure, whatever the command found.
            return out.flush() ? code : 1;
        }
    }

    // Without a screen the toolkit would abort with its own message: say why, and end.
    {
        const auto env = [](const char* name) -> std::optional<std::string> {
            const char* value = std::getenv(name);
            return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
        };
        kakeibo::DisplaySetting setting{env("DISPLAY"), env("WAYLAND_DISPLAY"),
                                        env("XDG_RUNTIME_DIR"),
                                        !env("QT_QPA_PLATFORM").value_or("").empty()};
        for (int i = 1; i < argc; ++i) {
            const std::string_view arg = argv[i];
            if (arg == "-platform" || arg == "--platform") setting.PlatformChosen = true;
        }
        if (const auto problem = kakeibo::DisplayProblem(setting)) {
            kakeibo::FdStreamBuf errBuffer(STDERR_FILENO);
            std::ostream err(&errBuffer);
            err << *problem << '\n';
            err.flush();
            return 1;
        }
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kakeibo"));
    // No application display name: Qt's platforms append it to every window title
    // (QPlatformWindow::formatWindowTitle: "警告 — Nimbrelの家計簿"), so each window's own
    // title would not be what the window system shows. Every window and box sets its title.
    // Lets the desktop match the windows to the menu entry and its icon.
    QApplication::setDesktopFileName(QStringLiteral("org.nimbrel.Kakeibo"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/resources/app_icon.png")));
    // The windows ask for the classic Japanese Windows fonts; the IPA fonts stand in for them.
    kakeibo::SubstituteFonts();
    // Wherever the focus is, a frame shows it clearly.
    kakeibo::UseFocusStyle();
    kakeibo::SetPrintPreview(&kakeibo::PrintPreviewFromModule);

    // The file dialogs' own texts (overwrite question, buttons) in Japanese when Qt has them.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                     QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&qtTexts);
    }

    // The ledger is large; it lives on the heap for the whole run.
    auto ledger = std::make_unique<kakeibo::Ledger>();
    kakeibo::TForm1 mainWindow(*ledger);
    mainWindow.FormCreate();

    // The main window is on the screen before the tool windows: a window manager ties an
    // owned window to its owner only when the owner is already managed as it maps the tool
    // window (openbox otherwise stacks the main window over the entry form).
    mainWindow.show();

    // The tool windows belong to the main window, so closing it ends the program.
    auto* entryForm = new kakeibo::TForm3(*ledger, mainWindow, &mainWindow);
    entryForm->FormCreate();
    mainWindow.SetEntryForm(entryForm);
    // The data sheet is made at once when the saved layout shows it, else when first needed.
    mainWindow.SetDataSheetMaker([&ledger = *ledger, &mainWindow] {
        auto* dataSheet = new kakeibo::TForm5(ledger, mainWindow, &mainWindow);
        dataSheet->FormCreate();
        return dataSheet;
    });

    // The search window and the graph sheet are made as they are first shown.
    mainWindow.SetSearchFormMaker([&ledger = *ledger, &mainWindow, entryForm] {
        auto* searchForm = new kakeibo::TForm6(ledger, &mainWindow);
        searchForm->SetHistories([entryForm] { return entryForm->ShopHistory(); },
                                 [entryForm] { return entryForm->MemoHistory(); });
        searchForm->SetHitOpener([&mainWindow](const std::string& path, const kakeibo::Date& date) {
            return mainWindow.ShowFoundEntry(path, date);
        });
        return searchForm;
    });
    // The graph sheet comes last, after the other tool windows.
    mainWindow.SetGraphSheetMaker(kakeibo::GraphSheetFromModule(*ledger, mainWindow));

    // A ledger named on the command line (a double-clicked file) opens as 「開く」 opens it.
    if (!command.LedgerPath.empty()) {
        kakeibo::RunGuarded(
            [&] { mainWindow.OpenLedger(QString::fromStdString(command.LedgerPath)); });
    }

    // For measuring a start: quit once the windows have painted themselves.
    if (qEnvironmentVariableIntValue("KAKEIBO_QUIT_AFTER_START") == 1) {
        kakeibo::QuitAfterFirstPaint(app);
    }
    return app.exec();
}
