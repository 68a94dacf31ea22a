// The least a start of a Qt Widgets program can cost: one 1280 x 80 main window with a
// menu, a toolbar and a Japanese label, shown, quitting after its first paint as the
// program does when KAKEIBO_QUIT_AFTER_START=1. bench/compare-startup.sh measures the program
// against it.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QToolBar>

#include "ui/platform/first_paint.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("家計簿"));
    window.menuBar()->addMenu(QStringLiteral("ファイル"))->addAction(QStringLiteral("開く"));
    window.addToolBar(QStringLiteral("ツール"))->addAction(QStringLiteral("保存"));
    window.setCentralWidget(new QLabel(QStringLiteral("2026年12月7日の家計簿")));
    window.resize(1280, 80);
    window.show();
    if (qEnvironmentVariableIntValue("KAKEIBO_QUIT_AFTER_START") == 1) {
        kakeibo::QuitAfterFirstPaint(app);
    }
    return app.exec();
}
