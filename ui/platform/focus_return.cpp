#include "ui/platform/focus_return.h"

#include <QApplication>
#include <QTimer>

namespace kakeibo {

namespace {

void Restore(QWidget* window, QWidget* focus) {
    if (window == nullptr || !window->isVisible()) return;
    window->activateWindow();
    if (focus != nullptr && focus->isVisible() && focus->window() == window) {
        focus->setFocus(Qt::OtherFocusReason);
    }
}

}  // namespace

FocusReturn::FocusReturn()
    : window_(QApplication::activeWindow()), focus_(QApplication::focusWidget()) {}

FocusReturn::~FocusReturn() {
    QWidget* window = window_.data();
    QWidget* focus = focus_.data();
    Restore(window, focus);
    // The window system may hand the focus to the dialog's owner as the dialog goes; ask again
    // once that is done.
    if (window != nullptr) {
        QTimer::singleShot(0, window, [window = window_, focus = focus_] {
            if (QApplication::activeWindow() != window.data()) Restore(window, focus);
        });
    }
}

}  // namespace kakeibo
