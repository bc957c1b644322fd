#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

#include "platform/sim/SimMac.h"
#include "platform/sim/tests/TwoScreenDesktop.h"
#include "platform/tests/TemporaryFolder.h"
#include "protocol/JsonCoding.h"
#include "runtime/VirtualScheduler.h"

namespace tavelin::sim {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;

class WindowWorldTest : public ::testing::Test {
  protected:
    WindowWorldTest() {
        auto desktop = decodeJSON<Desktop>(kTwoScreenDesktop);
        EXPECT_TRUE(desktop) << desktop.error().message;
        mac = std::make_unique<SimMac>(std::move(*desktop), home.path(), scheduler, log);
        mac->accessibility().setProcessTrusted(true);
        mac->privacy().setScreenCaptureAccess(true);
        safari = mac->workspace().process("com.apple.Safari")->processIdentifier;
        notes = mac->workspace().process("com.apple.Notes")->processIdentifier;
    }

    SimWindowWorld& world() { return mac->windowWorld(); }
    const SimAccessibility& ax() { return mac->accessibility(); }

    // The number of the window with that title.
    std::uint32_t number(std::string_view title) {
        for (const auto& state : world().windows()) {
            if (state.window.name == title) return state.window.number;
        }
        ADD_FAILURE() << title;
        return 0;
    }
    AXElement element(std::string_view title) { return *ax().windowElement(number(title)); }

    // The titles of application windows in the list with that option, front to back.
    std::vector<std::string> listed(WindowListOption option, std::uint32_t relativeTo = 0) {
        std::vector<std::string> titles;
        const auto list = mac->windowServer().copyWindowInfo(option, relativeTo);
        for (const auto& entry : *list->getIf<PlistArray>()) {
            const auto& info = *entry.getIf<PlistDict>();
            const auto* name = info.find(kCGWindowName);
            titles.push_back(name ? *name->getIf<std::string>() : "(" + std::to_string(*info.find(kCGWindowLayer)->getIf<std::int64_t>()) + ")");
        }
        return titles;
    }
    std::vector<std::string> onScreen() { return listed(WindowListOption::onScreenOnly | WindowListOption::excludeDesktopElements); }

    TemporaryFolder home;
    VirtualScheduler scheduler;
    CapturedSystemLog log;
    std::unique_ptr<SimMac> mac;
    std::int32_t safari = 0;
    std::int32_t notes = 0;
};

TEST_F(WindowWorldTest, TheListAnswersEachOptionAsAMacDoes) {
    // 17: on screen and no desktop pictures; the window on the other Space is left out.
    EXPECT_THAT(onScreen(), ElementsAre("Menubar", "Front", "Notes", "Studio"));
    // 16: every window but the desktop pictures, on screen or not.
    EXPECT_THAT(listed(WindowListOption::excludeDesktopElements),
                ElementsAre("Menubar", "Front", "Notes", "Elsewhere", "Studio"));
    // 0: everything, the desktop pictures at the back.
    EXPECT_THAT(listed(WindowListOption::all),
                ElementsAre("Menubar", "Front", "Notes", "Elsewhere", "Studio", "Wallpaper-2", "Wallpaper-1"));
    // 8: the one window, even off screen.
    EXPECT_THAT(listed(WindowListOption::includingWindow, number("Elsewhere")), ElementsAre("Elsewhere"));

    const auto list = mac->windowServer().copyWindowInfo(WindowListOption::includingWindow, number("Studio"));
    const auto& info = *(*list->getIf<PlistArray>())[0].getIf<PlistDict>();
    EXPECT_EQ(info, (PlistDict{{"kCGWindowNumber", number("Studio")},
                               {"kCGWindowOwnerPID", safari},
                               {"kCGWindowLayer", 0},
                               {"kCGWindowBounds", PlistDict{{"X", 1540.0}, {"Y", 200.0}, {"Width", 800.0}, {"Height", 600.0}}},
                               {"kCGWindowIsOnscreen", true},
                               {"kCGWindowName", "Studio"}}));

    // Without the permission other applications' names are withheld.
    mac->privacy().setScreenCaptureAccess(false);
    EXPECT_THAT(onScreen(), ElementsAre("Menubar", "(0)", "(0)", "(0)"));
}

TEST_F(WindowWorldTest, AnAccessibilityWriteIsSeenInTheListAndTheNextPicture) {
    const auto front = element("Front");
    ASSERT_TRUE(ax().setAttributeValue(front, "AXPosition", Point{10, 40}));
    ASSERT_TRUE(ax().setAttributeValue(front, "AXSize", Size{300, 200}));
    EXPECT_EQ(ax().copyAttributeValue(front, "AXFrame"), AXValue(Rect{10, 40, 300, 200}));
    EXPECT_EQ(world().window(number("Front"))->bounds, (Rect{10, 40, 300, 200}));
    const auto picture = mac->windowServer().createWindowImage(std::nullopt, WindowListOption::includingWindow,
                                                               number("Front"), WindowImageOption::bestResolution);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->width, 600);  // the built-in screen's two pixels per point
    EXPECT_EQ(picture->height, 400);
    EXPECT_NE(picture->pixel(0, 0), picture->pixel(599, 399));

