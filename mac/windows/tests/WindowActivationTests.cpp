#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "mac/windows/AXWindowSupport.h"
#include "mac/windows/tests/WindowActionWorld.h"

namespace tavelin {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

// The Studio display has a second Space too, holding "Hidden studio".
void addStudioSpace(sim::Desktop& desktop) {
    desktop.screens[1].spaces = 2;
    desktop.windows.push_back({"com.apple.Safari", "Hidden studio", {1540, 100, 800, 600}, false, 1, 1});
}

class WindowActivationTest : public ::testing::Test, protected WindowActionWorld {
  protected:
    WindowActivationTest() : WindowActionWorld(addStudioSpace) {}

    WindowDescriptor descriptor(std::string_view title) {
        WindowDescriptor found;
        found.windowID = WindowID(std::to_string(number(title)));
        found.title = std::string(title);
        return found;
    }
    RunningApplication app(std::string_view bundleID) { return *mac->workspace().process(bundleID); }
    // Activates the window of the descriptor's title, the screen `reference` the reference display.
    CommandResultPayload activate(const WindowDescriptor& window, const DockItem& item, bool move,
                                  std::optional<ScreenID> target, std::size_t reference) {
        return service.activate(element(window.title), app(*item.bundleID), item, window, move, target,
                                screen(reference));
    }
    sim::SimWindowKey addSafariWindow(std::string name, Rect bounds, bool listed = true) {
        return mac->windowWorld().addWindow(sim::SimWindow{
            .ownerPID = pid("com.apple.Safari"), .name = name, .bounds = bounds, .listed = listed});
    }
    // "Everywhere", on every Space.
    void addWindowOnEverySpace() {
        mac->windowWorld().setWindowSpace(addSafariWindow("Everywhere", {50, 50, 300, 200}), std::nullopt);
    }
    void navigate(std::string_view title, bool fullScreen, bool move, std::optional<ScreenID> referenceID,
                  std::optional<Screen> reference, std::optional<ScreenID> windowScreen = std::nullopt) {
        service.navigateSpacesForActivate(number(title), element(title), title, windowScreen, fullScreen, move,
                                          referenceID, reference);
    }
    std::vector<std::string> spaceLines() const {
        return stamped.lines({"space go-to", "space already", "space reference", "space fullscreen", "space normal",
                              "space alreadyThere", "space walk arrived", "space walk end", "space context"});
    }
    std::string n(std::string_view title) { return std::to_string(number(title)); }
    // The line the Spaces step writes about the window "before" or "after" it; no reference Space: nil.
    std::string context(std::string_view when, std::string_view title, std::uint64_t windowSpace,
                        std::optional<std::uint64_t> reference, std::uint64_t active) {
        return "space context activate-" + std::string(when) + " cgID=" + n(title) +
               " windowSpace=" + s(windowSpace) + " refCurrentSpace=" + (reference ? s(*reference) : "nil") +
               " slsActive=" + s(active);
    }
    std::string s(std::uint64_t space) { return std::to_string(space); }
};

TEST_F(WindowActivationTest, NotMovingWalksTheDisplayHoldingTheWindowsSpace) {
    const auto builtIn = spaces(0);
    const auto studio = spaces(1);
    mac->windowWorld().setRaiseSwitchesSpace(false);
    // The reference is the main screen; the window waits on the Studio display's hidden Space.
    navigate("Hidden studio", false, false, std::nullopt, screen(0));
    EXPECT_EQ(currentSpace(1), studio[1]);
    EXPECT_EQ(currentSpace(0), builtIn[0]);  // the user's own display did not step
    EXPECT_TRUE(stamped.contains("space go-to-window-space cgID=" + n("Hidden studio") + " space=" + s(studio[1]) +
                                 " ok=true"));

    stamped.entries.clear();
    navigate("Elsewhere", false, false, std::nullopt, screen(0));
    EXPECT_EQ(currentSpace(0), builtIn[1]);
    EXPECT_THAT(spaceLines(), ElementsAre(context("before", "Elsewhere", builtIn[1], builtIn[0], builtIn[0]),
                                          "space walk arrived step=1 space=" + s(builtIn[1]),
                                          "space go-to-window-space cgID=" + n("Elsewhere") +
                                              " space=" + s(builtIn[1]) + " ok=true",
                                          context("after", "Elsewhere", builtIn[1], builtIn[1], builtIn[1])));

    stamped.entries.clear();
    navigate("Elsewhere", false, false, std::nullopt, screen(0));
    EXPECT_TRUE(stamped.contains("space already current on its display space=" + s(builtIn[1])));
    // A window on every Space has none to go to.
    addWindowOnEverySpace();
    navigate("Everywhere", false, false, std::nullopt, screen(0));
    EXPECT_TRUE(stamped.contains("space go-to-window-space skipped no space cgID=" + n("Everywhere")));
}

TEST_F(WindowActivationTest, MovingToTheReferenceTakesEachSpaceBranch) {
    const auto builtIn = spaces(0);
    const auto studio = spaces(1);
    mac->windowWorld().setRaiseSwitchesSpace(false);
    navigate("Front", false, true, ScreenID("1"), std::nullopt);
    navigate("Front", false, true, ScreenID("1"), screen(0), ScreenID("1"));
    // Onto the Space the reference shows; once moved there, the step ends without the closing context line.
    navigate("Hidden studio", false, true, ScreenID("1"), screen(0), ScreenID("2"));
    EXPECT_EQ(mac->windowWorld().window(key("Hidden studio"))->space, builtIn[0]);
    EXPECT_THAT(spaceLines(),
                ElementsAre(context("before", "Front", builtIn[0], std::nullopt, builtIn[0]),
                            "space reference missing; go to window space cgID=" + n("Front"),
                            "space walk arrived step=0 space=" + s(builtIn[0]),
                            context("after", "Front", builtIn[0], std::nullopt, builtIn[0]),
                            context("before", "Front", builtIn[0], builtIn[0], builtIn[0]),
                            "space normal already on reference space cgID=" + n("Front"),
                            context("after", "Front", builtIn[0], builtIn[0], builtIn[0]),
                            context("before", "Hidden studio", studio[1], builtIn[0], builtIn[0]),
                            "space normal move-window-to-reference-space cgID=" + n("Hidden studio") +
                                " destSpace=" + s(builtIn[0])));
}

TEST_F(WindowActivationTest, AFullScreenWindowsSpaceIsShownNeverMoved) {
    mac->windowWorld().setRaiseSwitchesSpace(false);
    mac->windowWorld().setFullScreen(key("Studio"), true);
    const auto fullScreenSpace = *mac->windowWorld().window(key("Studio"))->space;
    mac->windowWorld().switchToSpace(spaces(1)[0]);
    navigate("Studio", true, true, ScreenID("2"), screen(1), ScreenID("2"));
    EXPECT_EQ(currentSpace(1), fullScreenSpace);
    EXPECT_EQ(mac->windowWorld().window(key("Studio"))->space, fullScreenSpace);
    EXPECT_TRUE(stamped.contains("space fullscreen bring-space-to-reference cgID=" + n("Studio") +
                                 " space=" + s(fullScreenSpace) + " crossMonitor=false"));

    // Taken for a normal window, it cannot be moved: from another display the Space is not walked to.
    stamped.entries.clear();
    mac->windowWorld().switchToSpace(spaces(1)[0]);
    navigate("Studio", false, true, ScreenID("1"), screen(0), ScreenID("2"));
    EXPECT_THAT(stamped.lines({"space normal"}),
                ElementsAre("space normal move-window-to-reference-space cgID=" + n("Studio") + " destSpace=" +
                                s(currentSpace(0)),
                            "space normal move failed; cross-display skip reveal (AX move) cgID=" + n("Studio") +
                                " windowSpace=" + s(fullScreenSpace),
                            "space normal AX move fallback ok window=Studio"));
    // On its own display it is walked to.
    stamped.entries.clear();
    navigate("Studio", false, true, ScreenID("2"), screen(1), ScreenID("2"));
    EXPECT_TRUE(stamped.contains("space normal move failed; walk same display cgID=" + n("Studio")));
    EXPECT_EQ(currentSpace(1), fullScreenSpace);
}

TEST_F(WindowActivationTest, RestoringTakesTheForcedRoadForAWindowOffScreen) {
    // Without the Space switch that a raise brings, the window never comes on screen.
    mac->windowWorld().setRaiseSwitchesSpace(false);
    EXPECT_EQ(activate(descriptor("Elsewhere"), safari, false, std::nullopt, 0),
              unavailableResult("still minimized"));
    EXPECT_TRUE(stamped.contains("activate ensure visible failed cgID=" + n("Elsewhere") + " window=" +
                                 n("Elsewhere") + ":Elsewhere"));
    EXPECT_FALSE(stamped.stamp("cgWindowID="));

    editWindow("Notes", [](sim::SimWindow& w) {
        w.ax.minimized = true;
        w.ax.refusals["AXMinimized"] = AXError::cannotComplete;
    });
    auto notesDescriptor = descriptor("Notes");
    EXPECT_EQ(activate(notesDescriptor, notes, false, std::nullopt, 0),
              unavailableResult("unminimize failed"));
    EXPECT_TRUE(stamped.contains("unminimize failed window=" + n("Notes") + ":Notes"));

    // Minimised in the descriptor only: the application is still activated for the restore.
    editWindow("Notes", [](sim::SimWindow& w) { w.ax.minimized = false; });
    notesDescriptor.state = WindowState::minimized;
    mac->calls().clear();
    EXPECT_TRUE(activate(notesDescriptor, notes, false, std::nullopt, 0).isSuccess());
    EXPECT_EQ(std::ranges::count_if(mac->calls().calls(),
                                    [](const std::string& c) { return c.starts_with("RunningApplication.activate"); }),
              2);
}

TEST_F(WindowActivationTest, ThePointerGoesToTheWindowsCentreOnlyWhenItIsNeeded) {
    addSafariWindow("Thin", {600, 100, 8, 400});
    addSafariWindow("Odd", {600.7, 100, 9, 301});
    mac->windowWorld().setPointer({10, 10});
    const auto pointerEvents = [&] { return mac->windowWorld().pointerEvents().size(); };
    service.movePointerToActivatedWindowIfNeeded(true, false, element("Odd"), std::nullopt, "moved");
    service.movePointerToActivatedWindowIfNeeded(false, false, element("Thin"), std::nullopt, "thin");
    service.movePointerToActivatedWindowIfNeeded(false, false, std::nullopt, std::nullopt, "none");
    EXPECT_EQ(pointerEvents(), 0u);
    mac->workspace().setReduceMotion(true);
    // Moved but in full screen: the pointer still goes; by the window number when there is no element.
    service.movePointerToActivatedWindowIfNeeded(true, true, std::nullopt, number("Odd"), "odd");
    service.movePointerToActivatedWindowIfNeeded(false, false, element("Odd"), std::nullopt, "odd again");
    // Odd spans x 600.7 to 609.7 and, in screen coordinates, y 499 to 800.
    EXPECT_EQ(mac->windowWorld().pointer(), (Point{605.2, 649.5}));
    EXPECT_THAT(stamped.lines({"pointer"}),
                ElementsAre("pointer skip window already moved window=moved", "pointer skip no frame window=thin",
                            "pointer skip no frame window=none",
                            "pointer to window center window=odd animated=false x=605 y=649",
                            "pointer skip already inside window=odd again"));
}

// With no reference screen for the Space step, the window is moved over by Accessibility afterwards;
// having moved, it does not draw the pointer after it.
TEST_F(WindowActivationTest, AWindowMovedToTheReferenceDoesNotDrawThePointerAfterIt) {
    const auto result = service.activate(element("Notes"), app("com.apple.Notes"), notes, descriptor("Notes"),
                                         true, ScreenID("2"), std::nullopt);
    EXPECT_TRUE(result.isSuccess());
    EXPECT_GE(bounds("Notes").x, 1440);
    EXPECT_THAT(stamped.lines({"pointer"}),
                ElementsAre("pointer skip window already moved window=" + n("Notes") + ":Notes"));
}

TEST_F(WindowActivationTest, HiddenApplicationsAmongTheCandidatesAreUnhidden) {
    const auto safariApp = app("com.apple.Safari");
    const auto notesPid = pid("com.apple.Notes");
    service.unhideHiddenApplication(safariApp, safari, descriptor("Front"));
    EXPECT_TRUE(stamped.lines({"unhide"}).empty());
    // The owner of the descriptor's window counts too.
    mac->workspace().hide(notesPid);
    service.unhideHiddenApplication(safariApp, safari, descriptor("Notes"));
    auto hiddenItem = safari;
    hiddenItem.isHidden = true;
    service.unhideHiddenApplication(safariApp, hiddenItem, descriptor("Front"));
    EXPECT_THAT(stamped.lines({"unhide"}),
                ElementsAre("unhide pid=" + std::to_string(notesPid) + " wasHidden=true ok=true itemHidden=false",
                            "unhide pid=" + std::to_string(safariApp.processIdentifier) +
                                " wasHidden=false ok=true itemHidden=true"));
    EXPECT_FALSE(mac->workspace().process("com.apple.Notes")->isHidden);
}

TEST_F(WindowActivationTest, TheFrontSequenceLogsEachRefusalAndGoesOn) {
    const auto safariApp = app("com.apple.Safari");
    mac->workspace().refuse(safariApp.processIdentifier, sim::SimApplicationRequest::activate);
    editWindow("Front", [](sim::SimWindow& w) { w.ax.refusals["AXRaise"] = AXError::cannotComplete; });
    // A window of the system's own, which no process owns, cannot be focused.
    const auto system = mac->windowWorld().addWindow(sim::SimWindow{.ownerPID = 0, .name = "Menu", .bounds = {0, 0, 1440, 25}});
    auto front = descriptor("Front");
    front.windowID = WindowID(std::to_string(system));
    service.bringWindowToFront(element("Front"), safariApp, safari, front, "F");
    EXPECT_THAT(stamped.lines({"app.", "SLPS focus", "AXRaise", "frontmost"}),
                ElementsAre("app.activate failed window=F", "SLPS focus returned false window=F cgID=" + std::to_string(system),
                            "AXRaise failed window=F", "frontmost complete window=F"));
}

TEST_F(WindowActivationTest, AWindowWithoutNumberIsRaisedWithoutTheSpaceStep) {
    const auto floating = addSafariWindow("Floating", {400, 300, 500, 400}, false);
    WindowDescriptor unnumbered{.windowID = WindowID("0F1D5C2A-1111-4222-8333-444455556666"), .title = "Untitled"};
    EXPECT_TRUE(service.activate(*mac->accessibility().windowElement(floating), app("com.apple.Safari"), safari,
                                 unnumbered, true, ScreenID("1"), screen(0))
                    .isSuccess());
    const auto l = unnumbered.windowID.rawValue() + ":Untitled";
    EXPECT_THAT(stamped.lines({"no cgWindowID", "space", "activate complete"}),
                ElementsAre("no cgWindowID (descriptor+AX+title) window=" + l + "; continuing raise",
                            "space skip no cgWindowID window=" + l, "activate complete window=" + l));
}

TEST_F(WindowActivationTest, AWindowMinimizedAgainWhileItMovesIsReportedStillMinimized) {
    // The window server cannot move it to the reference's Space, so it is moved (and paused for) by
    // Accessibility.
    mac->privateWindowServer().setResult("SLSSetWindowListWorkspace", sim::SimPrivateWindowServer::kCGErrorFailure);
    mac->windowWorld().after(150ms, [this] { mac->windowWorld().setMinimized(key("Front"), true); });
    EXPECT_EQ(activate(descriptor("Front"), safari, true, ScreenID("2"), 1),
              unavailableResult("still minimized"));
    EXPECT_TRUE(stamped.contains("still minimized after restore window=" + n("Front") +
                                 ":Front axMin=true cgOffScreen=true"));
}

TEST_F(WindowActivationTest, WithoutASpaceMoveTheWindowIsMovedToTheReferenceByAccessibility) {
    // Said to be in full screen: its Space is brought to the reference, never the window moved there.
    auto front = descriptor("Front");
    front.state = WindowState::fullscreen;
    EXPECT_TRUE(activate(front, safari, true, ScreenID("2"), 1).isSuccess());
    EXPECT_GE(bounds("Front").x, 1440);
    EXPECT_THAT(stamped.lines({"space fullscreen", "activate AX move"}),
                ElementsAre("space fullscreen bring-space-to-reference cgID=" + n("Front") + " space=" +
                                s(spaces(0)[0]) + " crossMonitor=true",
                            "activate AX move ok window=" + n("Front") + ":Front"));

    // Neither the Space move nor the window move works.
    stamped.entries.clear();
    mac->privateWindowServer().setResult("SLSSetWindowListWorkspace", sim::SimPrivateWindowServer::kCGErrorFailure);
    editWindow("Notes", [](sim::SimWindow& w) { w.ax.refusals["AXSize"] = AXError::cannotComplete; });
    EXPECT_TRUE(activate(descriptor("Notes"), notes, true, ScreenID("2"), 1).isSuccess());
    const std::string err = " err=unavailable(move failed)";
    EXPECT_THAT(stamped.lines({"space normal", "activate AX move"}),
                ElementsAre("space normal move-window-to-reference-space cgID=" + n("Notes") + " destSpace=" +
                                s(currentSpace(1)),
                            "space normal move failed; cross-display skip reveal (AX move) cgID=" + n("Notes") +
                                " windowSpace=" + s(spaces(0)[0]),
                            "space normal AX move failed window=" + n("Notes") + ":Notes" + err,
                            "activate AX move failed window=" + n("Notes") + ":Notes" + err));
}

TEST_F(WindowActivationTest, TheRemainingSpaceBranches) {
    // A reference screen whose display has no identifier: its current Space is unknown.
    Screen unnamed = screen(0);
    unnamed.screenNumber.reset();
    mac->windowWorld().setRaiseSwitchesSpace(false);
    navigate("Elsewhere", true, true, ScreenID("1"), unnamed, ScreenID("1"));
    navigate("Elsewhere", false, true, ScreenID("1"), unnamed, ScreenID("1"));
    // A window on every Space that cannot be moved.
    addWindowOnEverySpace();
    mac->privateWindowServer().setResult("SLSSetWindowListWorkspace", sim::SimPrivateWindowServer::kCGErrorFailure);
    navigate("Everywhere", false, true, ScreenID("1"), screen(0), ScreenID("1"));
    EXPECT_THAT(stamped.lines({"space fullscreen", "space normal"}),
                ElementsAre("space fullscreen fallback go-to-window-space cgID=" + n("Elsewhere"),
                            "space normal skipped no reference current space; reveal cgID=" + n("Elsewhere"),
                            "space normal move-window-to-reference-space cgID=" + n("Everywhere") +
                                " destSpace=" + s(currentSpace(0)),
                            "space normal move failed; cross-display no windowSpace cgID=" + n("Everywhere"),
                            "space normal AX move fallback ok window=Everywhere"));
}

TEST_F(WindowActivationTest, WithSharedSpacesAWindowOnTheSharedSpaceIsMovedByAccessibility) {
    mac->privateWindowServer().setSeparateSpaces(false);
    navigate("Front", false, true, ScreenID("2"), screen(1), ScreenID("1"));
    EXPECT_GE(bounds("Front").x, 1440);
    editWindow("Notes", [](sim::SimWindow& w) { w.ax.refusals["AXSize"] = AXError::cannotComplete; });
    navigate("Notes", false, true, ScreenID("2"), screen(1), ScreenID("1"));
    EXPECT_THAT(stamped.lines({"space normal already", "space alreadyThere"}),
                ElementsAre("space normal already on reference space cgID=" + n("Front"),
                            "space alreadyThere AX move ok window=Front",
                            "space normal already on reference space cgID=" + n("Notes"),
                            "space alreadyThere AX move failed window=Notes err=unavailable(move failed)"));
}

TEST_F(WindowActivationTest, OnlyActivationLooksForAWindowMinimizedSinceTheListWasMade) {
    const auto floating = addSafariWindow("Floating", {400, 300, 500, 400}, false);
    mac->windowWorld().setMinimized(floating, true);
    WindowDescriptor listed{.windowID = WindowID("0F1D5C2A-1111-4222-8333-444455556666"), .title = "Floating"};
    EXPECT_EQ(service.resolveAXWindow(listed, safari, false), std::nullopt);
    EXPECT_EQ(service.resolveAXWindow(listed, safari, true), mac->accessibility().windowElement(floating));
}

}  // namespace
}  // namespace tavelin
