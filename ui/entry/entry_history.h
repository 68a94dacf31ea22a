#pragma once

#include <QString>
#include <QStringList>

namespace kakeibo {

// Records `text` in a history list (newest first): a line equal to it when letter case is
// ignored moves to the top with its own text, otherwise the text becomes the new top line;
// empty lines are dropped and the oldest lines beyond `max` (0 empties the list). Returns
// whether an existing line was found, so that the field can show that line.
bool RecordInHistory(QStringList& lines, const QString& text, int max);

}  // namespace kakeibo
