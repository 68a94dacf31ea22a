#include "ui/controls/picture_button.h"

#include <QEnterEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

#include "ui/controls/bevel.h"
#include "ui/controls/focus_frame.h"

namespace kakeibo {

TPictureButton::TPictureButton(const QPixmap& picture, QWidget* parent) : QAbstractButton(parent) {
    SetPicture(picture);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
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
    if (hasFocus()) DrawFocusFrame(p, rect());
}

bool TPictureButton::event(QEvent* event) {
    if (event->type() == QEvent::ToolTipChange) setAccessibleName(toolTip());
    return QAbstractButton::event(event);
}

void TPictureButton::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        animateClick();
        return;
    }
    QAbstractButton::keyPressEvent(event);
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
