#pragma once

// A queue whose jobs run only when the test steps it: work meant for another thread stays pending
// while the test changes the world around it. Delays are ignored; jobs keep their order. Test thread
// only.

#include <deque>

#include "runtime/Queue.h"

namespace tavelin {

class SteppedQueue final : public Queue {
  public:
    std::string_view label() const override { return "stepped"; }
    void async(Job job) override { jobs_.push_back({WorkItem::make(), std::move(job)}); }
    WorkItem asyncAfter(Duration, Job job) override {
        auto item = WorkItem::make();
        jobs_.push_back({item, std::move(job)});
        return item;
    }
    bool isCurrent() const override { return running_; }

    std::size_t pendingCount() const { return jobs_.size(); }
    // Runs the oldest job; false when none is pending.
    bool step() {
        if (jobs_.empty()) return false;
        auto [item, job] = std::move(jobs_.front());
        jobs_.pop_front();
        if (item.isCancelled()) return true;
        running_ = true;
        job();
        running_ = false;
        return true;
    }

  private:
    struct Pending {
        WorkItem item;
        Job job;
    };
    std::deque<Pending> jobs_;
    bool running_ = false;
};

}  // namespace tavelin