    // A write of the wrong type is refused; a lagging write answers at once and lands later.
    EXPECT_EQ(ax().setAttributeValue(front, "AXPosition", Size{1, 1}), std::unexpected(AXError::illegalArgument));
    auto window = *world().window(number("Front"));
    window.ax.writeLag = 100ms;
    window.ax.refusals["AXSize"] = AXError::cannotComplete;
    world().setWindow(number("Front"), window);
    EXPECT_TRUE(ax().setAttributeValue(front, "AXPosition", Point{0, 25}));
    EXPECT_EQ(ax().setAttributeValue(front, "AXSize", Size{1, 1}), std::unexpected(AXError::cannotComplete));
    EXPECT_EQ(world().window(number("Front"))->bounds.y, 40);
    scheduler.sleepBlocking(100ms);
    EXPECT_EQ(world().window(number("Front"))->bounds, (Rect{0, 25, 300, 200}));
}

TEST_F(WindowWorldTest, HidingMinimisingAndSwitchingSpacesChangeTheOnScreenSetAtOnce) {
    mac->workspace().hide(notes);
    EXPECT_THAT(onScreen(), ElementsAre("Menubar", "Front", "Studio"));
    // Accessibility still sees the hidden application's window, and "AXHidden" is not its flag.
    EXPECT_EQ(ax().copyAttributeValue(element("Notes"), "AXHidden"), std::unexpected(AXError::attributeUnsupported));
    mac->workspace().unhide(notes);

    world().setStateDelay(300ms);
    ASSERT_TRUE(ax().setAttributeValue(element("Front"), "AXMinimized", true));
    EXPECT_EQ(ax().copyAttributeValue(element("Front"), "AXMinimized"), AXValue(false));
    scheduler.sleepBlocking(300ms);
    EXPECT_EQ(ax().copyAttributeValue(element("Front"), "AXMinimized"), AXValue(true));
    EXPECT_THAT(onScreen(), ElementsAre("Menubar", "Notes", "Studio"));

    const auto builtIn = world().displaySpaces()[0];
    ASSERT_EQ(builtIn.spaces.size(), 2u);
    ASSERT_TRUE(world().switchToSpace(builtIn.spaces[1]));
    EXPECT_THAT(onScreen(), ElementsAre("Menubar", "Elsewhere", "Studio"));
}

