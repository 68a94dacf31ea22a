#include <gtest/gtest.h>

#include <QApplication>

// Widget tests share one QApplication per executable. They always run offscreen, also when
// CTest lists them at build time; CTest may give the offscreen screens (a wide one).
int main(int argc, char* argv[]) {
    if (!qgetenv("QT_QPA_PLATFORM").startsWith("offscreen:")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
