#include "runtime/DeliveryGate.h"

#include <algorithm>

namespace tavelin {

bool DeliveryGate::enter() {
    std::lock_guard lock(mutex_);
    if (closed_) return false;
    delivering_.push_back(std::this_thread::get_id());
    return true;
}

void DeliveryGate::leave() {
    {
        std::lock_guard lock(mutex_);
        delivering_.erase(std::ranges::find(delivering_, std::this_thread::get_id()));
    }
    left_.notify_all();
}

void DeliveryGate::close() {
    const auto self = std::this_thread::get_id();
    std::unique_lock lock(mutex_);
    closed_ = true;
    left_.wait(lock, [&] { return std::ranges::all_of(delivering_, [&](auto id) { return id == self; }); });
}

}  // namespace tavelin
