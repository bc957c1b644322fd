#include "mac/core/WallpaperTokens.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <fstream>

#include "platform/Sha256.h"
#include "platform/tests/TemporaryFolder.h"

namespace tavelin {
namespace {

TEST(WallpaperTokensTest, LayoutListsEachScreenWithItsFrameTruncatedTowardZero) {
    EXPECT_EQ(screenLayoutFingerprint({}), "");
    EXPECT_EQ(screenLayoutFingerprint({Screen{1, Rect{0, 0, 1512, 982.5}, 69733378, "Built-in"},
                                       Screen{2, Rect{-1920.7, 40.9, 1920, 1080}, std::nullopt, "DELL U2720Q"}}),
              "69733378|0,0,1512x982;DELL U2720Q|-1920,40,1920x1080");
    // Nothing a display reports, but nothing undefined either.
    EXPECT_EQ(screenLayoutFingerprint({Screen{1, Rect{-0.5, 1e300, std::nan(""), 3}, 7, "x"}}),
              "7|0,9000000000000000000,0x3");
}

TEST(WallpaperTokensTest, FileTokenEndsInTheModificationTimeOrZero) {
    TemporaryFolder folder;
    const auto file = folder / "Sunset.jpg";
    std::ofstream(file) << "picture";
    // 2024-01-01 00:00:00.75 UTC.
    const auto modified = std::chrono::sys_seconds(std::chrono::seconds(1704067200)) + std::chrono::milliseconds(750);
    std::filesystem::last_write_time(file, std::chrono::file_clock::from_sys(modified));
    EXPECT_EQ(fileWallpaperToken(file, "1|0,0,1440x900"), "file:1|0,0,1440x900:" + file.string() + ":1704067200");
    EXPECT_EQ(fileWallpaperToken(folder / "gone.jpg", "1|0,0,1440x900"),
              "file:1|0,0,1440x900:" + (folder / "gone.jpg").string() + ":0");
}

TEST(WallpaperTokensTest, CaptureTokenHashesTheFirst64KiBOfTheJPEG) {
    const Screen named{1, Rect{0, 0, 10, 10}, std::nullopt, "Projector"};
    Bytes small{{1, 2, 3}};
    EXPECT_EQ(captureWallpaperToken(named, "L", small),
              "capture:L:Projector:" + hexPrefix(sha256(small.data), 8));

    Bytes large{std::vector<std::uint8_t>(65536 + 10, 7)};
    const std::string token = captureWallpaperToken(Screen{2, {}, 42, "Studio"}, "L", large);
    EXPECT_EQ(token, "capture:L:42:" + hexPrefix(sha256(std::span(large.data).first(65536)), 8));
    // What lies beyond does not count; what lies within does.
    large.data.back() = 8;
    EXPECT_EQ(captureWallpaperToken(Screen{2, {}, 42, "Studio"}, "L", large), token);
    large.data[65535] = 8;
    EXPECT_NE(captureWallpaperToken(Screen{2, {}, 42, "Studio"}, "L", large), token);
    EXPECT_EQ(token.size(), std::string("capture:L:42:").size() + 16);
}

}  // namespace
}  // namespace tavelin
