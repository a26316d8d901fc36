#include "ui/common/termination_signals.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QSignalSpy>
#include <QTest>

#include <signal.h>

#include "test_support/wait_until.h"

namespace tessaly {
namespace {

TEST(Termination_Signals, EachEndingSignalReachesTheWindowThreadOnce) {
    Termination_Signals signals_;
    QSignalSpy spy(&signals_, &Termination_Signals::Termination_Requested);
    int expected = 0;
    for (const int signal_number : {SIGTERM, SIGHUP, SIGINT}) {
        ASSERT_EQ(::raise(signal_number), 0);
        ++expected;
        // TESSALY_WAIT_UNTIL_EQ returns on failure; the loop then stops too.
        TESSALY_WAIT_UNTIL_EQ(spy.count(), expected);
    }
    // Anything already written to the socket is delivered now.
    QCoreApplication::processEvents();
    EXPECT_EQ(spy.count(), 3);
}

TEST(Termination_Signals, DefaultHandlingComesBackAfterwards) {
    { Termination_Signals signals_; }
    struct sigaction current {};
    ASSERT_EQ(::sigaction(SIGTERM, nullptr, &current), 0);
    EXPECT_EQ(current.sa_handler, SIG_DFL);
}

}  // namespace
}  // namespace tessaly
