#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>

#include "mac/windows/PointerAnimator.h"
#include "mac/windows/ScreenSupport.h"
#include "mac/windows/WindowActionDisplayResolver.h"
#include "mac/windows/WindowServerQueries.h"
#include "mac/windows/tests/WindowTestWorld.h"

namespace tavelin {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;
using Kind = sim::SimPointerEvent::Kind;

class DisplayResolverTest : public ::testing::Test, protected WindowTestWorld {
  protected:
    ScreenSupport screens{mac->displays()};
    WindowActionDisplayResolver resolver{mac->displays()};
    std::optional<std::string> referenceID() {
        const auto id = resolver.referenceDisplayScreenID();
        return id ? std::optional(id->rawValue()) : std::nullopt;
    }
};

TEST_F(DisplayResolverTest, ScreenIDsFallBackToTheMainScreenButNotForAnUnknownNumber) {
    mac->displays().setMainScreen(1);
    const auto number = [](const std::optional<Screen>& s) { return s ? s->screenNumber : std::nullopt; };
    EXPECT_EQ(number(screens.primaryScreen()), 1u);  // the first, whichever is main
    EXPECT_EQ(number(screens.screen(std::nullopt)), 2u);
    for (const auto* text : {"", "abc", "+1", " 1", "4294967296"}) EXPECT_EQ(number(screens.screen(ScreenID(text))), 2u) << text;
    EXPECT_EQ(number(screens.screen(ScreenID("001"))), 1u);
    EXPECT_FALSE(screens.screen(ScreenID("999")));

    // A screen without a display number is "0", and "0" finds no screen.
    mac->displays().addScreen(sim::DesktopScreen{"Projector", Rect{-800, 0, 800, 600}});
    const auto projector = mac->displays().screens()[2];
    EXPECT_EQ(ScreenSupport::screenID(projector).rawValue(), "0");
    EXPECT_FALSE(screens.screen(ScreenID("0")));
}

TEST_F(DisplayResolverTest, AFramesCentreOnASharedEdgeBelongsToTheScreenItStarts) {
    const auto number = [&](WindowFrame frame) {
        const auto s = screens.findScreen(frame);
        return s ? s->screenNumber : std::nullopt;
    };
    EXPECT_EQ(number({1340, 100, 200, 100}), 2u);  // centre x = 1440
    EXPECT_EQ(number({1339, 100, 200, 100}), 1u);
    EXPECT_EQ(number({1500, 1000, 100, 160}), std::nullopt);  // centre y = 1080: the taller screen's top, out
    EXPECT_EQ(number({1500, 999, 100, 160}), 2u);
    EXPECT_EQ(number({100, 800, 100, 200}), std::nullopt);  // centre y = 900: above the built-in screen
}

TEST_F(DisplayResolverTest, ThePointersScreenCountsItsTopEdge) {
    mac->displays().setMouseLocation({2000, 1080});  // the top edge of the taller screen
    EXPECT_EQ(referenceID(), "2");
    mac->displays().setMouseLocation({1440, 0});  // its bottom-left corner: not in it (y is not above minY)
    EXPECT_EQ(referenceID(), "1");                // none holds it: the first screen
    mac->displays().setMouseLocation({1439, 900});
    EXPECT_EQ(referenceID(), "1");
}

TEST_F(DisplayResolverTest, PinsNestAndADisconnectedPinFallsBackToThePointer) {
    mac->displays().setMouseLocation({100, 100});
    resolver.pinReferenceScreen(ScreenID("2"));
    resolver.pinReferenceScreen(ScreenID("1"));
    resolver.pinReferenceScreen(ScreenID("2"));
    EXPECT_EQ(resolver.pinDepth, 3);
    resolver.unpinReferenceScreen();
    EXPECT_EQ(referenceID(), "2");  // the last one set decides until the depth is back at 0
    resolver.unpinReferenceScreen();
    EXPECT_EQ(referenceID(), "2");
    mac->displays().removeScreen(1);
    EXPECT_EQ(referenceID(), "1");
    resolver.unpinReferenceScreen();
    EXPECT_EQ(resolver.pinDepth, 0);
    EXPECT_FALSE(resolver.pinnedScreenID);
    resolver.unpinReferenceScreen();
    EXPECT_EQ(resolver.pinDepth, 0);
    // A depth below 1 is no pin, whatever the ID.
    resolver.pinnedScreenID = ScreenID("2");
    resolver.pinDepth = -1;
    EXPECT_EQ(referenceID(), "1");
    resolver.unpinReferenceScreen();
    EXPECT_EQ(resolver.pinDepth, 0);
    EXPECT_FALSE(resolver.pinnedScreenID);
}

TEST(DisplayResolverWithoutScreens, FallsBackToTheMainScreen) {
    struct MainOnly final : Screens {
        std::vector<Screen> screens() const override { return {}; }
        std::optional<Screen> mainScreen() const override { return Screen{7, Rect{0, 0, 10, 10}, 7u}; }
        Point mouseLocation() const override { return {}; }
    } screens;
    WindowActionDisplayResolver resolver(screens);
    EXPECT_EQ(resolver.referenceDisplayScreenID()->rawValue(), "7");
}

TEST_F(DisplayResolverTest, WindowServerQueriesReadOneEntryStrictly) {
    WindowServerQueries queries(mac->windowServer(), screens);
    const auto front = number("Front");
    EXPECT_EQ(queries.cgWindowOwnerPID(front), pid("com.apple.Safari"));
    EXPECT_EQ(queries.cgWindowFrame(front), (WindowFrame{100, 100, 800, 600}));
    EXPECT_EQ(queries.cgWindowName(front), "Front");
    EXPECT_FALSE(queries.cgWindowInfo(99999));
    EXPECT_EQ(queries.cgWindowsOrderedOnScreen(), (std::set<std::uint32_t>{number("Menubar"), front, number("Notes"), number("Studio")}));

    const auto with = [&](PlistDict entry) {
        entry.set(kCGWindowNumber, front);
        editWindow(front, [&](sim::SimWindow& window) { window.description = entry; });
    };
    with({{std::string(kCGWindowOwnerPID), "501"}, {std::string(kCGWindowName), " \n\u00a0"}});
    EXPECT_FALSE(queries.cgWindowOwnerPID(front));
    EXPECT_FALSE(queries.cgWindowName(front));
    with({{std::string(kCGWindowOwnerPID), std::int64_t{2147483648}}, {std::string(kCGWindowName), "  Inbox\t"}});
    EXPECT_FALSE(queries.cgWindowOwnerPID(front));
    EXPECT_EQ(queries.cgWindowName(front), "Inbox");
    with({{std::string(kCGWindowOwnerPID), 1.5}});
    EXPECT_FALSE(queries.cgWindowOwnerPID(front));
    with({{std::string(kCGWindowOwnerPID), 2147483647.0}});
    EXPECT_EQ(queries.cgWindowOwnerPID(front), 2147483647);

    // Bounds: a missing origin is 0, a missing or empty size gives no frame.
    EXPECT_EQ(queries.windowFrame(PlistDict{{"Width", 100}, {"Height", 50}}), (WindowFrame{0, 850, 100, 50}));
    EXPECT_FALSE(queries.windowFrame(PlistDict{{"X", 1}, {"Y", 1}, {"Width", 100}}));
    EXPECT_FALSE(queries.windowFrame(PlistDict{{"Width", 100}, {"Height", 0}}));
    EXPECT_FALSE(queries.windowFrame(PlistDict{{"Width", 100.0}, {"Height", INFINITY}}));
    EXPECT_FALSE(queries.windowFrame(PlistValue("X=1")));

    // The on-screen flag as a Boolean or a number; an answer that is no array, or none, is an empty set.
    mac->windowServer().setListReplacement(PlistArray{
        PlistDict{{"kCGWindowNumber", 5}, {"kCGWindowIsOnscreen", 1}},
        PlistDict{{"kCGWindowNumber", 6}, {"kCGWindowIsOnscreen", 0.0}},
        PlistDict{{"kCGWindowNumber", 7}, {"kCGWindowIsOnscreen", true}},
        PlistDict{{"kCGWindowNumber", 8}},
        PlistValue("not an entry"),
        PlistDict{{"kCGWindowNumber", -9}, {"kCGWindowIsOnscreen", true}},
    });
    EXPECT_EQ(queries.cgWindowsOrderedOnScreen(), (std::set<std::uint32_t>{5, 7}));
    mac->windowServer().setListReplacement(PlistDict{{"kCGWindowNumber", 5}});
    EXPECT_TRUE(queries.cgWindowsOrderedOnScreen().empty());
    EXPECT_FALSE(queries.cgWindowInfo(5));
    mac->windowServer().setListReplacement(std::nullopt);
    mac->windowServer().setListAnswers(false);
    EXPECT_TRUE(queries.cgWindowsOrderedOnScreen().empty());
}

class PointerAnimatorTest : public DisplayResolverTest {
  protected:
    std::shared_ptr<PointerAnimator> animator =
        PointerAnimator::create(mac->mouseCursor(), mac->displays(), scheduler);
    std::vector<sim::SimPointerEvent> events(Kind kind) {
        std::vector<sim::SimPointerEvent> found;
        for (const auto& event : mac->windowWorld().pointerEvents()) {
            if (event.kind == kind) found.push_back(event);
        }
        return found;
    }
};

TEST_F(PointerAnimatorTest, AGlideTakesTwentyFourEasedStepsAndLandsOnTheTarget) {
    mac->displays().setMouseLocation({0, 900});  // the top-left corner: (0, 0) for the window server
    animator->move({240, 420}, true);            // (240, 480) for the window server
    EXPECT_TRUE(events(Kind::warp).empty());  // never on the caller's thread
    scheduler.advance(1s);
    const auto warps = events(Kind::warp);
    ASSERT_EQ(warps.size(), 25u);
    EXPECT_EQ(events(Kind::mouseMoved).size(), 25u);
    EXPECT_EQ(warps[11].point, (Point{240 * 0.015625, 480 * 0.015625}));  // (12/24)^6
    EXPECT_EQ(warps[23].point, (Point{240, 480}));
    EXPECT_EQ(warps[24].point, (Point{240, 480}));
    const Duration step = Duration(160ms) / 24;
    EXPECT_EQ(warps[1].at - warps[0].at, step);
    EXPECT_EQ(warps[24].at - warps[0].at, 24 * step);
    EXPECT_EQ(mac->displays().mouseLocation(), (Point{240, 420}));
    EXPECT_EQ(animator->generation(), 1);
}

TEST_F(PointerAnimatorTest, ShortOrUnanimatedMovesJumpOnTheCallersThread) {
    mac->displays().setMouseLocation({100, 100});
    animator->move({105, 100}, true);
    EXPECT_EQ(events(Kind::warp).size(), 1u);
    animator->move({900, 500}, false);
    EXPECT_THAT(events(Kind::warp), ElementsAre(sim::SimPointerEvent{Kind::warp, {105, 800}, {}},
                                                sim::SimPointerEvent{Kind::warp, {900, 400}, {}}));
    EXPECT_EQ(events(Kind::mouseMoved).size(), 2u);
    EXPECT_EQ(animator->generation(), 2);
    scheduler.advance(1s);
    EXPECT_EQ(events(Kind::warp).size(), 2u);
}

TEST_F(PointerAnimatorTest, ANewerGlideStopsTheOlderAtItsNextStep) {
    mac->displays().setMouseLocation({0, 900});
    animator->move({1000, 900}, true);
    scheduler.advance(50ms);
    const auto before = events(Kind::warp).size();  // steps at 0, 6.7, ..., 46.7 ms
    EXPECT_EQ(before, 8u);
    animator->move({100, 100}, true);
    scheduler.advance(1s);
    const auto warps = events(Kind::warp);
    EXPECT_EQ(warps.size(), before + 25);  // the first glide never moved again
    EXPECT_EQ(warps.back().point, (Point{100, 800}));
    EXPECT_EQ(mac->displays().mouseLocation(), (Point{100, 100}));
    // A jump stops a glide too.
    animator->move({1000, 900}, true);
    scheduler.advance(10ms);
    animator->move({5, 5}, false);
    const auto count = events(Kind::warp).size();
    scheduler.advance(1s);
    EXPECT_EQ(events(Kind::warp).size(), count);
    EXPECT_EQ(mac->displays().mouseLocation(), (Point{5, 5}));
}

}  // namespace
}  // namespace tavelin
