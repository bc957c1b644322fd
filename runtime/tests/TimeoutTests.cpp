#include <gtest/gtest.h>

#include <optional>

#include "runtime/Timeout.h"
#include "runtime/VirtualScheduler.h"

namespace tavelin {
namespace {

using namespace std::chrono_literals;

// An operation that keeps its answer for the test to give.
struct Operation {
    std::optional<Answer<int>> answer;
};

struct Outcome {
    std::optional<int> value;
    Duration at{-1};
    bool resumed = false;
};

Task<void> askWithin(Duration limit, const Clock& clock, Operation& operation, Outcome& outcome) {
    outcome.value = co_await awaitWithTimeout<int>(limit, [&](Answer<int> answer) { operation.answer = answer; });
    outcome.at = clock.uptime();
    outcome.resumed = true;
}

class TimeoutTest : public ::testing::Test {
protected:
    VirtualScheduler scheduler;
    Operation operation;
    Outcome outcome;
};

TEST_F(TimeoutTest, ItEndsAtExactlyItsDurationAndDropsTheLateAnswer) {
    startTask(scheduler.main(), askWithin(3s, scheduler.clock(), operation, outcome));
    scheduler.advance(3s - 1ns);
    ASSERT_TRUE(operation.answer);
    EXPECT_TRUE(operation.answer->isAwaited());
    EXPECT_FALSE(outcome.resumed);
    scheduler.advance(1ns);
    EXPECT_TRUE(outcome.resumed);
    EXPECT_EQ(outcome.value, std::nullopt);
    EXPECT_EQ(outcome.at, 3s);
    EXPECT_FALSE(operation.answer->isAwaited());
    EXPECT_FALSE(operation.answer->give(7));
    scheduler.runUntilIdle();
    EXPECT_EQ(outcome.value, std::nullopt);
}

TEST_F(TimeoutTest, AnAnswerInTimeResumesTheTaskAtOnceAndEndsTheTimer) {
    startTask(scheduler.main(), askWithin(3s, scheduler.clock(), operation, outcome));
    scheduler.advance(1s);
    ASSERT_TRUE(operation.answer);
    EXPECT_TRUE(operation.answer->give(7));
    EXPECT_FALSE(operation.answer->give(8));  // a second answer is dropped
    scheduler.runUntilIdle();
    EXPECT_EQ(outcome.value, 7);
    EXPECT_EQ(outcome.at, 1s);
    EXPECT_EQ(scheduler.pendingCount(), 0u);
}

TEST_F(TimeoutTest, ACooperativelyCancelledTaskStopsWaitingAtOnce) {
    TaskHandle task =
        startTask(scheduler.main(), askWithin(1h, scheduler.clock(), operation, outcome), Cancellation::cooperative);
    scheduler.advance(1s);
    task.cancel();
    scheduler.runUntilIdle();
    EXPECT_TRUE(outcome.resumed);
    EXPECT_EQ(outcome.value, std::nullopt);
    EXPECT_EQ(outcome.at, 1s);
    EXPECT_FALSE(operation.answer->give(7));
}

TEST_F(TimeoutTest, AStoppedTaskTakesNoAnswer) {
    TaskHandle task = startTask(scheduler.main(), askWithin(1h, scheduler.clock(), operation, outcome));
    scheduler.advance(1s);
    task.cancel();
    scheduler.runUntilIdle();
    EXPECT_TRUE(task.isFinished());
    EXPECT_FALSE(operation.answer->isAwaited());
    EXPECT_FALSE(operation.answer->give(7));
    EXPECT_FALSE(outcome.resumed);
}

TEST_F(TimeoutTest, ABlockingWaitRunsTheWorldUntilTheAnswerOrTheDuration) {
    const auto answerAfter = [&](Duration delay) {
        return waitBlockingWithTimeout<int>(scheduler, 3s, [&](Answer<int> answer) {
            scheduler.scheduleWorldEvent(delay, [answer] { answer.give(5); });
        });
    };
    EXPECT_EQ(answerAfter(1s), 5);
    EXPECT_LT(scheduler.clock().uptime(), 1100ms);  // it does not wait out the duration

    const Duration start = scheduler.clock().uptime();
    EXPECT_EQ(answerAfter(5s), std::nullopt);
    EXPECT_EQ(scheduler.clock().uptime() - start, 3s);
}

}  // namespace
}  // namespace tavelin
