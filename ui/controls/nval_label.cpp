#include "ui/controls/nval_label.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QAccessibleWidget>
#include <QEvent>
#include <QFontInfo>
#include <QPainter>
#include <algorithm>
#include <string>

#include "core/numbers.h"
#include "ui/controls/border_label.h"
#include "ui/controls/nval_edit_logic.h"

namespace kakeibo {

namespace {

constexpr int kMostDecimals = 14;
// The system's border height; one pixel on every display we draw for.
constexpr int kBorderHeight = 1;

// What a screen reader is handed: a text named by its label (the buddy of a caption beside
// it, or the accessible name) and the number shown, which it also reads as a value.
class NValLabelAccessible final : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit NValLabelAccessible(TNValLabel* label)
        : QAccessibleWidget(label, QAccessible::StaticText) {}

    QString text(QAccessible::Text t) const override {
        const QString shown = Label()->Caption().trimmed();
        if (t == QAccessible::Value) return shown;
        if (t != QAccessible::Name) return QAccessibleWidget::text(t);
        const QString name = QAccessibleWidget::text(t).trimmed();
        return name.isEmpty() ? shown : name + QLatin1Char(' ') + shown;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QVariant currentValue() const override { return static_cast<double>(Label()->Value()); }
    void setCurrentValue(const QVariant&) override {}
    QVariant maximumValue() const override { return {}; }
    QVariant minimumValue() const override { return {}; }
    QVariant minimumStepSize() const override { return {}; }

private:
    const TNValLabel* Label() const { return static_cast<const TNValLabel*>(widget()); }
};

QAccessibleInterface* AccessibleFactory(const QString& className, QObject* object) {
    if (className == QLatin1String(TNValLabel::staticMetaObject.className())) {
        if (auto* label = qobject_cast<TNValLabel*>(object)) return new NValLabelAccessible(label);
    }
    return nullptr;
}

}  // namespace

TNValLabel::TNValLabel(QWidget* parent) : QWidget(parent) {
    static const bool accessible = (QAccessible::installFactory(&AccessibleFactory), true);
    Q_UNUSED(accessible);
    setFocusPolicy(Qt::NoFocus);
    // A new label has the colour of an edit box, not its parent's.
    color_ = palette().color(QPalette::Base);
    resize(121, 20);
    Format();
}

void TNValLabel::Format() {
    std::string text;
    if (value_ == 0) {
        if (zeroDisplay_) text = "0";
    } else if (fixDecimal_ < 0) {
        text = LeadingCharText(leadingChar_) + FormatPicture(value_, putAComma_);
    } else {
        text = LeadingCharText(leadingChar_) + (putAComma_ ? FormatNumber(value_, 1, fixDecimal_)
                                                           : FormatFixed(value_, 1, fixDecimal_));
    }
    const QString before = caption_;
    caption_ = QString::fromStdString(text);
    update();
    // A reader that follows the label hears the new figure.
    if (caption_ != before && QAccessible::isActive()) {
        QAccessibleValueChangeEvent changed(this, static_cast<double>(value_));
        QAccessible::updateAccessibility(&changed);
        QAccessibleEvent named(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&named);
    }
}

void TNValLabel::SetValue(long double value) {
    value_ = value;
    Format();
}

void TNValLabel::SetPutAComma(bool on) {
    putAComma_ = on;
    Format();
}

void TNValLabel::SetZeroDisplay(bool on) {
    zeroDisplay_ = on;
    Format();
}

void TNValLabel::SetLeadingChar(char c) {
    if (static_cast<unsigned char>(c) < ' ') return;
    leadingChar_ = c;
    Format();
}

void TNValLabel::SetFixDecimal(int decimals) {
    fixDecimal_ = std::clamp(decimals, -1, kMostDecimals);
    Format();
}

void TNValLabel::SetCtl3D(bool on) {
    ctl3D_ = on;
    AdjustHeight();
}

void TNValLabel::SetAlignment(Qt::Alignment horizontal) {
    alignment_ = horizontal & Qt::AlignHorizontal_Mask;
    update();
}

void TNValLabel::SetLayout(Qt::Alignment vertical) {
    layout_ = vertical & Qt::AlignVertical_Mask;
    update();
}

void TNValLabel::SetAutoSize(bool on) {
    autoSize_ = on;
    AdjustHeight();
}

void TNValLabel::SetTransparent(bool on) {
    transparent_ = on;
    update();
}

void TNValLabel::SetColor(const QColor& color) {
    color_ = color;
    update();
}

QRect TNValLabel::TextArea() const {
    if (transparent_) return rect();
    if (ctl3D_) return QRect(QPoint(4, 3), QPoint(width() - 5, height() - 3));
    return QRect(QPoint(1, 1), QPoint(width() - 2, height() - 2));
}

void TNValLabel::AdjustHeight() {
    if (!autoSize_) return;
    // The height of an edit box with the same font and frame. The windows are laid out for
    // fonts whose character cell is their em; our substitute fonts reach a little further
    // below the baseline, which would make every label a pixel taller than its layout.
    const int fontHeight = QFontInfo(font()).pixelSize();
    const int wanted = fontHeight + (ctl3D_ ? 8 : 6) * kBorderHeight;
    if (wanted != height()) resize(width(), wanted);
    update();
}

bool TNValLabel::event(QEvent* event) {
    // Polishing comes once the window has set the label up, like the end of loading a form.
    if (event->type() == QEvent::Polish) AdjustHeight();
    return QWidget::event(event);
}

void TNValLabel::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) AdjustHeight();
}

void TNValLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPalette& colours = palette();
    const int w = width();
    const int h = height();
    if (!transparent_) {
        painter.fillRect(rect(), color_);
        if (ctl3D_) {
            // Sunken: shadow on the left and top, light on the right and bottom, twice.
            const QColor shadow = colours.color(QPalette::Dark);
            const QColor highlight = colours.color(QPalette::Light);
            const QColor darkShadow = colours.color(QPalette::Shadow);
            const QColor light = colours.color(QPalette::Midlight);
            painter.fillRect(0, 0, w - 1, 1, shadow);
            painter.fillRect(0, 0, 1, h, shadow);
            painter.fillRect(w - 1, 0, 1, h, highlight);
            painter.fillRect(1, h - 1, w - 1, 1, highlight);
            painter.fillRect(1, 1, w - 3, 1, darkShadow);
            painter.fillRect(1, 1, 1, h - 2, darkShadow);
            painter.fillRect(w - 2, 1, 1, h - 2, light);
            painter.fillRect(2, h - 2, w - 3, 1, light);
        } else {
            const QColor frame = WindowFrameColor(colours);
            painter.fillRect(0, 0, w, 1, frame);
            painter.fillRect(0, h - 1, w, 1, frame);
            painter.fillRect(0, 0, 1, h, frame);
            painter.fillRect(w - 1, 0, 1, h, frame);
        }
    }
    const QRect area = TextArea();
    const int flags = static_cast<int>(alignment_ | layout_) | Qt::TextSingleLine;
    painter.setClipRect(area);
    painter.setFont(font());
    if (isEnabled()) {
        painter.setPen(colours.color(QPalette::WindowText));
        painter.drawText(area, flags, caption_);
    } else {
        // Embossed: a light copy one pixel down and right under the shadow-coloured text.
        painter.setClipRect(area.adjusted(0, 0, 1, 1));
        painter.setPen(colours.color(QPalette::Light));
        painter.drawText(area.translated(1, 1), flags, caption_);
        painter.setPen(colours.color(QPalette::Dark));
        painter.drawText(area, flags, caption_);
    }
}

}  // namespace kakeibo
