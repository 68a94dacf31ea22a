#include "ui/controls/bevel.h"

#include <QPainter>
#include <QPalette>

namespace kakeibo {

BevelColors BevelOf(const QPalette& palette) {
    return {palette.color(QPalette::Light), palette.color(QPalette::Midlight),
            palette.color(QPalette::Mid), palette.color(QPalette::Dark)};
}

void DrawEdge(QPainter& p, const QRect& r, const QColor& topLeft, const QColor& bottomRight) {
    p.setPen(topLeft);
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(bottomRight);
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
}

}  // namespace kakeibo
