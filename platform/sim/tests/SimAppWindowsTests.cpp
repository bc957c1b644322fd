#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "platform/sim/SimMac.h"
#include "platform/tests/TemporaryFolder.h"
#include "runtime/VirtualScheduler.h"

namespace tavelin::sim {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class CountingDelegate final : public AppPanelDelegate {
  public:
    void windowDidResignKey() override { ++resigned; }
    int resigned = 0;
};

class SimAppWindowsTest : public ::testing::Test {
  protected:
    // One screen of 1440 by 900, Finder with one window.
    SimAppWindowsTest()
        : mac_(Desktop{.applications = {{"com.apple.finder", "Finder",
                                         "/System/Library/CoreServices/Finder.app", true}},
                       .windows = {{"com.apple.finder", "Downloads", Rect{40, 40, 800, 600}}}},
               home_.path(), scheduler_, log_) {
        mac_.privacy().setScreenCaptureAccess(true);  // other applications' window names
        scheduler_.runUntilIdle();
    }

    std::unique_ptr<AppPanel> shownPanel() {
        auto panel = windows().makePanel(PanelConfiguration{Rect{0, 0, 720, 480}});
        panel->setDelegate(&delegate_);
        panel->makeKeyAndOrderFront();
        return panel;
    }
    SimAppWindows& windows() { return mac_.appWindows(); }

    // The window server's on-screen list, front to back: the program's windows by their own numbers as
    // "#<number> layer <layer> <X>,<Y> <width>x<height>", all others by name.
    std::vector<std::string> onScreen() {
        const auto own = mac_.windowWorld().ownProcess();
        std::vector<std::string> entries;
        const auto list = mac_.windowServer().copyWindowInfo(
            WindowListOption::onScreenOnly | WindowListOption::excludeDesktopElements, 0);
        for (const auto& entry : *list->getIf<PlistArray>()) {
            const auto& info = *entry.getIf<PlistDict>();
            const auto* name = info.find(kCGWindowName);
            if (*info.find(kCGWindowOwnerPID)->getIf<std::int64_t>() != own) {
                entries.push_back(name ? *name->getIf<std::string>() : "?");
                continue;
            }
            const auto& bounds = *info.find(kCGWindowBounds)->getIf<PlistDict>();
            const auto at = [&](const char* key) { return *bounds.find(key)->getIf<double>(); };
            entries.push_back(
                ours(static_cast<OwnWindowNumber>(*info.find(kCGWindowNumber)->getIf<std::int64_t>()),
                     *info.find(kCGWindowLayer)->getIf<std::int64_t>(),
                     Rect{at("X"), at("Y"), at("Width"), at("Height")}) +
                (name ? " named" : ""));
        }
        return entries;
    }
    static std::string ours(OwnWindowNumber number, std::int64_t layer, Rect bounds) {
        std::ostringstream text;
        text << '#' << number << " layer " << layer << ' ' << bounds.x << ',' << bounds.y << ' '
             << bounds.width << 'x' << bounds.height;
        return text.str();
    }

