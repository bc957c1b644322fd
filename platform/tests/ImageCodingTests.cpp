#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>

#include "platform/BitmapScaling.h"
#include "platform/ImageCoding.h"
#include "platform/tests/TemporaryFolder.h"

namespace tavelin {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;
using Data = std::vector<std::uint8_t>;

// Every alpha from clear to opaque, with colours under the clear pixels too.
Bitmap pattern(int width, int height) {
    Bitmap bitmap(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            bitmap.setPixel(
                x, y,
                Rgba{static_cast<std::uint8_t>(x * 7), static_cast<std::uint8_t>(y * 11),
                     static_cast<std::uint8_t>((x + y) * 3), static_cast<std::uint8_t>((x * y) % 256)});
        }
    }
    return bitmap;
}

// Smooth, as photographs are, so that the coding error stays small.
Bitmap gradient(int width, int height) {
    Bitmap bitmap(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            bitmap.setPixel(
                x, y,
                Rgba{static_cast<std::uint8_t>(255 * x / width), static_cast<std::uint8_t>(255 * y / height),
                     static_cast<std::uint8_t>(128 + 64 * x / width - 32 * y / height), 255});
        }
    }
    return bitmap;
}

Data encodedPNG(const Bitmap& bitmap) {
    auto data = encodePNG(bitmap);
    EXPECT_TRUE(data) << data.error().message;
    return data.value_or(Data{});
}

Data encodedJPEG(const Bitmap& bitmap, int quality = 85) {
    auto data = encodeJPEG(bitmap, quality);
    EXPECT_TRUE(data) << data.error().message;
    return data.value_or(Data{});
}

void writeFile(const std::filesystem::path& path, const Data& data) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

std::uint32_t crc32(const std::uint8_t* bytes, std::size_t count) {
    std::uint32_t crc = 0xFFFFFFFF;
    for (std::size_t i = 0; i < count; ++i) {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320 & (0u - (crc & 1)));
    }
    return ~crc;
}

void putBigEndian32(std::uint8_t* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
}

TEST(PngCoding, RoundTripKeepsEveryPixelAndItsTransparency) {
    const Bitmap original = pattern(37, 23);
    const Data png = encodedPNG(original);
    EXPECT_EQ(sniffImageFormat(png), ImageFormat::png);
    const auto decoded = decodePNG(png);
    ASSERT_TRUE(decoded) << decoded.error().message;
    EXPECT_EQ(*decoded, original);
}

TEST(PngCoding, AnIconDrawnAt128DecodesBackTo128By128) {
    Bitmap artwork(1024, 768, Rgba{30, 90, 200, 255});
    const Bitmap icon = drawnInSquare(artwork, 128);
    const auto decoded = decodePNG(encodedPNG(icon));
    ASSERT_TRUE(decoded) << decoded.error().message;
    EXPECT_EQ(decoded->width, 128);
    EXPECT_EQ(decoded->height, 128);
    EXPECT_EQ(*decoded, icon);
    EXPECT_EQ(decoded->pixel(0, 0).a, 0);
    EXPECT_EQ(decoded->pixel(64, 64), (Rgba{30, 90, 200, 255}));
}

TEST(PngCoding, OtherLayoutsComeBackAsRgba) {
    // A grey file without alpha, written the way other programs write them.
    std::vector<std::uint8_t> grey = {0, 100, 200, 255};
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = 2;
    image.height = 2;
    image.format = PNG_FORMAT_GRAY;
    Data file(PNG_IMAGE_PNG_SIZE_MAX(image));
    png_alloc_size_t size = file.size();
    ASSERT_TRUE(png_image_write_to_memory(&image, file.data(), &size, 0, grey.data(), 0, nullptr));
    file.resize(size);

    const auto decoded = decodePNG(file);
    ASSERT_TRUE(decoded) << decoded.error().message;
    EXPECT_EQ(decoded->pixel(0, 0), (Rgba{0, 0, 0, 255}));
    EXPECT_EQ(decoded->pixel(1, 0), (Rgba{100, 100, 100, 255}));
    EXPECT_EQ(decoded->pixel(1, 1), (Rgba{255, 255, 255, 255}));
}

