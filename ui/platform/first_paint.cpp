// Quitting a measured start after its first full paint (see first_paint.h).
#include "ui/platform/first_paint.h"

#include <QApplication>
#include <QEvent>
#include <QSet>
#include <QTimer>
#include <QWidget>

namespace kakeibo {

namespace {

// Notes which windows received their first paint; a window's children paint in the same pass,
// so a check queued behind the paint runs once the whole window is on the screen.
class FirstPaintWatch final : public QObject {
public:
    explicit FirstPaintWatch(QApplication& app) : QObject(&app), app_(app) {
        app.installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->isWindow() && !painted_.contains(watched)) {
            painted_.insert(watched);
            QTimer::singleShot(0, this, &FirstPaintWatch::QuitWhenAllPainted);
        }
        return false;
    }

private:
    void QuitWhenAllPainted() {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window->isVisible() && !painted_.contains(window)) return;
        }
        app_.removeEventFilter(this);
        QApplication::quit();
    }

    QApplication& app_;
    QSet<QObject*> painted_;
};

}  // namespace

void QuitAfterFirstPaint(QApplication& app) {
    new FirstPaintWatch(app);
    QTimer::singleShot(10000, &app, [] { QApplication::exit(1); });
}

}  // namespace kakeibo
