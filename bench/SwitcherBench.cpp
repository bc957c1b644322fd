// The trigger tap's decision, which every keystroke of the Mac goes through, and opening the panel,
// which the user waits for.

#include <benchmark/benchmark.h>

#include <fstream>
#include <memory>
#include <string>

#include "mac/core/DockDropHandler.h"
#include "mac/core/DockStateService.h"
#include "mac/core/FolderService.h"
#include "mac/core/IconService.h"
#include "mac/core/PermissionsService.h"
#include "mac/core/RunningAppsService.h"
#include "mac/core/SnapshotComposer.h"
#include "mac/switcher/FolderContentSearch.h"
#include "mac/switcher/SwitcherController.h"
#include "mac/switcher/SwitcherSearchField.h"
#include "mac/switcher/SystemAppSwitcherHotKeys.h"
#include "mac/switcher/TriggerEngine.h"
#include "mac/switcher/TriggerEventTap.h"
#include "mac/windows/CommandExecutor.h"
#include "mac/windows/WindowActionService.h"
#include "platform/KeyboardLayout.h"
#include "platform/LocalFileSystem.h"
#include "platform/ManualFileWatcher.h"
#include "platform/sim/SimEventTaps.h"
#include "platform/sim/SimMac.h"
#include "platform/tests/TemporaryFolder.h"
#include "platform/ui/Renderer.h"
#include "platform/ui/TextMeasurer.h"
#include "runtime/VirtualScheduler.h"

namespace tavelin {
namespace {

struct TapWorld {
    VirtualScheduler scheduler;
    CapturedSystemLog log;
    sim::SimAccessibility accessibility{SequenceChecker(scheduler.main())};
    sim::SimCallTrace trace;
    sim::SimEventTaps taps{accessibility, scheduler.main(), trace};
    std::shared_ptr<TriggerEventTap> tap = std::make_shared<TriggerEventTap>(
        TriggerEventTap::Platform{taps, scheduler.main(), scheduler.clock(), log});

    TapWorld() {
        tap->setConfig({.interceptTriggerTab = true, .triggerRequiresOption = true});
        tap->onTabDown = [](bool shift) { benchmark::DoNotOptimize(shift); };
    }
};

// A letter typed while the Option-Tab trigger is configured: passed.
void BM_TapDecisionPassedKey(benchmark::State& state) {
    TapWorld world;
    const InputEvent letter{.type = EventType::keyDown, .flags = kEventFlagShift, .keyCode = 0};
    for (auto _ : state) benchmark::DoNotOptimize(world.tap->handle(EventType::keyDown, letter));
}
BENCHMARK(BM_TapDecisionPassedKey);

// Option-Tab: swallowed and recorded; the pending downs are flushed every 48 presses, outside the timing.
void BM_TapDecisionSwallowedTab(benchmark::State& state) {
    TapWorld world;
    const InputEvent tab{.type = EventType::keyDown, .flags = kEventFlagOption, .keyCode = 48};
    int presses = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(world.tap->handle(EventType::keyDown, tab));
        if (++presses == 48) {
            state.PauseTiming();
            world.scheduler.runUntilIdle();
            presses = 0;
            state.ResumeTiming();
        }
    }
}
BENCHMARK(BM_TapDecisionSwallowedTab);

// A Dock of 60 applications (or as many as asked), every third one running, and the switcher over it,
// as start-up makes it.
struct PanelWorld {
    explicit PanelWorld(int count = 60) : mac{desktop(count), home.path(), scheduler, log} {}

    static sim::Desktop desktop(int count) {
        sim::Desktop desktop{.frontmost = "com.example.app3", .dock = sim::DesktopDock{}};
        for (int i = 0; i < count; ++i) {
            const auto name = "App" + std::to_string(i);
            desktop.applications.push_back(
                {"com.example.app" + std::to_string(i), name, "/Applications/" + name + ".app", i % 3 == 0});
            desktop.dock->fixed.push_back(
                {sim::DesktopDockTileKind::application, "com.example.app" + std::to_string(i)});
        }
        return desktop;
    }

