#pragma once

#include <QRect>

class QComboBox;
class QWidget;

namespace kakeibo {

// A drop-down list as the windows lay them out: named and placed, showing 16 lines. An
// editable one is a text field with a history: what is typed stays as typed (the program
// fills the list, Enter adds nothing, no completion), and it takes the input method.
QComboBox* MakeListBox(QWidget* parent, const char* name, const QRect& geometry, bool editable);

}  // namespace kakeibo
