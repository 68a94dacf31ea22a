#include "ui/controls/nval_label.h"

namespace kakeibo {

TNValLabel::TNValLabel(QWidget* parent) : QWidget(parent) {
    resize(121, 20);
}
void TNValLabel::SetValue(long double value) {
    value_ = value;
}
void TNValLabel::SetPutAComma(bool on) {
    putAComma_ = on;
}
void TNValLabel::SetZeroDisplay(bool on) {
    zeroDisplay_ = on;
}
void TNValLabel::SetLeadingChar(char c) {
    leadingChar_ = c;
}
void TNValLabel::SetFixDecimal(int decimals) {
    fixDecimal_ = decimals;
}
void TNValLabel::SetCtl3D(bool on) {
    ctl3D_ = on;
}
void TNValLabel::SetAlignment(Qt::Alignment horizontal) {
    alignment_ = horizontal;
}
void TNValLabel::SetLayout(Qt::Alignment vertical) {
    layout_ = vertical;
}
void TNValLabel::SetAutoSize(bool on) {
    autoSize_ = on;
}
void TNValLabel::SetTransparent(bool on) {
    transparent_ = on;
}
void TNValLabel::SetColor(const QColor& color) {
    color_ = color;
}
QRect TNValLabel::TextArea() const {
    return rect();
}
void TNValLabel::AdjustHeight() {}
bool TNValLabel::event(QEvent* event) {
    return QWidget::event(event);
}
void TNValLabel::paintEvent(QPaintEvent*) {}
void TNValLabel::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
}
void TNValLabel::Format() {}

}  // namespace kakeibo
