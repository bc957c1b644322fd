#include <gtest/gtest.h>

#include <cmath>

#include "mac/switcher/views/SwitcherCellView.h"
#include "mac/switcher/views/SwitcherSearchBadge.h"
#include "mac/switcher/views/SwitcherSelectedLabel.h"
#include "mac/switcher/views/tests/ViewTestSupport.h"

namespace tavelin {
namespace {

using namespace viewtest;

DockItem app(std::string title, bool running = true, bool hidden = false) {
    DockItem item;
    item.itemID = ItemID("app-" + title);
    item.kind = DockItemKind::app;
    item.title = std::move(title);
    item.isRunning = running;
    item.isHidden = hidden;
    return item;
}

SwitcherCellView cellView(DockItem item, double iconSize = 48) {
    SwitcherCellView view;
    view.cell = DockPresentation::Cell::item(std::move(item));
    view.iconSize = iconSize;
    view.labelMaxWidth = 400;
    return view;
}

ui::LayoutResult layOutCell(const SwitcherCellView& view, ui::Environment env = {}) {
    return layOut([&](const ui::Environment& e) { return view.body(e, measurer()); },
                  {view.iconSize, view.iconSize + 28}, env);
}

TEST(SwitcherCellViewTests, HiddenAppsSquareIsDimmedButItsMarkIsNotAndSitsThreePointsDown) {
    SwitcherCellView view = cellView(app("Mail", true, true));
    const auto result = layOutCell(view);
    // The square and its symbol inside one half-opacity group; the mark after the group closes.
    ASSERT_GE(result.displayList.size(), 3u);
    const auto* group = std::get_if<ui::BeginGroupOp>(&result.displayList.front());
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->opacity, 0.5);
    const auto* mark = std::get_if<ui::FillShapeOp>(&result.displayList.back());
    ASSERT_NE(mark, nullptr);
    EXPECT_TRUE(std::holds_alternative<ui::EndGroupOp>(result.displayList[result.displayList.size() - 2]));
    EXPECT_EQ(mark->rect, (Rect{21, 48 - 6 + 3, 6, 6}));
    EXPECT_EQ(mark->color, ui::Color::black());

