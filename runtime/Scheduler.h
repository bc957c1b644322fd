#pragma once

// Where and when work runs: the main queue, named serial queues, the clock, blocking waits, and the
// simulated world's own timeline. LiveScheduler runs it on real threads in real time for the program;
// VirtualScheduler runs it on the test's thread in virtual time.
//
// The world lane: the simulated Mac schedules its own events (an application finishing its launch, a
// window appearing) with scheduleWorldEvent(). They run on the main thread like main-queue work, but
// they also run while the main thread is blocked in sleepBlocking(), which queued work never does.

#include <string_view>

#include "runtime/Clock.h"
#include "runtime/Queue.h"
#include "runtime/WorkItem.h"

namespace tavelin {

class Scheduler {
public:
    virtual ~Scheduler() = default;

    virtual Queue& main() = 0;
    // The serial queue of that label, made on first use; it lives as long as the scheduler.
    virtual Queue& serialQueue(std::string_view label) = 0;
    virtual const Clock& clock() const = 0;

    bool isMain() { return main().isCurrent(); }

    // Blocks the calling thread for the duration; only the world's own events go on meanwhile.
    virtual void sleepBlocking(Duration duration) = 0;

    virtual WorkItem scheduleWorldEvent(Duration delay, Job event) = 0;
};

}  // namespace tavelin