TEST_F(WindowWorldTest, RaisingAWindowOnAHiddenSpaceSwitchesItsDisplayAfterTheSwitchDelay) {
    world().setSwitchDelay(250ms);
    ASSERT_TRUE(ax().performAction(element("Elsewhere"), "AXRaise"));
    EXPECT_EQ(listed(WindowListOption::excludeDesktopElements)[1], "Elsewhere");  // in front at once
    EXPECT_EQ(ax().copyAttributeValue(AXElement{safari, 0}, "AXWindows"),
              (AXValue(std::vector{element("Elsewhere"), element("Front"), element("Studio")})));
    scheduler.sleepBlocking(249ms);
    EXPECT_THAT(onScreen(), ElementsAre("Menubar", "Front", "Notes", "Studio"));
    scheduler.sleepBlocking(1ms);
    EXPECT_THAT(onScreen(), ElementsAre("Menubar", "Elsewhere", "Studio"));
    // The other display keeps its Space.
    EXPECT_EQ(world().displaySpaces()[1].currentSpace, world().displaySpaces()[1].spaces[0]);

    // Without the setting a raise switches nothing.
    world().setRaiseSwitchesSpace(false);
    ASSERT_TRUE(ax().performAction(element("Front"), "AXRaise"));
    scheduler.sleepBlocking(1s);
    EXPECT_THAT(onScreen(), ElementsAre("Menubar", "Elsewhere", "Studio"));
}

TEST_F(WindowWorldTest, ActivatingAnApplicationWithNoWindowShowingSwitchesToItsWindowsSpace) {
    ASSERT_TRUE(world().setWindowSpace(number("Notes"), world().displaySpaces()[0].spaces[1]));
    EXPECT_THAT(onScreen(), ElementsAre("Menubar", "Front", "Studio"));
    mac->workspace().activate(notes);
    EXPECT_THAT(onScreen(), ElementsAre("Menubar", "Notes", "Elsewhere", "Studio"));
    // Safari shows a window on the other display: activating it switches nothing.
    mac->workspace().activate(safari);
    EXPECT_THAT(onScreen(), ElementsAre("Menubar", "Notes", "Elsewhere", "Studio"));
}

TEST_F(WindowWorldTest, AnUnresponsiveApplicationCostsEachCallItsElementsTimeout) {
    world().setResponsive(safari, false);
    ASSERT_TRUE(ax().setMessagingTimeout(AXElement{safari, 0}, 2.0));
    const auto start = scheduler.clock().uptime();
    EXPECT_EQ(ax().copyAttributeValue(AXElement{safari, 0}, "AXWindows"), std::unexpected(AXError::cannotComplete));
    EXPECT_EQ(scheduler.clock().uptime() - start, 2s);
    // A window element waits its own timeout: the platform's 6 s unless set.
    world().setResponsive(safari, true);
    const auto front = element("Front");
    world().setResponsive(safari, false);
    EXPECT_EQ(ax().performAction(front, "AXRaise"), std::unexpected(AXError::cannotComplete));
    EXPECT_EQ(scheduler.clock().uptime() - start, 8s);
    // Notes answers at once.
    EXPECT_TRUE(ax().copyAttributeValue(AXElement{notes, 0}, "AXWindows"));
    EXPECT_EQ(scheduler.clock().uptime() - start, 8s);

    mac->accessibility().setProcessTrusted(false);
    EXPECT_EQ(ax().copyAttributeValue(AXElement{notes, 0}, "AXWindows"), std::unexpected(AXError::apiDisabled));
    EXPECT_EQ(ax().windowNumber(element("Notes")), std::unexpected(AXError::apiDisabled));
}

