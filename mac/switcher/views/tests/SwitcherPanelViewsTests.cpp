#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "mac/switcher/tests/SwitcherWorld.h"
#include "mac/switcher/views/SwitcherDockLayout.h"
#include "mac/switcher/views/SwitcherRootView.h"
#include "mac/switcher/views/tests/ViewTestSupport.h"
#include "platform/FileURL.h"
#include "platform/ImageCoding.h"
#include "platform/sim/SimDrag.h"
#include "platform/sim/SimItemProvider.h"
#include "platform/ui/Renderer.h"

namespace tavelin {
namespace {

namespace fs = std::filesystem;
using viewtest::ops;

DockItem appItem(std::string title, bool running = false, bool hidden = false) {
    DockItem item;
    item.itemID = ItemID(title);
    item.kind = DockItemKind::app;
    item.title = std::move(title);
    item.isRunning = running;
    item.isHidden = hidden;
    return item;
}

DockPresentation oneTier(std::vector<DockPresentation::Cell> cells) {
    DockPresentation presentation;
    presentation.tiers.push_back(
        DockPresentation::Tier{TierID("segment-0"), DockRegion::fixedApps, std::move(cells)});
    return presentation;
}

std::vector<DockPresentation::Cell> apps(int count) {
    std::vector<DockPresentation::Cell> cells;
    for (int i = 0; i < count; ++i)
        cells.push_back(DockPresentation::Cell::item(appItem("App " + std::to_string(i))));
    return cells;
}

class SwitcherPanelViewsTest : public SwitcherWorld {
  protected:
    // The root view over a presentation, in a host of the given size, icons of 48 points.
    const ui::LayoutResult& show(DockPresentation presentation, ui::Size size,
                                 std::optional<CellPath> selection = {}, double innerWidth = 0) {
        switcher().panelIconSize = 48;
        switcher().panelGridInnerWidth = innerWidth;
        auto model = std::make_shared<DockNavigator>(std::move(presentation));
        if (selection) model->select(*selection);
        switcher().navigator = model;
        host_ = makeSwitcherHostView(
            switcher_, std::shared_ptr<const ui::TextMeasurer>(std::shared_ptr<void>(), &measurer_));
        host_->frame = Rect{0, 0, size.width, size.height};
        return host_->update(environment_);
    }

    Rect cellFrame(CellPath path) {
        const auto* view = host_->layout().view(SwitcherDockLayout::cellID(path));
        EXPECT_NE(view, nullptr) << SwitcherDockLayout::cellID(path);
        return view ? view->frame : Rect{};
    }

