#include <gmock/gmock.h>
#include <gtest/gtest.h>

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
    SimAppWindowsTest()
        : mac_(Desktop{.applications = {{"com.apple.finder", "Finder", "/System/Library/CoreServices/Finder.app",
                                         true}}},
               home_.path(), scheduler_, log_) {
        scheduler_.runUntilIdle();
    }

    std::unique_ptr<AppPanel> shownPanel() {
        auto panel = windows().makePanel(PanelConfiguration{Rect{0, 0, 720, 480}});
        panel->setDelegate(&delegate_);
        panel->makeKeyAndOrderFront();
        return panel;
    }
    SimAppWindows& windows() { return mac_.appWindows(); }

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

}  // namespace
}  // namespace tavelin::sim
