#pragma once

#include <QObject>
#include <QPoint>
#include <QSize>
#include <functional>

class QWidget;

namespace kakeibo {

// Which part of a frameless window a point lies in.
enum class HitArea { Client, Caption, RightEdge, BottomRightCorner };

// The entry form: its top band (client y < 16) acts as a caption, unless the right button
// is held.
HitArea EntryFormHitTest(const QPoint& client, bool rightButtonHeld);

// The data sheet and the search window: the right edge and the bottom-right corner (8 px)
// size the window; the bare surface moves it, except a margin of 8 px on the left and at the
// bottom and the 50 x 24 band at the top right where the buttons sit.
HitArea SheetHitTest(const QPoint& client, const QSize& size, bool rightButtonHeld);

// The edges a sizing area drags; none for the client and the caption.
Qt::Edges EdgesOf(HitArea area);
// The pointer shown over an area.
Qt::CursorShape CursorOf(HitArea area);

// The 2-pixel navy frame along the four edges of the sheet-like tool windows (data sheet,
// search, graph sheet); call from the window's paint event.
void PaintNavyFrame(QWidget& window);

// Moves and sizes a frameless window by its own surface. Presses that reach the window
// itself (not those a child control takes) are classified by `hitTest`; a caption press
// asks the window system to move the window, a sizing press to resize it, and when the
// system refuses (no window manager, offscreen) the window follows the mouse by hand.
class FramelessDrag final : public QObject {
    Q_OBJECT

public:
    using HitTest = std::function<HitArea(const QPoint& client, bool rightButtonHeld)>;

    FramelessDrag(QWidget* window, HitTest hitTest);

    // Installs a helper with the entry form's or the data sheet's rule on `window`.
    static FramelessDrag* ForEntryForm(QWidget* window);
    static FramelessDrag* ForSheet(QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool Press(const QPoint& client, const QPoint& global, Qt::MouseButtons buttons);
    void Follow(const QPoint& global);

    QWidget* window_ = nullptr;
    HitTest hitTest_;
    HitArea dragging_ = HitArea::Client;  // what the hand-made drag does, Client when none
    QPoint pressGlobal_;
    QPoint startPos_;
    QSize startSize_;
};

}  // namespace kakeibo
