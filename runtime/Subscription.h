#pragma once

// An RAII subscription: while it lives, its receiver gets values; destroying or cancelling it stops
// delivery at once (work already queued for it is dropped). Owners keep theirs as members, so that
// their subscriptions end with them. Cancelling is idempotent and may happen from any thread, also
// from inside the subscription's own receiver. When it returns, no delivery starts any more, and one
// that was running on another thread has ended (runtime/DeliveryGate.h): the owner may go.

#include <functional>
#include <utility>

namespace tavelin {

class Subscription {
public:
    Subscription() = default;
    explicit Subscription(std::move_only_function<void()> cancel) : cancel_(std::move(cancel)) {}

    Subscription(Subscription&& other) noexcept : cancel_(std::exchange(other.cancel_, nullptr)) {}
    Subscription& operator=(Subscription&& other) noexcept {
        if (this != &other) {
            cancel();
            cancel_ = std::exchange(other.cancel_, nullptr);
        }
        return *this;
    }
    Subscription(const Subscription&) = delete;
    Subscription& operator=(const Subscription&) = delete;
    ~Subscription() { cancel(); }

    void cancel() {
        if (auto cancel = std::exchange(cancel_, nullptr)) cancel();
    }

private:
    std::move_only_function<void()> cancel_;
};

}  // namespace tavelin
