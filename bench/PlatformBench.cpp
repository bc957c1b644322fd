// Picture work of the icon service and the desktop-picture service: rendering an icon at 128, the
// icon cache's miss (decode a large icon, draw it at 128, encode), and the desktop picture's JPEG.
// The pictures are drawn here: a round icon with a soft edge and a little grain, and a photograph-like
// gradient, so that the coders see neither flat colour nor pure noise.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>

#include "platform/BitmapScaling.h"
#include "platform/ImageCoding.h"

namespace tavelin {
namespace {

std::uint8_t grain(int x, int y) { return static_cast<std::uint8_t>((x * 7919 + y * 104729) % 7); }

Bitmap iconArtwork(int side) {
    Bitmap bitmap(side, side);
    const double centre = side / 2.0, radius = side * 0.45;
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            const double distance = std::hypot(x + 0.5 - centre, y + 0.5 - centre);
            const double coverage = std::clamp(radius - distance + 0.5, 0.0, 1.0);
            if (coverage == 0) continue;
            bitmap.setPixel(x, y,
                            Rgba{static_cast<std::uint8_t>(40 + 180 * x / side + grain(x, y)),
                                 static_cast<std::uint8_t>(90 + 120 * y / side + grain(y, x)),
                                 static_cast<std::uint8_t>(220 - 100 * distance / radius),
                                 static_cast<std::uint8_t>(255 * coverage)});
        }
    }
    return bitmap;
}

Bitmap photograph(int width, int height) {
    Bitmap bitmap(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double wave = std::sin(x * 0.01) * std::cos(y * 0.013);
            bitmap.setPixel(x, y,
                            Rgba{static_cast<std::uint8_t>(60 + 120 * y / height + grain(x, y)),
                                 static_cast<std::uint8_t>(110 + 60 * wave + grain(y, x)),
                                 static_cast<std::uint8_t>(160 + 80 * x / width), 255});
        }
    }
    return bitmap;
}

void BM_EncodeIconPNG128(benchmark::State& state) {
    const Bitmap icon = drawnInSquare(iconArtwork(512), 128);
    std::size_t bytes = 0;
    for (auto _ : state) {
        auto png = encodePNG(icon);
        bytes = png->size();
        benchmark::DoNotOptimize(png);
    }
    state.counters["pngBytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_EncodeIconPNG128)->Unit(benchmark::kMicrosecond);

// The icon cache's miss for an application whose icon file is 1024 pixels.
void BM_IconCacheMiss1024To128(benchmark::State& state) {
    const auto file = encodePNG(iconArtwork(1024));
    for (auto _ : state) {
        auto bitmap = decodePNG(*file);
        auto png = encodePNG(drawnInSquare(*bitmap, 128));
        benchmark::DoNotOptimize(png);
    }
    state.counters["fileBytes"] = static_cast<double>(file->size());
}
BENCHMARK(BM_IconCacheMiss1024To128)->Unit(benchmark::kMillisecond);

// The desktop picture at 1280 on its long edge, compressed at 0.85.
void BM_WallpaperJPEG2560To1280(benchmark::State& state) {
    const Bitmap picture = photograph(2560, 1600);
    std::size_t bytes = 0;
    for (auto _ : state) {
        auto jpeg = encodeJPEG(scaled(picture, 1280, 800), 85);
        bytes = jpeg->size();
        benchmark::DoNotOptimize(jpeg);
    }
    state.counters["jpegBytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_WallpaperJPEG2560To1280)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tavelin
