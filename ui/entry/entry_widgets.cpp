#include "ui/entry/entry_widgets.h"

#include <QMouseEvent>
#include <QPainter>

#include "ui/controls/bevel.h"

namespace kakeibo {

TTabStrip::TTabStrip(QWidget* parent) : QWidget(parent), surface_(500, 20) {
    surface_.fill(Qt::white);
    setCursor(Qt::PointingHandCursor);
}

void TTabStrip::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawPixmap(0, 0, surface_);
}

void TTabStrip::mousePressEvent(QMouseEvent* event) {
    if (onPress_) onPress_(event->position().toPoint().x());
    event->accept();
}

TBevelPanel::TBevelPanel(const QColor& background, QWidget* parent)
    : QFrame(parent), background_(background) {}

void TBevelPanel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), background_);
    const BevelColors c = BevelOf(palette());
    const QRect outer = rect().adjusted(0, 0, -1, -1);
    DrawEdge(p, outer, c.Shadow, c.Highlight);                         // lowered outer bevel
    DrawEdge(p, outer.adjusted(1, 1, -1, -1), c.Highlight, c.Shadow);  // raised inner bevel
}

}  // namespace kakeibo
