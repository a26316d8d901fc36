#include <gtest/gtest.h>

#include <exception>
#include <iostream>

#include "test_support/own_home.h"

// The main of every test program without windows: the tests run in a home of
// their own.
int main(int argc, char** argv) {
    try {
        tessaly::test::Use_Own_Home();
    } catch (const std::exception& error) {
        std::cerr << "no home of its own for the tests: " << error.what() << '\n';
        return 1;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
