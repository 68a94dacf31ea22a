#include "ui/controls/border_label.h"

namespace kakeibo {

QColor WindowFrameColor(const QPalette& palette) {
    return palette.color(QPalette::WindowText);
}
TBorderLabel::TBorderLabel(QWidget* parent) : QLabel(parent) {}
void TBorderLabel::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
}

}  // namespace kakeibo
