// Calls handed from worker threads to the GUI thread: where and in which order they run,
// and that a call to a deleted target is dropped.

#include "IdeTestSupport.h"

#include "ide/QueuedCall.h"

#include <QCoreApplication>
#include <QObject>
#include <QThread>

#include <memory>
#include <thread>
#include <vector>

namespace idetest {
namespace {

TEST(QueuedCallTest, CallsFromAWorkerRunOnTheGuiThreadInTheOrderPosted) {
    QObject target;
    std::vector<int> order;
    bool allOnGuiThread = true;
    constexpr int kCalls = 1000;
    std::thread worker([&] {
        for (int i = 0; i < kCalls; ++i)
            PostToGuiThread(&target, [&, i] {
                allOnGuiThread = allOnGuiThread && QThread::currentThread() == qApp->thread();
                order.push_back(i);
            });
    });
    worker.join();
    EXPECT_TRUE(order.empty()) << "nothing runs before the event loop does";
    ASSERT_TRUE(WaitFor([&] { return order.size() == kCalls; }));
    EXPECT_TRUE(allOnGuiThread);
    for (int i = 0; i < kCalls; ++i)
        ASSERT_EQ(order[i], i);
}

TEST(QueuedCallTest, ACallToATargetDeletedBeforeItRunsIsDropped) {
    auto doomed = std::make_unique<QObject>();
    QObject survivor;
    int doomedRuns = 0;
    bool survivorRan = false;
    std::thread worker([&] {
        PostToGuiThread(doomed.get(), [&] { ++doomedRuns; });
        PostToGuiThread(&survivor, [&] { survivorRan = true; });
    });
    worker.join();
    doomed.reset();
    ASSERT_TRUE(WaitFor([&] { return survivorRan; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(doomedRuns, 0);
}

TEST(QueuedCallTest, ACallPostedOnTheGuiThreadWaitsForTheEventLoop) {
    QObject target;
    bool ran = false;
    PostToGuiThread(&target, [&] { ran = true; });
    EXPECT_FALSE(ran);
    QCoreApplication::processEvents();
    EXPECT_TRUE(ran);
}

} // namespace
} // namespace idetest
