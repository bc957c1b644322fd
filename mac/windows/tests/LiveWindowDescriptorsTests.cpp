#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "mac/windows/WindowContentRevision.h"
#include "mac/windows/WindowGeometry.h"
#include "mac/windows/tests/WindowFinderWorld.h"

namespace tavelin {
namespace {

using ::testing::ElementsAre;

std::vector<std::string> ids(const std::vector<WindowDescriptor>& windows) {
    std::vector<std::string> result;
    for (const auto& w : windows) result.push_back(w.windowID.rawValue());
    return result;
}

TEST(WindowActivationRankTest, NumberTitleAndCappedAreaAddUp) {
    EXPECT_EQ(windowActivationRank(descriptor("4711", "Report", WindowFrame{0, 0, 1000, 800})), 91000);
    EXPECT_EQ(windowActivationRank(descriptor(kUUID, "", WindowFrame{0, 0, 200, 100})), 20000);
    EXPECT_EQ(windowActivationRank(descriptor(kUUID, "", WindowFrame{0, 0, 10.9, 10})), 109);  // truncated
    EXPECT_EQ(windowActivationRank(descriptor("0012", "", std::nullopt)), 10000);
    EXPECT_EQ(windowActivationRank(descriptor("+12", "x", std::nullopt)), 1000);
}

TEST(WindowActivationRankTest, HighestFirstAndTiesKeepTheirOrder) {
    const auto ranked = rankedWindowDescriptorsForActivation({
        descriptor("a", "", WindowFrame{0, 0, 200, 100}),
        descriptor("1", "Report", WindowFrame{0, 0, 1000, 800}),
        descriptor("b", "", WindowFrame{0, 0, 100, 200}),
        descriptor("c", "", WindowFrame{0, 0, 200, 100}),
    });
    EXPECT_THAT(ids(ranked), ElementsAre("1", "a", "b", "c"));
}

class LiveWindowDescriptorsTest : public ::testing::Test, protected WindowFinderWorld {
  protected:
    LiveWindowDescriptorsTest() : app(launch("com.example.Editor")) {}

    std::vector<WindowDescriptor> live() {
        return support->liveUserWindowDescriptors(appItem("com.example.Editor"));
    }

