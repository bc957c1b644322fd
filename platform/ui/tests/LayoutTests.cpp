#include <gtest/gtest.h>

#include <limits>

#include "platform/ui/FramePreference.h"
#include "platform/ui/Host.h"
#include "platform/ui/Views.h"
#include "platform/ui/tests/FixedAdvanceMeasurer.h"

namespace tavelin::ui {

void PrintTo(const Rect& r, std::ostream* os) {
    *os << "{" << r.x << ", " << r.y << ", " << r.width << ", " << r.height << "}";
}

namespace {

constexpr Color kRed{1, 0, 0, 1};
constexpr double kInfinity = std::numeric_limits<double>::infinity();

LayoutResult layOut(const View& view, Size size, Environment environment = {}) {
    Host host(std::make_shared<FixedAdvanceMeasurer>(), [&](const BuildContext&) { return view; });
    host.setSize(size);
    host.setEnvironment(environment);
    return host.update();
}

View box(double width, double height, std::string id) { return rectangle(kRed).frame(width, height).id(std::move(id)); }

Rect frameOf(const LayoutResult& result, std::string_view id, std::string_view space = {}) {
    const auto frame = result.frame(id, space);
    EXPECT_TRUE(frame.has_value()) << id;
    return frame.value_or(Rect{});
}

TEST(LayoutTests, FramesAndPaddingProposeTakeAndPlaceByTheirRules) {
    const View view = vstack(0, {
        box(40, 20, "fixed").padding(EdgeInsets{1, 2, 3, 4}).id("padded"),
        // A fixed frame larger than its child places it by its alignment.
        box(10, 10, "small").frame(30, 30, Alignment::bottom()).id("bottomFrame"),
        // A maximum of infinity fills the width offered; the height stays the child's.
        rectangle(kRed).frame(std::nullopt, 5).frame(FlexibleFrame{.maxWidth = kInfinity}).id("fill"),
        // A minimum alone raises a small child's frame and never lets it fall below.
        box(10, 10, "inMin").frame(FlexibleFrame{.minWidth = 50}, Alignment::topLeading()).id("min"),
    }, HorizontalAlignment::leading);
    const LayoutResult result = layOut(view.frame(FlexibleFrame{.maxWidth = kInfinity, .maxHeight = kInfinity},
                                                  Alignment::topLeading()),
                                       {200, 300});
    EXPECT_EQ(frameOf(result, "padded"), (Rect{0, 0, 46, 24}));
    EXPECT_EQ(frameOf(result, "fixed"), (Rect{2, 1, 40, 20}));
    EXPECT_EQ(frameOf(result, "bottomFrame"), (Rect{0, 24, 30, 30}));
    EXPECT_EQ(frameOf(result, "small"), (Rect{10, 44, 10, 10}));
    EXPECT_EQ(frameOf(result, "fill"), (Rect{0, 54, 200, 5}));
    EXPECT_EQ(frameOf(result, "min"), (Rect{0, 59, 50, 10}));
    EXPECT_EQ(frameOf(result, "inMin"), (Rect{0, 59, 10, 10}));
}

TEST(LayoutTests, StacksShareWhatIsLeftInOrderAndSkipEmptyViews) {
    // 200 less two spacings of 10 is 180: the first child (20) gets a third and takes 20, the shape gets
    // half of the 160 left, the last child takes its 30 of the 80 left.
    const View row = hstack(10, {box(20, 10, "a"), emptyView(), rectangle(kRed).id("flex"), box(30, 30, "c")},
                            VerticalAlignment::top);
    const LayoutResult result = layOut(row.frame(200, 30, Alignment::topLeading()), {200, 30});
    EXPECT_EQ(frameOf(result, "a"), (Rect{0, 0, 20, 10}));
    EXPECT_EQ(frameOf(result, "flex"), (Rect{30, 0, 80, 30}));
    EXPECT_EQ(frameOf(result, "c"), (Rect{120, 0, 30, 30}));

    const View column = vstack(5, {box(10, 10, "top"), emptyView(), box(30, 10, "bottom")});
    const LayoutResult stacked = layOut(column.id("column"), {100, 100});
    EXPECT_EQ(frameOf(stacked, "column"), (Rect{35, 37.5, 30, 25}));
    EXPECT_EQ(frameOf(stacked, "top"), (Rect{45, 37.5, 10, 10}));
    EXPECT_EQ(frameOf(stacked, "bottom"), (Rect{35, 52.5, 30, 10}));
}

TEST(LayoutTests, ZIndexChangesTheDrawingOrderButNotThePlace) {
    const auto colour = [](double level) { return Color{level, 0, 0, 1}; };
    const View row = hstack(0, {rectangle(colour(0.1)).frame(10, 10).id("a"),
                                rectangle(colour(0.2)).frame(10, 10).zIndex(1).id("b"),
                                rectangle(colour(0.3)).frame(10, 10).id("c")});
    const LayoutResult result = layOut(row, {30, 10});
    ASSERT_EQ(result.displayList.size(), 3u);
    EXPECT_EQ(std::get<FillShapeOp>(result.displayList[0]).color, colour(0.1));
    EXPECT_EQ(std::get<FillShapeOp>(result.displayList[1]).color, colour(0.3));
    EXPECT_EQ(std::get<FillShapeOp>(result.displayList[2]).color, colour(0.2));
    EXPECT_EQ(std::get<FillShapeOp>(result.displayList[2]).rect, (Rect{10, 0, 10, 10}));
}

TEST(LayoutTests, OverlaysAndBackgroundsTakeTheBaseSizeAndOffsetsMoveOnlyTheirView) {
    const View base = box(40, 20, "base")
                          .overlay(box(10, 6, "mark").offset(0, 3), Alignment::bottom())
                          .background(capsule(Color::white()).id("back"))
                          .id("cell");
    const LayoutResult result = layOut(hstack(0, {base, box(5, 5, "next")}, VerticalAlignment::top), {45, 20});
    EXPECT_EQ(frameOf(result, "cell"), (Rect{0, 0, 40, 20}));
    EXPECT_EQ(frameOf(result, "mark"), (Rect{15, 17, 10, 6}));
    EXPECT_EQ(frameOf(result, "back"), (Rect{0, 0, 40, 20}));
    EXPECT_EQ(frameOf(result, "next"), (Rect{40, 0, 5, 5}));
    // Background first, then the base, then the overlay.
    ASSERT_EQ(result.displayList.size(), 4u);
    EXPECT_EQ(std::get<FillShapeOp>(result.displayList[0]).shape.kind, ShapeKind::capsule);
    EXPECT_EQ(std::get<FillShapeOp>(result.displayList[2]).rect, (Rect{15, 17, 10, 6}));
}

TEST(LayoutTests, NamedSpacesMeasureFromTheirOwnOriginAndReadersResolveInThem) {
    // The root is centred in a larger host, so its space and the host's differ.
    std::optional<Rect> readerInHost;
    const View inner = vstack(0, {box(10, 10, "spacer"), box(20, 20, "deep")}, HorizontalAlignment::leading)
                           .padding(EdgeInsets{0, 5, 0, 0})
                           .coordinateSpace("inner");
    const View reader = geometryReader([&](const GeometryProxy& proxy) {
        readerInHost = proxy.frame("switcherHost");
        return box(4, 4, "dot").offset(proxy.size.width - 4, 0);
    });
    const View root = vstack(0, {box(100, 30, "top"), inner, reader.frame(50, 8)}, HorizontalAlignment::leading)
                          .coordinateSpace("switcherHost");
    const LayoutResult result = layOut(root, {200, 200});
    EXPECT_EQ(frameOf(result, "top"), (Rect{50, 66, 100, 30}));
    EXPECT_EQ(frameOf(result, "deep", "switcherHost"), (Rect{5, 40, 20, 20}));
    EXPECT_EQ(frameOf(result, "deep", "inner"), (Rect{5, 10, 20, 20}));
    EXPECT_EQ(result.frame("deep", "nowhere"), std::nullopt);
    EXPECT_EQ(readerInHost, (Rect{0, 60, 50, 8}));
    EXPECT_EQ(frameOf(result, "dot", "switcherHost"), (Rect{46, 60, 4, 4}));
}

struct Path {
    int tier = 0;
    int cell = 0;
    friend auto operator<=>(const Path&, const Path&) = default;
};

TEST(LayoutTests, FramePreferencesMergeByKeyAndTheHandlerRunsOnlyOnAChange) {
    const FramePreference<Path> anchors("cellAnchors");
    double width = 10;
    int calls = 0;
    std::size_t seenByViews = 0;
    Host host(std::make_shared<FixedAdvanceMeasurer>(), [&](const BuildContext& build) {
        seenByViews = build.state.value<FramePreference<Path>::Frames>("anchors").size();
        const View first = anchors.report(box(width, 10, "a"), Path{0, 0}, "switcherHost");
        // A second report of the same key, further down, replaces the first.
        const View again = anchors.report(box(width, 10, "b"), Path{0, 0}, "switcherHost");
        const View other = anchors.report(box(width, 10, "c"), Path{1, 0}, "switcherHost");
        return vstack(0, {first, again, other}).coordinateSpace("switcherHost");
    });
    host.setSize({10, 30});
    host.onPreferenceChange(anchors, [&](const FramePreference<Path>::Frames& frames) {
        ++calls;
        host.state().value<FramePreference<Path>::Frames>("anchors") = frames;
    });

    const LayoutResult& result = host.update();
    const auto frames = anchors.frames(result);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames.at(Path{0, 0}), (Rect{0, 10, 10, 10}));
    EXPECT_EQ(frames.at(Path{1, 0}), (Rect{0, 20, 10, 10}));
    EXPECT_EQ(calls, 1);
    // The handler's state reached the views in the same update.
    EXPECT_EQ(seenByViews, 2u);

