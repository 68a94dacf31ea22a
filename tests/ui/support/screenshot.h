#pragma once

#include <QImage>
#include <QString>

class QWidget;

namespace kakeibo::test {

// Grabs the widget to <build>/screenshots/<name>.png so anyone can look at what a user
// sees; returns what it grabbed, for the test to check.
QImage SaveScreenshot(QWidget& widget, const QString& name);

}  // namespace kakeibo::test
