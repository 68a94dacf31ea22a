#include "ui/support/screenshot.h"

#include <QDir>
#include <QPixmap>
#include <QWidget>

namespace kakeibo::test {

QImage SaveScreenshot(QWidget& widget, const QString& name) {
    const QString dir = QStringLiteral(KAKEIBO_SCREENSHOT_DIR);
    QDir().mkpath(dir);
    const QImage shot = widget.grab().toImage();
    shot.save(dir + name + QStringLiteral(".png"));
    return shot;
}

}  // namespace kakeibo::test
