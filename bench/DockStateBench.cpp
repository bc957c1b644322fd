// The live dock snapshot's hot paths: an icon served from the cache and rendered afresh (read a
// 1024-pixel application icon, draw it at 128, encode the PNG), and a whole rebuild of the dock
// state on a simulated Mac.

#include <benchmark/benchmark.h>

#include <cmath>
#include <fstream>

#include "mac/core/IconService.h"
#include "mac/core/tests/DockStateWorld.h"
#include "platform/ImageCoding.h"
#include "platform/ManualFileWatcher.h"
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
            bitmap.setPixel(
                x, y,
                Rgba{static_cast<std::uint8_t>(40 + 180 * u), static_cast<std::uint8_t>(90 + 120 * v),
                     static_cast<std::uint8_t>(230 - 200 * d), 255});
        }
    }
    return bitmap;
}

void writeIcon(const std::filesystem::path& bundle) {
    const auto file = bundle / "Contents/Resources/AppIcon.png";
    std::filesystem::create_directories(file.parent_path());
    const auto png = encodePNG(appIcon(1024));
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(png->data()), static_cast<std::streamsize>(png->size()));
}

struct IconWorld {
    TemporaryFolder home;
    VirtualScheduler scheduler;
    CapturedSystemLog log;
    sim::SimMac mac{
        sim::Desktop{.applications = {{"com.apple.Safari", "Safari", "/Applications/Safari.app"}}},
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

// 45 fixed applications and 15 other tiles (folders, files, web links); 30 applications running, 20
// of them pinned and 10 not.
sim::Desktop sixtyTileDesktop() {
    sim::Desktop desktop{.dock = sim::DesktopDock{}};
    for (int i = 0; i < 55; ++i) {
        const auto name = "App" + std::to_string(i);
        desktop.applications.push_back(
            {"org.example." + name, name, "/Applications/" + name + ".app", i < 20 || i >= 45});
        if (i < 45)
            desktop.dock->fixed.push_back({sim::DesktopDockTileKind::application, "org.example." + name});
    }
    for (int i = 0; i < 15; ++i) {
        const auto n = std::to_string(i);
        switch (i % 3) {
            case 0:
                desktop.dock->others.push_back({sim::DesktopDockTileKind::folder, "~/Folder" + n});
                break;
            case 1:
                desktop.dock->others.push_back(
                    {sim::DesktopDockTileKind::file, "~/Documents/file" + n + ".txt"});
                break;
            default:
                desktop.dock->others.push_back(
                    {sim::DesktopDockTileKind::url, "https://example.org/" + n, "Link " + n});
        }
    }
    return desktop;
}

void BM_DockStateRebuild60Tiles30Running(benchmark::State& state) {
    TemporaryFolder home;
    VirtualScheduler scheduler;
    ManualFileWatcher watcher;
    DockStateWorld world(home.path(), scheduler, watcher, sixtyTileDesktop());
    for (const auto& application : world.mac.workspace().installedApplications()) writeIcon(application.path);
    auto& service = world.start();
    for (const auto& item : service.snapshot()->items) (void)world.icons.png128(item.path, item.bundleID);

    for (auto _ : state) service.rebuild();
    state.counters["items"] = static_cast<double>(service.snapshot()->items.size());
    state.counters["running"] = static_cast<double>(world.runningApps.state().byBundleID.size());
}
BENCHMARK(BM_DockStateRebuild60Tiles30Running)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tavelin
