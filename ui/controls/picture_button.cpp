#include "ui/controls/picture_button.h"

#include <QEnterEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

#include "ui/controls/bevel.h"

namespace kakeibo {

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

}  // namespace kakeibo
