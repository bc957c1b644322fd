#include <gtest/gtest.h>

#include "platform/FileContents.h"
#include "platform/ImageCoding.h"
#include "platform/tests/TemporaryFolder.h"
#include "platform/ui/Host.h"
#include "platform/ui/Renderer.h"
#include "platform/ui/TextMeasurer.h"
#include "platform/ui/Views.h"

namespace tavelin {

void PrintTo(const Rgba& p, std::ostream* os) {
    *os << "rgba(" << int(p.r) << ", " << int(p.g) << ", " << int(p.b) << ", " << int(p.a) << ")";
}

namespace ui {
namespace {

constexpr Color kRed{1, 0, 0, 1};

// Premultiplying and back may move a component by one.
::testing::AssertionResult near(Rgba actual, Rgba expected) {
    const auto close = [](int a, int b) { return a - b <= 1 && b - a <= 1; };
    if (close(actual.r, expected.r) && close(actual.g, expected.g) && close(actual.b, expected.b) &&
        actual.a == expected.a) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << ::testing::PrintToString(actual) << " is not near "
                                         << ::testing::PrintToString(expected);
}

// A panel-like background: a rounded rectangle of radius 20 filling 100 by 60 points.
DisplayList roundedPanel(Color fill) {
    return {FillShapeOp{Rect{0, 0, 100, 60}, Shape{ShapeKind::roundedRectangle, 20}, fill}};
}

TEST(ImageTests, StraightAlphaBecomesPremultipliedNativeWords) {
    Bitmap bitmap(4, 1);
    bitmap.setPixel(0, 0, Rgba{255, 0, 0, 128});
    bitmap.setPixel(1, 0, Rgba{10, 200, 255, 128});
    bitmap.setPixel(2, 0, Rgba{10, 20, 30, 0});
    bitmap.setPixel(3, 0, Rgba{10, 20, 30, 255});
    const auto image = Image::fromRGBA(bitmap);
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(image->pixel(0, 0), 0x80800000u);
    EXPECT_EQ(image->pixel(1, 0), 0x80056480u);
    EXPECT_EQ(image->pixel(2, 0), 0u);
    EXPECT_EQ(image->pixel(3, 0), 0xFF0A141Eu);
}

TEST(ImageTests, UndecodableOrOversizedIconsGiveNoImageAndTheFallbackSymbol) {
    Bitmap broken(4, 4);
    broken.pixels.resize(10);
    EXPECT_FALSE(Image::fromRGBA(broken).has_value());
    EXPECT_FALSE(Image::fromRGBA(Bitmap()).has_value());
    EXPECT_FALSE(Image::fromRGBA(Bitmap(kMaxSurfaceSide + 1, 1)).has_value());

    auto measurer = makePangoTextMeasurer();
    Host host(std::move(measurer), [](const BuildContext&) {
        return image(Image::fromRGBA(Bitmap()), Symbol::appFill, 20, kRed);
    });
    host.setSize({20, 20});
    const LayoutResult& result = host.update();
    ASSERT_EQ(result.displayList.size(), 1u);
    EXPECT_EQ(std::get<SymbolOp>(result.displayList[0]).symbol, Symbol::appFill);
}

TEST(RendererTests, ARoundedRectangleLeavesItsCornersTransparentAtTwiceTheScale) {
    const auto bitmap = render(roundedPanel(kRed), {100, 60});
    ASSERT_TRUE(bitmap.has_value()) << bitmap.error().message;
    EXPECT_EQ(bitmap->width, 200);
    EXPECT_EQ(bitmap->height, 120);
    // Outside the radius-20 arc (40 pixels at scale 2), inside the bounding box.
    EXPECT_EQ(bitmap->pixel(2, 2).a, 0);
    EXPECT_EQ(bitmap->pixel(197, 117).a, 0);
    EXPECT_EQ(bitmap->pixel(100, 60), (Rgba{255, 0, 0, 255}));
    // On the straight edge the fill reaches the border.
    EXPECT_EQ(bitmap->pixel(0, 60), (Rgba{255, 0, 0, 255}));
    EXPECT_EQ(bitmap->pixel(14, 14), (Rgba{255, 0, 0, 255}));
}

TEST(RendererTests, MaterialsAndOpacityGroupsComposeAsOneLayer) {
    Host host(makePangoTextMeasurer(), [](const BuildContext&) {
        return zstack({roundedRectangle(20, Material::regular).frame(100, 60),
                       zstack({rectangle(kRed).frame(20, 20), rectangle(kRed).frame(10, 10)}).opacity(0.5)});
    });
    host.setSize({100, 60});
    host.setEnvironment(Environment{ColorScheme::dark});
    const auto dark = render(host.update().displayList, host.size());
    ASSERT_TRUE(dark.has_value());
    EXPECT_TRUE(near(dark->pixel(40, 60), Rgba{38, 38, 38, 217}));
    // Half a red layer over the material; the two red squares overlap and still make half, not three quarters.
    const Rgba overlap = dark->pixel(100, 60);
    const Rgba single = dark->pixel(82, 60);
    EXPECT_EQ(overlap, single);
    // Red at 0.5 over the material at 0.85: alpha 0.925, red (0.5 + 0.15 × 0.85 × 0.5) / 0.925.
    EXPECT_TRUE(near(overlap, Rgba{155, 17, 17, 236}));

    host.setEnvironment(Environment{ColorScheme::light});
    const auto light = render(host.update().displayList, host.size());
    ASSERT_TRUE(light.has_value());
    EXPECT_TRUE(near(light->pixel(40, 60), Rgba{245, 245, 245, 217}));
}

TEST(RendererTests, IconsAndTextsAreDrawn) {
    Bitmap half(2, 2, Rgba{255, 0, 0, 128});
    const DisplayList list{ImageOp{Rect{0, 0, 10, 10}, *Image::fromRGBA(half)},
                           TextOp{Rect{10, 0, 40, 15}, "Mail", Font::system(12), Color::black()}};
    const auto bitmap = render(list, {50, 15});
    ASSERT_TRUE(bitmap.has_value());
    const Rgba icon = bitmap->pixel(10, 10);
    EXPECT_EQ(icon.a, 128);
    EXPECT_EQ(icon.r, 255);
    int inked = 0;
    for (int y = 0; y < 30; ++y) {
        for (int x = 20; x < 100; ++x) inked += bitmap->pixel(x, y).a > 128 ? 1 : 0;
    }
    EXPECT_GT(inked, 20);
    EXPECT_EQ(bitmap->pixel(99, 29).a, 0);
}

TEST(RendererTests, SurfacesPastCairosLimitOrWithoutPixelsAreRefused) {
    const auto large = render({}, {20000, 10}, 2);
    ASSERT_FALSE(large.has_value());
    EXPECT_EQ(large.error().message, "surface of 40000 by 20 pixels is larger than 32767 pixels on a side");
    // Past any integer type, such a side is still named.
    EXPECT_EQ(render({}, {1e300, 10}, 2).error().message,
              "surface of 2e+300 by 20 pixels is larger than 32767 pixels on a side");
    EXPECT_FALSE(render({}, {0, 10}).has_value());
    EXPECT_TRUE(render({}, {16383.5, 1}).has_value());
}

TEST(RendererTests, APNGReplacesTheFileOnlyWhenItIsWhole) {
    TemporaryFolder folder;
    const auto path = folder / "panel.png";
    ASSERT_TRUE(writePNG(roundedPanel(kRed), {100, 60}, 2, path).has_value());
    const auto bytes = readFileContents(path, 1 << 20);
    ASSERT_TRUE(bytes.has_value());
    const auto decoded = decodePNG(std::span(reinterpret_cast<const std::uint8_t*>(bytes->data()), bytes->size()));
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(decoded->width, 200);
    EXPECT_EQ(decoded->pixel(100, 60), (Rgba{255, 0, 0, 255}));
    EXPECT_EQ(decoded->pixel(1, 1).a, 0);

    EXPECT_FALSE(writePNG(roundedPanel(kRed), {20000, 60}, 2, path).has_value());
    EXPECT_EQ(readFileContents(path, 1 << 20), bytes);
    // A folder where the file should go cannot be replaced; nothing is left beside it.
    std::filesystem::create_directory(folder / "taken.png");
    const auto taken = writePNG(roundedPanel(kRed), {100, 60}, 2, folder / "taken.png");
    ASSERT_FALSE(taken.has_value());
    EXPECT_TRUE(std::filesystem::is_directory(folder / "taken.png"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 2);
}

}  // namespace
}  // namespace ui
}  // namespace tavelin
