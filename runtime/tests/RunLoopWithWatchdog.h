#pragma once

// For tests on real threads: runs the live scheduler's loop until the test stops it. The watchdog
// only ends a run that went wrong; the result says whether it had to.

#include "runtime/LiveScheduler.h"

namespace tavelin::testing {

// True when the test stopped the loop itself within `limit`.
inline bool runLoopWithWatchdog(LiveScheduler& scheduler, Duration limit = std::chrono::seconds(30)) {
    bool timedOut = false;
    WorkItem watchdog = scheduler.main().asyncAfter(limit, [&] {
        timedOut = true;
        scheduler.stop();
    });
    scheduler.run();
    watchdog.cancel();
    return !timedOut;
}

}  // namespace tavelin::testing
