#pragma once

#include <gtest/gtest.h>
#include <QTest>

#include "test_support/qt_printers.h"

// Qt's QTRY_ macros report to Qt's own test log, which a gtest run never
// reads: a wait that timed out would pass. These wait the same way (events
// processed, five seconds unless told) and fail the test, ending it as
// Qt's do.
#define TESSALY_WAIT_UNTIL_WITHIN(condition, milliseconds)                                   \
    ASSERT_TRUE(QTest::qWaitFor([&] { return static_cast<bool>(condition); }, milliseconds)) \
        << "never came true: " #condition
#define TESSALY_WAIT_UNTIL(condition) TESSALY_WAIT_UNTIL_WITHIN(condition, 5000)

#define TESSALY_WAIT_UNTIL_EQ_WITHIN(actual, expected, milliseconds)                 \
    do {                                                                             \
        (void)QTest::qWaitFor([&] { return (actual) == (expected); }, milliseconds); \
        ASSERT_EQ(actual, expected);                                                 \
    } while (false)
#define TESSALY_WAIT_UNTIL_EQ(actual, expected) TESSALY_WAIT_UNTIL_EQ_WITHIN(actual, expected, 5000)
