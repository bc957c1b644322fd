#include "mac/core/WallpaperImaging.h"

#include <gtest/gtest.h>

#include <cmath>

#include "mac/core/tests/WallpaperPictures.h"
#include "platform/ImageCoding.h"

namespace tavelin {
namespace {

using test_pictures::forest;
using test_pictures::level;
using test_pictures::sunset;

Bitmap decodedJPEG(const Bytes& jpeg) {
    EXPECT_EQ(sniffImageFormat(jpeg.data), ImageFormat::jpeg);
    auto bitmap = decodeJPEG(jpeg.data);
    EXPECT_TRUE(bitmap) << bitmap.error().message;
    return bitmap ? *bitmap : Bitmap{};
}

Bytes encoded(const Bitmap& bitmap) { return Bytes{*encodeJPEG(bitmap, 85)}; }

TEST(WallpaperImagingTest, JPEGKeepsTheLongEdgeAtMostTheLimitAndTruncatesTheShortOne) {
    const struct {
        int width, height, expectedWidth, expectedHeight;
    } cases[] = {
        {2560, 1600, 1280, 800},  // halved
        {1000, 3000, 426, 1280},  // 1000 * 1280 / 3000 = 426.67
        {1280, 720, 1280, 720},   // at the limit
        {300, 200, 300, 200},     // never enlarged
    };
    for (const auto& c : cases) {
        const auto jpeg = tavelin::jpeg(sunset(c.width, c.height), 1280);
        ASSERT_TRUE(jpeg) << c.width << "x" << c.height;
        const auto bitmap = decodedJPEG(*jpeg);
        EXPECT_EQ(bitmap.width, c.expectedWidth) << c.width << "x" << c.height;
        EXPECT_EQ(bitmap.height, c.expectedHeight) << c.width << "x" << c.height;
    }
    // A strip whose short edge truncates to nothing, and no picture at all, encode to nothing.
    EXPECT_FALSE(tavelin::jpeg(sunset(5000, 1), 1280));
    EXPECT_FALSE(tavelin::jpeg(Bitmap{}, 1280));
}

TEST(WallpaperImagingTest, SamplesSpreadOverTheWholePictureCornersIncluded) {
    // Each pixel tells where it is: red the column (up to 199), green the row.
    Bitmap bitmap(200, 3);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 200; ++x) bitmap.setPixel(x, y, Rgba{level(x), level(y), 0, 255});
    }
    const auto samples = colourSamples(bitmap, 64);
    ASSERT_EQ(samples.size(), 64u * 3u);
    for (int j = 0; j < 3; ++j) {
        for (int i = 0; i < 64; ++i) {
            const auto& sample = samples[static_cast<std::size_t>(j * 64 + i)];
            EXPECT_EQ(std::lround(sample.red * 255), i * 199 / 63) << i << "," << j;
            EXPECT_EQ(std::lround(sample.green * 255), j) << i << "," << j;
        }
    }
    EXPECT_EQ(colourSamples(Bitmap(1, 1, Rgba{255, 0, 0, 255}), 96), (std::vector<RGB>{RGB{1, 0, 0}}));
    EXPECT_TRUE(colourSamples(Bitmap{}, 64).empty());
}

TEST(WallpaperImagingTest, AverageIsTheMeanOfTheSamples) {
    const auto average = averageRGB(Bitmap(500, 300, Rgba{51, 102, 153, 255}));
    ASSERT_TRUE(average);
    EXPECT_NEAR(average->red, 0.2, 1e-9);
    EXPECT_NEAR(average->green, 0.4, 1e-9);
    EXPECT_NEAR(average->blue, 0.6, 1e-9);
    // 64 columns, all sampled: a quarter white.
    Bitmap quarter(64, 10, Rgba{0, 0, 0, 255});
    for (int y = 0; y < 10; ++y) {
        for (int x = 48; x < 64; ++x) quarter.setPixel(x, y, Rgba{255, 255, 255, 255});
    }
    EXPECT_NEAR(averageRGB(quarter)->green, 0.25, 1e-9);
    EXPECT_FALSE(averageRGB(Bitmap{}));
    EXPECT_FALSE(averageRGB(Bytes{{0xFF, 0xD8, 0xFF, 0x00}}));
}

TEST(WallpaperImagingTest, GreenNeedsEachComponentTestAndMoreThanSevenPercent) {
    const auto flat = [](Rgba colour) { return Bitmap(96, 96, colour); };
    // green > 0.35: 90 is 0.353, 89 is 0.349; red and blue below green by more than 0.08 (20.4 steps).
    EXPECT_TRUE(containsProminentGreenDesktop(flat({69, 90, 69, 255})));
    EXPECT_FALSE(containsProminentGreenDesktop(flat({60, 89, 60, 255})));
    EXPECT_FALSE(containsProminentGreenDesktop(flat({70, 90, 60, 255})));
    EXPECT_FALSE(containsProminentGreenDesktop(flat({60, 90, 70, 255})));

    // On a 96 by 96 picture every pixel is a sample: 646 of 9216 is 7.01 %, 645 is 6.99 %.
    const auto withGreenPixels = [&](int count) {
        Bitmap bitmap = flat({128, 128, 128, 255});
        for (int i = 0; i < count; ++i) bitmap.setPixel(i % 96, i / 96, Rgba{0, 200, 0, 255});
        return bitmap;
    };
    EXPECT_TRUE(containsProminentGreenDesktop(withGreenPixels(646)));
    EXPECT_FALSE(containsProminentGreenDesktop(withGreenPixels(645)));

    EXPECT_TRUE(containsProminentGreenDesktop(encoded(forest())));
    EXPECT_FALSE(containsProminentGreenDesktop(encoded(sunset())));
    EXPECT_FALSE(containsProminentGreenDesktop(Bytes{{1, 2, 3}}));
}

TEST(WallpaperImagingTest, UniformFillComparesThreePointsWithinTwoHundredths) {
    const Rgba base{100, 120, 140, 255};
    const auto withPixel = [&](int x, int y, Rgba colour) {
        Bitmap bitmap(64, 64, base);
        bitmap.setPixel(x, y, colour);
        return bitmap;
    };
    EXPECT_TRUE(isUniformFill(Bitmap(64, 64, base)));
    // 5 steps are 0.0196, 6 steps 0.0235; the middle is (32, 32), the last point (61, 61).
    EXPECT_TRUE(isUniformFill(withPixel(32, 32, {105, 115, 145, 255})));
    EXPECT_FALSE(isUniformFill(withPixel(32, 32, {106, 120, 140, 255})));
    EXPECT_FALSE(isUniformFill(withPixel(61, 61, {100, 120, 134, 255})));
    EXPECT_FALSE(isUniformFill(withPixel(2, 2, {100, 126, 140, 255})));
    // Only the three points count.
    EXPECT_TRUE(isUniformFill(withPixel(10, 40, {255, 0, 0, 255})));
    // Too small to tell.
    EXPECT_FALSE(isUniformFill(Bitmap(4, 64, base)));
    EXPECT_FALSE(isUniformFill(Bitmap(64, 4, base)));

    EXPECT_TRUE(isUniformFill(encoded(Bitmap(320, 200, Rgba{0, 0, 0, 255}))));
    EXPECT_FALSE(isUniformFill(encoded(sunset())));
    EXPECT_FALSE(isUniformFill(Bytes{}));
}

}  // namespace
}  // namespace tavelin
