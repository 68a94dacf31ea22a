// The questions of the open ledger's session (core/session/ledger_session.h), shown through the
// platform seam: who else has the ledger, changes left unsaved, a file changed on disk.
#include "ui/main/ledger_safety.h"

#include <QString>
#include <QStringList>

#include "ui/platform/platform.h"
#include "ui/platform/text.h"

namespace kakeibo {

void WindowQuestions::Tell(const Notice& notice) {
    ShowNotice(notice);
}

bool WindowQuestions::OpenHeldLedger(const std::string& question) {
    return CurrentPlatform().AskChoice(MessageKind::Warning, Qs(question),
                                       {QStringLiteral("開く"), QStringLiteral("キャンセル")}, 1,
                                       1) == 0;
}

bool WindowQuestions::Recover(const std::string& question, bool fits) {
    return CurrentPlatform().ShowTypedMessage(
               fits ? MessageKind::Confirmation : MessageKind::Warning, Qs(question),
               YesButton | NoButton) == YesButton;
}

SessionQuestions::ChangedFileAnswer WindowQuestions::OverwriteChangedFile(
    const std::string& question) {
    const int answer = CurrentPlatform().AskChoice(
        MessageKind::Warning, Qs(question),
        {QStringLiteral("上書きする"), QStringLiteral("名前を付けて保存"),
         QStringLiteral("キャンセル")},
        2, 2);
    if (answer == 0) return ChangedFileAnswer::Overwrite;
    if (answer == 1) return ChangedFileAnswer::SaveAs;
    return ChangedFileAnswer::Cancel;
}

}  // namespace kakeibo
