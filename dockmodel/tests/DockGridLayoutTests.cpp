#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <span>

#include "dockmodel/DockGridLayout.h"
#include "dockmodel/DockMainGrid.h"
#include "dockmodel/tests/DockModelFixtures.h"

namespace tavelin {
namespace {

using namespace testing;
using Layout = DockGridColumnLayout;
namespace Grid = DockGridLayout;

constexpr auto mac = DockGridPlatform::mac;
constexpr auto ios = DockGridPlatform::ios;
// Twenty-four halvings of the spacing range leave the result within this of the exact bound, below it.
constexpr double kBisection = 1e-5;

TEST(DockGridLayout, PanelWithFixedColumns) {
    // The panel's width: (s + 12) per column gives a gap of 12; two rows of 72.
    const auto roomy = Grid::plan(12, 76 * 6, 300, 64, mac, Layout::fixedColumns(6));
    EXPECT_EQ(roomy.columns, 6);
    EXPECT_EQ(roomy.rowCount, 2);
    EXPECT_DOUBLE_EQ(roomy.horizontalGap, 12);
    EXPECT_DOUBLE_EQ(roomy.edgeInset, 6);
    EXPECT_DOUBLE_EQ(roomy.rowStride, 72);
    EXPECT_DOUBLE_EQ(roomy.gridTopInset, 6);
    EXPECT_LE(roomy.rowSpacing, 24);  // at most twice the gap
    EXPECT_NEAR(roomy.rowSpacing, 24, kBisection);
    EXPECT_NEAR(roomy.verticalPadding, (300 - 144 - 24) / 2.0, kBisection);
    EXPECT_FALSE(roomy.scrolls);
    EXPECT_DOUBLE_EQ(roomy.columnPitch(), 76);
    EXPECT_DOUBLE_EQ(roomy.xForColumn(2), 6 + 152);

    // In 160 points the widest spacing that fits is 16.5 (the half point of tolerance included).
    const auto tight = Grid::plan(12, 76 * 6, 160, 64, mac, Layout::fixedColumns(6));
    EXPECT_LE(tight.rowSpacing, 16.5);
    EXPECT_NEAR(tight.rowSpacing, 16.5, kBisection);
    EXPECT_DOUBLE_EQ(tight.verticalPadding, 0);
    EXPECT_FALSE(tight.scrolls);
}

TEST(DockGridLayout, ColumnCounts) {
    const struct {
        const char* name;
        std::int64_t items;
        double width;
        Layout layout;
        std::int64_t columns;
    } cases[] = {
        {"fixed 0 is one column", 5, 400, Layout::fixedColumns(0), 1},
        {"fixed 50 for 3 items is 3", 3, 400, Layout::fixedColumns(50), 3},
        {"fixed 50 where only 2 fit", 3, 150, Layout::fixedColumns(50), 2},
        {"fewest non-sparse: ten icons of 64 in 400", 10, 400, Layout::fewestNonSparse(), 5},
        {"a leftover of 34, under 0.55 of an icon, is not sparse", 10, 392, Layout::fewestNonSparse(), 4},
        {"most columns", 10, 400, Layout::mostColumns(), 5},
        {"most columns, fewer items", 3, 400, Layout::mostColumns(), 3},
        {"one item", 1, 400, Layout::mostColumns(), 1},
        {"no width", 10, 0, Layout::mostColumns(), 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Grid::plan(c.items, c.width, 500, 64, mac, c.layout).columns, c.columns) << c.name;
    EXPECT_DOUBLE_EQ(Grid::plan(10, 400, 500, 64, mac, Layout::fewestNonSparse()).horizontalGap, 16);
    EXPECT_EQ(Grid::chooseColumnCount(10, 400, 64, mac), 5);
}

TEST(DockGridLayout, RowsThatDoNotFitScroll) {
    // 4 × 72 + 3 × 8 = 312 is more than 300.5.
    const auto plan = Grid::plan(25, 76 * 8, 300, 64, mac, Layout::fixedColumns(8));
    EXPECT_EQ(plan.rowCount, 4);
    EXPECT_DOUBLE_EQ(plan.rowSpacing, 8);
    EXPECT_DOUBLE_EQ(plan.verticalPadding, 0);
    EXPECT_TRUE(plan.scrolls);
    // Scrolling leaves the columns as they are: (608 - 8 × 64) / 8 = 12, half of it at each edge.
    EXPECT_DOUBLE_EQ(plan.horizontalGap, 12);
    EXPECT_DOUBLE_EQ(plan.edgeInset, 6);
    EXPECT_DOUBLE_EQ(plan.gridTopInset, 6);

    // Up to half a point short still fits, at the narrowest spacing.
    const auto justFits = Grid::plan(25, 76 * 8, 311.5, 64, mac, Layout::fixedColumns(8));
    EXPECT_FALSE(justFits.scrolls);
    EXPECT_DOUBLE_EQ(justFits.rowSpacing, 8);
    EXPECT_DOUBLE_EQ(justFits.verticalPadding, 0);
    EXPECT_TRUE(Grid::plan(25, 76 * 8, 311.4, 64, mac, Layout::fixedColumns(8)).scrolls);
}

TEST(DockGridLayout, EmptyPlan) {
    const auto plan = Grid::plan(0, 400, 300, 64, mac, Layout::fixedColumns(4));
    const DockGridPlan expected{.columns = 1,
                                .horizontalGap = 0,
                                .edgeInset = 0,
                                .rowSpacing = 8,
                                .verticalPadding = 0,
                                .gridTopInset = 6,
                                .rowCount = 0,
                                .scrolls = false,
                                .iconSide = 64,
                                .rowStride = 72,
                                .contentWidth = 400,
                                .contentHeight = 300};
    EXPECT_EQ(plan, expected);
    EXPECT_EQ(Grid::plan(-3, 400, 300, 64, ios, Layout::mostColumns()).gridTopInset, 10);
}

TEST(DockGridLayout, MostColumnsPullsTheGapTowardsTheRowSpacing) {
    // Three icons in 600 leave a gap of 136; in 50 points the row keeps its narrowest spacing, 68. The gap
    // is pulled down to that spacing, and the spacing's own minimum follows it to 34.
    const auto plan = Grid::plan(3, 600, 50, 64, mac, Layout::mostColumns());
    EXPECT_EQ(plan.columns, 3);
    EXPECT_DOUBLE_EQ(plan.horizontalGap, 68);
    EXPECT_DOUBLE_EQ(plan.edgeInset, 34);
    EXPECT_DOUBLE_EQ(plan.rowSpacing, 34);
    EXPECT_TRUE(plan.scrolls);
    EXPECT_DOUBLE_EQ(Grid::largestHorizontalGapNearVertical(140, 2, 64, 20), 6);  // the limits exceed the gap
}

TEST(DockGridLayout, IOSDifferences) {
    const auto phone = Grid::plan(2, 124, 200, 60, ios, Layout::fixedColumns(2));
    EXPECT_DOUBLE_EQ(phone.horizontalGap, 2);
    EXPECT_DOUBLE_EQ(phone.gridTopInset, 10);
    EXPECT_DOUBLE_EQ(phone.verticalPadding, 200 - 10 - 68);  // the whole leftover of the usable height
    EXPECT_DOUBLE_EQ(Grid::plan(2, 144, 200, 60, mac, Layout::fixedColumns(2)).verticalPadding,
                     (200 - 68) / 2.0);
    EXPECT_TRUE(Grid::plan(2, 124, 75, 60, ios, Layout::fixedColumns(2)).scrolls);  // 68 > 65.5

    // mostColumns looks for rows that fill about 72% of the usable height: fewer, roomier columns on a
    // tall screen, all that fit on a short one.
    EXPECT_EQ(Grid::plan(12, 400, 800, 60, ios, Layout::mostColumns()).columns, 5);
    EXPECT_EQ(Grid::plan(12, 400, 200, 60, ios, Layout::mostColumns()).columns, 6);
    // Five columns take 224 of 310 usable points: more than 72%.
    EXPECT_EQ(Grid::plan(12, 400, 320, 60, ios, Layout::mostColumns()).columns, 6);
}

TEST(DockGridLayout, SmallRules) {
    EXPECT_EQ(Grid::cellGap(mac), 12);
    EXPECT_EQ(Grid::cellGap(ios), 2);
    EXPECT_EQ(Grid::maxColumnCount(400, 64, 12), 5);
    EXPECT_EQ(Grid::maxColumnCount(0, 64, 12), 1);
    EXPECT_EQ(Grid::maxColumnCount(400, 64, -64), 1);  // no pitch, no division by zero
    EXPECT_DOUBLE_EQ(Grid::horizontalGap(100, 2, 64), 0);
    EXPECT_DOUBLE_EQ(Grid::horizontalGap(100, 0, 64), 0);
    EXPECT_DOUBLE_EQ(Grid::rowSpacingLimits(4).lower, 8);
    EXPECT_DOUBLE_EQ(Grid::rowSpacingLimits(4).upper, 8);
    EXPECT_DOUBLE_EQ(Grid::horizontalGapLimits(20).lower, 10);
    EXPECT_DOUBLE_EQ(Grid::horizontalGapLimits(20).upper, 40);
    EXPECT_DOUBLE_EQ(Grid::gridBlockHeight(0, 72, 10), 0);
    EXPECT_DOUBLE_EQ(Grid::gridBlockHeight(3, 72, 10), 236);
}

TEST(DockGridLayout, InputsThatAreNotFiniteOrHuge) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const auto noWidth = Grid::plan(10, nan, 300, 64, mac, Layout::mostColumns());
    EXPECT_EQ(noWidth.columns, 1);
    EXPECT_EQ(noWidth.contentWidth, 0);
    EXPECT_EQ(Grid::plan(10, 400, 300, inf, mac, Layout::mostColumns()).columns, 1);
    EXPECT_TRUE(Grid::plan(10, 400, inf, 64, mac, Layout::fewestNonSparse())
                    .scrolls);  // an unknown height holds nothing

    const auto huge = Grid::plan(1000, 1e300, 300, 64, mac, Layout::mostColumns());
    EXPECT_EQ(huge.columns, 1000);
    EXPECT_EQ(huge.rowCount, 1);
    EXPECT_EQ(Grid::maxColumnCount(1e300, 1e-300, 12), 65536);
    EXPECT_EQ(
        Grid::plan(std::numeric_limits<std::int64_t>::max(), 1e300, 300, 1e-300, mac, Layout::fixedColumns(7))
            .columns,
        7);
    EXPECT_EQ(Grid::chooseColumnCount(1'000'000, 1e12, 64, mac), 65536);
}

// Every combination of awkward values gives a plan whose counts hold the items.
TEST(DockGridLayout, AnyInputGivesACoherentPlan) {
    const double inf = std::numeric_limits<double>::infinity();
    const double values[] = {-inf, -1,  0,     1e-300, 0.5,
                             64,   700, 1e300, inf,    std::numeric_limits<double>::quiet_NaN()};
    const std::int64_t counts[] = {std::numeric_limits<std::int64_t>::min(), 0, 1, 2, 25,
                                   std::numeric_limits<std::int64_t>::max()};
    const Layout layouts[] = {Layout::fixedColumns(-5), Layout::fixedColumns(8), Layout::fewestNonSparse(),
                              Layout::mostColumns()};
    for (const auto count : counts) {
        for (const auto width : values) {
            for (const auto height : values) {
                for (const auto side : values) {
                    for (const auto platform : {mac, ios}) {
                        for (const auto& layout : layouts) {
                            const auto plan = Grid::plan(count, width, height, side, platform, layout);
                            ASSERT_GE(plan.columns, 1);
                            if (count < 1) {
                                ASSERT_EQ(plan.rowCount, 0);
                                continue;
                            }
                            ASSERT_LE(plan.columns, std::max<std::int64_t>(count, 1));
                            ASSERT_GE(plan.rowCount, (count - 1) / plan.columns + 1);
                            ASSERT_TRUE(std::isfinite(plan.contentWidth) && std::isfinite(plan.iconSide));
                        }
                    }
                }
            }
        }
    }
}

TEST(DockGridLayout, ChunksAndCentring) {
    const std::vector<int> seven = {1, 2, 3, 4, 5, 6, 7};
    const auto rows = [](const std::vector<std::span<const int>>& spans) {
        std::vector<std::vector<int>> copies;
        for (const auto row : spans) copies.emplace_back(row.begin(), row.end());
        return copies;
    };
    EXPECT_EQ(rows(Grid::chunk(seven, 3)), (std::vector<std::vector<int>>{{1, 2, 3}, {4, 5, 6}, {7}}));
    EXPECT_EQ(rows(Grid::chunk(seven, 0)), (std::vector<std::vector<int>>{seven}));
    EXPECT_TRUE(Grid::chunk(std::vector<int>{}, 3).empty());
    EXPECT_EQ(Grid::centeredStartColumn(1, 3), 1);
    EXPECT_EQ(Grid::centeredStartColumn(2, 5), 1);
    EXPECT_EQ(Grid::centeredStartColumn(3, 3), 0);
    EXPECT_EQ(Grid::centeredStartColumn(4, 3), 0);
}

std::vector<DockMainGridEntry> entriesOf(const std::string& cells) {
    return DockMainGrid::cells(DockPresentation{{tierOf("segment-0", DockRegion::fixedApps, cells)}});
}

std::string describePairs(const std::vector<DockMainGridEntry>& entries,
                          const std::vector<DockSeparatorLinePair>& pairs) {
    std::string text;
    for (const auto& pair : pairs) {
        const auto name = [&](CellPath path) {
            for (const auto& entry : entries) {
                if (entry.path == path) return describe(entry.cell);
            }
            return std::string("?");
        };
        text += (text.empty() ? "" : " ") + name(pair.left) + "," + name(pair.right);
    }
    return text;
}

TEST(DockGridLayout, SeparatorLines) {
    const struct {
        const char* cells;
        std::int64_t columns;
        const char* pairs;  // all pairs
        const char* drawn;  // those within a row
    } cases[] = {
        {"A | B", 3, "A,B", "A,B"},   {"A | B", 1, "A,B", ""},  // B wraps to the next row
        {"A | | B", 3, "A,B", "A,B"}, {"| A B |", 3, "", ""},
        {"A A/x | B", 3, "A,B", ""},  // the child stands between them in the grid
        {"A | _ B", 3, "A,_", "A,_"}, {"A | B C | D", 3, "A,B C,D", "A,B"},
        {"A | B", 0, "A,B", ""},
    };
    const CellPredicate isLine = [](const DockPresentation::Cell& cell) {
        return cell.isDockLineSeparatorSlot();
    };
    for (const auto& c : cases) {
        const auto entries = entriesOf(c.cells);
        const auto pairs = Grid::dockSeparatorLinePairs(entries);
        const auto layoutCells = Grid::mainGridLayoutCells(entries, isLine);
        EXPECT_EQ(describePairs(entries, pairs), c.pairs) << c.cells;
        EXPECT_EQ(describePairs(entries, Grid::filterSeparatorPairsInRowMid(pairs, layoutCells, c.columns)),
                  c.drawn)
            << c.cells << " in " << c.columns;
    }

    // Across tiers, as the main grid flattens them.
    const auto entries =
        DockMainGrid::cells(DockPresentation{{tierOf("segment-0", DockRegion::fixedApps, "A B |"),
                                              tierOf("segment-1", DockRegion::runningApps, "C")}});
    EXPECT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[3].path, (CellPath{1, 0}));
    EXPECT_EQ(Grid::dockSeparatorLinePairs(entries), (std::vector<DockSeparatorLinePair>{{{0, 1}, {1, 0}}}));
}

TEST(DockGridLayout, SeparatorSlotsAndWidths) {
    const auto isLine = [](const std::string& cell) { return cell == "|"; };
    const std::vector<std::string> cells = {"A", "|", "B", "C", "|", "D"};
    EXPECT_EQ(Grid::omitSeparatorSlotsAtRowEnds(cells, 2, isLine),
              (std::vector<std::string>{"A", "B", "C", "|", "D"}));
    EXPECT_EQ(Grid::omitSeparatorSlotsAtRowEnds(cells, 0, isLine), cells);
    EXPECT_EQ(DockSeparatorLayout::visualWidth(SeparatorKind::separator, 64), 1);
    EXPECT_EQ(DockSeparatorLayout::visualWidth(SeparatorKind::spacer, 64), 64);
    EXPECT_EQ(DockSeparatorLayout::visualWidth(SeparatorKind::smallSpacer, 64), 32);
}

}  // namespace
}  // namespace tavelin
