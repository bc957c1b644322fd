#include "mac/core/WallpaperScreens.h"

#include <gtest/gtest.h>

#include "mac/core/WallpaperWindowCapture.h"

namespace tavelin {
namespace {

// Three displays: the built-in one at the origin, one to its right, one above it.
const Screen kBuiltIn{1, Rect{0, 0, 1440, 900}, 1, "Built-in"};
const Screen kRight{2, Rect{1440, 0, 1920, 1080}, 2, "Right"};
const Screen kAbove{3, Rect{0, 900, 1440, 900}, std::nullopt, "Above"};
const std::vector<Screen> kScreens{kBuiltIn, kRight, kAbove};

std::vector<std::uint64_t> order(const std::optional<Screen>& main, Point mouse) {
    std::vector<std::uint64_t> identities;
    for (const auto& screen : prioritizedScreens(kScreens, main, mouse)) identities.push_back(screen.identity);
    return identities;
}

TEST(WallpaperScreensTest, ScreenUnderTheMouseThenTheMainScreenThenTheRestOnce) {
    EXPECT_EQ(order(kRight, Point{100, 100}), (std::vector<std::uint64_t>{1, 2, 3}));
    EXPECT_EQ(order(kBuiltIn, Point{2000, 500}), (std::vector<std::uint64_t>{2, 1, 3}));
    EXPECT_EQ(order(kRight, Point{700, 1500}), (std::vector<std::uint64_t>{3, 2, 1}));
    // Off every screen: the main screen leads; without one, the list order stays.
    EXPECT_EQ(order(kAbove, Point{-50, -50}), (std::vector<std::uint64_t>{3, 1, 2}));
    EXPECT_EQ(order(std::nullopt, Point{-50, -50}), (std::vector<std::uint64_t>{1, 2, 3}));
    // On the line between two screens the point lies in one only: the left edge belongs to the screen,
    // the right one does not; of the line between the built-in screen and the one above, the top edge
    // of the lower screen.
    EXPECT_EQ(order(std::nullopt, Point{1440, 10}).front(), 2u);
    EXPECT_EQ(order(std::nullopt, Point{10, 900}).front(), 1u);
    EXPECT_EQ(order(kRight, Point{10, 0}).front(), 2u);  // the bottom edge is not in the screen
}

TEST(WallpaperScreensTest, WindowServerRectIsMeasuredFromTheTopOfTheFirstScreen) {
    EXPECT_EQ(cgRect(kBuiltIn, kScreens), (Rect{0, 0, 1440, 900}));
    EXPECT_EQ(cgRect(kRight, kScreens), (Rect{1440, -180, 1920, 1080}));
    EXPECT_EQ(cgRect(kAbove, kScreens), (Rect{0, -900, 1440, 900}));
    // Without a list the screen is its own reference.
    EXPECT_EQ(cgRect(kRight, {}), (Rect{1440, 0, 1920, 1080}));
}

TEST(WallpaperScreensTest, WallpaperWindowIsOnTheDesktopLayerNamedAndCoveringTheTarget) {
    const Rect target{0, 0, 1000, 800};
    EXPECT_TRUE(isWallpaperWindow(kDesktopWindowLayer, "Wallpaper", target, target));
    EXPECT_TRUE(isWallpaperWindow(kDesktopWindowLayer, "Wallpaper-4B1E", Rect{10, 10, 950, 760}, target));
    EXPECT_FALSE(isWallpaperWindow(kDesktopWindowLayer, "Wallpaper-4B1E", Rect{10, 10, 949, 760}, target));
    EXPECT_FALSE(isWallpaperWindow(kDesktopWindowLayer, "Wallpaper-4B1E", Rect{10, 10, 950, 759}, target));
    EXPECT_FALSE(isWallpaperWindow(kDesktopWindowLayer, "Wallpapers", target, target));
    EXPECT_FALSE(isWallpaperWindow(kDesktopWindowLayer, "", target, target));
    EXPECT_FALSE(isWallpaperWindow(kDesktopWindowLayer + 1, "Wallpaper", target, target));
    // Same size, but beside the target: touching is not overlapping.
    EXPECT_FALSE(isWallpaperWindow(kDesktopWindowLayer, "Wallpaper", Rect{1000, 0, 1000, 800}, target));
}

}  // namespace
}  // namespace tavelin
