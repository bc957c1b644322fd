// Window lists: a fetch of one application's windows, everything the list service does between the Dock
// item and the snapshot, at 20, 100 and 1000 windows (a fetch should grow with the windows, not with
// their square). Each 20 windows hold every kind the merge meets: 8 joined by number, 3 pairs in which
// one window can only be joined by its frame, 2 only by their title, 3 that only the window server lists
// (one on screen, one on a Space that is not showing, one dropped), and one blank window that repeats
// another's title.

#include <benchmark/benchmark.h>

#include <memory>
#include <optional>
#include <string>

#include "mac/windows/WindowListService.h"
#include "mac/windows/tests/WindowFinderWorld.h"

namespace tavelin {
namespace {

Task<void> fetchInto(std::shared_ptr<WindowListService> service, DockItem item,
                     std::optional<WindowListSnapshot>& answer) {
    answer = co_await service->fetch(std::move(item), true);
}

// Cells of 100 x 75 points on the 1440 x 900 primary screen: windows in different cells never overlap.
Rect cell(int index, double dx = 0, double dy = 0) {
    return Rect{static_cast<double>(index % 14) * 100 + dx, 30 + static_cast<double>(index / 14) * 75 + dy, 90, 65};
}

void unlinked(sim::SimWindow& window) {
    window.ax.exposesWindowNumber = false;
    window.ax.privateWindowNumber = std::unexpected(AXError::failure);
}

// 20 windows of the application per group, in cells from 20 * group on.
void addGroup(WindowFinderWorld& world, std::int32_t app, int group, std::uint64_t hiddenSpace) {
    const auto name = [&](const std::string& title) { return title + " " + std::to_string(group); };
    int next = group * 20;
    for (int i = 0; i < 8; ++i) world.add(app, name("Document " + std::to_string(i)), cell(next++));
    // The window-server window behind each unlinked one overlaps its neighbour too, so that the
    // frame tells them apart only once the neighbour is joined by number.
    for (int i = 0; i < 3; ++i) {
        const int at = next++;
        world.add(app, name("Linked " + std::to_string(i)), cell(at));
        world.add(app, name("Framed " + std::to_string(i)), cell(at, 10, 5), unlinked);
        ++next;
    }
    for (int i = 0; i < 2; ++i) {
        world.add(app, name("Titled " + std::to_string(i)), cell(next++), [](sim::SimWindow& w) {
            unlinked(w);
            hideFrame(w);
        });
    }
    world.add(app, name("Palette"), cell(next++), [](sim::SimWindow& w) { w.ax.accessible = false; });
    world.add(app, name("Parked"), cell(next++), [&](sim::SimWindow& w) {
        w.ax.accessible = false;
        w.space = hiddenSpace;
    });
    world.add(app, name("Offscreen"), cell(next++), [](sim::SimWindow& w) {
        w.ax.accessible = false;
        w.onScreen = false;
    });
    world.add(app, name("Document 0"), cell(next++),
              [](sim::SimWindow& w) { w.content = sim::uniformContent(Rgba{255, 255, 255, 255}); });
}

void BM_WindowListFetch(benchmark::State& state) {
    WindowFinderWorld world;
    const auto app = world.launch("com.example.Editor");
    const auto hiddenSpace = world.mac->windowWorld().displaySpaces().front().spaces.back();
    const int groups = static_cast<int>(state.range(0)) / 20;
    for (int group = 0; group < groups; ++group) addGroup(world, app, group, hiddenSpace);
    const auto service = std::make_shared<WindowListService>(world.platform());
    const auto item = appItem("com.example.Editor");

    std::optional<WindowListSnapshot> answer;
    const auto fetch = [&] {
        startTask(world.scheduler.main(), fetchInto(service, item, answer));
        world.scheduler.runUntilIdle();
    };
    fetch();
    // Each group lists 8 + 6 + 2 + 2 windows: the offscreen one and the blank repeat are dropped.
    if (!answer || answer->windows.size() != static_cast<std::size_t>(groups * 18))
        state.SkipWithError("the list is not the one the world holds");
    state.counters["listed"] = answer ? static_cast<double>(answer->windows.size()) : 0;
    for (auto _ : state) {
        fetch();
        benchmark::DoNotOptimize(answer);
    }
}
BENCHMARK(BM_WindowListFetch)->Arg(20)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tavelin
