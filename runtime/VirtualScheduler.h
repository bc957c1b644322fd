#pragma once

// The scheduler for tests: every queue runs on the test's own thread, in virtual time that moves only
// when the test says so. Order is deterministic: due time, then submission, across all queues and the
// world lane. The test body itself counts as running on the main queue.
//
// No call runs "until nothing is left", so periodic work (a refresh loop, a watchdog) cannot hang a
// test. One thread only.

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "runtime/Scheduler.h"
#include "runtime/TaskList.h"

namespace tavelin {

class VirtualScheduler final : public Scheduler {
public:
    // Wall time at uptime zero: 2025-01-06 09:00:00 UTC unless given.
    explicit VirtualScheduler(Timestamp wallTimeAtStart = defaultWallTimeAtStart());
    ~VirtualScheduler() override;
    VirtualScheduler(const VirtualScheduler&) = delete;
    VirtualScheduler& operator=(const VirtualScheduler&) = delete;

    Queue& main() override;
    Queue& serialQueue(std::string_view label) override;
    const Clock& clock() const override { return clock_; }
    // Moves time on by `duration`, running the world events that fall due, and no queued job.
    void sleepBlocking(Duration duration) override;
    WorkItem scheduleWorldEvent(Duration delay, Job event) override;

    // Runs every job due now, including those that they schedule for now; time stays (only a blocking
    // wait inside a job moves it, and what falls due meanwhile then runs too).
    void runUntilIdle();
    // Moves time on by `duration`, running each job at the moment it falls due (also jobs scheduled
    // by those jobs, when they fall due within the span); ends at now + duration.
    void advance(Duration duration);

    // Jobs and world events still to run (cancelled ones not counted).
    std::size_t pendingCount() const { return tasks_.pendingCount(); }

    static Timestamp defaultWallTimeAtStart();

private:
    class VirtualQueue;
    class VirtualClock final : public Clock {
    public:
        VirtualClock(const Duration& uptime, Timestamp start) : uptime_(uptime), start_(start) {}
        Duration uptime() const override { return uptime_; }
        Timestamp now() const override;

    private:
        const Duration& uptime_;
        Timestamp start_;
    };

    WorkItem schedule(const Queue* lane, Duration delay, Job job);
    void runDue(Duration until, bool worldOnly);

    Duration now_{};
    VirtualClock clock_;
    TaskList tasks_;
    std::unique_ptr<VirtualQueue> main_;
    std::map<std::string, std::unique_ptr<VirtualQueue>, std::less<>> queues_;
    const Queue* running_ = nullptr;  // the queue whose job runs now
    bool draining_ = false;           // inside runUntilIdle() or advance()
};

}  // namespace tavelin
