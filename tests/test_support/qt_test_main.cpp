#include <gtest/gtest.h>
#include <QApplication>

#include "test_support/own_home.h"

// Widget and window tests share one application object for the whole run,
// made in a home of their own: Qt reads and writes its own settings there.
int main(int argc, char** argv) {
    if (!tessaly::test::Enter_Own_Home()) {
        return 1;
    }
    // Test discovery at build time runs without a display as well.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
