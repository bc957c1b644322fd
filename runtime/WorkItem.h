#pragma once

// A handle on work scheduled for later. Cancelling it before the work starts means the work never runs;
// cancelling work that has started or finished does nothing. Dropping the handle does not cancel:
// an owner that wants its pending work gone cancels it, usually in its destructor.
// Handles are copyable (copies share the work) and may be used from any thread.

#include <atomic>
#include <memory>

namespace tavelin {

class WorkItem {
public:
    WorkItem() = default;  // no work: cancel() does nothing

    void cancel() const {
        if (cancelled_) cancelled_->store(true);
    }
    bool isCancelled() const { return cancelled_ && cancelled_->load(); }

    // For the schedulers: a handle with work behind it.
    static WorkItem make() { return WorkItem(std::make_shared<std::atomic<bool>>(false)); }

private:
    explicit WorkItem(std::shared_ptr<std::atomic<bool>> cancelled) : cancelled_(std::move(cancelled)) {}

    std::shared_ptr<std::atomic<bool>> cancelled_;
};

}  // namespace tavelin
