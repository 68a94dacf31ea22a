#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>
#include <type_traits>
#include <vector>

#include "core/calendar.h"
#include "core/files/backup.h"
#include "core/ledger/ledger.h"
#include "core/notice.h"

class QWidget;

namespace kakeibo {

class PrintDocument;

// Kinds of typed message boxes, with their titles "警告", "エラー", "情報", "確認".
enum class MessageKind { Warning, Error, Information, Confirmation };

// Buttons of a typed message box: "OK", "キャンセル", "はい(&Y)", "いいえ(&N)", "すべて(&A)".
enum MessageButton : int {
    BoxClosed = 0,  // the box was closed without a button
    OkButton = 1,
    CancelButton = 2,
    YesButton = 4,
    NoButton = 8,
    AllButton = 16,
};
using MessageButtons = int;

// One line of a check list: its text, whether it is checked, and an amount the user may
// correct before going on (none: the line has no amount).
struct CheckLine {
    QString Text;
    bool Checked = true;
    std::optional<int32_t> Amount;
};

struct FileDialogOptions {
    QString Filter;      // "description|pattern", e.g. "家計簿データ(*.nbd)|*.nbd"
    QString InitialDir;  // may be empty
    QString DefaultExt;  // ".nbd" or "csv"; appended when the chosen name has none
    QString FileName;    // proposed name
    bool OverwritePrompt = false;
};

// Everything the windows ask of the desktop: message boxes, file dialogs, beep, today's
// date and the program's folder. Production shows real dialogs; tests install a scripted
// fake. No window calls QMessageBox or QFileDialog directly.
class Platform {
public:
    virtual ~Platform() = default;

    // A plain message box: the application's title and OK.
    virtual void ShowMessage(const QString& text) = 0;
    // A typed message box; returns the button pressed (BoxClosed when closed otherwise).
    virtual MessageButton ShowTypedMessage(MessageKind kind, const QString& text,
                                           MessageButtons buttons) = 0;
    // The general error box: the application's title, the error icon and OK.
    virtual void ShowError(const QString& text) = 0;
    // File dialogs; nothing when cancelled.
    virtual std::optional<QString> GetOpenFileName(const FileDialogOptions& options) = 0;
    virtual std::optional<QString> GetSaveFileName(const FileDialogOptions& options) = 0;
    virtual void Beep() = 0;
    virtual Date Today() = 0;
    // The local time to the second; names the generations a save keeps.
    virtual Moment Now() = 0;
    // A list to pick one line from (title, prompt, lines): the index picked, nothing when
    // cancelled.
    virtual std::optional<int> ChooseItem(const QString& title, const QString& label,
                                          const QStringList& items) = 0;
    // A typed message box whose buttons carry the given texts (「上書きする」); returns the
    // index of the one pressed, `cancel` when the box was closed otherwise. Enter presses
    // `defaultButton`.
    virtual int AskChoice(MessageKind kind, const QString& text, const QStringList& buttons,
                          int defaultButton, int cancel) = 0;
    // The passbook sheet's account, chosen in TFormkoza over `over`: 1 when cancelled, else
    // 10 + 10 x account item + sub-item. Production's is defined beside the dialog
    // (ui/sheet/passbook_choice.cpp), so that this layer knows no window.
    virtual int32_t ChoosePassbookAccount(const Ledger& ledger, QWidget* over);
    // A check list (title, prompt, lines): true with the lines as the user left them, false
    // when cancelled (as a platform without the list does).
    virtual bool ChooseLines(const QString& title, const QString& label,
                             std::vector<CheckLine>& lines);
    // The print preview of `document` over `over`, from which the user chooses a printer,
    // paper and orientation and prints: true when it was printed, false when closed.
    virtual bool PrintWithPreview(const PrintDocument& document, QWidget* over);
    // The program's folder, ending with "/": beside the program for a portable copy, else
    // the user's configuration folder.
    virtual QString ExeDir() = 0;
    // The data folder of a first start, ending with "/"; a portable program keeps its
    // ledgers beside itself.
    virtual QString DefaultDataDir() { return ExeDir(); }
};

// The platform in use; production's unless a test installed another one.
Platform& CurrentPlatform();
// Installs `platform` (nullptr restores production's); returns the one it replaced.
Platform* SetPlatform(Platform* platform);

// A message core asked to show, in the box of its kind.
void ShowNotice(const Notice& notice);

// Qt's print support is a library of its own that only the program links: it installs its
// preview here at start. Without one, printing says it is not available.
using PrintPreviewFunction = bool (*)(const PrintDocument& document, QWidget* over);
void SetPrintPreview(PrintPreviewFunction preview);

// Runs a user action; an exception it lets escape is shown in an error box with the
// application's title (see ErrorBoxText) and the action ends there. Returns false then.
bool RunGuarded(const std::function<void()>& action);

// Connects `signal` of `sender` to `handler`, run under RunGuarded: the one way a window
// connects a handler, so that no exception reaches Qt. `handler` is a member function of
// `receiver` taking nothing, or a callable taking nothing; the signal's arguments are dropped
// (a handler reads its controls). The connection ends with `receiver`.
template <typename Sender, typename Signal, typename Receiver, typename Handler>
QMetaObject::Connection ConnectGuarded(Sender* sender, Signal signal, Receiver* receiver,
                                       Handler handler) {
    return QObject::connect(sender, signal, receiver, [receiver, handler] {
        RunGuarded([&] {
            if constexpr (std::is_member_function_pointer_v<Handler>) {
                (receiver->*handler)();
            } else {
                static_cast<void>(receiver);
                handler();
            }
        });
    });
}

// The text of the general error box: the message, with "." appended when its last
// character sorts after ".".
QString ErrorBoxText(const QString& message);

}  // namespace kakeibo
