#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "runtime/tests/RunLoopWithWatchdog.h"
#include "runtime/LiveScheduler.h"
#include "runtime/Task.h"

namespace tavelin {
namespace {

using namespace std::chrono_literals;

// Each test stops the run loop itself; the watchdog only ends a run that went wrong, and fails it.
class LiveSchedulerTest : public ::testing::Test {
protected:
    LiveScheduler scheduler;
    Queue& main = scheduler.main();
    Queue& dockState = scheduler.serialQueue("tavelin.dock-state");

    void runWithWatchdog() { ASSERT_TRUE(testing::runLoopWithWatchdog(scheduler)) << "the run did not end by itself"; }
};

TEST_F(LiveSchedulerTest, SerialQueuesRunOnTheirOwnThreadAndHandBackToMain) {
    std::atomic<bool> serialOnItsQueue = false, serialOffMain = false;
    std::thread::id serialThread, mainThread;
    bool delayedOnMain = false;
    dockState.async([&] {
        serialOnItsQueue = dockState.isCurrent();
        serialOffMain = !scheduler.isMain();
        serialThread = std::this_thread::get_id();
        main.asyncAfter(20ms, [&] {
            delayedOnMain = scheduler.isMain();
            mainThread = std::this_thread::get_id();
            scheduler.stop();
        });
    });
    runWithWatchdog();
    EXPECT_TRUE(serialOnItsQueue);
    EXPECT_TRUE(serialOffMain);
    EXPECT_TRUE(delayedOnMain);
    EXPECT_EQ(mainThread, std::this_thread::get_id());
    EXPECT_NE(serialThread, mainThread);
}

Task<void> hopAcrossThreads(LiveScheduler& scheduler, Queue& other, std::vector<std::thread::id>& threads) {
    threads.push_back(std::this_thread::get_id());
    co_await other.hop();
    threads.push_back(std::this_thread::get_id());
    co_await sleepFor(5ms);
    threads.push_back(std::this_thread::get_id());
    co_await scheduler.main().hop();
    threads.push_back(std::this_thread::get_id());
    scheduler.stop();
}

TEST_F(LiveSchedulerTest, ATaskHopsBetweenThreads) {
    std::vector<std::thread::id> threads;
    TaskHandle task = startTask(main, hopAcrossThreads(scheduler, dockState, threads));
    runWithWatchdog();
    ASSERT_EQ(threads.size(), 4u);
    const auto mainThread = std::this_thread::get_id();
    EXPECT_EQ(threads[0], mainThread);
    EXPECT_NE(threads[1], mainThread);
    EXPECT_EQ(threads[2], threads[1]);
    EXPECT_EQ(threads[3], mainThread);
    EXPECT_TRUE(task.isFinished());
}

TEST_F(LiveSchedulerTest, ABlockingWaitOnMainRunsTheWorldButNoQueuedJob) {
    bool worldRan = false, jobRan = false;
    main.async([&] { jobRan = true; });
    scheduler.scheduleWorldEvent(5ms, [&] { worldRan = true; });
    const Duration start = scheduler.clock().uptime();
    scheduler.sleepBlocking(20ms);
    EXPECT_GE(scheduler.clock().uptime() - start, 20ms);
    EXPECT_TRUE(worldRan);
    EXPECT_FALSE(jobRan);
    main.async([&] { scheduler.stop(); });
    runWithWatchdog();
    EXPECT_TRUE(jobRan);
}

}  // namespace
}  // namespace tavelin
