#pragma once

#include <QColor>
#include <QLabel>

namespace kakeibo {

// The colour of window frames (the flat frames of our controls): the palette's window text.
QColor WindowFrameColor(const QPalette& palette);

// A plain label with a one-pixel border; its text sits 2 pixels in from the left and top
// edges, so right-aligned text ends against the border and labels that overlap by one
// pixel make single grid lines. The background is the palette's Window colour when
// autoFillBackground is on.
class TBorderLabel final : public QLabel {
    Q_OBJECT

public:
    explicit TBorderLabel(QWidget* parent = nullptr);

    QColor BorderColor() const { return borderColor_; }
    // Takes effect at the next repaint.
    void SetBorderColor(const QColor& color) { borderColor_ = color; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor borderColor_;
};

// A heading label as the windows lay them out: named, placed, with its caption on a
// background of its own and the border in the window-frame colour.
TBorderLabel* MakeBorderLabel(QWidget* parent, const char* name, const QRect& geometry,
                              const QString& caption, const QColor& background,
                              Qt::Alignment align);

}  // namespace kakeibo
