#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "runtime/VirtualScheduler.h"

namespace tavelin {
namespace {

using namespace std::chrono_literals;

class VirtualSchedulerTest : public ::testing::Test {
protected:
    VirtualScheduler scheduler;
    Queue& main = scheduler.main();
    Queue& dockState = scheduler.serialQueue("tavelin.dock-state");
    std::vector<std::string> ran;

    Job record(std::string name) {
        return [this, name] { ran.push_back(name); };
    }
};

TEST_F(VirtualSchedulerTest, OrdersByDueTimeThenSubmissionAcrossQueues) {
    main.asyncAfter(10ms, record("main+10"));
    dockState.asyncAfter(5ms, record("dock+5"));
    main.async(record("main"));
    dockState.async(record("dock"));
    scheduler.scheduleWorldEvent(5ms, record("world+5"));
    main.asyncAfter(5ms, record("main+5"));
    main.async(record("main again"));

    scheduler.runUntilIdle();
    EXPECT_EQ(ran, (std::vector<std::string>{"main", "dock", "main again"}));
    scheduler.advance(10ms);
    EXPECT_EQ(ran, (std::vector<std::string>{"main", "dock", "main again", "dock+5", "world+5", "main+5",
                                             "main+10"}));
}

TEST_F(VirtualSchedulerTest, RunUntilIdleRunsWhatIsDueNowWithoutMovingTime) {
    main.async([&] {
        ran.push_back("first");
        dockState.async([&] {
            ran.push_back("chained");
            main.async(record("chained again"));
        });
        main.asyncAfter(1ns, record("later"));
    });
    scheduler.runUntilIdle();
    EXPECT_EQ(ran, (std::vector<std::string>{"first", "chained", "chained again"}));
    EXPECT_EQ(scheduler.clock().uptime(), Duration::zero());
    EXPECT_EQ(scheduler.pendingCount(), 1u);
}

TEST_F(VirtualSchedulerTest, AdvanceRunsEachJobAtItsDueTimeIncludingJobsScheduledByJobs) {
    std::vector<Duration> times;
    auto stamp = [&] { times.push_back(scheduler.clock().uptime()); };
    main.asyncAfter(100ms, [&] {
        stamp();
        main.asyncAfter(50ms, stamp);   // within the span: runs at 150 ms
        main.asyncAfter(200ms, stamp);  // beyond it: waits
    });
    dockState.asyncAfter(250ms, stamp);  // exactly at the end: runs

    scheduler.advance(250ms);
    EXPECT_EQ(times, (std::vector<Duration>{100ms, 150ms, 250ms}));
    EXPECT_EQ(scheduler.clock().uptime(), 250ms);
    scheduler.advance(50ms);
    EXPECT_EQ(times, (std::vector<Duration>{100ms, 150ms, 250ms, 300ms}));
}

TEST_F(VirtualSchedulerTest, CancelledWorkNeverRuns) {
    WorkItem item = main.asyncAfter(10ms, record("cancelled"));
    WorkItem copy = item;
    main.asyncAfter(10ms, record("kept"));
    copy.cancel();
    EXPECT_TRUE(item.isCancelled());
    EXPECT_EQ(scheduler.pendingCount(), 1u);
    scheduler.advance(1s);
    EXPECT_EQ(ran, (std::vector<std::string>{"kept"}));

    WorkItem done = main.asyncAfter(0ms, record("done"));
    scheduler.runUntilIdle();
    done.cancel();  // after the fact: nothing to undo
    WorkItem{}.cancel();
    EXPECT_EQ(ran.back(), "done");
}

TEST_F(VirtualSchedulerTest, PeriodicWorkDoesNotHang) {
    int passes = 0;
    std::function<void()> tick = [&] {
        ++passes;
        main.asyncAfter(1s, [&] { tick(); });
    };
    main.async([&] { tick(); });
    scheduler.runUntilIdle();
    EXPECT_EQ(passes, 1);
    scheduler.advance(10s);
    EXPECT_EQ(passes, 11);
    EXPECT_EQ(scheduler.pendingCount(), 1u);
}

TEST_F(VirtualSchedulerTest, AJobThatReschedulesItselfWithoutDelayStopsTheTestInsteadOfHangingIt) {
    std::function<void()> spin = [&] { main.async([&] { spin(); }); };
    main.async([&] { spin(); });
    EXPECT_DEATH(scheduler.runUntilIdle(), "reschedules itself without delay");
}

TEST_F(VirtualSchedulerTest, BlockingWaitMovesTheWorldButNoQueue) {
    std::vector<std::pair<std::string, Duration>> seen;
    auto note = [&](std::string what) { seen.emplace_back(std::move(what), scheduler.clock().uptime()); };
    main.async([&] {
        main.asyncAfter(100ms, [&] { note("main job"); });
        dockState.async([&] { note("dock job"); });
        scheduler.scheduleWorldEvent(200ms, [&] {
            note("app launched");
            main.async([&] { note("launch notification"); });
        });
        scheduler.scheduleWorldEvent(500ms, [&] { note("window appeared"); });
        scheduler.sleepBlocking(300ms);
        note("woke");
    });
    scheduler.runUntilIdle();
    // Time moved while blocked, so what fell due meanwhile runs after the wait, in its order.
    EXPECT_EQ(seen, (std::vector<std::pair<std::string, Duration>>{{"app launched", 200ms},
                                                                   {"woke", 300ms},
                                                                   {"dock job", 300ms},
                                                                   {"main job", 300ms},
                                                                   {"launch notification", 300ms}}));
    scheduler.advance(200ms);
    EXPECT_EQ(seen.back(), (std::pair<std::string, Duration>{"window appeared", 500ms}));
}

TEST_F(VirtualSchedulerTest, KnowsWhichQueueRuns) {
    EXPECT_TRUE(scheduler.isMain());  // the test body acts as the main thread
    bool onDockState = false, mainFromDockState = true, mainFromWorld = false;
    dockState.async([&] {
        onDockState = dockState.isCurrent();
        mainFromDockState = scheduler.isMain();
    });
    scheduler.scheduleWorldEvent(0ms, [&] { mainFromWorld = scheduler.isMain(); });
    scheduler.runUntilIdle();
    EXPECT_TRUE(onDockState);
    EXPECT_FALSE(mainFromDockState);
    EXPECT_TRUE(mainFromWorld);
    EXPECT_EQ(&scheduler.serialQueue("tavelin.dock-state"), &dockState);
    EXPECT_EQ(dockState.label(), "tavelin.dock-state");
    EXPECT_NE(&scheduler.serialQueue("jp.fenwold.lomaret.folder.prefetch"), &dockState);
}

TEST_F(VirtualSchedulerTest, WallTimeMovesWithVirtualTime) {
    const Timestamp start = scheduler.clock().now();
    EXPECT_EQ(formatTimestamp(start), "2025-01-06T09:00:00Z");
    scheduler.advance(90s);
    EXPECT_EQ(scheduler.clock().now() - start, 90s);

    VirtualScheduler other(start + 24h);
    EXPECT_EQ(formatTimestamp(other.clock().now()), "2025-01-07T09:00:00Z");
}

TEST_F(VirtualSchedulerTest, DestroyingTheSchedulerDropsPendingWork) {
    auto owned = std::make_shared<int>(1);
    std::weak_ptr<int> watch = owned;
    {
        VirtualScheduler local;
        local.main().asyncAfter(1h, [owned = std::move(owned)] {});
        local.scheduleWorldEvent(1h, [&local] { local.main().async([] {}); });
    }
    EXPECT_TRUE(watch.expired());
}

}  // namespace
}  // namespace tavelin
