#include "ui/entry/entry_history.h"

#include <algorithm>

namespace kakeibo {

bool RecordInHistory(QStringList& lines, const QString& text, int max) {
    const auto found = std::find_if(lines.begin(), lines.end(), [&](const QString& line) {
        return line.compare(text, Qt::CaseInsensitive) == 0;
    });
    const bool wasFound = found != lines.end();
    if (wasFound) {
        lines.move(static_cast<int>(found - lines.begin()), 0);
    } else {
        lines.prepend(text);
    }
    lines.removeAll(QString());
    const int limit = std::max(max, 0);
    while (lines.size() > limit) lines.removeLast();
    return wasFound && !text.isEmpty() && !lines.isEmpty();
}

}  // namespace kakeibo
