#pragma once

class QApplication;

namespace kakeibo {

// For measuring a start: quits once every window shown by then has painted itself whole for
// the first time; a start that has not painted within 10 s exits with status 1, so that a
// measurement never hangs. Used by the program and by the bare Qt window it is measured against.
void QuitAfterFirstPaint(QApplication& app);

}  // namespace kakeibo
