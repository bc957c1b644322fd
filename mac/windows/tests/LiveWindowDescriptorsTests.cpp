#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "mac/windows/WindowContentRevision.h"
#include "mac/windows/WindowGeometry.h"
#include "mac/windows/tests/WindowFinderWorld.h"

namespace tavelin {
namespace {

using ::testing::ElementsAre;

WindowDescriptor window(std::string windowID, std::string title, std::optional<WindowFrame> frame,
                        WindowState state = WindowState::normal) {
    WindowDescriptor descriptor;
    descriptor.windowID = WindowID(std::move(windowID));
    descriptor.title = std::move(title);
    descriptor.frame = frame;
    descriptor.state = state;
    return descriptor;
}

std::vector<std::string> ids(const std::vector<WindowDescriptor>& windows) {
    std::vector<std::string> result;
    for (const auto& w : windows) result.push_back(w.windowID.rawValue());
    return result;
}

constexpr char kUUID[] = "6F1C2A44-7D0B-4C7E-9C55-1B8A3E2D9F10";

TEST(WindowActivationRankTest, NumberTitleAndCappedAreaAddUp) {
    EXPECT_EQ(windowActivationRank(window("4711", "Report", WindowFrame{0, 0, 1000, 800})), 91000);
    EXPECT_EQ(windowActivationRank(window(kUUID, "", WindowFrame{0, 0, 200, 100})), 20000);
    EXPECT_EQ(windowActivationRank(window(kUUID, "", WindowFrame{0, 0, 10.9, 10})), 109);  // truncated
    EXPECT_EQ(windowActivationRank(window("0012", "", std::nullopt)), 10000);
    EXPECT_EQ(windowActivationRank(window("+12", "x", std::nullopt)), 1000);
}

TEST(WindowActivationRankTest, HighestFirstAndTiesKeepTheirOrder) {
    const auto ranked = rankedWindowDescriptorsForActivation({
        window("a", "", WindowFrame{0, 0, 200, 100}),
        window("1", "Report", WindowFrame{0, 0, 1000, 800}),
        window("b", "", WindowFrame{0, 0, 100, 200}),
        window("c", "", WindowFrame{0, 0, 200, 100}),
    });
    EXPECT_THAT(ids(ranked), ElementsAre("1", "a", "b", "c"));
}

class LiveWindowDescriptorsTest : public ::testing::Test, protected WindowFinderWorld {
  protected:
    LiveWindowDescriptorsTest() : app(launch("com.example.Editor")) {}

