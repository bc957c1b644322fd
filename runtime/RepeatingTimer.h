#pragma once

// A timer that fires on one queue every `interval`, the first time one interval after it is made, with
// no leeway. Cancelled when cancelled or destroyed; after that nothing more fires, also not a firing
// already queued. The timer does not keep its owner alive: the action holds the owner weakly.
//
// Made, cancelled and destroyed on the queue it fires on.

#include <functional>
#include <memory>

#include "runtime/Queue.h"

namespace tavelin {

class RepeatingTimer {
  public:
    RepeatingTimer(Queue& queue, Duration interval, std::function<void()> action);
    ~RepeatingTimer() { cancel(); }
    RepeatingTimer(const RepeatingTimer&) = delete;
    RepeatingTimer& operator=(const RepeatingTimer&) = delete;

    void cancel();

  private:
    struct State;
    static void scheduleNext(const std::shared_ptr<State>& state);

    std::shared_ptr<State> state_;
};

}  // namespace tavelin