TEST_F(WindowWorldTest, WindowElementsServeTypedValuesOverridesAndThePrivateNumber) {
    const auto notesWindow = element("Notes");
    EXPECT_EQ(ax().copyAttributeValue(notesWindow, "AXWindowNumber"), AXValue(std::int64_t{number("Notes")}));
    EXPECT_EQ(ax().windowNumber(notesWindow), number("Notes"));
    EXPECT_EQ(ax().copyAttributeValue(notesWindow, "AXPosition"), AXValue(Point{200, 400}));
    EXPECT_EQ(ax().copyAttributeValue(notesWindow, "AXSize"), AXValue(Size{400, 300}));
    EXPECT_EQ(ax().copyAttributeValue(notesWindow, "AXSubrole"), AXValue(std::string("AXStandardWindow")));

    auto window = *world().window(number("Notes"));
    window.ax.exposesWindowNumber = false;
    window.ax.privateWindowNumber = 0u;
    window.ax.overrides["AXMinimized"] = AXValue(std::string("yes"));
    window.ax.closeButton = false;
    world().setWindow(number("Notes"), window);
    EXPECT_EQ(ax().copyAttributeValue(notesWindow, "AXWindowNumber"), std::unexpected(AXError::attributeUnsupported));
    EXPECT_EQ(ax().windowNumber(notesWindow), 0u);
    EXPECT_EQ(ax().copyAttributeValue(notesWindow, "AXMinimized"), AXValue(std::string("yes")));
    EXPECT_EQ(ax().copyAttributeValue(notesWindow, "AXCloseButton"), std::unexpected(AXError::attributeUnsupported));

    // A window that only Accessibility sees has no number; one that only the window server lists has no
    // element.
    const auto phantom = world().addWindow(SimWindow{.ownerPID = notes, .bounds = {0, 0, 10, 10}, .listed = false});
    const auto unseen = world().addWindow(SimWindow{.ownerPID = notes, .name = "Unseen", .bounds = {0, 0, 100, 100},
                                                    .ax = SimAXWindow{.accessible = false}});
    EXPECT_GE(phantom, SimWindowKey{1} << 32);
    EXPECT_EQ(ax().windowNumber(*ax().windowElement(phantom)), std::unexpected(AXError::failure));
    EXPECT_FALSE(ax().windowElement(unseen));
    EXPECT_EQ(ax().copyAttributeValue(AXElement{notes, 0}, "AXWindows"),
              AXValue(std::vector{*ax().windowElement(phantom), notesWindow}));
    EXPECT_THAT(onScreen(), ElementsAre("Menubar", "Unseen", "Front", "Notes", "Studio"));
}

TEST_F(WindowWorldTest, ButtonsActAfterTheStateDelayAndNumbersAreNeverReused) {
    world().setStateDelay(200ms);
    const auto closeButton = std::get<AXElement>(*ax().copyAttributeValue(element("Notes"), "AXCloseButton"));
    const auto closed = number("Notes");
    ASSERT_TRUE(ax().performAction(closeButton, "AXPress"));
    EXPECT_THAT(onScreen(), ElementsAre("Menubar", "Front", "Notes", "Studio"));
    scheduler.sleepBlocking(200ms);
    EXPECT_THAT(onScreen(), ElementsAre("Menubar", "Front", "Studio"));
    EXPECT_EQ(ax().copyAttributeValue(closeButton, "AXRole"), std::unexpected(AXError::invalidUIElement));
    EXPECT_FALSE(mac->windowServer().createWindowImage(std::nullopt, WindowListOption::includingWindow, closed,
                                                       WindowImageOption::bestResolution));

    const auto again = world().addWindow(SimWindow{.ownerPID = notes, .name = "Again", .bounds = {0, 0, 100, 100}});
    EXPECT_GT(again, closed);

    const auto fullScreen = std::get<AXElement>(*ax().copyAttributeValue(element("Front"), "AXFullScreenButton"));
    ASSERT_TRUE(ax().performAction(fullScreen, "AXPress"));
    scheduler.sleepBlocking(200ms);
    EXPECT_EQ(ax().copyAttributeValue(element("Front"), "AXFrame"), AXValue(Rect{0, 0, 1440, 900}));
    ASSERT_TRUE(ax().setAttributeValue(element("Front"), "AXFullScreen", false));
    scheduler.sleepBlocking(200ms);
    EXPECT_EQ(ax().copyAttributeValue(element("Front"), "AXFrame"), AXValue(Rect{100, 200, 800, 600}));
    EXPECT_EQ(ax().performAction(element("Front"), "AXPress"), std::unexpected(AXError::actionUnsupported));
}