    std::vector<WindowDescriptor> live() {
        return support->liveUserWindowDescriptors(appItem("com.example.Editor"));
    }
    std::uint64_t secondSpaceOfBuiltInScreen() {
        return mac->windowWorld().displaySpaces().front().spaces.at(1);
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

    const auto windows = live();
    ASSERT_EQ(windows.size(), 4u);
    const auto& first = windows[0];
    EXPECT_EQ(first.windowID.rawValue(), std::to_string(numberOf(report)));
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
    EXPECT_EQ(second.windowID.rawValue(), std::to_string(numberOf(studio)));
    EXPECT_EQ(second.title, "Server Name");
    EXPECT_EQ(second.screenID, ScreenID("2"));
    EXPECT_EQ(second.state, WindowState::fullscreen);
    EXPECT_TRUE(second.supportsFullScreen);

    // The window server's frame stands in for one Accessibility will not give.
    const auto& third = windows[2];
    EXPECT_EQ(third.windowID.rawValue(), std::to_string(numberOf(unframed)));
    EXPECT_EQ(third.frame, (WindowFrame{300, 450, 200, 150}));
    EXPECT_TRUE(third.supportsResize);

    const auto& fourth = windows[3];
    EXPECT_FALSE(parseCGWindowID(fourth.windowID));
    EXPECT_EQ(fourth.windowID.rawValue().size(), 36u);
    EXPECT_EQ(fourth.title, "Lost");
    EXPECT_EQ(windowActivationRank(fourth), 1000 + 20000);
    // A window without a number gets a new identity every time.
    EXPECT_NE(live()[3].windowID, fourth.windowID);
}

TEST_F(LiveWindowDescriptorsTest, HiddenAndMinimizedWindowsAreLeftOut) {
    add(app, "Hidden", {0, 100, 400, 300}, [](sim::SimWindow& w) { w.ax.hidden = true; });
    add(app, "Hidden and minimized", {0, 100, 400, 300}, [](sim::SimWindow& w) {
        w.ax.hidden = true;
        w.ax.minimized = true;
    });
    add(app, "Minimized", {0, 100, 400, 300}, [](sim::SimWindow& w) { w.ax.minimized = true; });
    const auto shown = add(app, "Shown", {0, 100, 400, 300}, [](sim::SimWindow& w) { w.ax.hidden = false; });
    EXPECT_THAT(ids(live()), ElementsAre(std::to_string(numberOf(shown))));
}

TEST_F(LiveWindowDescriptorsTest, AWindowWithoutANumberSourceIsMatchedByFrameUnlessItIsMinimized) {
    auto unlinked = [](sim::SimWindow& w) {
        w.ax.exposesWindowNumber = false;
        w.ax.privateWindowNumber = std::unexpected(AXError::failure);
    };
    const auto key = add(app, "Sketch", {0, 100, 400, 300}, unlinked);
    EXPECT_THAT(ids(live()), ElementsAre(std::to_string(numberOf(key))));
}

TEST_F(LiveWindowDescriptorsTest, ActivatableWindowsAreOnScreenOrWaitingOnAnotherSpace) {
    const auto item = appItem("com.example.Editor");
    const auto shown = add(app, "Shown", {0, 100, 400, 300});
    const auto away = add(app, "Away", {0, 100, 400, 300},
                          [&](sim::SimWindow& w) { w.space = secondSpaceOfBuiltInScreen(); });
    const auto orderedOut =
        add(app, "Ordered out", {0, 100, 400, 300}, [](sim::SimWindow& w) { w.onScreen = false; });
    const auto list = std::vector{
        window(std::to_string(numberOf(orderedOut)), "Ordered out", WindowFrame{0, 500, 400, 300}),
        window(std::to_string(numberOf(away)), "Away", WindowFrame{0, 500, 400, 300}),
        window("999999", "Gone", WindowFrame{0, 500, 400, 300}),
        window(kUUID, "Narrow", WindowFrame{0, 0, 79, 500}),
        window("A-UUID", "Sizeable", WindowFrame{0, 0, 80, 60}),
        window(std::to_string(numberOf(shown)), "Shown", WindowFrame{0, 500, 400, 300}),
        window(std::to_string(numberOf(shown)), "Minimized", WindowFrame{0, 500, 400, 300},
               WindowState::minimized),
    };
    EXPECT_THAT(ids(support->activatableWindowsForDockActivate(list, item)),
                ElementsAre(std::to_string(numberOf(away)), std::to_string(numberOf(shown)), "A-UUID"));
    // The Space lookup and the catalog are written to the window-actions log.
    EXPECT_THAT(
        actionLog.lines(),
        testing::Contains("space SLSCopySpacesForWindows after cgID=" + std::to_string(numberOf(away)) +
                          " space=" + std::to_string(secondSpaceOfBuiltInScreen())));
    EXPECT_THAT(actionLog.lines(), testing::Contains(testing::StartsWith("space catalog display=")));

    // What cannot be told keeps the window: no catalog, or a Space no display holds.
    mac->privateWindowServer().setAnswer("SLSCopyManagedDisplaySpaces", std::nullopt);
    EXPECT_THAT(ids(support->activatableWindowsForDockActivate(list, item)),
                ElementsAre(std::to_string(numberOf(orderedOut)), std::to_string(numberOf(away)),
                            std::to_string(numberOf(shown)), "A-UUID"));
    mac->privateWindowServer().clearAnswer("SLSCopyManagedDisplaySpaces");
    mac->privateWindowServer().setAnswer("SLSCopySpacesForWindows",
                                         PlistValue(PlistArray{PlistValue(std::int64_t{777})}));
    EXPECT_EQ(support->activatableWindowsForDockActivate(list, item).size(), 5u);
    // A window server that answers Space 0 for a window: no Space.
    mac->privateWindowServer().setAnswer("SLSCopySpacesForWindows",
                                         PlistValue(PlistArray{PlistValue(std::int64_t{0})}));
    EXPECT_THAT(ids(support->activatableWindowsForDockActivate(list, item)),
                ElementsAre(std::to_string(numberOf(shown)), "A-UUID"));
}

TEST_F(LiveWindowDescriptorsTest, ABrowsersWindowsOfOtherProcessesNeedAWindowsSize) {
    const auto chrome = launch("com.google.Chrome");
    const auto helper = launch("com.google.Chrome.helper");  // not in a browser's process set
    const auto own = add(chrome, "Own", {0, 100, 40, 30});
    const auto big = add(helper, "Prompt", {0, 100, 400, 300});
    const auto small = add(helper, "Bubble", {0, 100, 79, 60});
    const auto list = std::vector{
        window(std::to_string(numberOf(small)), "Bubble", WindowFrame{0, 740, 79, 60}),
        window(std::to_string(numberOf(big)), "Prompt", WindowFrame{0, 500, 400, 300}),
        window(std::to_string(numberOf(own)), "Own", WindowFrame{0, 770, 40, 30}),
    };
    EXPECT_THAT(ids(support->activatableWindowsForDockActivate(list, appItem("com.google.Chrome"))),
                ElementsAre(std::to_string(numberOf(big)), std::to_string(numberOf(own))));
    // Not for a web app: every window that passed stays.
    EXPECT_EQ(support->activatableWindowsForDockActivate(list, appItem("com.google.Chrome.app.mail")).size(),
              3u);
}

}  // namespace
}  // namespace tavelin
