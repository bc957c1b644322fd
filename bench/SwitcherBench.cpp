// The trigger tap's decision, which every keystroke of the Mac goes through.

#include <benchmark/benchmark.h>

#include <memory>

#include "mac/switcher/TriggerEventTap.h"
#include "platform/sim/SimEventTaps.h"
#include "runtime/VirtualScheduler.h"

namespace tavelin {
namespace {

struct TapWorld {
    VirtualScheduler scheduler;
    CapturedSystemLog log;
    sim::SimAccessibility accessibility;
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

}  // namespace
}  // namespace tavelin