    TemporaryFolder home_;
    VirtualScheduler scheduler_;
    CapturedSystemLog log_;
    SimMac mac_;
    CountingDelegate delegate_;
};

TEST_F(SimAppWindowsTest, AnotherOfOurWindowsBecomingKeyResignsThePanel) {
    auto panel = shownPanel();
    EXPECT_TRUE(panel->isKeyWindow());
    auto window = windows().makeWindow(AppWindowConfiguration{.title = "Settings"});
    window->makeKeyAndOrderFront();
    EXPECT_FALSE(panel->isKeyWindow());
    EXPECT_EQ(delegate_.resigned, 1);
    EXPECT_EQ(windows().keyWindow()->number, windows().window("Settings")->number);
}

TEST_F(SimAppWindowsTest, AnotherApplicationActivatingResignsThePanelTheDelegateHearsOnlyWhileSet) {
    auto panel = shownPanel();
    const auto finder = mac_.workspace().process(std::string_view("com.apple.finder"))->processIdentifier;
    mac_.workspace().activate(finder);
    scheduler_.runUntilIdle();
    EXPECT_FALSE(windows().keyWindow());
    EXPECT_EQ(delegate_.resigned, 1);

    windows().makeKey(panel->windowNumber());
    panel->setDelegate(nullptr);
    mac_.application().activate(true);  // our own activation keeps the key window
    scheduler_.runUntilIdle();
    EXPECT_TRUE(panel->isKeyWindow());
    mac_.workspace().activate(finder);
    scheduler_.runUntilIdle();
    EXPECT_EQ(delegate_.resigned, 1);
}

TEST_F(SimAppWindowsTest, APopoverHasThePanelAsParentAndANewContentSizeKeepsTheOrigin) {
    auto panel = shownPanel();
    panel->setFrameOrigin(Point{100, 200});
    panel->setContentSize(300, 150);
    EXPECT_EQ(panel->frame(), (Rect{100, 200, 300, 150}));

    auto popover = windows().makePopover();
    popover->setContentSize(40, 20);
    popover->show(Rect{150, 300, 10, 10}, *panel);
    EXPECT_EQ(popover->windowFrame(), (Rect{135, 280, 40, 20}));
    ASSERT_TRUE(windows().makeKey(popover->windowNumber()));
    EXPECT_EQ(windows().keyWindow()->parent, panel->windowNumber());
    popover->close();
    EXPECT_FALSE(popover->windowFrame());
    EXPECT_FALSE(windows().makeKey(popover->windowNumber()));
}

TEST_F(SimAppWindowsTest, ADroppedPanelIsOrderedOutAndForgetsItsDelegate) {
    auto panel = shownPanel();
    panel.reset();
    EXPECT_FALSE(windows().keyWindow());
    EXPECT_EQ(delegate_.resigned, 0);
    EXPECT_TRUE(windows().panels().back().released);
    EXPECT_FALSE(windows().panels().back().visible);
}

TEST_F(SimAppWindowsTest, AVisiblePanelStandsInTheWindowServersListAtItsLevelUnderItsOwnNumber) {
    auto panel = windows().makePanel(PanelConfiguration{Rect{200, 100, 720, 480}});
    panel->setLevel(kPopUpMenuWindowLevel);
    const auto entry = ours(panel->windowNumber(), 101, Rect{200, 320, 720, 480});
    EXPECT_THAT(onScreen(), ElementsAre("Menubar", "Downloads"));

    // Measured from the top of the first screen, in front of the menu bar and every application window.
    panel->makeKeyAndOrderFront();
    EXPECT_THAT(onScreen(), ElementsAre(entry, "Menubar", "Downloads"));
    panel->orderOut();
    EXPECT_THAT(onScreen(), ElementsAre("Menubar", "Downloads"));
    panel->makeKeyAndOrderFront();
    panel.reset();
    EXPECT_THAT(onScreen(), ElementsAre("Menubar", "Downloads"));
}

TEST_F(SimAppWindowsTest, FrameAndLevelChangesMoveThePanelAndShowingAgainBringsItToTheFront) {
    auto panel = windows().makePanel(PanelConfiguration{Rect{200, 100, 720, 480}});
    auto other = windows().makePanel(PanelConfiguration{Rect{0, 0, 100, 100}});
    panel->setLevel(kPopUpMenuWindowLevel);
    other->setLevel(kPopUpMenuWindowLevel);
    panel->makeKeyAndOrderFront();
    other->makeKeyAndOrderFront();
    const auto otherEntry = ours(other->windowNumber(), 101, Rect{0, 800, 100, 100});

    // A new content size keeps the bottom-left corner, so the top edge moves down the screen.
    panel->setContentSize(300, 150);
    EXPECT_THAT(onScreen(),
                ElementsAre(otherEntry, ours(panel->windowNumber(), 101, Rect{200, 650, 300, 150}), "Menubar",
                            "Downloads"));
    panel->makeKeyAndOrderFront();
    EXPECT_THAT(onScreen(), ElementsAre(ours(panel->windowNumber(), 101, Rect{200, 650, 300, 150}),
                                        otherEntry, "Menubar", "Downloads"));
    panel->setFrameOrigin(Point{10, 20});
    panel->setLevel(3);
    EXPECT_THAT(onScreen(),
                ElementsAre(otherEntry, "Menubar", ours(panel->windowNumber(), 3, Rect{10, 730, 300, 150}),
                            "Downloads"));
}

TEST_F(SimAppWindowsTest, AShownPopoverStandsInFrontOfItsPanelAndGoesWithIt) {
    auto panel = windows().makePanel(PanelConfiguration{Rect{100, 200, 300, 150}});
    panel->setLevel(kPopUpMenuWindowLevel);
    auto popover = windows().makePopover();
    popover->setContentSize(40, 20);
    popover->show(Rect{150, 300, 10, 10}, *panel);
    // Not before its panel is.
    EXPECT_THAT(onScreen(), ElementsAre("Menubar", "Downloads"));

    panel->makeKeyAndOrderFront();
    const auto panelEntry = ours(panel->windowNumber(), 101, Rect{100, 550, 300, 150});
    const auto popoverEntry = ours(popover->windowNumber(), 101, Rect{135, 600, 40, 20});
    EXPECT_THAT(onScreen(), ElementsAre(popoverEntry, panelEntry, "Menubar", "Downloads"));
    panel->makeKeyAndOrderFront();
    EXPECT_THAT(onScreen(), ElementsAre(popoverEntry, panelEntry, "Menubar", "Downloads"));

    panel->orderOut();
    EXPECT_THAT(onScreen(), ElementsAre("Menubar", "Downloads"));
    panel->makeKeyAndOrderFront();
    popover->close();
    EXPECT_THAT(onScreen(), ElementsAre(panelEntry, "Menubar", "Downloads"));
}

}  // namespace
}  // namespace tavelin::sim
