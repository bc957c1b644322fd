// The desktop-picture service's picture work: a 2560 by 1600 desktop picture brought down to the JPEG
// it keeps (1280 on the long edge, compression 0.85), and the colour tests that judge a captured JPEG
// (each decodes it). The picture is drawn here: hills under a sky with a little grain, so that the
// coder sees neither flat colour nor pure noise.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>

#include "mac/core/WallpaperImaging.h"

namespace tavelin {
namespace {

std::uint8_t clamped(double value) { return static_cast<std::uint8_t>(std::clamp(value, 0.0, 255.0)); }

Bitmap hills(int width, int height) {
    Bitmap bitmap(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double u = static_cast<double>(x) / width, v = static_cast<double>(y) / height;
            const double horizon = 0.5 + 0.08 * std::sin(u * 11) + 0.03 * std::cos(u * 37);
            const double grain = ((x * 2654435761u) ^ (y * 40503u)) % 9;
            bitmap.setPixel(x, y,
                            v < horizon ? Rgba{clamped(90 + 90 * v + grain), clamped(140 + 70 * v + grain),
                                               clamped(230 - 20 * v), 255}
                                        : Rgba{clamped(60 + 40 * u + grain), clamped(130 - 50 * v + grain),
                                               clamped(50 + 30 * std::sin(x * 0.05)), 255});
        }
    }
    return bitmap;
}

void BM_WallpaperJPEGFrom2560(benchmark::State& state) {
    const Bitmap picture = hills(2560, 1600);
    std::size_t bytes = 0;
    for (auto _ : state) {
        auto encoded = jpeg(picture, 1280);
        bytes = encoded->data.size();
        benchmark::DoNotOptimize(encoded);
    }
    state.counters["jpegBytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_WallpaperJPEGFrom2560)->Unit(benchmark::kMillisecond);

// Green, uniform and the average, as a captured picture is judged.
void BM_WallpaperJudgeCapture(benchmark::State& state) {
    const Bytes captured = *jpeg(hills(2560, 1600), 1280);
    for (auto _ : state) {
        benchmark::DoNotOptimize(containsProminentGreenDesktop(captured));
        benchmark::DoNotOptimize(isUniformFill(captured));
        benchmark::DoNotOptimize(averageRGB(captured));
    }
}
BENCHMARK(BM_WallpaperJudgeCapture)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tavelin
