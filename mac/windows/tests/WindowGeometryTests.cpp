#include <gtest/gtest.h>

#include "mac/windows/DockNativeActivation.h"
#include "mac/windows/WindowGeometry.h"

namespace tavelin {
namespace {

TEST(WindowGeometryTest, TheStrictParserTakesDigitsOnly) {
    const std::pair<std::string_view, std::optional<std::uint32_t>> cases[] = {
        {"12", 12u},          {"0012", 12u},      {"0", 0u},           {"4294967295", 4294967295u},
        {"4294967296", {}},   {"99999999999", {}}, {"+12", {}},         {"-1", {}},
        {"12a", {}},          {" 12", {}},         {"12 ", {}},         {"", {}},
        {"١٢", {}},  // Arabic-Indic digits are numeric characters, not ASCII digits
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(parseDecimalUInt32(text), expected) << text;
    EXPECT_EQ(parseCGWindowID(WindowID("4711")), 4711u);
    EXPECT_EQ(parseCGWindowID(WindowID("6F1C2A44-7D0B-4C7E-9C55-1B8A3E2D9F10")), std::nullopt);
}

TEST(WindowGeometryTest, CoordinatesFlipAtThePrimaryScreensTop) {
    EXPECT_EQ(cocoaFrame(Rect{100, 25, 800, 600}, 900), (WindowFrame{100, 275, 800, 600}));
    EXPECT_EQ(topLeftOrigin(WindowFrame{100, 275, 800, 600}, 900), (Point{100, 25}));
    // Half-open on both axes: the minimum edges belong to the rectangle, the maximum ones do not.
    EXPECT_TRUE(pointInRect({0, 0}, Rect{0, 0, 10, 10}));
    EXPECT_FALSE(pointInRect({10, 5}, Rect{0, 0, 10, 10}));
    EXPECT_FALSE(pointInRect({5, 10}, Rect{0, 0, 10, 10}));
}

TEST(WindowGeometryTest, FittingScalesDownCentresAndClamps) {
    EXPECT_EQ(frameFittingVisible({0, 0, 2000, 1000}, Rect{0, 0, 1000, 800}), (WindowFrame{0, 150, 1000, 500}));
    EXPECT_EQ(frameFittingVisible({-500, 3000, 400, 200}, Rect{100, 50, 1000, 800}), (WindowFrame{400, 350, 400, 200}));
    // Too tall only: the height decides the scale.
    EXPECT_EQ(frameFittingVisible({0, 0, 500, 1600}, Rect{0, 0, 1000, 800}), (WindowFrame{375, 0, 250, 800}));
    EXPECT_EQ(frameFittingVisible({0, 0, 0, 300}, Rect{10, 20, 1000, 800}), (WindowFrame{10, 20, 1000, 800}));
}

TEST(WindowGeometryTest, TilesAreHalvesAndQuartersWithYUpwards) {
    const Rect r{0, 0, 1000, 800};
    const std::pair<WindowTileKind, Rect> cases[] = {
        {WindowTileKind::leftHalf, {0, 0, 500, 800}},     {WindowTileKind::rightHalf, {500, 0, 500, 800}},
        {WindowTileKind::topHalf, {0, 400, 1000, 400}},   {WindowTileKind::bottomHalf, {0, 0, 1000, 400}},
        {WindowTileKind::topLeft, {0, 400, 500, 400}},    {WindowTileKind::topRight, {500, 400, 500, 400}},
        {WindowTileKind::bottomLeft, {0, 0, 500, 400}},   {WindowTileKind::bottomRight, {500, 0, 500, 400}},
    };
    for (const auto& [kind, expected] : cases) EXPECT_EQ(tileRect(kind, r), expected) << toString(kind);
    EXPECT_EQ(tileRect(WindowTileKind::topLeft, Rect{0, 25, 1440, 875}), (Rect{0, 462.5, 720, 437.5}));
}

TEST(DockNativeActivationTest, BrowsersAndTheirAppModeShims) {
    const auto& browsers = DockNativeActivation::chromiumBrowserBundleIDs();
    EXPECT_EQ(browsers.size(), 8u);
    for (const auto* id : {"com.google.Chrome", "com.google.Chrome.canary", "com.microsoft.edgemac", "com.brave.Browser",
                           "company.thebrowser.Browser", "com.vivaldi.Vivaldi", "com.eatbiscult.biscult",
                           "org.chromium.Chromium"}) {
        EXPECT_TRUE(browsers.contains(std::string_view(id))) << id;
    }
    EXPECT_FALSE(browsers.contains(std::string_view("com.google.chrome")));

    EXPECT_FALSE(DockNativeActivation::isChromiumAppMode(std::nullopt));
    EXPECT_FALSE(DockNativeActivation::isChromiumAppMode("com.google.Chrome"));
    EXPECT_FALSE(DockNativeActivation::isChromiumAppMode("com.google.Chrome.app"));
    EXPECT_FALSE(DockNativeActivation::isChromiumAppMode("com.google.Chromeapp.x"));
    EXPECT_FALSE(DockNativeActivation::isChromiumAppMode("com.google.chrome.app.x"));
    EXPECT_TRUE(DockNativeActivation::isChromiumAppMode("com.google.Chrome.app."));
    EXPECT_TRUE(DockNativeActivation::isChromiumAppMode("com.google.Chrome.app.Default-mail"));
    EXPECT_TRUE(DockNativeActivation::isChromiumAppMode("com.eatbiscult.biscult.app.x"));
}

}  // namespace
}  // namespace tavelin
