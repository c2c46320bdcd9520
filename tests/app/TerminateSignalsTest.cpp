#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QThread>
#include <stdexcept>
#include <thread>

#include "QtWait.h"
#include "qt/TerminateSignals.h"

namespace {

class TerminateSignalTable : public ::testing::TestWithParam<int> {};

// The request reaches the user-interface thread once, whichever thread the kernel chose.
TEST_P(TerminateSignalTable, ArrivesAsOneRequestOnTheUserInterfaceThread) {
    const int nSignal = GetParam();
    CTerminateSignals terminate;
    int nRequests = 0;
    bool bOnUiThread = false;
    QObject::connect(&terminate, &CTerminateSignals::terminateRequested, [&] {
        ++nRequests;
        bOnUiThread = QThread::currentThread() == QCoreApplication::instance()->thread();
    });

    raise(nSignal);
    ASSERT_TRUE(PumpUntil([&] { return nRequests == 1; }));
    EXPECT_TRUE(bOnUiThread);
    EXPECT_EQ(terminate.LastSignal(), nSignal);

    // Aimed at another thread, so the handler runs there.
    std::thread sender([nSignal] { pthread_kill(pthread_self(), nSignal); });
    sender.join();
    ASSERT_TRUE(PumpUntil([&] { return nRequests == 2; }));
    EXPECT_TRUE(bOnUiThread);
}

INSTANTIATE_TEST_SUITE_P(TerminateSignals, TerminateSignalTable,
                         ::testing::Values(SIGTERM, SIGINT, SIGHUP),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::string(sigabbrev_np(info.param));
                         });

TEST(TerminateSignals, GivesTheSignalsBackTheirEarlierHandling) {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction before {};
    sigaction(SIGHUP, &ignore, &before);
    {
        CTerminateSignals terminate;
        struct sigaction during {};
        sigaction(SIGHUP, nullptr, &during);
        EXPECT_NE(during.sa_handler, SIG_IGN);
    }
    struct sigaction after {};
    sigaction(SIGHUP, &before, &after);
    EXPECT_EQ(after.sa_handler, SIG_IGN);
}

TEST(TerminateSignals, OnlyOneInstanceAtATime) {
    CTerminateSignals terminate;
    EXPECT_THROW(CTerminateSignals second, std::logic_error);
    // The failed second one must not have undone the first.
    int nRequests = 0;
    QObject::connect(&terminate, &CTerminateSignals::terminateRequested, [&] { ++nRequests; });
    raise(SIGTERM);
    EXPECT_TRUE(PumpUntil([&] { return nRequests == 1; }));
}

}  // namespace
