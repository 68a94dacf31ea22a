#pragma once

#include <QString>
#include <memory>

#include "core/ledger/ledger.h"
#include "ui/entry/entry_form.h"
#include "ui/main/main_window.h"
#include "ui/platform/platform.h"
#include "ui/sheet/data_sheet.h"

namespace kakeibo::bench {

// Counts message boxes instead of showing them and answers every dialog with "cancelled" (or
// the open dialog with OpenFileAnswer), so a run never waits for a user.
class QuietPlatform final : public Platform {
public:
    explicit QuietPlatform(QString exeDir = QStringLiteral("/tmp/"));

    void ShowMessage(const QString&) override { ++Boxes; }
    MessageButton ShowTypedMessage(MessageKind, const QString&, MessageButtons) override;
    void ShowError(const QString&) override { ++Boxes; }
    std::optional<QString> GetOpenFileName(const FileDialogOptions&) override {
        if (OpenFileAnswer.isEmpty()) return {};
        return OpenFileAnswer;
    }
    std::optional<QString> GetSaveFileName(const FileDialogOptions&) override { return {}; }
    void Beep() override {}
    Date Today() override { return Date{2026, 7, 15}; }
    Moment Now() override { return Moment{Date{2026, 7, 15}, 12, 0, 0}; }
    std::optional<int> ChooseItem(const QString&, const QString&, const QStringList&) override {
        return std::nullopt;
    }
    int AskChoice(MessageKind, const QString&, const QStringList&, int, int cancel) override {
        ++Boxes;
        return cancel;
    }
    int32_t ChoosePassbookAccount(const Ledger&, QWidget*) override { return 1; }
    QString ExeDir() override { return exeDir_; }

    int Boxes = 0;
    // What the open dialog answers; empty cancels.
    QString OpenFileAnswer;

private:
    QString exeDir_;
};

// The main window, the entry form and the data sheet over `start`, the tool windows shown (the
// main window too when `showMain`), message boxes counted by `platform`.
struct WindowsBench {
    explicit WindowsBench(std::unique_ptr<Ledger> start, bool showMain = false);
    ~WindowsBench();

    QuietPlatform platform;
    Platform* previous = nullptr;
    std::unique_ptr<Ledger> ledger;
    TForm1 main{*ledger};
    TForm3 form{*ledger, main};
    TForm5 sheet{*ledger, main};
};

// The whole main() of a widget benchmark: an offscreen QApplication around the registered
// benchmarks.
int RunUiBenchmarks(int argc, char* argv[]);

}  // namespace kakeibo::bench
