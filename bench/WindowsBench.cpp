// Finding windows: one content revision, and the live descriptors of an application of 20 windows
// that all need the frame match (neither window-number source answers), in a world of 200 windows.

#include <benchmark/benchmark.h>

#include "mac/windows/WindowContentRevision.h"
#include "mac/windows/tests/WindowFinderWorld.h"

namespace tavelin {
namespace {

void BM_WindowContentRevision(benchmark::State& state) {
    const std::optional<WindowFrame> frame = WindowFrame{120.5, 340, 1280, 800};
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            windowContentRevision("Quarterly report – draft 3.docx", frame, WindowState::normal, false));
    }
}
BENCHMARK(BM_WindowContentRevision);

void BM_LiveUserWindowDescriptorsByFrameMatch(benchmark::State& state) {
    WindowFinderWorld world;
    const auto app = world.launch("com.example.Editor");
    // 20 windows of the application in a grid, none overlapping, none tied to its number.
    for (int i = 0; i < 20; ++i) {
        world.add(
            app, "Document " + std::to_string(i),
            Rect{static_cast<double>(10 + (i % 5) * 280), static_cast<double>(40 + (i / 5) * 210), 260, 190},
            [](sim::SimWindow& w) {
                w.ax.exposesWindowNumber = false;
                w.ax.privateWindowNumber = std::unexpected(AXError::failure);
            });
    }
    // The rest of the 200 belong to nine other applications.
    for (std::size_t i = 0; world.mac->windowWorld().windows().size() < 200; ++i) {
        const auto other = world.launch("com.example.Other" + std::to_string(i % 9));
        world.add(other, "Other " + std::to_string(i), Rect{static_cast<double>(i % 40) * 30, 60, 600, 400});
    }
    const auto item = appItem("com.example.Editor");
    if (world.support->liveUserWindowDescriptors(item).size() != 20)
        state.SkipWithError("not every window was found");
    state.counters["worldWindows"] = static_cast<double>(world.mac->windowWorld().windows().size());
    for (auto _ : state) benchmark::DoNotOptimize(world.support->liveUserWindowDescriptors(item));
}
BENCHMARK(BM_LiveUserWindowDescriptorsByFrameMatch)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tavelin