TEST_F(WindowWorldTest, CapturesNeedAPictureTheGrantOrOwnership) {
    auto window = *world().window(number("Notes"));
    window.content = uniformContent(Rgba{255, 255, 255, 255});
    world().setWindow(number("Notes"), window);
    const auto capture = [&](std::uint32_t n, WindowImageOption option = WindowImageOption::bestResolution) {
        return mac->windowServer().createWindowImage(std::nullopt, WindowListOption::includingWindow, n, option);
    };
    const auto white = capture(number("Notes"), WindowImageOption::nominalResolution);
    ASSERT_TRUE(white);
    EXPECT_EQ(white->width, 400);
    EXPECT_TRUE(std::ranges::all_of(white->pixels, [](std::uint8_t byte) { return byte == 255; }));
    // Off screen on another Space, still captured.
    EXPECT_TRUE(capture(number("Elsewhere")));

    window.content = nullptr;
    world().setWindow(number("Notes"), window);
    EXPECT_FALSE(capture(number("Notes")));

    mac->privacy().setScreenCaptureAccess(false);
    EXPECT_FALSE(capture(number("Front")));
    const auto own = world().addWindow(
        SimWindow{.ownerPID = world().ownProcess(), .name = "Settings", .bounds = {0, 0, 100, 100}});
    EXPECT_TRUE(capture(static_cast<std::uint32_t>(own)));
}

TEST_F(WindowWorldTest, ARemovedScreensWindowsGoToThePrimaryScreen) {
    mac->displays().removeScreen(1);
    // As far from the first screen's top-left corner as from its own screen's (which reached 180 points
    // higher).
    EXPECT_EQ(world().window(number("Studio"))->bounds, (Rect{100, 380, 800, 600}));
    EXPECT_EQ(world().window(number("Studio"))->space, world().displaySpaces()[0].currentSpace);
    EXPECT_THAT(onScreen(), ElementsAre("Menubar", "Front", "Notes", "Studio"));
    // A screen connected later starts with a Space of its own.
    mac->displays().addScreen(DesktopScreen{"Projector", Rect{1440, 0, 1024, 768}, 3});
    const auto spaces = world().displaySpaces();
    ASSERT_EQ(spaces.size(), 2u);
    EXPECT_EQ(spaces[1].spaces.size(), 1u);
    EXPECT_EQ(spaces[1].uuid, "5D1A7E00-0000-4000-8000-000000000003");
    EXPECT_THAT(spaces[0].spaces, ::testing::Not(::testing::Contains(spaces[1].currentSpace)));
}

TEST_F(WindowWorldTest, ThePointerWarpsInWindowServerCoordinatesFromAnyThread) {
    std::jthread([&] { mac->mouseCursor().warpMouseCursorPosition(Point{100, 800}); }).join();
    mac->mouseCursor().postMouseMoved(Point{100, 800});
    EXPECT_EQ(mac->displays().mouseLocation(), (Point{100, 100}));
    EXPECT_EQ(world().pointerEvents(),
              (std::vector<SimPointerEvent>{{SimPointerEvent::Kind::warp, {100, 800}, {}},
                                            {SimPointerEvent::Kind::mouseMoved, {100, 800}, {}}}));
}

TEST_F(WindowWorldTest, EndingAProcessTakesItsWindowsAlong) {
    mac->workspace().terminate(notes);
    EXPECT_THAT(onScreen(), ElementsAre("Menubar", "Front", "Studio"));
    EXPECT_EQ(ax().copyAttributeValue(AXElement{notes, 0}, "AXWindows"), std::unexpected(AXError::cannotComplete));
}

}  // namespace
}  // namespace tavelin::sim
