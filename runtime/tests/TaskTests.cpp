#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "runtime/Task.h"
#include "runtime/VirtualScheduler.h"

namespace tavelin {
namespace {

using namespace std::chrono_literals;

// Sets a flag when destroyed: shows when a frame's locals or parameters go.
struct DestructionFlag {
    bool* destroyed;
    explicit DestructionFlag(bool* flag) : destroyed(flag) {}
    DestructionFlag(DestructionFlag&& other) noexcept : destroyed(std::exchange(other.destroyed, nullptr)) {}
    ~DestructionFlag() {
        if (destroyed) *destroyed = true;
    }
};

class TaskTest : public ::testing::Test {
protected:
    VirtualScheduler scheduler;
    Queue& main = scheduler.main();
    Queue& prefetch = scheduler.serialQueue("jp.fenwold.lomaret.folder.prefetch");
};

Task<void> hopAround(Queue& main, Queue& other, std::vector<std::string>& steps) {
    steps.push_back(main.isCurrent() ? "start on main" : "start elsewhere");
    co_await other.hop();
    steps.push_back(other.isCurrent() ? "on other" : "not on other");
    co_await main.hop();
    steps.push_back(main.isCurrent() ? "back on main" : "not back");
}

TEST_F(TaskTest, HopsBetweenQueuesAsJobsOfThoseQueues) {
    std::vector<std::string> steps;
    TaskHandle handle = startTask(main, hopAround(main, prefetch, steps));
    EXPECT_TRUE(steps.empty());  // starts as a job, not inside startTask
    prefetch.async([&] { steps.push_back("prefetch job"); });
    scheduler.runUntilIdle();
    EXPECT_EQ(steps, (std::vector<std::string>{"start on main", "prefetch job", "on other", "back on main"}));
    EXPECT_TRUE(handle.isFinished());
}

Task<void> sleeper(const Clock& clock, std::vector<Duration>& wakes) {
    co_await sleepFor(120s);
    wakes.push_back(clock.uptime());
    co_await sleepFor(0s);
    wakes.push_back(clock.uptime());
}

TEST_F(TaskTest, SleepsOnTheVirtualClock) {
    std::vector<Duration> wakes;
    TaskHandle handle = startTask(main, sleeper(scheduler.clock(), wakes));
    scheduler.advance(120s - 1ns);
    EXPECT_TRUE(wakes.empty());
    scheduler.advance(1ns);
    EXPECT_EQ(wakes, (std::vector<Duration>{120s, 120s}));
    EXPECT_TRUE(handle.isFinished());
}

Task<int> twice(int value) {
    co_await sleepFor(1s);
    co_return value * 2;
}

Task<std::unique_ptr<std::string>> named(std::string name) { co_return std::make_unique<std::string>(name); }

Task<void> awaitChildren(Queue& other, std::vector<std::string>& out) {
    const int four = co_await twice(2);
    out.push_back(std::to_string(four));
    co_await other.hop();
    auto name = co_await named("dock");
    out.push_back(*name + (other.isCurrent() ? " on other" : ""));
}

TEST_F(TaskTest, AwaitsChildTasksAndTheirResults) {
    std::vector<std::string> out;
    startTask(main, awaitChildren(prefetch, out));
    scheduler.runUntilIdle();
    EXPECT_TRUE(out.empty());
    scheduler.advance(1s);
    EXPECT_EQ(out, (std::vector<std::string>{"4", "dock on other"}));
}

// The flag, a parameter, lives in the frame: it goes when the frame goes.
Task<void> sleepForever([[maybe_unused]] DestructionFlag flag, bool& resumed) {
    for (;;) {
        co_await sleepFor(120s);
        resumed = true;
    }
}

TEST_F(TaskTest, CancellingASleepingTaskEndsItAtOnceAndDestroysItsFrame) {
    bool destroyed = false, resumed = false;
    TaskHandle handle = startTask(main, sleepForever(DestructionFlag(&destroyed), resumed));
    scheduler.runUntilIdle();
    EXPECT_EQ(scheduler.pendingCount(), 1u);  // the sleep's wake-up

    handle.cancel();
    EXPECT_FALSE(handle.isFinished());  // ended on its queue, not inside cancel()
    scheduler.runUntilIdle();
    EXPECT_TRUE(destroyed);
    EXPECT_TRUE(handle.isFinished());
    EXPECT_EQ(scheduler.pendingCount(), 0u);
    EXPECT_EQ(scheduler.clock().uptime(), Duration::zero());  // did not wait out the sleep
    scheduler.advance(10min);
    EXPECT_FALSE(resumed);
}

Task<int> sleepingChild(DestructionFlag flag, bool& resumed) {
    co_await sleepForever(std::move(flag), resumed);
    co_return 1;
}

struct Flags {
    bool parentDestroyed = false, childDestroyed = false, childResumed = false, parentResumed = false;
};

Task<void> awaitSleepingChild(Flags& flags) {
    DestructionFlag parent(&flags.parentDestroyed);
    co_await sleepingChild(DestructionFlag(&flags.childDestroyed), flags.childResumed);
    flags.parentResumed = true;
}

TEST_F(TaskTest, CancellingEndsTheAwaitedChildrenWithTheTask) {
    Flags flags;
    TaskHandle handle = startTask(main, awaitSleepingChild(flags));
    scheduler.advance(130s);
    EXPECT_TRUE(flags.childResumed);
    EXPECT_FALSE(flags.childDestroyed);
    handle.cancel();
    scheduler.runUntilIdle();
    EXPECT_TRUE(flags.childDestroyed);
    EXPECT_TRUE(flags.parentDestroyed);
    EXPECT_TRUE(handle.isFinished());
    EXPECT_EQ(scheduler.pendingCount(), 0u);
    EXPECT_FALSE(flags.parentResumed);
}

TEST_F(TaskTest, CancelledBeforeItsFirstJobItNeverRuns) {
    std::vector<std::string> steps;
    TaskHandle handle = startTask(main, hopAround(main, prefetch, steps));
    handle.cancel();
    scheduler.runUntilIdle();
    EXPECT_TRUE(steps.empty());
    EXPECT_TRUE(handle.isFinished());
}

TEST_F(TaskTest, CancelledWhileHoppingItNeverRunsOnTheOtherQueue) {
    std::vector<std::string> steps;
    TaskHandle handle = startTask(main, hopAround(main, prefetch, steps));
    main.async([&] { handle.cancel(); });  // runs after the first step, while the hop is pending
    scheduler.runUntilIdle();
    EXPECT_EQ(steps, (std::vector<std::string>{"start on main"}));
    EXPECT_TRUE(handle.isFinished());
}

Task<void> cancelSelf(TaskHandle& self, bool& resumed) {
    self.cancel();
    co_await sleepFor(1h);
    resumed = true;
}

TEST_F(TaskTest, ATaskThatCancelsItselfEndsAtItsNextSuspension) {
    bool resumed = false;
    TaskHandle handle;
    handle = startTask(main, cancelSelf(handle, resumed));
    scheduler.runUntilIdle();
    EXPECT_TRUE(handle.isFinished());
    EXPECT_EQ(scheduler.pendingCount(), 0u);
    EXPECT_FALSE(resumed);
}

TEST_F(TaskTest, ATaskThatNeverStartedDestroysItsFrameWithIt) {
    bool destroyed = false, resumed = false;
    {
        Task<void> task = sleepForever(DestructionFlag(&destroyed), resumed);
        Task<void> moved = std::move(task);
        EXPECT_FALSE(destroyed);
    }
    EXPECT_TRUE(destroyed);
    EXPECT_FALSE(resumed);
}

TEST(TaskLifetimeTest, AStartedTaskGoesWithItsSchedulerWhenNothingCanResumeIt) {
    bool destroyed = false, resumed = false;
    TaskHandle handle;
    {
        VirtualScheduler scheduler;
        handle = startTask(scheduler.main(), sleepForever(DestructionFlag(&destroyed), resumed));
        scheduler.runUntilIdle();
        EXPECT_FALSE(destroyed);
    }
    // The handle still holds the task, which nothing can resume now; dropping the handle ends it.
    EXPECT_FALSE(destroyed);
    handle = TaskHandle();
    EXPECT_TRUE(destroyed);
    EXPECT_FALSE(resumed);
}

Task<void> useAfterSuspending(std::string text, std::shared_ptr<int> shared, std::string& out) {
    co_await sleepFor(1s);
    out = text + std::to_string(*shared);
}

TEST_F(TaskTest, ParametersLiveInTheFrameAfterTheCallerMovesOn) {
    std::string out;
    {
        std::string text = "generation ";
        auto shared = std::make_shared<int>(7);
        startTask(main, useAfterSuspending(text, shared, out));  // handle dropped: the task still runs
        text = "overwritten";
        *shared = 8;
    }
    scheduler.advance(1s);
    EXPECT_EQ(out, "generation 8");
}

// A display pin that must always be released, as a hand-off takes one for its whole run.
struct PinProbe {
    int depth = 0;
    int releases = 0;
    Duration releasedAt{-1};
    bool sawCancellation = false;
};

Task<void> settle(int steps) {
    for (int i = 0; i < steps; ++i) co_await sleepFor(1s);
}

Task<void> pinSettleUnpin(const Clock& clock, PinProbe& probe) {
    ++probe.depth;
    co_await settle(10);  // an awaited task shares the kind of cancellation
    probe.sawCancellation = isCancelled();
    --probe.depth;
    ++probe.releases;
    probe.releasedAt = clock.uptime();
}

TEST_F(TaskTest, ACooperativeTaskCancelledWhileSleepingRunsItsCleanUpOnceAtTheCancelledInstant) {
    PinProbe probe;
    TaskHandle handle = startTask(main, pinSettleUnpin(scheduler.clock(), probe), Cancellation::cooperative);
    scheduler.advance(2500ms);
    EXPECT_EQ(probe.depth, 1);
    EXPECT_FALSE(isCancelled());  // outside tasks
    handle.cancel();
    EXPECT_TRUE(handle.isCancelled());
    scheduler.runUntilIdle();  // the remaining sleeps end at once: no time passes
    EXPECT_EQ(probe.depth, 0);
    EXPECT_EQ(probe.releases, 1);
    EXPECT_EQ(probe.releasedAt, 2500ms);
    EXPECT_TRUE(probe.sawCancellation);
    EXPECT_TRUE(handle.isFinished());
    EXPECT_EQ(scheduler.pendingCount(), 0u);
}

TEST_F(TaskTest, AStoppedTaskNeverReachesTheCodeAfterItsSuspension) {
    PinProbe probe;
    TaskHandle handle = startTask(main, pinSettleUnpin(scheduler.clock(), probe));
    scheduler.advance(2500ms);
    handle.cancel();
    scheduler.advance(20s);
    EXPECT_EQ(probe.depth, 1);
    EXPECT_EQ(probe.releases, 0);
    EXPECT_TRUE(handle.isFinished());
}

Task<int> countSleeps(Queue& expected, int limit, [[maybe_unused]] DestructionFlag flag) {
    int slept = 0;
    while (slept < limit && !isCancelled() && expected.isCurrent()) {
        co_await sleepFor(1s);
        ++slept;
    }
    co_return isCancelled() ? -slept : slept;
}

struct JoinOutcome {
    std::optional<int> result;
    Duration at{-1};
    bool parentResumed = false;
};

Task<void> joinChild(const Clock& clock, Queue& childQueue, int limit, JoinOutcome& outcome, bool& childGone) {
    JoinHandle<int> child = startChildTask(childQueue, countSleeps(childQueue, limit, DestructionFlag(&childGone)));
    outcome.result = co_await child.join();
    outcome.at = clock.uptime();
    outcome.parentResumed = true;
}

TEST_F(TaskTest, JoinGivesTheChildsResultToTheParentOnItsOwnQueue) {
    JoinOutcome outcome;
    bool childGone = false;
    startTask(main, joinChild(scheduler.clock(), prefetch, 3, outcome, childGone));
    scheduler.advance(10s);
    EXPECT_EQ(outcome.result, 3);  // the child ran on its own queue
    EXPECT_EQ(outcome.at, 3s);
    EXPECT_TRUE(childGone);
}

TEST_F(TaskTest, CancellingACooperativeParentReachesItsJoinedChildCooperatively) {
    JoinOutcome outcome;
    bool childGone = false;
    TaskHandle parent =
        startTask(main, joinChild(scheduler.clock(), prefetch, 100, outcome, childGone), Cancellation::cooperative);
    scheduler.advance(2500ms);
    parent.cancel();
    scheduler.runUntilIdle();
    EXPECT_EQ(outcome.result, -3);  // the child saw the cancellation and came back with its count
    EXPECT_EQ(outcome.at, 2500ms);
    EXPECT_TRUE(parent.isFinished());
}

TEST_F(TaskTest, CancellingAStoppingParentStopsItsJoinedChild) {
    JoinOutcome outcome;
    bool childGone = false;
    TaskHandle parent = startTask(main, joinChild(scheduler.clock(), prefetch, 100, outcome, childGone));
    scheduler.advance(2500ms);
    parent.cancel();
    scheduler.runUntilIdle();
    EXPECT_TRUE(childGone);
    EXPECT_FALSE(outcome.parentResumed);
    EXPECT_TRUE(parent.isFinished());
    EXPECT_EQ(scheduler.pendingCount(), 0u);
}

Task<void> joinChildThatIsStopped(JoinHandle<int>& child, Queue& childQueue, JoinOutcome& outcome, bool& childGone) {
    child = startChildTask(childQueue, countSleeps(childQueue, 100, DestructionFlag(&childGone)));
    outcome.result = co_await child.join();
    outcome.parentResumed = true;
}

TEST_F(TaskTest, JoiningAChildThatWasStoppedGivesNoResult) {
    JoinOutcome outcome;
    bool childGone = false;
    JoinHandle<int> child;
    TaskHandle parent = startTask(main, joinChildThatIsStopped(child, prefetch, outcome, childGone));
    scheduler.advance(1500ms);
    child.cancel();
    scheduler.runUntilIdle();
    EXPECT_TRUE(childGone);
    EXPECT_TRUE(outcome.parentResumed);
    EXPECT_EQ(outcome.result, std::nullopt);
    EXPECT_TRUE(parent.isFinished());
}

struct Poller : std::enable_shared_from_this<Poller> {
    int refreshes = 0;
    TaskHandle pollTask;

    static Task<void> poll(std::weak_ptr<Poller> weak) {
        auto self = weak.lock();
        if (!self) co_return;
        for (;;) {
            ++self->refreshes;
            co_await sleepFor(120s);
        }
    }
};

TEST_F(TaskTest, APeriodicLoopRunsUntilCancelledAndThenLetsGoOfItsOwner) {
    auto poller = std::make_shared<Poller>();
    std::weak_ptr<Poller> watch = poller;
    poller->pollTask = startTask(main, Poller::poll(poller));
    scheduler.runUntilIdle();
    EXPECT_EQ(poller->refreshes, 1);  // the first pass runs at once
    scheduler.advance(600s);
    EXPECT_EQ(poller->refreshes, 6);

    TaskHandle task = poller->pollTask;
    poller.reset();
    EXPECT_FALSE(watch.expired());  // the running loop holds it
    task.cancel();
    scheduler.runUntilIdle();
    EXPECT_TRUE(watch.expired());
}

}  // namespace
}  // namespace tavelin
