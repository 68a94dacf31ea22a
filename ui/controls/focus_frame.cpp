#include "ui/controls/focus_frame.h"

#include <QApplication>
#include <QPainter>
#include <QStyleOption>

namespace kakeibo {

namespace {

bool Focused(const QStyleOption* option) {
    return option != nullptr && option->state.testFlag(QStyle::State_HasFocus) &&
           option->state.testFlag(QStyle::State_Enabled);
}

}  // namespace

void DrawFocusFrame(QPainter& painter, const QRect& rect) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::black, 1));
    painter.drawRect(rect.adjusted(0, 0, -1, -1));
    painter.restore();
}

void TFocusStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                QPainter* painter, const QWidget* widget) const {
    if (element == PE_FrameFocusRect) {
        DrawFocusFrame(*painter, option->rect);
        return;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
    // A field inside an editable list has no frame of its own: the list shows its focus.
    const auto* frame = qstyleoption_cast<const QStyleOptionFrame*>(option);
    if (element == PE_PanelLineEdit && Focused(option) && frame != nullptr &&
        frame->lineWidth > 0) {
        DrawFocusFrame(*painter, option->rect);
    }
}

void TFocusStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                              const QWidget* widget) const {
    QProxyStyle::drawControl(element, option, painter, widget);
    if (element == CE_PushButtonBevel && Focused(option)) {
        DrawFocusFrame(*painter, option->rect.adjusted(2, 2, -2, -2));
    }
}

void TFocusStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                     QPainter* painter, const QWidget* widget) const {
    QProxyStyle::drawComplexControl(control, option, painter, widget);
    // An editable list's field draws its own frame; the list's frame is the one to mark.
    if ((control == CC_ComboBox || control == CC_SpinBox) && Focused(option)) {
        DrawFocusFrame(*painter, option->rect);
    }
}

void UseFocusStyle() {
    QApplication::setStyle(new TFocusStyle(QApplication::style()->name()));
}

}  // namespace kakeibo
