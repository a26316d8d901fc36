#include <gtest/gtest.h>
#include <QApplication>

#include <exception>
#include <iostream>

#include "test_support/own_home.h"

// Widget and window tests share one application object for the whole run,
// made in a home of their own: Qt reads and writes its own settings there.
int main(int argc, char** argv) {
    try {
        tessaly::test::Use_Own_Home();
    } catch (const std::exception& error) {
        std::cerr << "no home of its own for the tests: " << error.what() << '\n';
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
