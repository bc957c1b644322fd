#include <gtest/gtest.h>

#include "mac/windows/AXWindowSupport.h"
#include "mac/windows/tests/WindowActionWorld.h"

namespace tavelin {
namespace {

class WindowActionOperationsTest : public ::testing::Test, protected WindowActionWorld {
  protected:
    explicit WindowActionOperationsTest(const std::function<void(sim::Desktop&)>& edit = {})
        : WindowActionWorld(edit) {}

    int calls(std::string_view call) const {
        return static_cast<int>(std::ranges::count(mac->calls().calls(), std::string(call)));
    }
    std::optional<WindowFrame> frame(std::string_view title) {
        return AXWindowSupport(platform()).axFrame(element(title));
    }
    // Runs the operation and reports how long it blocked.
    template <class Operation>
    Duration timed(Operation operation) {
        const auto start = now();
        operation();
        return now() - start;
    }
    // Moves the window, labelled by its title, which must succeed; how long the move blocked.
    Duration move(std::string_view title, std::optional<ScreenID> target, std::optional<ScreenID> current) {
        return timed([&] {
            EXPECT_TRUE(
                service.moveToScreen(element(title), target, current, std::string(title)).isSuccess());
        });
    }
};

TEST_F(WindowActionOperationsTest, CloseAndMinimizePressTheButtonElseActOnTheWindow) {
    EXPECT_TRUE(service.close(element("Front")).isSuccess());
    EXPECT_EQ(calls("Accessibility.perform AXPress"), 1);
    scheduler.advance(100ms);
    EXPECT_FALSE(mac->windowWorld().window(key("Front")));

    editWindow("Notes", [](sim::SimWindow& w) { w.ax.closeButton = w.ax.minimizeButton = false; });
    EXPECT_TRUE(service.minimize(element("Notes")).isSuccess());
    EXPECT_EQ(calls("Accessibility.set AXMinimized"), 1);
    scheduler.advance(100ms);
    EXPECT_TRUE(mac->windowWorld().window(key("Notes"))->ax.minimized);
    EXPECT_TRUE(service.close(element("Notes")).isSuccess());
    EXPECT_EQ(calls("Accessibility.perform AXCancel"), 1);

    editWindow("Studio", [](sim::SimWindow& w) { w.ax.refusals["AXPress"] = AXError::cannotComplete; });
    EXPECT_EQ(service.close(element("Studio")), unavailableResult("close failed"));
    EXPECT_EQ(service.minimize(element("Studio")), unavailableResult("minimize failed"));
    editWindow("Studio", [](sim::SimWindow& w) {
        w.ax.closeButton = false;
        w.ax.refusals["AXCancel"] = AXError::cannotComplete;
    });
    EXPECT_EQ(service.close(element("Studio")), unavailableResult("close failed"));
}

TEST_F(WindowActionOperationsTest, FullScreenTogglesAndFallsBackToItsButton) {
    EXPECT_TRUE(service.fullScreen(element("Front")).isSuccess());
    scheduler.advance(100ms);
    EXPECT_TRUE(mac->windowWorld().window(key("Front"))->ax.fullScreen);
    // On a full-screen window it leaves full screen.
    EXPECT_TRUE(service.fullScreen(element("Front")).isSuccess());
    scheduler.advance(100ms);
    EXPECT_FALSE(mac->windowWorld().window(key("Front"))->ax.fullScreen);

    editWindow("Notes", [](sim::SimWindow& w) { w.ax.refusals["AXFullScreen"] = AXError::attributeUnsupported; });
    EXPECT_TRUE(service.fullScreen(element("Notes")).isSuccess());
    EXPECT_EQ(calls("Accessibility.perform AXPress"), 1);
    editWindow("Notes", [](sim::SimWindow& w) { w.ax.refusals["AXPress"] = AXError::cannotComplete; });
    EXPECT_EQ(service.fullScreen(element("Notes")), unavailableResult("fullscreen failed"));
    editWindow("Notes", [](sim::SimWindow& w) { w.ax.fullScreenButton = false; });
    EXPECT_EQ(service.fullScreen(element("Notes")), unavailableResult("fullscreen unsupported"));
}

TEST_F(WindowActionOperationsTest, LeavingFullScreenPollsFifteenTimesThenReadsOnceMore) {
    WindowDescriptor descriptor;
    EXPECT_EQ(timed([&] { EXPECT_EQ(service.exitFullScreenIfNeeded(element("Front"), descriptor), std::nullopt); }),
              0ms);

    mac->windowWorld().setFullScreen(key("Front"), true);
    mac->windowWorld().setStateDelay(300ms);
    EXPECT_EQ(timed([&] { EXPECT_EQ(service.exitFullScreenIfNeeded(element("Front"), descriptor), std::nullopt); }),
              300ms);
    EXPECT_FALSE(mac->windowWorld().window(key("Front"))->ax.fullScreen);

    // A window that says it is in full screen for longer than the poll lasts.
    mac->windowWorld().setFullScreen(key("Front"), true);
    mac->windowWorld().setStateDelay(760ms);
    EXPECT_EQ(timed([&] {
                  EXPECT_EQ(service.exitFullScreenIfNeeded(element("Front"), descriptor),
                            unavailableResult("fullscreen exit failed"));
              }),
              750ms);
    // Leaving it 750 ms later: the read after the fifteenth sleep sees it.
    scheduler.advance(10ms);
    mac->windowWorld().setFullScreen(key("Front"), true);
    mac->windowWorld().setStateDelay(750ms);
    EXPECT_TRUE(service.exitFullScreenForActivate(element("Front")));
}

TEST_F(WindowActionOperationsTest, MaximizeAndTileFillTheVisibleFrameAnimatedWhateverTheMotionSetting) {
    mac->workspace().setReduceMotion(true);
    EXPECT_TRUE(service.tileWindow(element("Front"), WindowTileKind::topLeft, ScreenID("1"), "w").isSuccess());
    EXPECT_EQ(frame("Front"), (WindowFrame{0, 462.5, 720, 437.5}));
    EXPECT_EQ(calls("Accessibility.set AXPosition"), 17);

    // An unknown screen is the main screen; a minimized window is restored first.
    mac->windowWorld().setMinimized(key("Studio"), true);
    EXPECT_TRUE(service.maximize(element("Studio"), ScreenID("99"), "w").isSuccess());
    EXPECT_FALSE(mac->windowWorld().window(key("Studio"))->ax.minimized);
    EXPECT_EQ(frame("Studio"), (WindowFrame{0, 25, 1440, 875}));

    editWindow("Notes", [](sim::SimWindow& w) { w.ax.refusals["AXSize"] = AXError::cannotComplete; });
    EXPECT_EQ(service.maximize(element("Notes"), std::nullopt, "w"), unavailableResult("maximize failed"));
    EXPECT_EQ(service.tileWindow(element("Notes"), WindowTileKind::leftHalf, std::nullopt, "w"),
              unavailableResult("tile failed"));
    editWindow("Notes", [](sim::SimWindow& w) {
        w.ax.minimized = true;
        w.ax.refusals["AXMinimized"] = AXError::cannotComplete;
    });
    EXPECT_EQ(service.maximize(element("Notes"), std::nullopt, "w"), unavailableResult("unminimize failed"));
}

TEST_F(WindowActionOperationsTest, MovingPausesAfterTheGlideOrBrieflyUnderReducedMotion) {
    // 16 glide steps 12.5 ms apart, then 0.22 s, during which no queued work runs.
    std::optional<Duration> ranAt;
    scheduler.main().asyncAfter(300ms, [&] { ranAt = now(); });
    EXPECT_EQ(move("Front", ScreenID("2"), ScreenID("1")), 187500us + 220ms);
    EXPECT_EQ(frame("Front"), (WindowFrame{2000, 227.5, 800, 600}));
    EXPECT_EQ(ranAt, std::nullopt);
    scheduler.runUntilIdle();
    EXPECT_EQ(ranAt, 187500us + 220ms);
    EXPECT_EQ(stamped.lines(),
              std::vector<std::string>{"moveToScreen after window=Front target=2 axScreen=2"});

    mac->workspace().setReduceMotion(true);
    EXPECT_EQ(move("Front", std::nullopt, ScreenID("2")), 50ms);
    EXPECT_EQ(stamped.lines().size(), 1u);  // no target, no line
    settings.respectReduceMotion = false;
    EXPECT_EQ(move("Front", ScreenID("2"), std::nullopt), 187500us + 220ms);

    // A failed write returns before the pause.
    editWindow("Notes", [](sim::SimWindow& w) { w.ax.refusals["AXSize"] = AXError::cannotComplete; });
    EXPECT_EQ(timed([&] {
                  EXPECT_EQ(service.moveToScreen(element("Notes"), ScreenID("2"), std::nullopt, "N"),
                            unavailableResult("move failed"));
              }),
              0ms);
    // Target and current the same: nothing at all.
    EXPECT_EQ(move("Notes", ScreenID("1"), ScreenID("1")), 0ms);
}

TEST_F(WindowActionOperationsTest, WithoutScreensNothingIsPlaced) {
    const auto front = element("Front");
    mac->displays().setScreens({});
    EXPECT_EQ(service.maximize(front, std::nullopt, "F"), unavailableResult("no screen"));
    EXPECT_EQ(service.tileWindow(front, WindowTileKind::leftHalf, ScreenID("1"), "F"), unavailableResult("no screen"));
    EXPECT_EQ(service.moveToScreen(front, ScreenID("2"), ScreenID("1"), "F"), unavailableResult("no screen"));
    EXPECT_EQ(calls("Accessibility.set AXPosition"), 0);
}

class ThreeDisplayOperationsTest : public WindowActionOperationsTest {
  protected:
    ThreeDisplayOperationsTest()
        : WindowActionOperationsTest([](sim::Desktop& desktop) {
              desktop.screens.push_back(sim::DesktopScreen{.name = "Side", .frame = {3360, 0, 1280, 800}, .number = 3});
          }) {}
    std::optional<ScreenID> screenOf(std::string_view title) {
        const auto screen = ScreenSupport(mac->displays()).findScreen(*frame(title));
        return screen ? std::optional(ScreenSupport::screenID(*screen)) : std::nullopt;
    }
};

TEST_F(ThreeDisplayOperationsTest, WithoutATargetTheWindowGoesToTheNextDisplayCyclically) {
    move("Studio", std::nullopt, ScreenID("2"));
    EXPECT_EQ(screenOf("Studio"), ScreenID("3"));
    move("Studio", std::nullopt, ScreenID("3"));
    EXPECT_EQ(screenOf("Studio"), ScreenID("1"));
    // A current screen that is not connected: the first screen.
    move("Notes", std::nullopt, ScreenID("7"));
    EXPECT_EQ(screenOf("Notes"), ScreenID("1"));
    // A disconnected target falls back on the next screen.
    move("Notes", ScreenID("7"), ScreenID("1"));
    EXPECT_EQ(screenOf("Notes"), ScreenID("2"));
}

class OneDisplayOperationsTest : public WindowActionOperationsTest {
  protected:
    OneDisplayOperationsTest()
        : WindowActionOperationsTest([](sim::Desktop& desktop) {
              desktop.screens.pop_back();
              std::erase_if(desktop.windows, [](const sim::DesktopWindow& w) { return w.title == "Studio"; });
          }) {}
};

TEST_F(OneDisplayOperationsTest, WithoutATargetOnOneDisplayNothingMoves) {
    const auto before = bounds("Front");
    EXPECT_EQ(move("Front", std::nullopt, ScreenID("1")), 0ms);
    EXPECT_EQ(bounds("Front"), before);
    EXPECT_EQ(calls("Accessibility.set AXPosition"), 0);
}

}  // namespace
}  // namespace tavelin
