#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "mac/windows/WindowGeometry.h"
#include "mac/windows/tests/WindowFinderWorld.h"

namespace tavelin {
namespace {

class WindowServerMatchingTest : public ::testing::Test, protected WindowFinderWorld {
  protected:
    WindowServerMatchingTest() : app(launch("com.example.Editor")) {}

    // The screen frame of window-server bounds (the primary screen is 900 high).
    static WindowFrame screenFrame(Rect bounds) { return cocoaFrame(bounds, 900); }

    std::int32_t app;
};

TEST_F(WindowServerMatchingTest, TheUniqueMatchNeedsFortyFivePercentOfTheSmallerArea) {
    const auto frame = screenFrame({500, 300, 100, 100});
    const auto key = add(app, "Doc", {555, 300, 100, 100});  // 45 x 100 in common
    EXPECT_EQ(support->uniqueCGWindowID(frame, ProcessIDSet{app}), numberOf(key));
    EXPECT_EQ(support->uniqueCGWindowID(frame, ProcessIDSet{}), std::nullopt);
    mac->windowWorld().setBounds(key, {555.1, 300, 100, 100});  // 44.9 x 100
    EXPECT_EQ(support->uniqueCGWindowID(frame, ProcessIDSet{app}), std::nullopt);
    // The smaller area decides: a small window wholly inside a large frame matches.
    mac->windowWorld().setBounds(key, {520, 320, 10, 10});
    EXPECT_EQ(support->uniqueCGWindowID(frame, ProcessIDSet{app}), numberOf(key));
    // Only layer 0 counts.
    mac->windowWorld().removeWindow(key);
    add(app, "Panel", {500, 300, 100, 100}, [](sim::SimWindow& w) { w.layer = 3; });
    EXPECT_EQ(support->uniqueCGWindowID(frame, ProcessIDSet{app}), std::nullopt);
}

TEST_F(WindowServerMatchingTest, TwoCandidatesGiveNothing) {
    const auto frame = screenFrame({0, 100, 800, 600});
    add(app, "One", {0, 100, 800, 600});
    add(app, "Two", {0, 100, 400, 300});
    EXPECT_EQ(support->uniqueCGWindowID(frame, ProcessIDSet{app}), std::nullopt);
}

TEST_F(WindowServerMatchingTest, AnOffScreenWindowCountsOnlyWithAManagedSpace) {
    const auto frame = screenFrame({0, 100, 800, 600});
    const auto key =
        add(app, "Elsewhere", {0, 100, 800, 600}, [&](sim::SimWindow& w) { w.space = spaces(0).at(1); });
    ASSERT_FALSE(mac->windowWorld().isOnScreen(key));
    EXPECT_EQ(support->uniqueCGWindowID(frame, ProcessIDSet{app}), numberOf(key));
    // Ordered out and on no Space: not a candidate.
    editWindow(key, [](sim::SimWindow& w) {
        w.space.reset();
        w.onScreen = false;
    });
    EXPECT_EQ(support->uniqueCGWindowID(frame, ProcessIDSet{app}), std::nullopt);
}

TEST_F(WindowServerMatchingTest, TheTitleLookupTakesTheFirstWindowOfAWindowsSize) {
    add(app, "Report", {0, 0, 80, 60});
    add(app, "Report", {0, 0, 79, 300});  // in front, too narrow
    add(app, std::nullopt, {0, 0, 400, 300});
    const auto key = add(app, "Report", {0, 0, 300, 59});  // too low
    EXPECT_EQ(support->cgWindowID("Report", ProcessIDSet{app}), numberOf(key) - 3);
    EXPECT_EQ(support->cgWindowID("Untitled", ProcessIDSet{app}), numberOf(key) - 1);
    EXPECT_EQ(support->cgWindowID("Report", ProcessIDSet{}), std::nullopt);
    // A bounds dictionary without a height rejects the window.
    editWindow(key - 3, [&](sim::SimWindow& w) {
        w.description = PlistDict{{std::string(kCGWindowNumber), std::int64_t(numberOf(key) - 3)},
                                  {std::string(kCGWindowOwnerPID), std::int64_t{app}},
                                  {std::string(kCGWindowLayer), std::int64_t{0}},
                                  {std::string(kCGWindowName), std::string("Report")},
                                  {std::string(kCGWindowBounds), PlistDict{{"Width", 400.0}}}};
    });
    EXPECT_EQ(support->cgWindowID("Report", ProcessIDSet{app}), std::nullopt);
}

TEST_F(WindowServerMatchingTest, TheFrontmostWindowIsOnScreenAndAtLeastTheMinimumSize) {
    const auto item = appItem("com.example.Editor");
    const auto big = add(app, "Big", {0, 100, 160, 160});
    add(app, "Narrow", {0, 100, 159, 400});
    add(app, "Away", {0, 100, 800, 600}, [&](sim::SimWindow& w) { w.space = spaces(0).at(1); });
    EXPECT_EQ(support->frontmostCGWindowID(item, 160), numberOf(big));
    const auto bare = add(app, "Bare", {0, 100, 500, 500});
    editWindow(bare, [&](sim::SimWindow& w) {
        w.description = PlistDict{{std::string(kCGWindowNumber), std::int64_t(numberOf(bare))},
                                  {std::string(kCGWindowOwnerPID), std::int64_t{app}},
                                  {std::string(kCGWindowLayer), std::int64_t{0}},
                                  {std::string(kCGWindowIsOnscreen), true}};
    });
    EXPECT_EQ(support->frontmostCGWindowID(item, 160), numberOf(big));
    EXPECT_EQ(support->frontmostCGWindowID(item, 0), numberOf(bare));
}

TEST_F(WindowServerMatchingTest, ChromiumFullScreenByAccessibilityBySpaceOrBySize) {
    const auto chrome = launch("com.google.Chrome");
    const auto shim = launch("com.google.Chrome.app.mail");
    const auto browser = appItem("com.google.Chrome");
    const auto web = appItem("com.google.Chrome.app.mail");
    EXPECT_FALSE(support->chromiumFullscreenExists(browser));
    EXPECT_FALSE(support->chromiumFullscreenExists(appItem("com.example.Editor")));

    // A web app's window in full screen counts for the browser too.
    const auto mail =
        add(shim, "Mail", {0, 100, 400, 300}, [](sim::SimWindow& w) { w.ax.fullScreen = true; });
    EXPECT_TRUE(support->chromiumFullscreenExists(browser));
    EXPECT_TRUE(support->chromiumFullscreenExists(web));
    mac->windowWorld().removeWindow(mail);

    // By size against the 1440 x 900 screen: strictly within 12 and 48 points.
    const auto window = add(chrome, "Tab", {0, 47, 1440, 853});
    EXPECT_TRUE(support->chromiumFullscreenExists(browser));
    EXPECT_FALSE(support->chromiumFullscreenExists(web));
    mac->windowWorld().setBounds(window, {0, 0, 1428, 900});
    EXPECT_FALSE(support->chromiumFullscreenExists(browser));
    mac->windowWorld().setBounds(window, {0, 0, 1429, 852.5});
    EXPECT_TRUE(support->chromiumFullscreenExists(browser));
    mac->windowWorld().setBounds(window, {0, 0, 1429, 852});
    EXPECT_FALSE(support->chromiumFullscreenExists(browser));

    // On a full-screen Space although neither Accessibility nor the size says so.
    mac->windowWorld().setFullScreen(window, true);
    editWindow(window, [](sim::SimWindow& w) {
        w.ax.overrides["AXFullScreen"] = AXValue(false);
        w.bounds = {0, 100, 400, 300};
    });
    EXPECT_TRUE(support->chromiumFullscreenExists(browser));
}

TEST_F(WindowServerMatchingTest, AWindowServerOnlyListIsAllowedForBrowsersOrWithoutAccessibilityWindows) {
    const auto chrome = launch("com.google.Chrome");
    add(chrome, "Tab", {0, 100, 400, 300});
    EXPECT_TRUE(support->allowsCGOnlyWindowListWhenAXDescriptorsEmpty(appItem("com.google.Chrome")));
    EXPECT_TRUE(support->allowsCGOnlyWindowListWhenAXDescriptorsEmpty(appItem("com.google.Chrome.app.x")));
    EXPECT_TRUE(support->allowsCGOnlyWindowListWhenAXDescriptorsEmpty(appItem("com.example.Editor")));
    EXPECT_TRUE(support->allowsCGOnlyWindowListWhenAXDescriptorsEmpty(appItem("com.example.NotRunning")));
    // Any Accessibility window, even one that is no user window, rules it out.
    add(app, std::nullopt, {0, 0, 10, 10});
    EXPECT_FALSE(support->allowsCGOnlyWindowListWhenAXDescriptorsEmpty(appItem("com.example.Editor")));
}

}  // namespace
}  // namespace tavelin
