#pragma once

#include <QFrame>
#include <QPixmap>
#include <functional>

namespace kakeibo {

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
