#include <gtest/gtest.h>

#include <string>

#include "runtime/Completion.h"
#include "runtime/VirtualScheduler.h"

namespace tavelin {
namespace {

using namespace std::chrono_literals;

// An operation that answers later on a queue of its own and keeps its handler for the test to call.
struct Operation {
    Queue& systemQueue;
    CompletionAwaiter<std::string>::Done handler;
    int started = 0;
};

Task<void> awaitOperation(Operation& operation, Queue& taskQueue, std::string& result,
                          bool& resumedOnTaskQueue) {
    result = co_await awaitCompletion<std::string>([&](CompletionAwaiter<std::string>::Done done) {
        ++operation.started;
        operation.handler = std::move(done);
    });
    resumedOnTaskQueue = taskQueue.isCurrent();
}

class CompletionTest : public ::testing::Test {
  protected:
    VirtualScheduler scheduler;
    Queue& main = scheduler.main();
    Operation operation{scheduler.serialQueue("system")};
    std::string result;
    bool resumedOnMain = false;
};

TEST_F(CompletionTest, TheTaskResumesOnItsOwnQueueWithTheHandlersValueOnce) {
    startTask(main, awaitOperation(operation, main, result, resumedOnMain));
    scheduler.runUntilIdle();
    ASSERT_EQ(operation.started, 1);
    EXPECT_EQ(result, "");

    operation.systemQueue.asyncAfter(1s, [&] {
        operation.handler("answer");
        operation.handler("a second answer");  // ignored
    });
    scheduler.advance(1s);
    EXPECT_EQ(result, "answer");
    EXPECT_TRUE(resumedOnMain);
}

TEST_F(CompletionTest, ACancelledTaskEndsWhenTheHandlerRuns) {
    const auto handle = startTask(main, awaitOperation(operation, main, result, resumedOnMain));
    scheduler.runUntilIdle();
    handle.cancel();
    scheduler.runUntilIdle();
    EXPECT_FALSE(handle.isFinished());
    operation.handler("late");
    scheduler.runUntilIdle();
    EXPECT_TRUE(handle.isFinished());
    EXPECT_EQ(result, "");
}

}  // namespace
}  // namespace tavelin