    // A visible application is not grouped; one that is not running has no mark.
    const auto shown = layOutCell(cellView(app("Mail", false, false)));
    EXPECT_TRUE(ops<ui::BeginGroupOp>(shown).empty());
    EXPECT_TRUE(ops<ui::FillShapeOp>(shown).empty());
    EXPECT_EQ(ops<ui::SymbolOp>(shown).at(0).symbol, ui::Symbol::appFill);
}

TEST(SwitcherCellViewTests, SelectionAndDropHighlightFillsFollowTheScheme) {
    SwitcherCellView view = cellView(app("Mail", false));
    view.selected = true;
    view.dropHighlighted = true;
    for (const auto scheme : {ui::ColorScheme::light, ui::ColorScheme::dark}) {
        view.colorScheme = scheme;
        const auto fills = ops<ui::FillShapeOp>(layOutCell(view, environment(scheme)));
        ASSERT_EQ(fills.size(), 3u);  // selection, drop shade, the label's capsule
        EXPECT_EQ(fills[0].color, ui::kDefaultAccentColor.withOpacity(0.35));
        EXPECT_EQ(fills[0].rect, (Rect{0, 0, 48, 48}));
        EXPECT_EQ(fills[1].color, ui::Color::black(scheme == ui::ColorScheme::dark ? 0.38 : 0.24));
    }
}

TEST(SwitcherCellViewTests, SelectedLabelIsTooWideOnlyWhenWidthPlusSixteenExceedsTheMaximum) {
    // "Calendar" in 12 pt semibold measures 8 × 6.6 = 52.8 here.
    const auto capsuleWidth = [](double maxWidth) {
        const SwitcherSelectedLabel label{"Calendar", maxWidth};
        const auto result =
            layOut([&](const ui::Environment& e) { return label.body(e, measurer()); }, {200, 40});
        return ops<ui::FillShapeOp>(result).at(0).rect.width;
    };
    const double natural = measurer().width("Calendar", SwitcherSelectedLabel::kFont);
    const double justBelow = std::nextafter(natural + 16, 0.0);
    EXPECT_DOUBLE_EQ(capsuleWidth(natural + 16), natural + 16);  // exactly fits: natural width
    EXPECT_DOUBLE_EQ(capsuleWidth(justBelow), justBelow + 16);   // too wide: framed at the maximum
    EXPECT_DOUBLE_EQ(capsuleWidth(40), 40 + 16);

    // Too wide and cut at the end; not too wide and shown whole, even wider than a 48-point cell.
    SwitcherCellView view = cellView(app("Calendar", false));
    view.selected = true;
    view.labelMaxWidth = 40;
    auto texts = ops<ui::TextOp>(layOutCell(view));
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_TRUE(texts[0].text.ends_with(ui::kEllipsis)) << texts[0].text;
    EXPECT_EQ(texts[0].font, SwitcherSelectedLabel::kFont);
    view.labelMaxWidth = natural + 16;
    const auto whole = layOutCell(view);
    texts = ops<ui::TextOp>(whole);
    EXPECT_EQ(texts.at(0).text, "Calendar");
    // Centred under the cell and overhanging it, yet it takes no clicks.
    EXPECT_NEAR(texts[0].rect.x, 24 - natural / 2, 1e-9);
    EXPECT_EQ(whole.hitTest({texts[0].rect.x + 1, texts[0].rect.y + 1}), nullptr);
}

TEST(SwitcherCellViewTests, WhileSearchingEveryCellShowsItsNameCutInTheMiddleAndNoFloatingLabel) {
    SwitcherCellView view = cellView(app("Photo Mailer Pro", false));
    view.alwaysShowLabel = true;
    for (const bool selected : {false, true}) {
        view.selected = selected;
        const auto result = layOutCell(view);
        const auto texts = ops<ui::TextOp>(result);
        ASSERT_EQ(texts.size(), 1u);
        EXPECT_EQ(texts[0].font,
                  ui::Font::system(11, selected ? ui::FontWeight::semibold : ui::FontWeight::regular));
        EXPECT_LE(texts[0].rect.width, 48);
        EXPECT_EQ(texts[0].rect.y, 48 + 8);
        const auto cut = texts[0].text.find(ui::kEllipsis);
        ASSERT_NE(cut, std::string::npos) << texts[0].text;
        EXPECT_TRUE(cut > 0 && cut + ui::kEllipsis.size() < texts[0].text.size()) << texts[0].text;
        // No floating label's capsule: only the selection fill when selected.
        EXPECT_EQ(ops<ui::FillShapeOp>(result).size(), selected ? 1u : 0u);
    }
}

TEST(SwitcherCellViewTests, FallbackSymbolsByKind) {
    DockItem folder = app("Downloads", false);
    folder.kind = DockItemKind::folder;
    DockItem link = app("Site", false);
    link.kind = DockItemKind::url;
    FolderChild child;
    child.title = "notes.txt";
    EXPECT_EQ(SwitcherCellView::fallbackSymbol(DockPresentation::Cell::item(folder)), ui::Symbol::folderFill);
    EXPECT_EQ(SwitcherCellView::fallbackSymbol(DockPresentation::Cell::item(link)), ui::Symbol::docFill);
    EXPECT_EQ(SwitcherCellView::fallbackSymbol(DockPresentation::Cell::folderChild(child, ItemID("f"))),
              ui::Symbol::doc);
    EXPECT_EQ(SwitcherCellView::fallbackSymbol(DockPresentation::Cell::spacer(SeparatorKind::spacer)),
              ui::Symbol::squareDashed);
}

TEST(SwitcherSearchBadgeTests, EmptyTextTakesNoRoomAndTextSitsBesideTheGlass) {
    EXPECT_TRUE(SwitcherSearchBadge{""}.body({}).isEmpty());
    const SwitcherSearchBadge badge{"saf"};
    const auto result = layOut([&](const ui::Environment& e) { return badge.body(e).id("badge"); }, {200, 60},
                               environment(ui::ColorScheme::dark));
    // 13 pt: the glass 13 wide, 5 apart, the text 3 × 6.5; padded 10 and 4, then 6 on top.
    EXPECT_DOUBLE_EQ(result.view("badge")->frame.width, 13 + 5 + 19.5 + 20);
    EXPECT_DOUBLE_EQ(result.view("badge")->frame.height, 13 * 1.25 + 8 + 6);
    const auto texts = ops<ui::TextOp>(result);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].color, ui::Color::white(1.0, 0.94));
    EXPECT_EQ(ops<ui::FillShapeOp>(result).back().color, ui::Color::white(0.14, 0.78));
}

}  // namespace
}  // namespace tavelin