TEST(PngCoding, DamagedFilesAreRefused) {
    const Data png = encodedPNG(pattern(64, 64));
    for (std::size_t length :
         {std::size_t{0}, std::size_t{8}, std::size_t{30}, png.size() / 2, png.size() - 13}) {
        const auto decoded = decodePNG(std::span(png.data(), length));
        ASSERT_FALSE(decoded) << "length " << length;
        EXPECT_THAT(decoded.error().message, StartsWith("PNG: "));
    }
    // One flipped bit in the compressed pixels: the chunk's checksum no longer matches.
    Data damaged = png;
    damaged[damaged.size() / 2] ^= 0x10;
    EXPECT_FALSE(decodePNG(damaged));
}

TEST(PngCoding, AHugeHeaderIsRefusedBeforeAnythingIsAllocated) {
    Data png = encodedPNG(pattern(4, 4));
    // IHDR: length at 8, type at 12, width at 16, height at 20, checksum after its 13 bytes at 29.
    putBigEndian32(&png[16], 30000);
    putBigEndian32(&png[20], 30000);
    putBigEndian32(&png[29], crc32(&png[12], 17));
    const auto decoded = decodePNG(png);
    ASSERT_FALSE(decoded);
    EXPECT_EQ(decoded.error().message, "PNG: picture too large (30000x30000)");
}

TEST(PngCoding, EncodingNeedsAPicture) {
    EXPECT_FALSE(encodePNG(Bitmap()));
    Bitmap inconsistent(4, 4);
    inconsistent.pixels.resize(10);
    const auto encoded = encodePNG(inconsistent);
    ASSERT_FALSE(encoded);
    EXPECT_EQ(encoded.error().message, "PNG: not a valid bitmap");
}

TEST(JpegCoding, RoundTripStaysCloseToTheOriginal) {
    const Bitmap original = gradient(160, 120);
    const Data jpeg = encodedJPEG(original);
    EXPECT_EQ(sniffImageFormat(jpeg), ImageFormat::jpeg);
    const auto decoded = decodeJPEG(jpeg);
    ASSERT_TRUE(decoded) << decoded.error().message;
    ASSERT_EQ(decoded->width, 160);
    ASSERT_EQ(decoded->height, 120);
    double total = 0;
    int worst = 0;
    for (std::size_t i = 0; i < original.pixels.size(); ++i) {
        const int difference = std::abs(int(original.pixels[i]) - int(decoded->pixels[i]));
        total += difference;
        worst = std::max(worst, difference);
    }
    EXPECT_LT(total / static_cast<double>(original.pixels.size()), 2.0);
    EXPECT_LT(worst, 16);
    EXPECT_LT(jpeg.size(), original.pixels.size() / 10);
}

TEST(JpegCoding, TransparentPixelsAreEncodedOverBlack) {
    Bitmap picture(16, 16, Rgba{200, 100, 50, 0});
    for (int y = 0; y < 16; ++y) {
        for (int x = 8; x < 16; ++x) picture.setPixel(x, y, Rgba{200, 100, 50, 255});
    }
    const auto decoded = decodeJPEG(encodedJPEG(picture, 95));
    ASSERT_TRUE(decoded) << decoded.error().message;
    const Rgba clear = decoded->pixel(1, 8), opaque = decoded->pixel(14, 8);
    EXPECT_LT(clear.r + clear.g + clear.b, 30);
    EXPECT_NEAR(opaque.r, 200, 8);
    EXPECT_NEAR(opaque.g, 100, 8);
    EXPECT_NEAR(opaque.b, 50, 8);
    EXPECT_EQ(clear.a, 255);
}

