#pragma once

#include <QList>
#include <QPoint>
#include <QRect>

class QScreen;
class QWidget;

namespace kakeibo {

// Where a tool window with the saved frame `window` goes at start-up, given the screens'
// rectangles: its own position when at least half of it lies on the screens (a position on
// screen is kept exactly as saved); otherwise the nearest place wholly on the screen nearest
// to it (its top-left corner on that screen when the window is larger than the screen).
// With no screen the position is kept.
QPoint ReachablePosition(const QRect& window, const QList<QRect>& screens);

// Where a window of `size` (made smaller where the screen is) covers the least of the windows
// `others` on the screen area `screen`: each place tried lies wholly on the screen, at its
// edges or right beside one of the others; of equal ones the highest, then the leftmost.
// Covering one of `rather` counts a sixteenth as much as covering one of `others`.
QRect LeastCoveringPlace(QSize size, const QList<QRect>& others, const QRect& screen,
                         const QList<QRect>& rather = {});

// A window's first place: at `wanted` size where it covers none of `others` and `rather`, else
// at the largest size down to `least` that still covers none, else at `least` size where it
// covers least, a part of `rather` before any of `others`.
QRect FirstPlace(QSize wanted, QSize least, const QList<QRect>& others, const QRect& screen,
                 const QList<QRect>& rather = {});

// The screen `widget` is on, or the primary screen while it is on none (not yet shown);
// nullptr only when the application has no screen at all.
QScreen* ScreenOf(const QWidget* widget);

// The rectangles of the screens the application has now.
QList<QRect> ScreenRects();

// Makes `tool` an owned tool window of `owner`: the window system keeps it above `owner`
// (WM_TRANSIENT_FOR on X11). Creates both native windows; the window system reads the
// owner when `tool` is next shown, so a shown `tool` is hidden and shown again.
void OwnToolWindow(QWidget* owner, QWidget* tool);

}  // namespace kakeibo
