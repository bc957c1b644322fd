#include <gtest/gtest.h>

#include <limits>

#include "mac/switcher/SwitcherGridLayout.h"

namespace tavelin {
namespace {

using SwitcherPanelGeometry::fit;

TEST(SwitcherGridLayoutTest, MainGridColumnsFitTheInnerWidthWithinOneAndTheCount) {
    EXPECT_EQ(SwitcherMainGridLayout::columns(10, 72, 400), 4);  // floor(412 / 84)
    EXPECT_EQ(SwitcherMainGridLayout::columns(10, 72, 407.9), 4);
    EXPECT_EQ(SwitcherMainGridLayout::columns(10, 72, 408), 5);  // (408 + 12) / 84
    EXPECT_EQ(SwitcherMainGridLayout::columns(3, 72, 840), 3);
    EXPECT_EQ(SwitcherMainGridLayout::columns(10, 72, 30), 1);
    EXPECT_EQ(SwitcherMainGridLayout::columns(0, 72, 400), 1);
    EXPECT_EQ(SwitcherMainGridLayout::columns(10, 0, 400), 1);
    EXPECT_EQ(SwitcherMainGridLayout::columns(10, 72, 0), 1);
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    EXPECT_EQ(SwitcherMainGridLayout::columns(10, kInfinity, kInfinity), 1);  // a fit of NaN columns
}

TEST(SwitcherGridLayoutTest, FolderGridColumnsFitFiveHundredEightPoints) {
    EXPECT_EQ(SwitcherFolderGridLayout::columns(20, 72), 6);   // floor(508 / 84)
    EXPECT_EQ(SwitcherFolderGridLayout::columns(20, 112), 4);  // floor(508 / 124)
    EXPECT_EQ(SwitcherFolderGridLayout::columns(2, 72), 2);
    EXPECT_EQ(SwitcherFolderGridLayout::columns(0, 72), 1);
    EXPECT_EQ(SwitcherFolderGridLayout::columns(5, 600), 1);
}

// innerMax = 0.8 * 540 - 32 = 400: 10 cells of 72 give 4 columns and 3 rows.
TEST(SwitcherGridLayoutTest, FitSizesThePanelToColumnsAndRows) {
    const Rect visible{0, 0, 540, 1000};
    const auto result = fit(10, 72, visible, std::nullopt);
    EXPECT_DOUBLE_EQ(result.gridInnerWidth, 4 * 84);
    EXPECT_DOUBLE_EQ(result.labelMaxWidth, 4 * 84);
    EXPECT_DOUBLE_EQ(result.width, 4 * 84 + 32);
    EXPECT_DOUBLE_EQ(result.height, 3 * 100 + 2 * 12 + 24);
}

TEST(SwitcherGridLayoutTest, AnEmptyGridIsOneCellWideAndOneRowHigh) {
    const auto result = fit(0, 72, Rect{0, 0, 1440, 900}, std::nullopt);
    EXPECT_DOUBLE_EQ(result.gridInnerWidth, 84);
    EXPECT_DOUBLE_EQ(result.width, 84 + 32);
    EXPECT_DOUBLE_EQ(result.height, 100 + 24);
}

TEST(SwitcherGridLayoutTest, RowsBeyondTheScreenShareMakeThePanelExactlyThatHigh) {
    // 4 columns, 40 rows of 100 points: far more than 0.8 * 500.
    const auto result = fit(160, 72, Rect{0, 0, 540, 500}, std::nullopt);
    EXPECT_DOUBLE_EQ(result.height, 400);
}

TEST(SwitcherGridLayoutTest, TheSelectedLabelWidensThePanelUpToTheGridsRoomOnly) {
    const Rect visible{0, 0, 540, 1000};  // innerMax 400, maxWidth 432
    // Three cells: a grid of 252; a 300-point label widens it.
    EXPECT_DOUBLE_EQ(fit(3, 72, visible, 300.0).labelMaxWidth, 300);
    EXPECT_DOUBLE_EQ(fit(3, 72, visible, 300.0).width, 332);
    // A very long name stops at innerMax, so the panel stays within 0.8 of the screen.
    EXPECT_DOUBLE_EQ(fit(3, 72, visible, 2000.0).labelMaxWidth, 400);
    EXPECT_DOUBLE_EQ(fit(3, 72, visible, 2000.0).width, 432);
    // A label narrower than the grid changes nothing.
    EXPECT_DOUBLE_EQ(fit(3, 72, visible, 100.0).width, 252 + 32);
}

TEST(SwitcherGridLayoutTest, CentringIsUnroundedWithinTheVisibleFrame) {
    const auto origin = SwitcherPanelGeometry::centredOrigin(Rect{1440, 25, 1921, 1055}, 400, 301);
    EXPECT_DOUBLE_EQ(origin.x, 1440 + 960.5 - 200);
    EXPECT_DOUBLE_EQ(origin.y, 25 + 527.5 - 150.5);
}

}  // namespace
}  // namespace tavelin
