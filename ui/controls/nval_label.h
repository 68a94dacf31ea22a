#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

namespace kakeibo {

// A display-only number in a sunken 3-D or flat one-pixel frame, like a read-only edit box.
// Takes no focus and no keys.
class TNValLabel final : public QWidget {
    Q_OBJECT

public:
    explicit TNValLabel(QWidget* parent = nullptr);

    long double Value() const { return value_; }
    void SetValue(long double value);
    bool PutAComma() const { return putAComma_; }
    void SetPutAComma(bool on);
    bool ZeroDisplay() const { return zeroDisplay_; }
    void SetZeroDisplay(bool on);
    char LeadingChar() const { return leadingChar_; }
    // A control character (below the blank) is ignored.
    void SetLeadingChar(char c);
    int FixDecimal() const { return fixDecimal_; }
    // -1 (free) or 0..14; other values are brought into that range.
    void SetFixDecimal(int decimals);
    bool Ctl3D() const { return ctl3D_; }
    void SetCtl3D(bool on);
    Qt::Alignment Alignment() const { return alignment_; }
    void SetAlignment(Qt::Alignment horizontal);
    Qt::Alignment Layout() const { return layout_; }
    void SetLayout(Qt::Alignment vertical);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool on);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool on);
    QColor Color() const { return color_; }
    void SetColor(const QColor& color);

    // The shown text.
    QString Caption() const { return caption_; }
    // Where the text is drawn for the current frame.
    QRect TextArea() const;
    // Height follows the font when AutoSize is on.
    void AdjustHeight();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void Format();

    long double value_ = 0;
    bool putAComma_ = true;
    bool zeroDisplay_ = false;
    char leadingChar_ = ' ';
    int fixDecimal_ = -1;
    bool ctl3D_ = true;
    Qt::Alignment alignment_ = Qt::AlignRight;
    Qt::Alignment layout_ = Qt::AlignVCenter;
    bool autoSize_ = true;
    bool transparent_ = false;
    QColor color_;
    QString caption_;
};

}  // namespace kakeibo
