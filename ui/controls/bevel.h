#pragma once

#include <QColor>
#include <QRect>

class QPainter;
class QPalette;

namespace kakeibo {

// The 3-D edge colours of a bevel, lightest first.
struct BevelColors {
    QColor Highlight;
    QColor Light;
    QColor Shadow;
    QColor DarkShadow;
};

BevelColors BevelOf(const QPalette& palette);

// One-pixel rectangle with its top and left edges in one colour, bottom and right in another.
void DrawEdge(QPainter& p, const QRect& r, const QColor& topLeft, const QColor& bottomRight);

}  // namespace kakeibo
