#include <QApplication>
#include <QMainWindow>

#include "ui/platform/app_info.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QString::fromUtf8(kakeibo::kApplicationTitle));
    QMainWindow window;
    window.setWindowTitle(QString::fromUtf8(kakeibo::kMainWindowCaption));
    window.show();
    return app.exec();
}