    TemporaryFolder home;
    VirtualScheduler scheduler;
    CapturedSystemLog log;
    ManualFileWatcher watcher;
    sim::SimMac mac;
    AppSettings settings{mac.standardUserDefaults(), mac.host(), scheduler.main()};
    RunningAppsService runningApps{mac.workspace(), mac.host(), scheduler.main()};
    IconService icons{{mac.workspaceIcons(), mac.workspace(), mac.fileSystem(), mac.folders(), mac.host(),
                       mac.notificationCenter()}};
    FolderService folders{mac.fileSystem(), scheduler.clock()};
    SnapshotComposer composer{settings, icons, mac.workspace(), mac.fileSystem()};
    std::shared_ptr<DockStateService> dockState =
        DockStateService::create({mac.userDefaults(), mac.folders(), mac.workspace(), mac.host(),
                                  mac.accessibility(), watcher, mac.notificationCenter()},
                                 scheduler, runningApps, composer, settings);
    std::shared_ptr<PermissionsService> permissions =
        std::make_shared<PermissionsService>(PermissionsService::Platform{
            mac.accessibility(), mac.privacy(), mac.userNotifications(), mac.workspaceActions(), mac.alerts(),
            mac.fileSystem(), mac.folders(), mac.standardUserDefaults(), scheduler.main()});
    CapturedWindowActionLog actionLog;
    std::unique_ptr<ui::TextMeasurer> measurer = ui::makePangoTextMeasurer();
    DockDropHandler drops{{mac.workspace(), mac.launchServices(), mac.fileSystem(), mac.workspaceActions(),
                           mac.dragPasteboard(), log}};
    AppCommandPlatform appCommands{
        WindowPlatform{mac.accessibility(), mac.windowServer(), mac.displays(), mac.workspace(), mac.mouseCursor(),
                       scheduler, log, actionLog, mac.privateWindowServer(), mac.windowServerConnection(),
                       mac.host(), mac.workspace(), mac.fileSystem(), mac.appleScripts()},
        mac.workspaceActions(), mac.folders(), mac.appleEvents(), mac.processes()};
    CommandExecutor executor{appCommands};
    std::shared_ptr<WindowActionDisplayResolver> resolver = std::make_shared<WindowActionDisplayResolver>(mac.displays());
    WindowActionService windowActions{nullptr, settings, resolver, appCommands,
                                      PointerAnimator::create(mac.mouseCursor(), mac.displays(), scheduler)};
    std::shared_ptr<SwitcherController> switcher = SwitcherController::make(
        {settings, dockState, folders, icons, nullptr, permissions, drops, executor, windowActions, resolver},
        {mac.appWindows(), mac.application(), mac.workspace(), mac.displays(), mac.standardUserDefaults(),
         mac.notificationCenter(), scheduler, actionLog, *measurer, mac.input(), mac.textInput(),
         mac.fileSystem(), scheduler.serialQueue(SwitcherController::kFolderSearchQueueLabel), mac.alerts()});
};

// Opening the panel over 60 or 300 items, after a first opening has rendered their icons; closing it
// again (and the world's records) is outside the timing.
void BM_OpenPanel(benchmark::State& state) {
    const auto count = static_cast<std::size_t>(state.range(0));
    PanelWorld world(static_cast<int>(count));
    world.scheduler.runUntilIdle();
    if (world.dockState->snapshot()->items.size() < count) state.SkipWithError("the Dock has too few items");
    world.switcher->openPanel(true);
    world.switcher->close(true);
    world.scheduler.runUntilIdle();
    for (auto _ : state) {
        world.switcher->openPanel(true);
        state.PauseTiming();
        world.switcher->close(true);
        world.scheduler.runUntilIdle();
        world.mac.calls().clear();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenPanel)->Arg(60)->Arg(300)->Unit(benchmark::kMicrosecond);

// The first opening after start-up: a fresh world, icon service and switcher each time, so that every
// icon is rendered, encoded and decoded; making the world and its first Dock snapshot is outside the timing.
void BM_OpenPanelColdIcons(benchmark::State& state) {
    const auto count = static_cast<std::size_t>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        auto world = std::make_unique<PanelWorld>(static_cast<int>(count));
        world->scheduler.runUntilIdle();
        if (world->dockState->snapshot()->items.size() < count)
            state.SkipWithError("the Dock has too few items");
        state.ResumeTiming();
        world->switcher->openPanel(true);
        state.PauseTiming();
        world.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenPanelColdIcons)->Arg(60)->Arg(300)->Unit(benchmark::kMillisecond);

// One typed letter on the open panel: the key handler, the hidden field and its input context, and the
// field's report applied to the search (filter, uiTick, re-fit); the search is cleared outside the timing.
void BM_Keystroke(benchmark::State& state) {
    PanelWorld world;
    world.scheduler.runUntilIdle();
    world.switcher->openPanel(true);
    InputEvent letter{.type = EventType::keyDown, .keyCode = 0};
    translateKeyEvent(letter, std::make_shared<USKeyboardLayout>());
    for (auto _ : state) {
        if (const auto passed = world.switcher->handlePanelEvent(letter))
            world.switcher->searchField()->keyDown(*passed);
        world.scheduler.runUntilIdle();
        state.PauseTiming();
        if (world.switcher->filterText.value() != "a")
            state.SkipWithError("the letter did not reach the search");
        world.switcher->setFilterText("");
        world.scheduler.runUntilIdle();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Keystroke)->Unit(benchmark::kMicrosecond);

// The switcher with the trigger engine attached as start-up attaches it, Option-Tab configured and
// Accessibility granted (the tap carries the trigger), Option held.
struct TriggerWorld : PanelWorld {
    TriggerWorld() {
        mac.accessibility().setProcessTrusted(true);
        scheduler.runUntilIdle();
        engine->attach(switcher);
        mac.input().pressModifiers(kEventFlagOption);
        scheduler.runUntilIdle();
    }
    // Tab down with Option held, through the tap, its flush and the engine to the switcher.
    void tab() {
        mac.input().keyDown(48);
        scheduler.runUntilIdle();
    }
    SystemAppSwitcherHotKeys systemKeys{mac.symbolicHotKeys(), log};
    std::shared_ptr<TriggerEngine> engine = TriggerEngine::make(
        settings, systemKeys,
        {mac.eventTaps(), mac.hotKeys(), mac.input(), mac.accessibility(), mac.workspace().notificationCenter(),
         mac.notificationCenter(), scheduler.main(), scheduler.clock(), log});
};

// From the Option-Tab key-down posted to the simulated Mac to the open panel over 60 items with its
// selection, after a first opening has rendered their icons; closing it (and the world's records) is
// outside the timing.
void BM_TriggerOpensPanel(benchmark::State& state) {
    TriggerWorld world;
    world.switcher->openPanel(true);
    world.switcher->close(true);
    world.scheduler.runUntilIdle();
    for (auto _ : state) {
        world.tab();
        state.PauseTiming();
        if (!world.switcher->isOpen() || !world.switcher->navigator.value()->selection())
            state.SkipWithError("Option-Tab did not open the panel");
        world.switcher->close(true);
        world.scheduler.runUntilIdle();
        world.mac.calls().clear();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_TriggerOpensPanel)->Unit(benchmark::kMicrosecond);

// One more Tab on the open panel: the selection steps and the panel refits.
void BM_TriggerStep(benchmark::State& state) {
    TriggerWorld world;
    world.tab();
    if (!world.switcher->isOpen()) state.SkipWithError("Option-Tab did not open the panel");
    for (auto _ : state) {
        world.tab();
        state.PauseTiming();
        world.mac.calls().clear();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_TriggerStep)->Unit(benchmark::kMicrosecond);

// A folder of 5,000 files, none of which matches the query.
struct LargeFolder {
    TemporaryFolder folder;
    LocalFileSystem files;
    LargeFolder() {
        for (int i = 0; i < 5000; ++i)
            std::ofstream(folder / ("Document " + std::to_string(i) + ".txt")) << "x";
    }
};

void BM_FolderSearchWithoutMatch(benchmark::State& state) {
    LargeFolder large;
    for (auto _ : state)
        benchmark::DoNotOptimize(
            FolderContentSearch::children(large.files, large.folder.path(), "quarterly", 24));
}
BENCHMARK(BM_FolderSearchWithoutMatch)->Unit(benchmark::kMicrosecond);

// What the search cannot do without: the listing alone.
void BM_FolderListingBare(benchmark::State& state) {
    LargeFolder large;
    for (auto _ : state)
        benchmark::DoNotOptimize(large.files.contentsOfDirectory(large.folder.path(), HiddenFiles::skip));
}
BENCHMARK(BM_FolderListingBare)->Unit(benchmark::kMicrosecond);

// The open panel's views laid out again, as after every keystroke of a search: every cell shows its name.
void BM_PanelViewsLayout(benchmark::State& state) {
    PanelWorld world(static_cast<int>(state.range(0)));
    world.scheduler.runUntilIdle();
    world.switcher->openPanel(true);
    world.switcher->filterText = "App";
    world.switcher->updatePanelHost();  // a warm measurer and the icons decoded
    for (auto _ : state) {
        world.switcher->updatePanelHost();
        benchmark::DoNotOptimize(world.switcher->panelHost()->layout().hitRegions.size());
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_PanelViewsLayout)->Arg(60)->Arg(500)->Unit(benchmark::kMicrosecond)->Complexity(benchmark::oN);

// The open panel of 60 applications drawn at the Retina scale.
void BM_PanelViewsRender(benchmark::State& state) {
    PanelWorld world;
    world.scheduler.runUntilIdle();
    world.switcher->openPanel(true);
    world.switcher->updatePanelHost();
    const ui::LayoutResult& layout = world.switcher->panelHost()->layout();
    for (auto _ : state) benchmark::DoNotOptimize(ui::render(layout.displayList, layout.size, 2));
}
BENCHMARK(BM_PanelViewsRender)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tavelin