    std::int32_t app;
};

TEST_F(LiveWindowDescriptorsTest, DescriptorsComeStraightFromAccessibility) {
    const auto report = add(app, "  Report ", {100, 100, 1000, 700});
    const auto studio = add(app, std::nullopt, {1600, 100, 250, 200}, [](sim::SimWindow& w) {
        w.ax.fullScreen = true;
        w.ax.overrides["AXTitle"] = AXValue(std::string(""));
        w.name = "Server Name";
    });
    const auto unframed = add(app, "Frameless", {300, 300, 200, 150}, hideFrame);
    // Only Accessibility sees it, and no window-server window lies under it.
    add(app, "Lost", {1200, 0, 200, 100}, [](sim::SimWindow& w) { w.listed = false; });
    // Neither number source answers: its number comes from the window server's window at its frame. Small,
    // it ranks last.
    const auto sketch = add(app, "Sketch", {0, 100, 90, 100}, [](sim::SimWindow& w) {
        w.ax.exposesWindowNumber = false;
        w.ax.privateWindowNumber = std::unexpected(AXError::failure);
    });

    const auto windows = live();
    ASSERT_EQ(windows.size(), 5u);
    const auto& first = windows[0];
    EXPECT_EQ(first.windowID.rawValue(), idOf(report));
    EXPECT_EQ(first.title, "Report");
    EXPECT_EQ(first.frame, (WindowFrame{100, 100, 1000, 700}));
    EXPECT_EQ(first.screenID, ScreenID("1"));
    EXPECT_EQ(first.state, WindowState::normal);
    EXPECT_EQ(first.contentRevision,
              windowContentRevision("Report", first.frame, WindowState::normal, false));
    EXPECT_TRUE(first.supportsClose && first.supportsMinimize && first.supportsResize && first.supportsTile);
    EXPECT_FALSE(first.supportsFullScreen || first.isSecure || first.thumbnailToken ||
                 first.unavailableReason);

    const auto& second = windows[1];
    EXPECT_EQ(second.windowID.rawValue(), idOf(studio));
    EXPECT_EQ(second.title, "Server Name");
    EXPECT_EQ(second.screenID, ScreenID("2"));
    EXPECT_EQ(second.state, WindowState::fullscreen);
    EXPECT_TRUE(second.supportsFullScreen);

    // The window server's frame stands in for one Accessibility will not give.
    const auto& third = windows[2];
    EXPECT_EQ(third.windowID.rawValue(), idOf(unframed));
    EXPECT_EQ(third.frame, (WindowFrame{300, 450, 200, 150}));
    EXPECT_TRUE(third.supportsResize);

    const auto& fourth = windows[3];
    EXPECT_FALSE(parseCGWindowID(fourth.windowID));
    EXPECT_EQ(fourth.windowID.rawValue().size(), 36u);
    EXPECT_EQ(fourth.title, "Lost");
    EXPECT_EQ(windowActivationRank(fourth), 1000 + 20000);
    // A window without a number gets a new identity every time.
    EXPECT_NE(live()[3].windowID, fourth.windowID);

    EXPECT_EQ(windows[4].windowID.rawValue(), idOf(sketch));
}

TEST_F(LiveWindowDescriptorsTest, HiddenAndMinimizedWindowsAreLeftOut) {
    add(app, "Hidden", {0, 100, 400, 300}, [](sim::SimWindow& w) { w.ax.hidden = true; });
    add(app, "Hidden and minimized", {0, 100, 400, 300}, [](sim::SimWindow& w) {
        w.ax.hidden = true;
        w.ax.minimized = true;
    });
    add(app, "Minimized", {0, 100, 400, 300}, [](sim::SimWindow& w) { w.ax.minimized = true; });
    const auto shown = add(app, "Shown", {0, 100, 400, 300}, [](sim::SimWindow& w) { w.ax.hidden = false; });
    EXPECT_THAT(ids(live()), ElementsAre(idOf(shown)));
}

TEST_F(LiveWindowDescriptorsTest, ActivatableWindowsAreOnScreenOrWaitingOnAnotherSpace) {
    const auto item = appItem("com.example.Editor");
    const auto shown = add(app, "Shown", {0, 100, 400, 300});
    const auto away =
        add(app, "Away", {0, 100, 400, 300}, [&](sim::SimWindow& w) { w.space = spaces(0).at(1); });
    const auto orderedOut =
        add(app, "Ordered out", {0, 100, 400, 300}, [](sim::SimWindow& w) { w.onScreen = false; });
    const auto list = std::vector{
        descriptor(idOf(orderedOut), "Ordered out", WindowFrame{0, 500, 400, 300}),
        descriptor(idOf(away), "Away", WindowFrame{0, 500, 400, 300}),
        descriptor("999999", "Gone", WindowFrame{0, 500, 400, 300}),
        descriptor(kUUID, "Narrow", WindowFrame{0, 0, 79, 500}),
        descriptor("A-UUID", "Sizeable", WindowFrame{0, 0, 80, 60}),
        descriptor(idOf(shown), "Shown", WindowFrame{0, 500, 400, 300}),
        descriptor(idOf(shown), "Minimized", WindowFrame{0, 500, 400, 300}, WindowState::minimized),
    };
    EXPECT_THAT(ids(support->activatableWindowsForDockActivate(list, item)),
                ElementsAre(idOf(away), idOf(shown), "A-UUID"));
    // The Space lookup and the catalog are written to the window-actions log.
    EXPECT_THAT(actionLog.lines(),
                testing::Contains("space SLSCopySpacesForWindows after cgID=" + idOf(away) +
                                  " space=" + std::to_string(spaces(0).at(1))));
    EXPECT_THAT(actionLog.lines(), testing::Contains(testing::StartsWith("space catalog display=")));

    // What cannot be told keeps the window: no catalog, or a Space no display holds.
    mac->privateWindowServer().setAnswer("SLSCopyManagedDisplaySpaces", std::nullopt);
    EXPECT_THAT(ids(support->activatableWindowsForDockActivate(list, item)),
                ElementsAre(idOf(orderedOut), idOf(away), idOf(shown), "A-UUID"));
    mac->privateWindowServer().clearAnswer("SLSCopyManagedDisplaySpaces");
    mac->privateWindowServer().setAnswer("SLSCopySpacesForWindows",
                                         PlistValue(PlistArray{PlistValue(std::int64_t{777})}));
    EXPECT_EQ(support->activatableWindowsForDockActivate(list, item).size(), 5u);
    // A window server that answers Space 0 for a window: no Space.
    mac->privateWindowServer().setAnswer("SLSCopySpacesForWindows",
                                         PlistValue(PlistArray{PlistValue(std::int64_t{0})}));
    EXPECT_THAT(ids(support->activatableWindowsForDockActivate(list, item)),
                ElementsAre(idOf(shown), "A-UUID"));
}

TEST_F(LiveWindowDescriptorsTest, ABrowsersWindowsOfOtherProcessesNeedAWindowsSize) {
    const auto chrome = launch("com.google.Chrome");
    const auto helper = launch("com.google.Chrome.helper");  // not in a browser's process set
    const auto own = add(chrome, "Own", {0, 100, 40, 30});
    const auto big = add(helper, "Prompt", {0, 100, 400, 300});
    const auto small = add(helper, "Bubble", {0, 100, 79, 60});
    const auto list = std::vector{
        descriptor(idOf(small), "Bubble", WindowFrame{0, 740, 79, 60}),
        descriptor(idOf(big), "Prompt", WindowFrame{0, 500, 400, 300}),
        descriptor(idOf(own), "Own", WindowFrame{0, 770, 40, 30}),
    };
    EXPECT_THAT(ids(support->activatableWindowsForDockActivate(list, appItem("com.google.Chrome"))),
                ElementsAre(idOf(big), idOf(own)));
    // Not for a web app: every window that passed stays.
    EXPECT_EQ(support->activatableWindowsForDockActivate(list, appItem("com.google.Chrome.app.mail")).size(),
              3u);
}

}  // namespace
}  // namespace tavelin
