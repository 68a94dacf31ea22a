#include "ui/support/fake_platform.h"

#include <QBuffer>
#include <QPdfWriter>

#include "ui/print/printout.h"

namespace kakeibo::test {

FakePlatform::FakePlatform() {
    previous_ = SetPlatform(this);
}

FakePlatform::~FakePlatform() {
    SetPlatform(previous_);
}

void FakePlatform::ShowMessage(const QString& text) {
    Boxes.push_back({BoxType::Plain, MessageKind::Information, text, OkButton, {}, -1});
}

MessageButton FakePlatform::ShowTypedMessage(MessageKind kind, const QString& text,
                                             MessageButtons buttons) {
    Boxes.push_back({BoxType::Typed, kind, text, buttons, {}, -1});
    if (!Answers.empty()) {
        const MessageButton answer = Answers.front();
        Answers.pop_front();
        return answer;
    }
    for (MessageButton b : {OkButton, YesButton, NoButton, AllButton, CancelButton}) {
        if (buttons & b) return b;
    }
    return BoxClosed;
}

int FakePlatform::AskChoice(MessageKind kind, const QString& text, const QStringList& buttons,
                            int defaultButton, int) {
    Boxes.push_back({BoxType::Choice, kind, text, 0, buttons, defaultButton});
    if (ChoiceButtons.empty()) return defaultButton;
    const int answer = ChoiceButtons.front();
    ChoiceButtons.pop_front();
    return answer;
}

void FakePlatform::ShowError(const QString& text) {
    Boxes.push_back({BoxType::Error, MessageKind::Error, text, OkButton, {}, -1});
}

std::optional<QString> FakePlatform::NextFileAnswer() {
    if (FileAnswers.empty()) return std::nullopt;
    const QString path = FileAnswers.front();
    FileAnswers.pop_front();
    if (path.isEmpty()) return std::nullopt;
    return path;
}

std::optional<QString> FakePlatform::GetOpenFileName(const FileDialogOptions& options) {
    FileDialogs.push_back({false, options});
    return NextFileAnswer();
}

std::optional<QString> FakePlatform::GetSaveFileName(const FileDialogOptions& options) {
    FileDialogs.push_back({true, options});
    return NextFileAnswer();
}

bool FakePlatform::PrintWithPreview(const PrintDocument& document, QWidget*) {
    Previews.push_back(document.Name());
    QBuffer pages;
    pages.open(QIODevice::WriteOnly);
    QPdfWriter writer(&pages);
    writer.setPageLayout(document.PageLayout());
    document.Render(writer);
    return false;
}

std::optional<int> FakePlatform::ChooseItem(const QString&, const QString&,
                                            const QStringList& items) {
    Choices.push_back(items);
    if (ChoiceAnswers.empty()) return std::nullopt;
    const int answer = ChoiceAnswers.front();
    ChoiceAnswers.pop_front();
    if (answer < 0 || answer >= items.size()) return std::nullopt;
    return answer;
}

int32_t FakePlatform::ChoosePassbookAccount(const Ledger&, QWidget*) {
    ++PassbookAsks;
    if (WhilePassbookAsks) WhilePassbookAsks();
    if (PassbookAnswers.empty()) return 1;
    const int32_t answer = PassbookAnswers.front();
    PassbookAnswers.pop_front();
    return answer;
}

bool FakePlatform::ChooseLines(const QString&, const QString&, std::vector<CheckLine>& lines) {
    CheckLists.push_back(lines);
    if (LineAnswers.empty()) return true;
    const std::optional<std::vector<CheckLine>> answer = LineAnswers.front();
    LineAnswers.pop_front();
    if (!answer) return false;
    lines = *answer;
    return true;
}

}  // namespace kakeibo::test
