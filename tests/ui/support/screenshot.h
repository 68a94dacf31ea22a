#pragma once

#include <QString>

class QWidget;

namespace kakeibo::test {

// Grabs the widget to <build>/screenshots/<name>.png so anyone can look at what a user
// sees; returns the path written.
QString SaveScreenshot(QWidget& widget, const QString& name);

}  // namespace kakeibo::test
