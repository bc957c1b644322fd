#include "runtime/RepeatingTimer.h"

namespace tavelin {

struct RepeatingTimer::State {
    Queue& queue;
    Duration interval;
    std::function<void()> action;
    WorkItem next;
    bool cancelled = false;
};

RepeatingTimer::RepeatingTimer(Queue& queue, Duration interval, std::function<void()> action)
    : state_(std::make_shared<State>(State{queue, interval, std::move(action), {}, false})) {
    scheduleNext(state_);
}

void RepeatingTimer::cancel() {
    if (!state_) return;
    state_->cancelled = true;
    state_->next.cancel();
    state_.reset();
}

void RepeatingTimer::scheduleNext(const std::shared_ptr<State>& state) {
    state->next = state->queue.asyncAfter(state->interval, [weak = std::weak_ptr<State>(state)] {
        const auto state = weak.lock();
        if (!state || state->cancelled) return;
        // The next firing is due one interval after this one, whatever the action takes.
        scheduleNext(state);
        state->action();
    });
}

}  // namespace tavelin
