#include <gtest/gtest.h>

#include "mac/switcher/views/DockRunningIndicatorMark.h"
#include "mac/switcher/views/DockSeparatorBetweenIconsOverlay.h"
#include "mac/switcher/views/DockSeparatorSlotView.h"
#include "mac/switcher/views/tests/ViewTestSupport.h"

namespace tavelin {
namespace {

using namespace viewtest;

TEST(DockRunningIndicatorMarkTests, DotOrActiveBarInTheSchemesColourAnimatedUnlessMotionIsReduced) {
    struct Case {
        bool active;
        ui::ColorScheme scheme;
        bool reduceMotion;
        double width;
        ui::Color color;
        ui::Animation animation;
    };
    const Case cases[] = {
        {false, ui::ColorScheme::light, false, 6, ui::Color::black(), ui::Animation::easeInOut(0.22)},
        {true, ui::ColorScheme::dark, false, 28, ui::Color::white(), ui::Animation::easeInOut(0.22)},
        {true, ui::ColorScheme::light, true, 28, ui::Color::black(), ui::Animation::none()},
    };
    for (const Case& c : cases) {
        const DockRunningIndicatorMark mark{c.active, DockGridPlatform::mac, c.scheme};
        // The colour comes from the mark's own scheme, motion from the environment's.
        const auto result = layOut([&](const ui::Environment& env) { return mark.body(env).id("mark"); },
                                   {40, 40}, environment(ui::ColorScheme::light, c.reduceMotion));
        const auto fills = ops<ui::FillShapeOp>(result);
        ASSERT_EQ(fills.size(), 1u);
        EXPECT_EQ(fills[0].shape.kind, ui::ShapeKind::capsule);
        EXPECT_EQ(fills[0].rect, (Rect{20 - c.width / 2, 17, c.width, 6}));
        EXPECT_EQ(fills[0].color, c.color);
        EXPECT_EQ(result.view("mark")->animation, c.animation);
        EXPECT_EQ(result.view("mark")->shadow, (ui::Shadow{ui::Color::clear(), 0, 0, 0}));
    }
}

TEST(DockSeparatorOverlayTests, LineStandsMidwayAtTheLeftSquaresMiddleRelativeToTheOverlay) {
    // The left cell is narrower than the icon, so its square shrinks to 40; the line keeps the icon's
    // height. The overlay stands 10 right and 5 down in the named space.
    DockSeparatorBetweenIconsOverlay overlay;
    overlay.pairs = {{{0, 0}, {0, 1}}, {{0, 1}, {0, 2}}};  // the second pair's right cell has no anchor
    overlay.anchors = {{{0, 0}, Rect{0, 0, 40, 100}}, {{0, 1}, Rect{100, 30, 84, 100}}};
    overlay.iconSide = 72;
    overlay.anchorCoordinateSpace = "switcherHost";
    const auto result = layOut(
        [&](const ui::Environment& env) {
            return overlay.body(env)
                .frame(200, 100)
                .padding(ui::EdgeInsets{5, 10, 0, 0})
                .coordinateSpace("switcherHost");
        },
        {210, 105}, environment(ui::ColorScheme::dark));
    const auto fills = ops<ui::FillShapeOp>(result);
    ASSERT_EQ(fills.size(), 1u);
    const double height = 72 * 0.62;
    // Squares [0, 40] and [106, 178]: centre x 73; the left square's middle y 20.
    EXPECT_DOUBLE_EQ(fills[0].rect.x, 73 - 0.5);
    EXPECT_DOUBLE_EQ(fills[0].rect.y, 20 - height / 2);
    EXPECT_DOUBLE_EQ(fills[0].rect.width, 1);
    EXPECT_DOUBLE_EQ(fills[0].rect.height, height);
    EXPECT_EQ(fills[0].color, ui::Color::white());
}

TEST(DockSeparatorSlotTests, ReservesInvisibleRoomByKind) {
    struct Case {
        SeparatorKind kind;
        std::optional<Rect> square;  // a separator's is empty and lies nowhere
    };
    const Case cases[] = {{SeparatorKind::spacer, Rect{0, 0, 72, 72}},
                          {SeparatorKind::smallSpacer, Rect{18, 0, 36, 72}},
                          {SeparatorKind::separator, std::nullopt}};
    for (const Case& c : cases) {
        const DockSeparatorSlotView slot{c.kind, 72, 100, 0.4};
        const auto result = layOut([&](const ui::Environment&) { return slot.body().id("slot"); }, {72, 100});
        EXPECT_TRUE(result.displayList.empty());
        EXPECT_EQ(result.view("slot")->frame, (Rect{0, 0, 72, 100}));
        EXPECT_TRUE(result.view("slot")->accessibilityHidden);
        // The clear shapes still lie where they are: the square, then the filler under it.
        std::vector<Rect> regions;
        for (const auto& region : result.hitRegions) regions.push_back(region.frame);
        std::vector<Rect> expected;
        if (c.square) expected.push_back(*c.square);
        expected.push_back(Rect{0, 72, 72, 28});
        EXPECT_EQ(regions, expected);
    }
}

}  // namespace
}  // namespace tavelin
