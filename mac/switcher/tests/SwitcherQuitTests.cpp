#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "mac/switcher/tests/SwitcherActivationWorld.h"

namespace tavelin {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::SizeIs;

class SwitcherQuitTest : public SwitcherActivationWorld {
  protected:
    std::int32_t safariPID() { return mac_.workspace().process("com.apple.Safari")->processIdentifier; }
    void quitDelay(std::optional<Duration> delay) {
        mac_.workspace().installedApplication("com.apple.Safari")->quitDelay = delay;
    }
    const std::vector<ModalAlert>& questions() { return mac_.alerts().questions(); }
};

TEST_F(SwitcherQuitTest, AnApplicationStillRunningAfter8SecondsIsOfferedAForceQuit) {
    quitDelay(std::nullopt);  // never quits
    open();
    const auto pid = safariPID();
    switcher().quitAppFromContextMenu(item("Safari"));
    EXPECT_THAT(calls({"RunningApplication.terminate"}), ElementsAre("RunningApplication.terminate " + std::to_string(pid)));
    switcher().close(true);  // the watch outlives the panel
    scheduler_.advance(7999ms);
    EXPECT_THAT(questions(), IsEmpty());
    scheduler_.advance(1ms);
    ASSERT_THAT(questions(), SizeIs(1));
    const ModalAlert& question = questions()[0];
    EXPECT_EQ(question.style, AlertStyle::warning);
    EXPECT_THAT(question.buttonKeys, ElementsAre("quit.forceConfirm.yes", "quit.forceConfirm.no"));
    EXPECT_EQ(question.messageText(),
              "“Safari” is still running. Do you want to force it to quit? Unsaved changes will be lost.");
    // The first button is the default one.
    EXPECT_THAT(calls({"RunningApplication.forceTerminate"}),
                ElementsAre("RunningApplication.forceTerminate " + std::to_string(pid)));
    EXPECT_FALSE(switcher().hasQuitWatch(item("Safari").itemID));
}

TEST_F(SwitcherQuitTest, NoOfferForAnApplicationThatQuitOrWasLaunchedAgain) {
    quitDelay(7900ms);
    switcher().quitAppFromContextMenu(item("Safari"));
    scheduler_.advance(20s);
    EXPECT_THAT(questions(), IsEmpty());

    // Quits after 1 s and is launched again: a new process, not the one asked to quit.
    mac_.workspace().launch("com.apple.Safari");
    scheduler_.runUntilIdle();
    quitDelay(1s);
    switcher().quitAppFromContextMenu(item("Safari"));
    scheduler_.advance(2s);
    mac_.workspace().launch("com.apple.Safari");
    scheduler_.advance(20s);
    EXPECT_THAT(questions(), IsEmpty());

    // Not running: nothing asked, nothing watched.
    mac_.workspace().terminate(safariPID());
    switcher().quitAppFromContextMenu(item("Safari"));
    EXPECT_FALSE(switcher().hasQuitWatch(item("Safari").itemID));
}

TEST_F(SwitcherQuitTest, ASecondQuitRestartsTheWatchAndNoLeavesTheApplicationRunning) {
    quitDelay(std::nullopt);
    open();
    switcher().runContextMenuRow({"context.showInFinder", DockAction::showInFinder(item("Safari").itemID)});
    switcher().runContextMenuRow({"context.quit", DockAction::quitApp(item("Safari").itemID)});
    scheduler_.advance(5s);
    switcher().runContextMenuRow({"context.quit", DockAction::quitApp(item("Safari").itemID)});
    EXPECT_THAT(calls({"RunningApplication.terminate"}), SizeIs(2));
    mac_.alerts().scriptAnswer({.button = 1});
    scheduler_.advance(7999ms);  // 12.999 s
    EXPECT_THAT(questions(), IsEmpty());
    scheduler_.advance(1ms);
    EXPECT_THAT(questions(), SizeIs(1));
    scheduler_.advance(30s);
    EXPECT_THAT(questions(), SizeIs(1));
    EXPECT_THAT(calls({"RunningApplication.forceTerminate"}), IsEmpty());
    EXPECT_TRUE(mac_.workspace().process("com.apple.Safari"));
}

// While the question is open the application quits and its process ID goes to another application:
// consent must not end that one.
TEST_F(SwitcherQuitTest, ConsentAfterTheProcessIDWasReusedForceQuitsNothing) {
    quitDelay(std::nullopt);
    const auto pid = safariPID();
    switcher().quitAppFromContextMenu(item("Safari"));
    mac_.alerts().scriptAnswer({.button = 0}, 3s);
    mac_.workspace().after(9s, [this, pid] {
        mac_.workspace().terminate(pid);
        mac_.workspace().setNextProcessIdentifier(pid);
        mac_.workspace().launch("com.apple.Notes");
    });
    scheduler_.advance(20s);
    ASSERT_THAT(questions(), SizeIs(1));
    const auto notes = mac_.workspace().process("com.apple.Notes");
    ASSERT_TRUE(notes);
    EXPECT_EQ(notes->processIdentifier, pid);
    EXPECT_THAT(calls({"RunningApplication.forceTerminate"}), IsEmpty());
}

}  // namespace
}  // namespace tavelin
