#include "ui/platform/placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <cstdint>
#include <limits>
#include <utility>

namespace kakeibo {

namespace {

int64_t Area(const QRect& r) {
    return r.isEmpty() ? 0 : static_cast<int64_t>(r.width()) * r.height();
}

// How far apart two rectangles are (0 when they touch or overlap), squared.
int64_t DistanceSquared(const QRect& a, const QRect& b) {
    const int64_t dx =
        std::max<int64_t>({0, int64_t{b.left()} - a.right(), int64_t{a.left()} - b.right()});
    const int64_t dy =
        std::max<int64_t>({0, int64_t{b.top()} - a.bottom(), int64_t{a.top()} - b.bottom()});
    return dx * dx + dy * dy;
}

}  // namespace

QPoint ReachablePosition(const QRect& window, const QList<QRect>& screens) {
    if (screens.isEmpty() || window.isEmpty()) return window.topLeft();
    int64_t onScreen = 0;
    for (const QRect& screen : screens) onScreen += Area(window.intersected(screen));
    if (onScreen * 2 >= Area(window)) return window.topLeft();

    const QRect* nearest = &screens.front();
    int64_t best = std::numeric_limits<int64_t>::max();
    for (const QRect& screen : screens) {
        const int64_t d = DistanceSquared(window, screen);
        if (d < best) {
            best = d;
            nearest = &screen;
        }
    }
    const int left =
        std::max(nearest->left(), std::min(window.left(), nearest->right() + 1 - window.width()));
    const int top =
        std::max(nearest->top(), std::min(window.top(), nearest->bottom() + 1 - window.height()));
    return QPoint(left, top);
}

QRect LeastCoveringPlace(QSize size, const QList<QRect>& others, const QRect& screen,
                         const QList<QRect>& rather) {
    size = size.boundedTo(screen.size());
    // The covered area changes evenly between the places where an edge of the window meets
    // an edge of the screen or of another window, so the least lies at one of those.
    QList<int> lefts = {screen.left(), screen.right() + 1 - size.width()};
    QList<int> tops = {screen.top(), screen.bottom() + 1 - size.height()};
    for (const QList<QRect>* list : {&others, &rather}) {
        for (const QRect& other : *list) {
            for (int edge : {other.left(), other.right() + 1}) lefts << edge << edge - size.width();
            for (int edge : {other.top(), other.bottom() + 1}) tops << edge << edge - size.height();
        }
    }
    QRect best(screen.topLeft(), size);
    int64_t least = std::numeric_limits<int64_t>::max();
    for (int top : tops) {
        for (int left : lefts) {
            const QRect place(QPoint(left, top), size);
            if (!screen.contains(place)) continue;
            int64_t covered = 0;
            for (const QRect& other : others) covered += 16 * Area(place.intersected(other));
            for (const QRect& other : rather) covered += Area(place.intersected(other));
            const bool better =
                covered < least ||
                (covered == least && std::pair(top, left) < std::pair(best.top(), best.left()));
            if (better) {
                least = covered;
                best = place;
            }
        }
    }
    return best;
}

QScreen* ScreenOf(const QWidget* widget) {
    QScreen* screen = widget != nullptr ? widget->screen() : nullptr;
    return screen != nullptr ? screen : QGuiApplication::primaryScreen();
}

QRect FirstPlace(QSize wanted, QSize least, const QList<QRect>& others, const QRect& screen,
                 const QList<QRect>& rather) {
    const auto coversNothing = [&](const QRect& place) {
        for (const QList<QRect>* list : {&others, &rather}) {
            for (const QRect& other : *list) {
                if (place.intersects(other)) return false;
            }
        }
        return true;
    };
    wanted = wanted.boundedTo(screen.size());
    least = least.boundedTo(wanted);
    // Smaller sizes in steps a little apart: the room between windows is found, not measured.
    constexpr int kStep = 8;
    QRect best;
    for (int h = wanted.height(); h >= least.height(); h -= kStep) {
        for (int w = wanted.width(); w >= least.width(); w -= kStep) {
            if (int64_t{w} * h <= Area(best)) break;
            const QRect place = LeastCoveringPlace(QSize(w, h), others, screen, rather);
            if (coversNothing(place)) best = place;
        }
    }
    if (!best.isEmpty()) return best;
    return LeastCoveringPlace(least, others, screen, rather);
}

QList<QRect> ScreenRects() {
    QList<QRect> rects;
    for (const QScreen* screen : QGuiApplication::screens()) rects.append(screen->geometry());
    return rects;
}

void OwnToolWindow(QWidget* owner, QWidget* tool) {
    if (owner == nullptr || tool == nullptr) return;
    owner->winId();
    tool->winId();
    QWindow* ownerWindow = owner->windowHandle();
    QWindow* toolWindow = tool->windowHandle();
    if (ownerWindow == nullptr || toolWindow == nullptr) return;
    if (toolWindow->transientParent() == ownerWindow) return;
    toolWindow->setTransientParent(ownerWindow);
    if (tool->isVisible()) {
        tool->hide();
        tool->show();
    }
}

}  // namespace kakeibo
