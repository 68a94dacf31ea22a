#include "ui/controls/nval_edit.h"

#include <QMenu>

namespace kakeibo {

TNValEdit::TNValEdit(QWidget* parent) : QLineEdit(parent) {}
void TNValEdit::SetValue(long double value) {
    logic_.SetValue(value);
}
void TNValEdit::SetMaxDigits(int digits) {
    logic_.SetMaxDigits(digits);
}
void TNValEdit::SetPrmtNegative(bool permitted) {
    logic_.SetPrmtNegative(permitted);
}
void TNValEdit::SetFixDecimal(int decimals) {
    logic_.SetFixDecimal(decimals);
}
void TNValEdit::SetLeadingChar(char c) {
    logic_.SetLeadingChar(c);
}
void TNValEdit::SetZeroDisplay(bool on) {
    logic_.SetZeroDisplay(on);
}
void TNValEdit::SetPutAComma(bool on) {
    logic_.SetPutAComma(on);
}
void TNValEdit::PasteValue() {}
void TNValEdit::CutValue() {}
void TNValEdit::ClearValue() {}
void TNValEdit::UndoValue() {}
QMenu* TNValEdit::CreateContextMenu() {
    return new QMenu(this);
}
void TNValEdit::keyPressEvent(QKeyEvent* event) {
    QLineEdit::keyPressEvent(event);
}
void TNValEdit::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
}
void TNValEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
}
void TNValEdit::mousePressEvent(QMouseEvent* event) {
    QLineEdit::mousePressEvent(event);
}
void TNValEdit::mouseDoubleClickEvent(QMouseEvent* event) {
    QLineEdit::mouseDoubleClickEvent(event);
}
void TNValEdit::mouseReleaseEvent(QMouseEvent* event) {
    QLineEdit::mouseReleaseEvent(event);
}
void TNValEdit::contextMenuEvent(QContextMenuEvent* event) {
    QLineEdit::contextMenuEvent(event);
}
void TNValEdit::changeEvent(QEvent* event) {
    QLineEdit::changeEvent(event);
}
void TNValEdit::Display() {}
void TNValEdit::ApplyColor(bool) {}
void TNValEdit::TextEdited(const QString&) {}
void TNValEdit::RememberForUndo() {}

}  // namespace kakeibo
