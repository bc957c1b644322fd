#include <gtest/gtest.h>

#include "platform/BitmapScaling.h"

namespace tavelin {

void PrintTo(const Rgba& colour, std::ostream* out) {
    *out << "(" << int(colour.r) << ", " << int(colour.g) << ", " << int(colour.b) << ", " << int(colour.a)
         << ")";
}

namespace {

constexpr Rgba kClear{};
constexpr Rgba kRed{255, 0, 0, 255};
constexpr Rgba kBlue{0, 0, 255, 255};

Bitmap row(std::initializer_list<Rgba> colours) {
    Bitmap bitmap(static_cast<int>(colours.size()), 1);
    int x = 0;
    for (const Rgba& colour : colours) bitmap.setPixel(x++, 0, colour);
    return bitmap;
}

Rgba grey(std::uint8_t level) { return Rgba{level, level, level, 255}; }

// Counts the pixels of `bitmap` inside and outside `rect` that differ from what is expected there.
int mismatches(const Bitmap& bitmap, PixelRect rect, Rgba inside, Rgba outside) {
    int count = 0;
    for (int y = 0; y < bitmap.height; ++y) {
        for (int x = 0; x < bitmap.width; ++x) {
            const bool in = x >= rect.x && x < rect.x + rect.width && y >= rect.y && y < rect.y + rect.height;
            count += bitmap.pixel(x, y) != (in ? inside : outside);
        }
    }
    return count;
}

TEST(BitmapScaling, ASolidColourStaysExactlyThatColourAtAnySize) {
    const Rgba colour{200, 100, 50, 128};
    struct Case {
        int fromWidth, fromHeight, toWidth, toHeight;
    };
    for (const Case& c : {Case{1024, 1024, 128, 128}, Case{100, 37, 33, 7}, Case{16, 16, 128, 128},
                          Case{3, 5, 7, 2}, Case{1, 1, 9, 4}}) {
        const Bitmap result = scaled(Bitmap(c.fromWidth, c.fromHeight, colour), c.toWidth, c.toHeight);
        ASSERT_EQ(result.width, c.toWidth);
        ASSERT_EQ(result.height, c.toHeight);
        EXPECT_EQ(result, Bitmap(c.toWidth, c.toHeight, colour))
            << c.fromWidth << "x" << c.fromHeight << " to " << c.toWidth << "x" << c.toHeight;
    }
}

TEST(BitmapScaling, ShrinkingAveragesTheAreaEachPixelCovers) {
    // Each destination pixel covers one and a half source pixels.
    EXPECT_EQ(scaled(row({grey(0), grey(90), grey(180)}), 2, 1), row({grey(30), grey(150)}));

    Bitmap checker(2, 2, grey(0));
    checker.setPixel(1, 0, grey(255));
    checker.setPixel(0, 1, grey(255));
    EXPECT_EQ(scaled(checker, 1, 1), Bitmap(1, 1, grey(128)));

    // A 1024-pixel icon at 128: every 8 by 8 block becomes one pixel, with nothing of its neighbours.
    Bitmap blocks(1024, 1024);
    for (int y = 0; y < 1024; ++y) {
        for (int x = 0; x < 1024; ++x) {
            blocks.setPixel(
                x, y,
                Rgba{std::uint8_t(x / 8), std::uint8_t(y / 8), std::uint8_t((x / 8 + y / 8) % 2 * 255), 255});
        }
    }
    const Bitmap icon = scaled(blocks, 128, 128);
    int wrong = 0;
    for (int y = 0; y < 128; ++y) {
        for (int x = 0; x < 128; ++x) {
            wrong += icon.pixel(x, y) !=
                     Rgba{std::uint8_t(x), std::uint8_t(y), std::uint8_t((x + y) % 2 * 255), 255};
        }
    }
    EXPECT_EQ(wrong, 0);
}

TEST(BitmapScaling, TransparentPixelsDoNotDarkenTheirNeighbours) {
    EXPECT_EQ(scaled(row({kRed, kClear}), 1, 1), row({Rgba{255, 0, 0, 128}}));
    // Colour kept under a pixel that is all but transparent.
    EXPECT_EQ(scaled(row({Rgba{10, 20, 30, 4}, Rgba{10, 20, 30, 4}}), 1, 1), row({Rgba{10, 20, 30, 4}}));

    // The same when the picture is halved on the way, as a large icon is: an edge half red and half
    // clear stays red, only half covered.
    Bitmap edge(8, 8);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 4; ++x) edge.setPixel(x, y, kRed);
    }
    EXPECT_EQ(scaled(edge, 1, 1), Bitmap(1, 1, Rgba{255, 0, 0, 128}));
    EXPECT_EQ(scaled(edge, 2, 1), row({kRed, kClear}));
}

TEST(BitmapScaling, EnlargingInterpolatesBetweenNeighbours) {
    EXPECT_EQ(scaled(row({grey(0), grey(255)}), 4, 1), row({grey(0), grey(64), grey(191), grey(255)}));
}

TEST(BitmapScaling, FittingKeepsTheProportionsAndCentres) {
    EXPECT_EQ(fittedRect(256, 128, 128, 128), (PixelRect{0, 32, 128, 64}));
    EXPECT_EQ(fittedRect(50, 200, 128, 128), (PixelRect{48, 0, 32, 128}));
    EXPECT_EQ(fittedRect(100, 33, 128, 128), (PixelRect{0, 43, 128, 42}));
    EXPECT_EQ(fittedRect(5000, 1, 128, 128), (PixelRect{0, 63, 128, 1}));
    EXPECT_EQ(fittedRect(0, 10, 128, 128), PixelRect{});

    const Bitmap wide = drawnInSquare(Bitmap(256, 128, kRed), 128);
    EXPECT_EQ(mismatches(wide, PixelRect{0, 32, 128, 64}, kRed, kClear), 0);
    const Bitmap tall = drawnInSquare(Bitmap(50, 200, kBlue), 128);
    EXPECT_EQ(mismatches(tall, PixelRect{48, 0, 32, 128}, kBlue, kClear), 0);
    EXPECT_EQ(drawnInSquare(Bitmap(), 128), Bitmap(128, 128));
}

TEST(BitmapScaling, DrawingStaysInsideItsRectangleAndTheDestination) {
    Bitmap canvas(10, 10, kBlue);
    drawScaled(Bitmap(4, 4, kRed), canvas, PixelRect{-2, 8, 4, 4});
    EXPECT_EQ(mismatches(canvas, PixelRect{0, 8, 2, 2}, kRed, kBlue), 0);

    drawScaled(Bitmap(4, 4, kRed), canvas, PixelRect{20, 20, 4, 4});
    drawScaled(Bitmap(4, 4, kRed), canvas, PixelRect{2, 2, 0, 5});
    EXPECT_EQ(mismatches(canvas, PixelRect{0, 8, 2, 2}, kRed, kBlue), 0);
}

}  // namespace
}  // namespace tavelin
