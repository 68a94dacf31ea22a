#include "ui/platform/frameless.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>
#include <QWindow>
#include <algorithm>

namespace kakeibo {

void PaintNavyFrame(QWidget& window) {
    const QColor navy(0, 0, 128);
    QPainter p(&window);
    const int w = window.width();
    const int h = window.height();
    p.fillRect(0, 0, w, 2, navy);
    p.fillRect(0, h - 2, w, 2, navy);
    p.fillRect(0, 0, 2, h, navy);
    p.fillRect(w - 2, 0, 2, h, navy);
}

namespace {

constexpr int kEntryBand = 16;
constexpr int kSizingZone = 8;
constexpr int kButtonBandWidth = 50;
constexpr int kButtonBandHeight = 24;
// A window sized by hand never shrinks below its two sizing zones.
constexpr int kSmallestSide = 2 * kSizingZone;

}  // namespace

HitArea EntryFormHitTest(const QPoint& client, bool rightButtonHeld) {
    if (!rightButtonHeld && client.y() < kEntryBand) return HitArea::Caption;
    return HitArea::Client;
}

HitArea SheetHitTest(const QPoint& client, const QSize& size, bool rightButtonHeld) {
    if (rightButtonHeld) return HitArea::Client;
    const int x = client.x();
    const int y = client.y();
    const int w = size.width();
    const int h = size.height();
    if (x > w - kSizingZone && y > h - kSizingZone) return HitArea::BottomRightCorner;
    if (x > w - kSizingZone) return HitArea::RightEdge;
    if (x >= kSizingZone && y <= h - kSizingZone &&
        !(x > w - kButtonBandWidth && y < kButtonBandHeight)) {
        return HitArea::Caption;
    }
    return HitArea::Client;
}

Qt::Edges EdgesOf(HitArea area) {
    switch (area) {
        case HitArea::RightEdge:
            return Qt::RightEdge;
        case HitArea::BottomRightCorner:
            return Qt::RightEdge | Qt::BottomEdge;
        case HitArea::Client:
        case HitArea::Caption:
            break;
    }
    return {};
}

Qt::CursorShape CursorOf(HitArea area) {
    switch (area) {
        case HitArea::RightEdge:
            return Qt::SizeHorCursor;
        case HitArea::BottomRightCorner:
            return Qt::SizeFDiagCursor;
        case HitArea::Client:
        case HitArea::Caption:
            break;
    }
    return Qt::ArrowCursor;
}

FramelessDrag::FramelessDrag(QWidget* window, HitTest hitTest)
    : QObject(window), window_(window), hitTest_(std::move(hitTest)) {
    setObjectName(QStringLiteral("FramelessDrag"));
    // Hover feedback for the sizing zones needs moves without a button held.
    window_->setMouseTracking(true);
    window_->installEventFilter(this);
}

FramelessDrag* FramelessDrag::ForEntryForm(QWidget* window) {
    return new FramelessDrag(window, &EntryFormHitTest);
}

FramelessDrag* FramelessDrag::ForSheet(QWidget* window) {
    return new FramelessDrag(window, [window](const QPoint& client, bool rightHeld) {
        return SheetHitTest(client, window->size(), rightHeld);
    });
}

bool FramelessDrag::eventFilter(QObject* watched, QEvent* event) {
    if (watched != window_) return false;
    switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() != Qt::LeftButton) return false;
            return Press(mouse->position().toPoint(), mouse->globalPosition().toPoint(),
                         mouse->buttons());
        }
        case QEvent::MouseMove: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (dragging_ != HitArea::Client && (mouse->buttons() & Qt::LeftButton)) {
                Follow(mouse->globalPosition().toPoint());
                return true;
            }
            if (mouse->buttons() == Qt::NoButton) {
                const HitArea area = hitTest_(mouse->position().toPoint(), false);
                const Qt::CursorShape shape = CursorOf(area);
                if (shape == Qt::ArrowCursor) {
                    window_->unsetCursor();
                } else {
                    window_->setCursor(shape);
                }
            }
            return false;
        }
        case QEvent::MouseButtonRelease:
            if (dragging_ != HitArea::Client) {
                dragging_ = HitArea::Client;
                return true;
            }
            return false;
        case QEvent::Leave:
            window_->unsetCursor();
            return false;
        default:
            return false;
    }
}

bool FramelessDrag::Press(const QPoint& client, const QPoint& global, Qt::MouseButtons buttons) {
    const HitArea area = hitTest_(client, (buttons & Qt::RightButton) != 0);
    if (area == HitArea::Client) return false;
    QWindow* handle = window_->windowHandle();
    const bool systemDoesIt =
        handle != nullptr && (area == HitArea::Caption ? handle->startSystemMove()
                                                       : handle->startSystemResize(EdgesOf(area)));
    if (systemDoesIt) return true;
    dragging_ = area;
    pressGlobal_ = global;
    startPos_ = window_->pos();
    startSize_ = window_->size();
    return true;
}

void FramelessDrag::Follow(const QPoint& global) {
    const QPoint delta = global - pressGlobal_;
    if (dragging_ == HitArea::Caption) {
        window_->move(startPos_ + delta);
        return;
    }
    const int width =
        std::max({kSmallestSide, window_->minimumWidth(), startSize_.width() + delta.x()});
    int height = startSize_.height();
    if (dragging_ == HitArea::BottomRightCorner) {
        height =
            std::max({kSmallestSide, window_->minimumHeight(), startSize_.height() + delta.y()});
    }
    window_->resize(width, height);
}

}  // namespace kakeibo
