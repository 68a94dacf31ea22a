#include "ui/entry/entry_widgets.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

namespace kakeibo {

namespace {

// The 3-D edge colours of a bevel, lightest first.
struct BevelColors {
    QColor Highlight;
    QColor Light;
    QColor Shadow;
    QColor DarkShadow;
};

BevelColors BevelOf(const QPalette& palette) {
    return {palette.color(QPalette::Light), palette.color(QPalette::Midlight),
            palette.color(QPalette::Mid), palette.color(QPalette::Dark)};
}

// One-pixel rectangle with its top and left edges in one colour, bottom and right in another.
void DrawEdge(QPainter& p, const QRect& r, const QColor& topLeft, const QColor& bottomRight) {
    p.setPen(topLeft);
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(bottomRight);
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
}

}  // namespace

TPictureButton::TPictureButton(const QPixmap& picture, QWidget* parent) : QAbstractButton(parent) {
    SetPicture(picture);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
}

void TPictureButton::SetPicture(const QPixmap& picture) {
    picture_ = picture;
    QStyleOption option;
    option.initFrom(this);
    disabled_ = style()->generatedIconPixmap(QIcon::Disabled, picture_, &option);
    update();
}

void TPictureButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QPixmap& shown = isEnabled() ? picture_ : disabled_;
    const bool down = isDown();
    QPoint at((width() - shown.width()) / 2, (height() - shown.height()) / 2);
    if (down) at += QPoint(1, 1);
    p.drawPixmap(at, shown);
    if (isEnabled() && (hovered_ || down)) {
        const BevelColors c = BevelOf(palette());
        const QRect r = rect().adjusted(0, 0, -1, -1);
        if (down) {
            DrawEdge(p, r, c.Shadow, c.Highlight);
        } else {
            DrawEdge(p, r, c.Highlight, c.Shadow);
        }
    }
}

void TPictureButton::enterEvent(QEnterEvent* event) {
    hovered_ = true;
    update();
    QAbstractButton::enterEvent(event);
}

void TPictureButton::leaveEvent(QEvent* event) {
    hovered_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

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
