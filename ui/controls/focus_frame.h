#pragma once

#include <QProxyStyle>
#include <QRect>

class QPainter;

namespace kakeibo {

// The focus as every control shows it: a one-pixel black frame, which stands out at least
// 3:1 against the light surfaces and selections the windows use.
void DrawFocusFrame(QPainter& painter, const QRect& rect);

// The application's style with that frame drawn on whatever control has the focus: buttons,
// radio and check boxes, tool buttons, fields, lists, spin boxes, grid cells. Nothing else
// changes, so a control without the focus looks as before.
class TFocusStyle final : public QProxyStyle {
    Q_OBJECT

public:
    using QProxyStyle::QProxyStyle;

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                            QPainter* painter, const QWidget* widget = nullptr) const override;
};

// Puts TFocusStyle over the application's style; call before the windows are made.
void UseFocusStyle();

}  // namespace kakeibo