    std::shared_ptr<SwitcherHostView> host_;
    ui::Environment environment_;
};

// Five columns of 48-point icons in 300 points: gaps of 12, 6 at each edge; the grid stands 16 in and
// 12 down; rows are 76 high and 12 apart.
TEST_F(SwitcherPanelViewsTest, FullRowsThenAShortLastRowFromTheLeftAndTheAnchorsFollowTheCells) {
    show(oneTier(apps(7)), {332, 188}, CellPath{0, 5}, 300);
    for (std::int64_t k = 0; k < 7; ++k) {
        const double x = 16 + 6 + 60 * static_cast<double>(k % 5);
        const double y = k < 5 ? 12 : 12 + 76 + 12;
        EXPECT_EQ(cellFrame({0, k}), (Rect{x, y, 48, 76})) << k;
        EXPECT_EQ(switcher().cellAnchors().at(CellPath{0, k}), (Rect{x, y, 48, 76})) << k;
    }
    // The selected cell is drawn over its row's neighbours, so that its label overhangs them.
    const auto& drawn = host_->layout().displayList;
    const auto label = std::ranges::find_if(
        drawn, [](const ui::DrawOp& op) { return std::holds_alternative<ui::TextOp>(op); });
    EXPECT_TRUE(std::none_of(label, drawn.end(), [](const ui::DrawOp& op) {
        return std::holds_alternative<ui::ImageOp>(op) || std::holds_alternative<ui::SymbolOp>(op);
    }));
    // The badge lies over the grid and moves no cell; while searching every cell shows its name.
    switcher().filterText = "app";
    host_->update(environment_);
    EXPECT_EQ(cellFrame({0, 6}), (Rect{16 + 6 + 60, 100, 48, 76}));
    const auto texts = ops<ui::TextOp>(host_->layout());
    ASSERT_EQ(texts.size(), 7u + 1);
    EXPECT_EQ(texts.back().text, "app");
}

// Cells keep their views from one layout to the next, in one host or the next one, only while nothing
// they show has changed: after a step, a drop highlight, the dark scheme, a search and a changed item,
// the kept views draw what views built anew draw.
TEST_F(SwitcherPanelViewsTest, KeptCellViewsDrawWhatNewViewsDraw) {
    const auto drawn = [](const ui::LayoutResult& result) {
        auto bitmap = ui::render(result.displayList, result.size, 1);
        EXPECT_TRUE(bitmap.has_value());
        return bitmap ? *bitmap : Bitmap{};
    };
    const auto changedApps = [] {
        auto cells = apps(6);
        cells[3] = DockPresentation::Cell::item(appItem("App 3", true, true));
        return cells;
    };
    show(oneTier(apps(6)), {332, 188}, CellPath{0, 0}, 300);
    const auto kept = host_;
    switcher().navigator.value()->select(CellPath{0, 2});
    switcher().dropHighlightPath = CellPath{0, 4};
    environment_.colorScheme = ui::ColorScheme::dark;
    const Bitmap stepped = drawn(kept->update(environment_));
    const Bitmap changed = drawn(show(oneTier(changedApps()), {332, 188}, CellPath{0, 2}, 300));
    switcher().filterText = "app";
    const Bitmap searched = drawn(host_->update(environment_));

    switcher().panelCellViews().clear();
    EXPECT_EQ(searched, drawn(show(oneTier(changedApps()), {332, 188}, CellPath{0, 2}, 300)));
    switcher().filterText = "";
    switcher().panelCellViews().clear();
    EXPECT_EQ(changed, drawn(show(oneTier(changedApps()), {332, 188}, CellPath{0, 2}, 300)));
    switcher().panelCellViews().clear();
    EXPECT_EQ(stepped, drawn(show(oneTier(apps(6)), {332, 188}, CellPath{0, 2}, 300)));
}

TEST_F(SwitcherPanelViewsTest, ASingleCellSitsAtTheTopCentre) {
    show(oneTier(apps(1)), {300, 200});
    // The grid's 268 points hold one 60-point column, centred: 16 + 104 + 6.
    EXPECT_EQ(cellFrame({0, 0}), (Rect{126, 12, 48, 76}));
}

TEST_F(SwitcherPanelViewsTest, RowsScrollOnlyWhenMoreThanHalfAPointShortAndTheSelectionIsScrolledIntoView) {
    // Three rows need 76 × 3 + 12 × 2 = 252 points.
    const auto scrolls = [&](double gridHeight, CellPath selection) {
        const auto& result = show(oneTier(apps(3)), {60 + 32, gridHeight + 24}, selection, 60);
        return std::ranges::any_of(ops<ui::FillShapeOp>(result), [](const ui::FillShapeOp& op) {
            return op.color == ui::scrollIndicatorColor(ui::ColorScheme::light);
        });
    };
    EXPECT_FALSE(scrolls(251.5, {0, 0}));
    EXPECT_TRUE(scrolls(251.4, {0, 0}));
    // Scrolled at once so that the last row shows whole at the bottom of 100 points.
    EXPECT_TRUE(scrolls(100, {0, 2}));
    EXPECT_EQ(cellFrame({0, 2}).maxY(), 12 + 100);
}

TEST_F(SwitcherPanelViewsTest, SeparatorLinesOnlyWithinARowAndAnchorsForItemsAndSpacersOnly) {
    // A | B C | D _ in three columns: rows A B C and D _; the line between C and D would fall at a row break.
    auto cells = apps(4);
    cells.insert(cells.begin() + 3, DockPresentation::Cell::spacer(SeparatorKind::separator));
    cells.insert(cells.begin() + 1, DockPresentation::Cell::spacer(SeparatorKind::separator));
    cells.push_back(DockPresentation::Cell::spacer(SeparatorKind::smallSpacer));
    show(oneTier(cells), {180 + 32, 164 + 24}, CellPath{0, 0}, 180);
    std::vector<ui::FillShapeOp> lines;
    for (const auto& op : ops<ui::FillShapeOp>(host_->layout())) {
        if (op.rect.width == 1) lines.push_back(op);
    }
    ASSERT_EQ(lines.size(), 1u);
    // A's square ends at 22 + 48, B's starts at 82: the line is centred at 76, on A's middle.
    EXPECT_DOUBLE_EQ(lines[0].rect.x, 75.5);
    EXPECT_DOUBLE_EQ(lines[0].rect.y + lines[0].rect.height / 2, 12 + 24);
    EXPECT_DOUBLE_EQ(lines[0].rect.height, 48 * 0.62);
    EXPECT_EQ(lines[0].color, ui::Color::black());

    std::vector<CellPath> anchored;
    for (const auto& [path, frame] : switcher().cellAnchors()) anchored.push_back(path);
    std::ranges::sort(anchored, CellPathOrder{});
    EXPECT_EQ(anchored, (std::vector<CellPath>{{0, 0}, {0, 2}, {0, 3}, {0, 5}, {0, 6}}));
    EXPECT_EQ(switcher().cellAnchors().at(CellPath{0, 6}), (Rect{16 + 6 + 60, 100, 48, 76}));
}

// The real panel on the simulated Mac: the pointer and drags reach the cells through the monitors and
// the panel's view.
class SwitcherPanelInputTest : public SwitcherWorld {
  protected:
    void SetUp() override {
        switcher().openPanel(true);
        scheduler_.runUntilIdle();
    }
    // A point of the cell, on screen.
    Point onScreen(CellPath path, Point inCell = {10, 10}) {
        const Rect cell = switcher().cellAnchors().at(path);
        const Rect panel = panelFrame();
        return {panel.x + cell.x + inCell.x, panel.maxY() - (cell.y + inCell.y)};
    }
    fs::path makeFile(const std::string& relative) {
        const fs::path path = home_.path() / relative;
        fs::create_directories(path.parent_path());
        std::ofstream(path) << "text";
        return path;
    }
};

TEST_F(SwitcherPanelInputTest, HoverEntersAndLeavesAndAClickActivatesTheCellAndClosesThePanel) {
    const CellPath finder = *pathTitled("Finder");
    ASSERT_NE(switcher().navigator.value()->selection(), finder);
    mac_.input().moveMouse(onScreen(finder));
    scheduler_.runUntilIdle();
    EXPECT_EQ(switcher().dockMenuHoverPath, finder);
    // Off the panel: the hover ends.
    mac_.input().moveMouse({panelFrame().x - 5, panelFrame().y - 5});
    scheduler_.runUntilIdle();
    EXPECT_EQ(switcher().dockMenuHoverPath, std::nullopt);

    mac_.input().moveMouse(onScreen(finder));
    mac_.input().mouseDown(0);
    mac_.input().mouseUp(0);
    scheduler_.runUntilIdle();
    EXPECT_FALSE(switcher().isOpen());
    EXPECT_EQ(mac_.workspace().frontmostApplication()->bundleIdentifier, "com.apple.finder");
}

TEST_F(SwitcherPanelInputTest, ADragHighlightsAFolderProposesCopyWithOptionAndDropsIntoIt) {
    const CellPath downloads = *pathTitled("Downloads");
    const CellPath safari = *pathTitled("Safari");
    const fs::path file = makeFile("Elsewhere/notes.txt");
    sim::SimDrag drag(mac_.pointerRouter(), mac_.dragPasteboard(), {fileURL(file, false)}, {});

    const auto tick = switcher().uiTick.value();
    EXPECT_EQ(drag.moveTo(onScreen(downloads)), DropOperation::move);
    EXPECT_EQ(switcher().dropHighlightPath.value(), downloads);
    EXPECT_EQ(drag.moveTo(onScreen(downloads, {20, 20})), DropOperation::move);
    EXPECT_EQ(switcher().uiTick.value(), tick + 1);  // the same path raises nothing
    mac_.input().pressModifiers(kEventFlagOption);
    EXPECT_EQ(drag.moveTo(onScreen(downloads)), DropOperation::copy);

    // Over Safari, which opens no text file: the highlight leaves with the drag, none is shown there.
    EXPECT_EQ(drag.moveTo(onScreen(safari)), DropOperation::forbidden);
    EXPECT_EQ(switcher().dropHighlightPath.value(), std::nullopt);

    drag.moveTo(onScreen(downloads));
    mac_.input().releaseModifiers(kEventFlagOption);
    EXPECT_TRUE(drag.drop());
    scheduler_.runUntilIdle();
    EXPECT_TRUE(fs::exists(home_.path() / "Downloads/notes.txt"));
    EXPECT_FALSE(fs::exists(file));  // moved: Option was let go before the files were ready
    EXPECT_EQ(switcher().dropHighlightPath.value(), std::nullopt);
    EXPECT_TRUE(switcher().isOpen());
}

TEST_F(SwitcherPanelInputTest, ItemsLoadOneAfterAnotherAndOptionIsReadWhenTheyAreReady) {
    const CellPath downloads = *pathTitled("Downloads");
    const auto cell = *switcher().cell(downloads);
    const fs::path first = makeFile("Elsewhere/a.txt");
    const fs::path second = makeFile("Elsewhere/b.txt");
    const auto load = [&](const fs::path& path) {
        return std::make_shared<sim::SimItemProvider>(scheduler_.main(), std::string(kFileURLTypeIdentifier),
                                                      fileURL(path, false), std::chrono::milliseconds(300));
    };
    const auto a = load(first);
    const auto failing = std::make_shared<sim::SimItemProvider>(
        scheduler_.main(), std::string(kFileURLTypeIdentifier), std::nullopt, std::chrono::milliseconds(10));
    const auto text =
        std::make_shared<sim::SimItemProvider>(scheduler_.main(), "public.utf8-plain-text", "x");
    const auto b = load(second);
    switcher().setDropHighlight(downloads);

    // Nothing on the drag pasteboard: taken at once, loaded from the items.
    EXPECT_TRUE(switcher().acceptDroppedFiles({a, failing, text, b}, downloads, cell));
    scheduler_.advance(std::chrono::milliseconds(299));
    EXPECT_EQ(failing->loads(), 0);
    mac_.input().pressModifiers(kEventFlagOption);  // before the loads end
    scheduler_.advance(std::chrono::milliseconds(1));
    EXPECT_EQ(failing->loads(), 1);
    EXPECT_EQ(b->loads(), 0);
    scheduler_.advance(std::chrono::milliseconds(10));
    EXPECT_EQ(b->loads(), 1);
    EXPECT_EQ(text->loads(), 0);
    EXPECT_EQ(switcher().dropHighlightPath.value(), downloads);
    EXPECT_FALSE(fs::exists(home_.path() / "Downloads/a.txt"));
    scheduler_.advance(std::chrono::milliseconds(300));
    scheduler_.runUntilIdle();
    EXPECT_TRUE(fs::exists(home_.path() / "Downloads/a.txt"));
    EXPECT_TRUE(fs::exists(home_.path() / "Downloads/b.txt"));
    EXPECT_TRUE(fs::exists(first));  // copied
    EXPECT_EQ(switcher().dropHighlightPath.value(), std::nullopt);
}

TEST_F(SwitcherPanelInputTest, RefusedDropsAndCellsThatTakeNoDrops) {
    const CellPath safari = *pathTitled("Safari");
    const fs::path file = makeFile("Elsewhere/notes.txt");
    mac_.dragPasteboard().setURLs({fileURL(file, false)});
    switcher().setDropHighlight(safari);
    const auto tick = switcher().uiTick.value();
    // A file tile takes no drop and leaves the highlight alone.
    DockItem document = appItem("notes.txt");
    document.kind = DockItemKind::file;
    EXPECT_FALSE(switcher().acceptDroppedFiles({}, safari, DockPresentation::Cell::item(document)));
    EXPECT_EQ(switcher().dropHighlightPath.value(), safari);
    // Files the application cannot open: refused, the highlight cleared.
    EXPECT_FALSE(switcher().acceptDroppedFiles({}, safari, *switcher().cell(safari)));
    EXPECT_EQ(switcher().dropHighlightPath.value(), std::nullopt);
    EXPECT_EQ(switcher().uiTick.value(), tick + 1);
    // The Trash takes them.
    const auto cells = DockMainGrid::cells(switcher().navigator.value()->presentation());
    const auto trash = std::ranges::find_if(cells, [](const DockMainGridEntry& entry) {
        return entry.cell.asItem() && entry.cell.asItem()->kind == DockItemKind::trash;
    });
    ASSERT_NE(trash, cells.end());
    EXPECT_TRUE(switcher().acceptDroppedFiles({}, trash->path, trash->cell));
    scheduler_.runUntilIdle();
    EXPECT_FALSE(fs::exists(file));
}

// The panel drawn: transparent outside its rounded corners, the material, the selection, the marks and
// a hidden application's dimmed icon. Probed at known points; anti-aliasing differs between versions.
class SwitcherPanelPixelsTest : public SwitcherPanelViewsTest {
  protected:
    Rgba pixel(const Bitmap& bitmap, double x, double y) {
        return bitmap.pixel(static_cast<int>(x * 2), static_cast<int>(y * 2));
    }
};

TEST_F(SwitcherPanelPixelsTest, LightAndDarkPanelsAtKnownPoints) {
    // Solid icons: every application's picture is pure red.
    switcher();
    const auto red = std::make_shared<Bitmap>(128, 128, Rgba{255, 0, 0, 255});
    auto running = appItem("Running", true);
    running.isActive = true;
    auto hidden = appItem("Hidden", true, true);
    auto presentation = oneTier({DockPresentation::Cell::item(running), DockPresentation::Cell::item(hidden),
                                 DockPresentation::Cell::spacer(SeparatorKind::separator),
                                 DockPresentation::Cell::item(appItem("Plain"))});
    for (auto& cell : presentation.tiers[0].cells) {
        if (!cell.asItem()) continue;
        DockItem item = *cell.asItem();
        const fs::path bundle = home_.path() / "Applications" / (item.title + ".app");
        fs::create_directories(bundle / "Contents/Resources");
        const auto png = encodePNG(*red);
        std::ofstream(bundle / "Contents/Resources/AppIcon.png", std::ios::binary)
            .write(reinterpret_cast<const char*>(png->data()), static_cast<std::streamsize>(png->size()));
        item.path = bundle.string();
        cell = DockPresentation::Cell::item(item);
    }
    for (const auto scheme : {ui::ColorScheme::light, ui::ColorScheme::dark}) {
        environment_.colorScheme = scheme;
        const auto& result = show(presentation, {180 + 32, 76 + 24}, CellPath{0, 0}, 180);
        const auto bitmap = ui::render(result.displayList, host_->layout().size, 2);
        ASSERT_TRUE(bitmap.has_value());
        // Outside the rounded corner of radius 20: transparent.
        EXPECT_EQ(pixel(*bitmap, 1, 1).a, 0);
        // The material between the grid's rows and the edge.
        const ui::Color material = ui::resolve(ui::Material::regular, scheme);
        EXPECT_NEAR(pixel(*bitmap, 8, 50).a, material.alpha * 255, 2);
        // The selection fill at a corner of the first square (inside its radius, outside the icon).
        const Rgba selection = pixel(*bitmap, 22 + 2, 12 + 24);
        EXPECT_GT(selection.b, selection.r);
        // The icon: red, and half as strong for the hidden application, whose square is dimmed.
        const Rgba icon = pixel(*bitmap, 22 + 24, 12 + 20);
        const Rgba dimmed = pixel(*bitmap, 82 + 24, 12 + 20);
        EXPECT_GT(icon.r, 200);
        EXPECT_LT(icon.g, 60);
        EXPECT_GT(std::abs(dimmed.r - icon.r) + std::abs(dimmed.g - icon.g), 60);
        // The active mark (28 wide, 3 below the square) in the scheme's colour, at full strength under
        // the hidden one too.
        const std::uint8_t mark = scheme == ui::ColorScheme::dark ? 255 : 0;
        EXPECT_EQ(pixel(*bitmap, 22 + 24, 12 + 48).r, mark);
        EXPECT_EQ(pixel(*bitmap, 22 + 24, 12 + 48).a, 255);
        EXPECT_EQ(pixel(*bitmap, 82 + 24, 12 + 48).r, mark);
        EXPECT_EQ(pixel(*bitmap, 82 + 24, 12 + 48).a, 255);
        // The separator line between the hidden application and the last one, on the icon's middle.
        EXPECT_EQ(pixel(*bitmap, 136.25, 12 + 24).r, mark);
    }
}

}  // namespace
}  // namespace tavelin
