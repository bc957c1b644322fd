#include "runtime/VirtualScheduler.h"

#include <algorithm>
#include <cassert>
#include <cstdio>
#include <cstdlib>

namespace tavelin {

class VirtualScheduler::VirtualQueue final : public Queue {
public:
    VirtualQueue(VirtualScheduler& owner, std::string label) : owner_(owner), label_(std::move(label)) {}

    std::string_view label() const override { return label_; }
    void async(Job job) override { owner_.schedule(this, Duration::zero(), std::move(job)); }
    WorkItem asyncAfter(Duration delay, Job job) override {
        return owner_.schedule(this, delay, std::move(job));
    }
    bool isCurrent() const override { return owner_.running_ == this; }

private:
    VirtualScheduler& owner_;
    std::string label_;
};

Timestamp VirtualScheduler::VirtualClock::now() const {
    return start_ + std::chrono::duration_cast<std::chrono::microseconds>(uptime_);
}

Timestamp VirtualScheduler::defaultWallTimeAtStart() {
    using namespace std::chrono;
    return Timestamp(sys_days(year(2025) / January / 6) + hours(9));
}

VirtualScheduler::VirtualScheduler(Timestamp wallTimeAtStart)
    : clock_(now_, wallTimeAtStart), main_(std::make_unique<VirtualQueue>(*this, "main")) {
    running_ = main_.get();
}

VirtualScheduler::~VirtualScheduler() {
    // Destroying a job may destroy what it captured (a suspended task, a subscription), which may
    // schedule or cancel more; keep going until nothing is left.
    for (auto dropped = tasks_.takeAll(); !dropped.empty(); dropped = tasks_.takeAll()) {
    }
}

Queue& VirtualScheduler::main() { return *main_; }

Queue& VirtualScheduler::serialQueue(std::string_view label) {
    auto it = queues_.find(label);
    if (it == queues_.end()) {
        it = queues_.emplace(std::string(label), std::make_unique<VirtualQueue>(*this, std::string(label)))
                 .first;
    }
    return *it->second;
}

WorkItem VirtualScheduler::schedule(const Queue* lane, Duration delay, Job job) {
    auto item = WorkItem::make();
    tasks_.add(now_ + std::max(delay, Duration::zero()), lane, std::move(job), item);
    return item;
}

WorkItem VirtualScheduler::scheduleWorldEvent(Duration delay, Job event) {
    return schedule(nullptr, delay, std::move(event));
}

void VirtualScheduler::runUntilIdle() {
    assert(!draining_ && "runUntilIdle() called from a job");
    draining_ = true;
    runDue(now_, false);
    draining_ = false;
}

void VirtualScheduler::advance(Duration duration) {
    assert(!draining_ && "advance() called from a job");
    draining_ = true;
    runDue(now_ + std::max(duration, Duration::zero()), false);
    draining_ = false;
}

void VirtualScheduler::sleepBlocking(Duration duration) {
    runDue(now_ + std::max(duration, Duration::zero()), true);
}

void VirtualScheduler::runDue(Duration until, bool worldOnly) {
    // A job that keeps rescheduling itself without delay would otherwise spin here for ever.
    constexpr int maxJobsAtOneInstant = 100000;
    int jobsAtThisInstant = 0;
    // A blocking wait inside a job may move time past `until`; what fell due meanwhile is due now.
    while (auto entry = tasks_.takeDue(std::max(until, now_), worldOnly)) {
        if (entry->due > now_) {
            now_ = entry->due;
            jobsAtThisInstant = 0;
        }
        if (++jobsAtThisInstant > maxJobsAtOneInstant) {
            std::fprintf(
                stderr,
                "VirtualScheduler: over %d jobs at one instant; a job reschedules itself without delay\n",
                maxJobsAtOneInstant);
            std::abort();
        }
        const Queue* previous = std::exchange(running_, entry->lane ? entry->lane : main_.get());
        entry->job();
        running_ = previous;
    }
    now_ = std::max(now_, until);
}

}  // namespace tavelin
