#include <gtest/gtest.h>

#include <QApplication>

// Widget tests share one QApplication per executable. They always run offscreen, also when
// CTest lists them at build time.
int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
