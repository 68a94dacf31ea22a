#pragma once

#include <QFrame>
#include <QPixmap>
#include <QStringList>
#include <functional>

namespace kakeibo {

// The tab strip: shows the left part of its drawing surface and reports every mouse press
// with its horizontal position. From the keyboard it is one stop of the Tab key whose arrow
// keys (and Home, End) choose the neighbouring tab; a screen reader sees a list of named tabs.
class TTabStrip final : public QWidget {
    Q_OBJECT

public:
    explicit TTabStrip(QWidget* parent = nullptr);

    QPixmap& Surface() { return surface_; }
    const QPixmap& Surface() const { return surface_; }
    void SetPressHandler(std::function<void(int x)> handler) { onPress_ = std::move(handler); }

    // The tabs' names, their width on the surface, and the handler a key's choice goes to.
    void SetTabs(const QStringList& names, int tabWidth);
    void SetChooseHandler(std::function<void(int tab)> handler) { onChoose_ = std::move(handler); }
    const QStringList& TabNames() const { return names_; }
    // The tab in front; the owner says so after it drew the surface.
    int Current() const { return current_; }
    void SetCurrent(int tab);
    // Asks the owner to bring a tab to the front, as a press on it does.
    void Choose(int tab);
    // Where a tab lies in the strip.
    QRect TabRect(int tab) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPixmap surface_;
    std::function<void(int x)> onPress_;
    std::function<void(int tab)> onChoose_;
    QStringList names_;
    int tabWidth_ = 0;
    int current_ = 0;
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
