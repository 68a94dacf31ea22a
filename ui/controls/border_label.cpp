#include "ui/controls/border_label.h"

#include <QPainter>

namespace kakeibo {

QColor WindowFrameColor(const QPalette& palette) {
    return palette.color(QPalette::WindowText);
}

TBorderLabel::TBorderLabel(QWidget* parent) : QLabel(parent) {
    borderColor_ = WindowFrameColor(palette());
    // Text, drawn and measured alike, starts 2 pixels in from the left and top; the right
    // and bottom edges stay, so right-aligned text ends against the border.
    setContentsMargins(2, 2, 0, 0);
}

void TBorderLabel::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    QPainter painter(this);
    const int w = width();
    const int h = height();
    painter.fillRect(0, 0, w, 1, borderColor_);
    painter.fillRect(0, h - 1, w, 1, borderColor_);
    painter.fillRect(0, 0, 1, h, borderColor_);
    painter.fillRect(w - 1, 0, 1, h, borderColor_);
}

TBorderLabel* MakeBorderLabel(QWidget* parent, const char* name, const QRect& geometry,
                              const QString& caption, const QColor& background,
                              Qt::Alignment align) {
    auto* l = new TBorderLabel(parent);
    l->setObjectName(QString::fromUtf8(name));
    l->setGeometry(geometry);
    l->setText(caption);
    l->setAlignment(align | Qt::AlignVCenter);
    QPalette palette = l->palette();
    palette.setColor(QPalette::Window, background);
    l->setPalette(palette);
    l->setAutoFillBackground(true);
    l->SetBorderColor(WindowFrameColor(l->palette()));
    return l;
}

}  // namespace kakeibo
