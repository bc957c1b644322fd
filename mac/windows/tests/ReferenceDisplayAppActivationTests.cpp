#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "mac/windows/ReferenceDisplayAppActivation.h"
#include "mac/windows/tests/AppCommandWorld.h"

namespace tavelin {
namespace {

using namespace std::chrono_literals;

class BriefWaitTest : public ::testing::Test, protected AppCommandWorld {
  protected:
    // Starts the wait for the application's item; gives the task.
    TaskHandle wait(std::optional<std::string> bundleID, Cancellation kind = Cancellation::stop) {
        const DockItem host{
            .itemID = ItemID("host"), .kind = DockItemKind::app, .bundleID = std::move(bundleID)};
        started_ = now();
        return startTask(scheduler.main(),
                         ReferenceDisplayAppActivation::briefWaitForWindows(platform(), host), kind);
    }
    // How long the wait took, running everything until it ended.
    Duration waited(const TaskHandle& task) {
        while (!task.isFinished()) scheduler.advance(10ms);
        return now() - started_;
    }
    std::size_t launchChecks(std::string_view bundleID) {
        return callsStartingWith("Workspace.runningApplications " + std::string(bundleID)).size();
    }

    Duration started_{};
};

TEST_F(BriefWaitTest, AnApplicationWithAWindowIsReadyAtOnce) {
    const auto task = wait("com.apple.Notes");
    scheduler.runUntilIdle();
    EXPECT_TRUE(task.isFinished());
    EXPECT_EQ(now() - started_, 0ms);
    EXPECT_EQ(launchChecks("com.apple.Notes"), 1u);
}

TEST_F(BriefWaitTest, AWindowlessApplicationRunsOutAfterTwentySleeps) {
    *mac->workspace().launch("com.google.Chrome");
    EXPECT_EQ(waited(wait("com.google.Chrome")), 1000ms);
    EXPECT_EQ(waited(wait(std::nullopt)), 1000ms) << "no launch phase without a bundle ID";
}

TEST_F(BriefWaitTest, ALaunchThenAWindowAreAwaitedInFiftyMillisecondSteps) {
    auto& textEdit = installed("com.apple.TextEdit");
    textEdit.launchDelay = 120ms;
    const auto pid = *mac->workspace().launch("com.apple.TextEdit");
    scheduler.scheduleWorldEvent(320ms, [this, pid] { mac->workspace().showWindow(pid, "Untitled"); });
    // Launch checks at 0, 50, 100 and 150 ms; window checks from 150 ms on, the one at 350 ms sees it.
    EXPECT_EQ(waited(wait("com.apple.TextEdit")), 350ms);
    EXPECT_EQ(launchChecks("com.apple.TextEdit"), 4u);
}

TEST_F(BriefWaitTest, MainQueueWorkRunsDuringTheWait) {
    *mac->workspace().launch("com.google.Chrome");
    const auto task = wait("com.google.Chrome");
    bool ran = false;
    scheduler.main().asyncAfter(75ms, [&] { ran = true; });
    scheduler.advance(80ms);
    EXPECT_TRUE(ran);
    EXPECT_FALSE(task.isFinished());
}

TEST_F(BriefWaitTest, ACancelledWaitTriesBackToBackWithoutTime) {
    const auto task = wait("com.apple.TextEdit", Cancellation::cooperative);  // never launched
    task.cancel();
    scheduler.runUntilIdle();
    EXPECT_TRUE(task.isFinished());
    EXPECT_EQ(now() - started_, 0ms);
    EXPECT_EQ(launchChecks("com.apple.TextEdit"), 20u) << "no check after the 20th sleep";
}

}  // namespace
}  // namespace tavelin
