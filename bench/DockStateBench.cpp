// The live dock snapshot's hot paths: an icon served from the cache and rendered afresh (read a
// 1024-pixel application icon, draw it at 128, encode the PNG), and a whole rebuild of the dock
// state on a simulated Mac.

#include <benchmark/benchmark.h>

#include <cmath>
#include <fstream>

#include "mac/core/IconService.h"
#include "platform/ImageCoding.h"
#include "platform/sim/SimMac.h"
#include "platform/tests/TemporaryFolder.h"
#include "runtime/VirtualScheduler.h"

namespace tavelin {
namespace {

// An icon with shading, so that the coder sees neither flat colour nor noise.
Bitmap appIcon(int side) {
    Bitmap bitmap(side, side);
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            const double u = static_cast<double>(x) / side, v = static_cast<double>(y) / side;
            const double d = std::hypot(u - 0.5, v - 0.5);
            if (d > 0.48) continue;
            bitmap.setPixel(x, y, Rgba{static_cast<std::uint8_t>(40 + 180 * u), static_cast<std::uint8_t>(90 + 120 * v),
                                       static_cast<std::uint8_t>(230 - 200 * d), 255});
        }
    }
    return bitmap;
}

void writeIcon(const std::filesystem::path& bundle) {
    const auto file = bundle / "Contents/Resources/AppIcon.png";
    std::filesystem::create_directories(file.parent_path());
    const auto png = encodePNG(appIcon(1024));
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(png->data()),
                                                static_cast<std::streamsize>(png->size()));
}

struct IconWorld {
    TemporaryFolder home;
    VirtualScheduler scheduler;
    CapturedSystemLog log;
    sim::SimMac mac{sim::Desktop{.applications = {{"com.apple.Safari", "Safari", "/Applications/Safari.app"}}},
                    home.path(), scheduler, log};
    IconService icons{{mac.workspaceIcons(), mac.workspace(), mac.fileSystem(), mac.folders(), mac.host(),
                       mac.notificationCenter()}};
    std::string safari = mac.diskPath("/Applications/Safari.app").string();

    IconWorld() { writeIcon(safari); }
};

void BM_Png128CacheHit(benchmark::State& state) {
    IconWorld world;
    (void)world.icons.png128(world.safari, "com.apple.Safari");
    for (auto _ : state) benchmark::DoNotOptimize(world.icons.png128(world.safari, "com.apple.Safari"));
}
BENCHMARK(BM_Png128CacheHit)->Unit(benchmark::kMicrosecond);

void BM_Png128CacheMiss(benchmark::State& state) {
    IconWorld world;
    const auto token = *world.icons.token(world.safari);
    std::size_t bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        world.icons.invalidateTokens({token});  // drops the cached picture
        world.icons.token(world.safari);
        state.ResumeTiming();
        auto png = world.icons.png128(world.safari, "com.apple.Safari");
        bytes = png->data.size();
        benchmark::DoNotOptimize(png);
    }
    state.counters["pngBytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_Png128CacheMiss)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tavelin
