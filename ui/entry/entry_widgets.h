#pragma once

#include <QAbstractButton>
#include <QFrame>
#include <QPixmap>
#include <functional>

namespace kakeibo {

// A flat button that is only its picture: a thin raised frame under the mouse, sunken
// while pressed, the picture greyed when disabled.
class TPictureButton final : public QAbstractButton {
    Q_OBJECT

public:
    explicit TPictureButton(const QPixmap& picture, QWidget* parent = nullptr);

    QSize sizeHint() const override { return picture_.size(); }
    // Shows another picture (a maximise button showing the other state).
    void SetPicture(const QPixmap& picture);

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QPixmap picture_;
    QPixmap disabled_;
    bool hovered_ = false;
};

// The tab strip: shows the left part of its drawing surface and reports every mouse press
// with its horizontal position.
class TTabStrip final : public QWidget {
    Q_OBJECT

public:
    explicit TTabStrip(QWidget* parent = nullptr);

    QPixmap& Surface() { return surface_; }
    const QPixmap& Surface() const { return surface_; }
    void SetPressHandler(std::function<void(int x)> handler) { onPress_ = std::move(handler); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QPixmap surface_;
    std::function<void(int x)> onPress_;
};

// A panel with a lowered outer and a raised inner bevel on its own background colour.
class TBevelPanel final : public QFrame {
    Q_OBJECT

public:
    explicit TBevelPanel(const QColor& background, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor background_;
};

}  // namespace kakeibo
