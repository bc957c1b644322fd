// The presentation model runs on every key press of the switcher: building the tiers, rebuilding for a
// search keystroke, and planning the grid.

#include <benchmark/benchmark.h>

#include <string>

#include "dockmodel/DockGridLayout.h"
#include "dockmodel/DockNavigator.h"
#include "dockmodel/DockPresentationBuilder.h"

namespace tavelin {
namespace {

const char* const kNames[] = {"Mail",     "Safari",      "Photo Mailer", "Notes",     "Calendar",
                              "Music",    "Terminal",    "Xcode",        "Preview",   "Maps",
                              "Messages", "Café Finder", "Downloads",    "Documents", "Reminders"};

// A Dock of `count` tiles: a fifth pinned, half running, the rest folders and files, with the two
// separators and a few spacers, numbered in Dock order as the Accessibility path numbers them.
DockSnapshot dockOf(std::int64_t count) {
    DockSnapshot snapshot;
    const auto pinned = count / 5;
    const auto running = pinned + count / 2;
    std::int64_t index = 0;
    for (std::int64_t i = 0; i < count; ++i) {
        if (i == pinned || i == running) {
            snapshot.separators.push_back({"ax-separator-" + std::to_string(index),
                                           i == pinned ? DockRegion::fixedApps : DockRegion::runningApps,
                                           index, SeparatorKind::separator});
            ++index;
        }
        const auto region = i < pinned    ? DockRegion::fixedApps
                            : i < running ? DockRegion::runningApps
                                          : DockRegion::dockOthers;
        if (i % 17 == 5) {
            snapshot.separators.push_back(
                {"sp-" + std::to_string(index), region, index, SeparatorKind::spacer});
            ++index;
        }
        const std::string name = std::string(kNames[i % std::size(kNames)]) + " " + std::to_string(i);
        DockItem item;
        item.region = region;
        item.kind = item.region == DockRegion::dockOthers
                        ? (i % 2 ? DockItemKind::folder : DockItemKind::file)
                        : DockItemKind::app;
        item.itemID = ItemID("ax-" + std::to_string(index) + "-com.example.application." + std::to_string(i));
        if (item.kind == DockItemKind::app) item.bundleID = "com.example.application." + std::to_string(i);
        item.path = "/Applications/" + name + ".app";
        item.title = name;
        item.iconToken = IconToken("0123456789abcdef");
        item.dockIndex = index++;
        item.isRunning = item.region != DockRegion::dockOthers;
        snapshot.items.push_back(std::move(item));
    }
    return snapshot;
}

PresentationOptions panelOptions() {
    PresentationOptions options;
    options.showSeparators = options.reproduceSpacers = true;
    options.hiddenAppsMode = HiddenAppsMode::dimmed;
    return options;
}

void BM_BuildPresentation(benchmark::State& state) {
    const auto snapshot = dockOf(state.range(0));
    const auto options = panelOptions();
    for (auto _ : state) {
        benchmark::DoNotOptimize(DockPresentationBuilder::build(snapshot, {}, options, {}));
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_BuildPresentation)->Arg(60)->Arg(500)->Complexity(benchmark::oN);

// One keystroke of a search: the navigator takes the new text, rebuilds and carries the selection over.
void BM_SearchRebuild(benchmark::State& state) {
    DockNavigator navigator(dockOf(state.range(0)), panelOptions());
    const std::string texts[] = {"ma", "mai"};
    std::size_t keystroke = 0;
    for (auto _ : state) {
        navigator.filter(texts[keystroke++ % 2]);
        benchmark::DoNotOptimize(navigator.selection());
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_SearchRebuild)->Arg(60)->Arg(500)->Complexity(benchmark::oN);

// A new snapshot while the panel is open, with the selected application gone.
void BM_ApplySnapshotSelectionLost(benchmark::State& state) {
    const auto before = dockOf(state.range(0));
    auto after = before;
    after.items.erase(after.items.begin() + static_cast<std::ptrdiff_t>(after.items.size() / 3));
    DockNavigator navigator(before, panelOptions());
    for (auto _ : state) {
        state.PauseTiming();
        navigator.apply(before);
        navigator.select({1, 0});
        state.ResumeTiming();
        navigator.apply(after);
        benchmark::DoNotOptimize(navigator.selection());
    }
}
BENCHMARK(BM_ApplySnapshotSelectionLost)->Arg(60)->Arg(500);

void BM_PlanFixedColumns(benchmark::State& state) {
    std::int64_t items = 60;
    for (auto _ : state) {
        benchmark::DoNotOptimize(DockGridLayout::plan(items, 76 * 10, 600, 64, DockGridPlatform::mac,
                                                      DockGridColumnLayout::fixedColumns(10)));
    }
}
BENCHMARK(BM_PlanFixedColumns);

void BM_PlanMostColumns(benchmark::State& state) {
    std::int64_t items = 60;
    for (auto _ : state) {
        benchmark::DoNotOptimize(DockGridLayout::plan(items, 900, 600, 64, DockGridPlatform::mac,
                                                      DockGridColumnLayout::mostColumns()));
    }
}
BENCHMARK(BM_PlanMostColumns);

}  // namespace
}  // namespace tavelin
