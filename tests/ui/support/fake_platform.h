#pragma once

#include <QString>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "ui/platform/platform.h"

namespace kakeibo::test {

// A scripted platform: records every box and dialog, answers from queues. Installs itself
// for its lifetime.
class FakePlatform final : public Platform {
public:
    enum class BoxType { Plain, Typed, Error, Choice };
    struct Box {
        BoxType Type = BoxType::Plain;
        MessageKind Kind = MessageKind::Information;  // typed boxes only
        QString Text;
        MessageButtons Buttons = OkButton;
        QStringList Choices;  // the button texts of a choice box
        int Default = -1;     // and the one Enter presses
    };
    struct FileDialog {
        bool Save = false;
        FileDialogOptions Options;
    };

    FakePlatform();
    ~FakePlatform() override;

    void ShowMessage(const QString& text) override;
    MessageButton ShowTypedMessage(MessageKind kind, const QString& text,
                                   MessageButtons buttons) override;
    void ShowError(const QString& text) override;
    int AskChoice(MessageKind kind, const QString& text, const QStringList& buttons,
                  int defaultButton, int cancel) override;
    std::optional<QString> GetOpenFileName(const FileDialogOptions& options) override;
    std::optional<QString> GetSaveFileName(const FileDialogOptions& options) override;
    void Beep() override { ++Beeps; }
    Date Today() override { return TodayDate; }
    Moment Now() override { return NowMoment; }
    std::optional<int> ChooseItem(const QString& title, const QString& label,
                                  const QStringList& items) override;
    int32_t ChoosePassbookAccount(const Ledger& ledger, QWidget* over) override;
    bool ChooseLines(const QString& title, const QString& label,
                     std::vector<CheckLine>& lines) override;
    // Records the preview's name, and renders the document as a preview would.
    bool PrintWithPreview(const PrintDocument& document, QWidget* over) override;
    QString ExeDir() override { return ExeDirectory; }

    // Answers of typed boxes, in order; an empty queue answers the first button offered.
    std::vector<QString> Previews;
    std::deque<MessageButton> Answers;
    // Answers of choice boxes (button indexes), in order; an empty queue presses the default.
    std::deque<int> ChoiceButtons;
    // Paths the file dialogs return, in order; an empty path (or an empty queue) cancels.
    std::deque<QString> FileAnswers;

    std::vector<Box> Boxes;
    std::vector<FileDialog> FileDialogs;
    int Beeps = 0;
    Date TodayDate{2026, 12, 7};
    Moment NowMoment{Date{2026, 12, 7}, 11, 4, 48};
    // Answers of list choices (an index; -1 cancels), in order; an empty queue cancels.
    std::deque<int> ChoiceAnswers;
    // Each list offered: its lines.
    std::vector<QStringList> Choices;
    // Answers of the passbook account choice (its codes), in order; an empty queue cancels (1).
    std::deque<int32_t> PassbookAnswers;
    int PassbookAsks = 0;
    // Called as each passbook choice asks, before it answers.
    std::function<void()> WhilePassbookAsks;
    QString ExeDirectory;
    // Answers of check lists, in order: the lines as the user leaves them, or nothing to
    // cancel; an empty queue accepts the lines as offered.
    std::deque<std::optional<std::vector<CheckLine>>> LineAnswers;
    // Each check list offered: its lines as offered.
    std::vector<std::vector<CheckLine>> CheckLists;

private:
    std::optional<QString> NextFileAnswer();
    Platform* previous_ = nullptr;
};

}  // namespace kakeibo::test
