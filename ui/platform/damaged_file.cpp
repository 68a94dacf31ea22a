#include "ui/platform/damaged_file.h"

#include "core/errors.h"
#include "core/files/file_io.h"
#include "ui/platform/platform.h"
#include "ui/platform/text.h"

namespace kakeibo {

bool ReadOrSetAside(const std::string& path, const std::function<void()>& read) {
    std::string error;
    try {
        read();
        return true;
    } catch (const LedgerError& e) {
        error = e.what();
    }
    Platform& platform = CurrentPlatform();
    const Date today = platform.Today();
    const int answer = platform.AskChoice(
        MessageKind::Warning, Qs(SetAsideQuestion(error, path, today.Year, today.Month, today.Day)),
        {QStringLiteral("名前を変えて開く"), QStringLiteral("キャンセル")}, 1, 1);
    if (answer != 0) return false;
    SetAsideDamagedFile(path, today.Year, today.Month, today.Day);
    return true;
}

}  // namespace kakeibo
