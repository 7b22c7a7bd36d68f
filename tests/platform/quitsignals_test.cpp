// SIGTERM and SIGHUP reach the program as a signal on its event loop.
#include "platform/quitsignals.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <gtest/gtest.h>

#include <csignal>

namespace tidrun {
namespace {

TEST(QuitSignals, TermAndHangUpArriveOnTheEventLoop) {
    QList<int> got;
    {
        TQuitSignals watch;
        ASSERT_TRUE(watch.Active());
        TQuitSignals second;  // only one catches
        EXPECT_FALSE(second.Active());
        QObject::connect(&watch, &TQuitSignals::Received, [&](int s) { got << s; });
        ASSERT_EQ(std::raise(SIGTERM), 0);
        ASSERT_EQ(std::raise(SIGHUP), 0);
        EXPECT_TRUE(got.isEmpty());  // not inside the handler
        QDeadlineTimer deadline(5000);
        while (got.size() < 2 && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    EXPECT_EQ(got, (QList<int>{SIGTERM, SIGHUP}));
}

}  // namespace
}  // namespace tidrun