    host.update();
    EXPECT_EQ(calls, 1);
    width = 8;
    host.update();
    EXPECT_EQ(calls, 2);
}

TEST(LayoutTests, ScrollViewScrollsATargetIntoViewOnceAndKeepsItsOffsetAcrossUpdates) {
    std::optional<ViewID> target;
    Host host(std::make_shared<FixedAdvanceMeasurer>(), [&](const BuildContext&) {
        std::vector<View> rows;
        for (int i = 0; i < 10; ++i) rows.push_back(box(80, 50, "row" + std::to_string(i)).onTap([] {}));
        return scrollView(vstack(0, rows), ScrollOptions{.stateID = "grid", .scrollTarget = target});
    });
    host.setSize({100, 120});
    const auto offset = [&] { return host.state().value<ScrollState>("scroll/grid").offset; };

    target = "row7";
    const LayoutResult& result = host.update();
    EXPECT_EQ(offset(), 7 * 50 + 50 - 120);
    EXPECT_EQ(frameOf(result, "row7"), (Rect{10, 70, 80, 50}));
    // Rows scrolled out take no clicks; the indicator is drawn at the trailing edge.
    EXPECT_EQ(result.hitTest({50, 1})->frame, (Rect{10, 0, 80, 20}));
    const auto& indicator = std::get<FillShapeOp>(result.displayList.back());
    EXPECT_EQ(indicator.rect.x, 100 - kScrollIndicatorInset - kScrollIndicatorWidth);

    // The same target does not scroll again; another one above does, to its top.
    host.state().value<ScrollState>("scroll/grid").offset = 0;
    host.update();
    EXPECT_EQ(offset(), 0);
    target = "row9";
    host.update();
    EXPECT_EQ(offset(), 380);
    target = "row2";
    host.update();
    EXPECT_EQ(offset(), 100);
}

TEST(LayoutTests, TextsTakeTheirNaturalWidthOrAreCutToTheProposal) {
    const Font font = Font::system(10);
    const View view = vstack(0, {text("abcdefghij", font, kRed, Truncation::middle).frame(32, std::nullopt).id("cut"),
                                 text("abc\xFF", font, kRed).id("whole")});
    const LayoutResult result = layOut(view, {100, 100});
    ASSERT_EQ(result.displayList.size(), 2u);
    const auto& cut = std::get<TextOp>(result.displayList[0]);
    EXPECT_EQ(cut.text, "abc…ij");
    EXPECT_EQ(cut.rect.width, 30);
    EXPECT_EQ(cut.rect.height, 12.5);
    EXPECT_EQ(std::get<TextOp>(result.displayList[1]).text, "abc\xEF\xBF\xBD");
    EXPECT_EQ(frameOf(result, "whole").width, 20);
}

TEST(LayoutTests, AnimationsAccessibilityAndMaterialsFollowTheEnvironment) {
    const auto build = [](const Environment& environment) {
        return capsule(Material::regular)
            .frame(28, 6)
            .animation(environment.reduceMotion ? Animation::none() : Animation::easeInOut(0.22))
            .accessibilityHidden()
            .id("mark");
    };
    const Environment dark{ColorScheme::dark, true};
    const LayoutResult still = layOut(build(dark), {28, 6}, dark);
    EXPECT_EQ(still.view("mark")->animation, Animation::none());
    EXPECT_TRUE(still.view("mark")->accessibilityHidden);
    EXPECT_EQ(std::get<FillShapeOp>(still.displayList[0]).color, kRegularMaterialDark);

    const LayoutResult moving = layOut(build(Environment{}), {28, 6});
    EXPECT_EQ(moving.view("mark")->animation, Animation::easeInOut(0.22));
    EXPECT_EQ(std::get<FillShapeOp>(moving.displayList[0]).color, kRegularMaterialLight);
}

}  // namespace
}  // namespace tavelin::ui
