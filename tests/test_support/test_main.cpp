#include <gtest/gtest.h>

#include "test_support/own_home.h"

// The main of every test program without windows: the tests run in a home of
// their own.
int main(int argc, char** argv) {
    if (!tessaly::test::Enter_Own_Home()) {
        return 1;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
