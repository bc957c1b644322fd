#pragma once

// A serial queue: work submitted to it runs one job at a time, in the order of due time and then of
// submission. The main queue is the run loop of the main thread; the other queues are named serial
// queues such as "tavelin.dock-state". Queues are made and owned by a Scheduler and live as long as it.
// Every member may be called from any thread.

#include <functional>
#include <string>
#include <string_view>

#include "runtime/Clock.h"
#include "runtime/WorkItem.h"

namespace tavelin {

using Job = std::move_only_function<void()>;

class Queue;

// `co_await queue.hop()` inside a Task moves the rest of the task onto the queue (see runtime/Task.h).
struct QueueHop {
    Queue& queue;
};

class Queue {
public:
    virtual ~Queue() = default;

    virtual std::string_view label() const = 0;

    // Runs the job later on this queue, never inside the call.
    virtual void async(Job job) = 0;
    // Runs the job on this queue once the delay has passed; the handle cancels it.
    virtual WorkItem asyncAfter(Duration delay, Job job) = 0;

    // True when the caller runs on this queue.
    virtual bool isCurrent() const = 0;

    QueueHop hop() { return QueueHop{*this}; }
};

}  // namespace tavelin
