#include <gtest/gtest.h>
#include <QApplication>

// Widget and window tests share one application object for the whole run.
int main(int argc, char** argv) {
    // Test discovery at build time runs without a display as well.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
