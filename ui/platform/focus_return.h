#pragma once

#include <QPointer>
#include <QWidget>

namespace kakeibo {

// Gives the focus back, when it goes, to the window and the control that had it when it was
// made: a dialog opened from a tool window returns the user there, not to its owner.
class FocusReturn final {
public:
    FocusReturn();
    ~FocusReturn();
    FocusReturn(const FocusReturn&) = delete;
    FocusReturn& operator=(const FocusReturn&) = delete;

private:
    QPointer<QWidget> window_;
    QPointer<QWidget> focus_;
};

}  // namespace kakeibo
