// The colours of the sheets, the same on the screen and on paper.
#pragma once

#include <QColor>

namespace kakeibo {

inline const QColor kSheetFixedCells{255, 254, 232};  // headings and item rows
inline const QColor kSheetGaugeStrip{0, 255, 255};    // a budget gauge's background
inline const QColor kSheetWithinBudget{0, 0, 255};    // a gauge within its budget
inline const QColor kSheetRed{255, 0, 0};             // over budget, and figures below zero

}  // namespace kakeibo
