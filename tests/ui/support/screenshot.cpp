#include "ui/support/screenshot.h"

#include <QDir>
#include <QPixmap>
#include <QWidget>

namespace kakeibo::test {

QString SaveScreenshot(QWidget& widget, const QString& name) {
    const QString dir = QStringLiteral(KAKEIBO_SCREENSHOT_DIR);
    QDir().mkpath(dir);
    const QString path = dir + name + QStringLiteral(".png");
    widget.grab().save(path);
    return path;
}

}  // namespace kakeibo::test
