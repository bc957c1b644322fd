#pragma once

// A stream of values that can be subscribed to, with the operators the services chain:
//
//     subscription_ = runningApps_->statePublisher()
//         .dropFirst()
//         .debounce(scheduler_.main(), 150ms)
//         .sink([weak = weak_from_this()](const RunningAppsService::State&) {
//             if (auto self = weak.lock()) self->rebuild();
//         });
//
// A Publisher only describes the chain; every sink() makes a subscription of its own, with its own
// operator state (its own drop count, its own debounce timer). Receivers hold their owner weakly: the
// subscription may outlive the owner when someone else keeps it.
// Delivery: values arrive on the thread that sends them, except after receiveOn and debounce, which
// deliver on their queue. A cancelled subscription receives nothing more, also from its queues, and
// once the cancel has returned its receiver is not running on another thread (runtime/DeliveryGate.h).

#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

#include "runtime/Clock.h"
#include "runtime/DeliveryGate.h"
#include "runtime/Queue.h"
#include "runtime/Subscription.h"
#include "runtime/WorkItem.h"

namespace tavelin {

template <class T>
class Publisher {
public:
    using Receiver = std::function<void(const T&)>;
    using Subscribe = std::function<Subscription(Receiver)>;

    explicit Publisher(Subscribe subscribe) : subscribe_(std::move(subscribe)) {}

    [[nodiscard]] Subscription sink(Receiver receiver) const { return subscribe_(std::move(receiver)); }

    // Skips the first `count` values (for a published value, its current value is the first).
    Publisher dropFirst(std::size_t count = 1) const {
        return Publisher([upstream = subscribe_, count](Receiver receiver) {
            return upstream([receiver = std::move(receiver), left = count](const T& value) mutable {
                if (left > 0) {
                    --left;
                    return;
                }
                receiver(value);
            });
        });
    }

    Publisher filter(std::function<bool(const T&)> isIncluded) const {
        return Publisher([upstream = subscribe_, isIncluded = std::move(isIncluded)](Receiver receiver) {
            return upstream([receiver = std::move(receiver), isIncluded](const T& value) {
                if (isIncluded(value)) receiver(value);
            });
        });
    }

    // Delivers each value on `queue`, later, in order.
    Publisher receiveOn(Queue& queue) const {
        return Publisher([upstream = subscribe_, queue = &queue](Receiver receiver) {
            struct State {
                Receiver receiver;
                DeliveryGate gate;
            };
            auto state = std::make_shared<State>(std::move(receiver));
            auto inner = upstream([state, queue](const T& value) {
                queue->async([state, value] { state->gate.pass([&] { state->receiver(value); }); });
            });
            return Subscription([state, inner = std::move(inner)]() mutable {
                state->gate.close();
                inner.cancel();
            });
        });
    }

    // Delivers a value on `queue` only once `interval` has passed without a newer one: each value
    // restarts the timer, and a burst gives its last value once.
    Publisher debounce(Queue& queue, Duration interval) const {
        return Publisher([upstream = subscribe_, queue = &queue, interval](Receiver receiver) {
            struct State {
                Receiver receiver;
                std::mutex mutex;
                std::optional<T> latest;
                WorkItem pending;
                bool cancelled = false;
                DeliveryGate gate;
            };
            auto state = std::make_shared<State>(std::move(receiver));
            auto inner = upstream([state, queue, interval](const T& value) {
                std::lock_guard lock(state->mutex);
                if (state->cancelled) return;
                state->pending.cancel();
                state->latest = value;
                state->pending = queue->asyncAfter(interval, [state] {
                    state->gate.pass([&] {
                        std::unique_lock lock(state->mutex);
                        if (state->cancelled || !state->latest) return;
                        T latest = std::move(*state->latest);
                        state->latest.reset();
                        lock.unlock();
                        state->receiver(latest);
                    });
                });
            });
            return Subscription([state, inner = std::move(inner)]() mutable {
                {
                    std::lock_guard lock(state->mutex);
                    state->cancelled = true;
                    state->pending.cancel();
                    state->latest.reset();
                }
                state->gate.close();
                inner.cancel();
            });
        });
    }

private:
    Subscribe subscribe_;
};

}  // namespace tavelin