TEST(JpegCoding, QualityMustLieBetween1And100) {
    const Bitmap picture = gradient(8, 8);
    for (int quality : {0, 101}) {
        const auto encoded = encodeJPEG(picture, quality);
        ASSERT_FALSE(encoded);
        EXPECT_THAT(encoded.error().message, HasSubstr("outside 1 to 100"));
    }
    EXPECT_TRUE(encodeJPEG(picture, 1));
    EXPECT_TRUE(encodeJPEG(picture, 100));
    EXPECT_FALSE(encodeJPEG(Bitmap(), 85));
}

TEST(JpegCoding, DamagedFilesAreRefused) {
    const Data jpeg = encodedJPEG(gradient(96, 64));
    for (std::size_t length : {std::size_t{0}, std::size_t{2}, std::size_t{3}, std::size_t{200},
                               jpeg.size() / 2, jpeg.size() - 2}) {
        const auto decoded = decodeJPEG(std::span(jpeg.data(), length));
        ASSERT_FALSE(decoded) << "length " << length;
        EXPECT_THAT(decoded.error().message, StartsWith("JPEG: "));
    }
    Data garbage = jpeg;
    std::fill(garbage.begin() + 20, garbage.begin() + 200, std::uint8_t{0xFF});
    EXPECT_FALSE(decodeJPEG(garbage));
}

TEST(JpegCoding, AHugeHeaderIsRefusedBeforeAnythingIsAllocated) {
    Data jpeg = encodedJPEG(gradient(16, 16));
    // The frame header: FF C0, length, precision, height, width.
    const auto frame = std::ranges::search(jpeg, Data{0xFF, 0xC0});
    ASSERT_FALSE(frame.empty());
    const auto at = static_cast<std::size_t>(frame.begin() - jpeg.begin());
    jpeg[at + 5] = jpeg[at + 7] = 0xEA;  // 60000 by 60000
    jpeg[at + 6] = jpeg[at + 8] = 0x60;
    const auto decoded = decodeJPEG(jpeg);
    ASSERT_FALSE(decoded);
    EXPECT_EQ(decoded.error().message, "JPEG: picture too large (60000x60000)");
}

TEST(ImageLoading, ThePictureIsKnownByItsContentNotItsName) {
    TemporaryFolder folder;
    const Bitmap icon = pattern(20, 10);
    writeFile(folder / "DefaultDesktop.heic", encodedJPEG(gradient(64, 40)));
    writeFile(folder / "icon.jpg", encodedPNG(icon));

    const auto desktop = loadImage(folder / "DefaultDesktop.heic");
    ASSERT_TRUE(desktop) << desktop.error().message;
    EXPECT_EQ(desktop->width, 64);
    EXPECT_EQ(desktop->height, 40);
    const auto png = loadImage(folder / "icon.jpg");
    ASSERT_TRUE(png) << png.error().message;
    EXPECT_EQ(*png, icon);
}

TEST(ImageLoading, WhatIsNoPictureGivesAReasonWithThePath) {
    TemporaryFolder folder;
    writeFile(folder / "notes.png", Data{'h', 'e', 'l', 'l', 'o'});
    const auto text = loadImage(folder / "notes.png");
    ASSERT_FALSE(text);
    EXPECT_EQ(text.error().message, (folder / "notes.png").string() + ": not a PNG or JPEG picture");

    const auto missing = loadImage(folder / "missing.png");
    ASSERT_FALSE(missing);
    EXPECT_THAT(missing.error().message, StartsWith((folder / "missing.png").string() + ": "));

    // Right magic, nothing behind it.
    Data truncated = encodedPNG(pattern(8, 8));
    truncated.resize(40);
    const auto damaged = decodeImage(truncated);
    ASSERT_FALSE(damaged);
    EXPECT_THAT(damaged.error().message, StartsWith("PNG: "));
}

}  // namespace
}  // namespace tavelin
