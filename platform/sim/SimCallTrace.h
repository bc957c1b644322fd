#pragma once

// What the program asked of the simulated Mac, in order, as one list of short texts
// ("Accessibility.isProcessTrusted", "LoginItems.register"), so that a test can check the order of
// start-up across every part of the world at once. The SimMac has one; its parts record into it.
// Any thread may record and read; the observer is told on the recording thread, after the call is in.

#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace tavelin::sim {

class SimCallTrace {
  public:
    void record(std::string call) {
        std::function<void()> observer;
        {
            std::lock_guard lock(mutex_);
            calls_.push_back(std::move(call));
            observer = observer_;
        }
        if (observer) observer();
    }
    std::vector<std::string> calls() const {
        std::lock_guard lock(mutex_);
        return calls_;
    }
    // The calls from the index on; the index counts from the last clear().
    std::vector<std::string> calls(std::size_t from) const {
        std::lock_guard lock(mutex_);
        if (from >= calls_.size()) return {};
        return {calls_.begin() + static_cast<std::ptrdiff_t>(from), calls_.end()};
    }
    void clear() {
        std::lock_guard lock(mutex_);
        calls_.clear();
    }
    // Told after every call recorded; none stops telling.
    void setObserver(std::function<void()> observer) {
        std::lock_guard lock(mutex_);
        observer_ = std::move(observer);
    }

  private:
    mutable std::mutex mutex_;
    std::vector<std::string> calls_;
    std::function<void()> observer_;
};

}  // namespace tavelin::sim
