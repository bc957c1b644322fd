#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "mac/windows/DockNativeActivation.h"
#include "mac/windows/tests/AppCommandWorld.h"

namespace tavelin {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr std::string_view kChromeScript =
    "tell application id \"com.google.Chrome\"\n    activate\n    if (count of windows) = 0 then\n"
    "        make new window\n    end if\nend tell";

class ActivationTest : public ::testing::Test, protected AppCommandWorld {
  protected:
    DockNativeActivation activation{commandPlatform()};
    sim::SimWorkspace& workspace() { return mac->workspace(); }
    std::int32_t start(std::string_view bundleID) { return *workspace().launch(bundleID); }
    const std::vector<sim::SimAppleEvents::SentEvent>& events() { return mac->appleEvents().sentEvents(); }
    std::string activateCall(std::int32_t pid) {
        return "RunningApplication.activate " + std::to_string(pid) + " options=2";
    }
};

TEST_F(ActivationTest, ARunningApplicationWithAWindowIsOnlyBroughtForward) {
    const auto notes = pid("com.apple.Notes");
    workspace().hide(notes);
    EXPECT_EQ(activation.activateApplication("com.apple.Notes"), CommandResultPayload::success());
    EXPECT_THAT(callsStartingWith("RunningApplication."),
                ElementsAre("RunningApplication.unhide " + std::to_string(notes), activateCall(notes)));
    EXPECT_THAT(events(), IsEmpty());
    EXPECT_THAT(mac->appleScripts().madeSources(), IsEmpty());
}

TEST_F(ActivationTest, AWindowlessBrowserIsReopenedThenScripted) {
    const auto chrome = start("com.google.Chrome");
    EXPECT_EQ(activation.activateApplication("com.google.Chrome"), CommandResultPayload::success());
    ASSERT_EQ(events().size(), 1u);
    EXPECT_EQ(events()[0], (sim::SimAppleEvents::SentEvent{fourCharCode("aevt"), fourCharCode("rapp"), chrome,
                                                           -1, 0, 35, 150, kNoErr}));
    EXPECT_EQ(mac->appleEvents().liveDescriptors(), 0u);
    EXPECT_THAT(mac->appleScripts().madeSources(), ElementsAre(kChromeScript));
    EXPECT_EQ(windowCount("com.google.Chrome"), 1u) << "made by the script";

    EXPECT_EQ(activation.activateApplication("com.google.Chrome"), CommandResultPayload::success());
    EXPECT_EQ(events().size(), 1u) << "it shows a window now";
}

TEST_F(ActivationTest, AnyOtherWindowlessApplicationGetsTheReopenEventOnly) {
    installed("com.apple.finder").reopenWindow = "Recents";
    EXPECT_EQ(activation.activateApplication("com.apple.finder"), CommandResultPayload::success());
    EXPECT_EQ(events().size(), 1u);
    EXPECT_THAT(mac->appleScripts().madeSources(), IsEmpty());
    EXPECT_EQ(windowCount("com.apple.finder"), 1u);
}

TEST_F(ActivationTest, ARefusedActivationFailsWithoutReopening) {
    const auto chrome = start("com.google.Chrome");
    workspace().refuse(chrome, sim::SimApplicationRequest::activate);
    EXPECT_EQ(activation.activateApplication("com.google.Chrome"),
              CommandResultPayload::failure(ProtocolError::unavailable("activate failed")));
    EXPECT_THAT(events(), IsEmpty());
    EXPECT_THAT(mac->appleScripts().madeSources(), IsEmpty());
    EXPECT_EQ(activation.activateApplication("com.example.none"),
              CommandResultPayload::failure(ProtocolError::notFound()));
}

TEST_F(ActivationTest, ALaunchSucceedsAtOnceAndActivatesWhenItHasFinished) {
    auto& textEdit = installed("com.apple.TextEdit");
    textEdit.launchDelay = 300ms;
    textEdit.launchWindow = "Untitled";
    EXPECT_EQ(activation.activateApplication("com.apple.TextEdit"), CommandResultPayload::success());
    const auto launched = workspace().process("com.apple.TextEdit");
    ASSERT_TRUE(launched);
    EXPECT_FALSE(launched->isFinishedLaunching) << "success came first";
    EXPECT_THAT(callsStartingWith("RunningApplication.activate"), IsEmpty());
    scheduler.advance(300ms);
    EXPECT_THAT(callsStartingWith("RunningApplication.activate"),
                ElementsAre(activateCall(launched->processIdentifier)));
    EXPECT_THAT(events(), IsEmpty()) << "no reopen after a launch";
}

TEST_F(ActivationTest, AFailedLaunchIsOnlyLogged) {
    mac->workspaceActions().setOpenError(WorkspaceError{"The application can’t be opened."});
    EXPECT_EQ(activation.activateApplication("com.apple.TextEdit"), CommandResultPayload::success());
    scheduler.runUntilIdle();
    EXPECT_THAT(
        systemLog.lines(),
        ElementsAre(
            "Tavelin DockNativeActivation launch com.apple.TextEdit: The application can’t be opened."));
}

TEST_F(ActivationTest, TheBrowserScriptsFailureIsLogged) {
    start("com.google.Chrome");
    mac->appleScripts().setExecutionError("com.google.Chrome", "Chrome got an error (-1708)");
    activation.activateApplication("com.google.Chrome");
    EXPECT_THAT(systemLog.lines(), ElementsAre("Tavelin ensureChromiumWindow AppleScript com.google.Chrome: "
                                               "Chrome got an error (-1708)"));
}

TEST_F(ActivationTest, EnsureVisibleWindowUsesTheHostAndLogsOnceFound) {
    std::filesystem::create_directories(home / "Projects");
    const DockItem folder{
        .itemID = ItemID("f"), .kind = DockItemKind::folder, .path = (home / "Projects").string()};
    activation.ensureVisibleWindow(folder, true);
    EXPECT_THAT(actionLog.lines(), ElementsAre("ensureVisibleWindow bundle=com.apple.finder listEmpty=true"));
    EXPECT_EQ(events().size(), 1u) << "the Finder shows no window";
    EXPECT_EQ(events()[0].processIdentifier, pid("com.apple.finder"));

    const DockItem chrome{.itemID = ItemID("c"), .kind = DockItemKind::app, .bundleID = "com.google.Chrome"};
    activation.ensureVisibleWindow(chrome, false);
    activation.reopenIfNeeded(chrome);
    EXPECT_EQ(actionLog.lines().size(), 1u) << "Chrome does not run";
    EXPECT_EQ(events().size(), 1u);

    const DockItem notes{.itemID = ItemID("n"), .kind = DockItemKind::app, .bundleID = "com.apple.Notes"};
    activation.ensureVisibleWindow(notes, false);
    EXPECT_EQ(actionLog.lines().back(), "ensureVisibleWindow bundle=com.apple.Notes listEmpty=false");
    EXPECT_EQ(events().size(), 1u) << "Notes shows a window";
}

TEST_F(ActivationTest, AWebAppCountsAFrontWindowOfAtLeast160Points) {
    const auto webApp = start("com.google.Chrome.app.mail");
    const auto key = mac->windowWorld().addWindow(
        sim::SimWindow{.ownerPID = webApp, .name = "Mail", .bounds = {300, 300, 159, 400}});
    EXPECT_FALSE(activation.hasLiveUserWindow("com.google.Chrome.app.mail"));
    mac->windowWorld().setBounds(key, {300, 300, 160, 160});
    EXPECT_TRUE(activation.hasLiveUserWindow("com.google.Chrome.app.mail"));
}

}  // namespace
}  // namespace tavelin
