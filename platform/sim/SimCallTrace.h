#pragma once

// What the program asked of the simulated Mac, in order, as one list of short texts
// ("Accessibility.isProcessTrusted", "LoginItems.register"), so that a test can check the order of
// start-up across every part of the world at once. The SimMac has one; its parts record into it.
// Any thread may record and read.

#include <mutex>
#include <string>
#include <vector>

namespace tavelin::sim {

class SimCallTrace {
  public:
    void record(std::string call) {
        std::lock_guard lock(mutex_);
        calls_.push_back(std::move(call));
    }
    std::vector<std::string> calls() const {
        std::lock_guard lock(mutex_);
        return calls_;
    }
    void clear() {
        std::lock_guard lock(mutex_);
        calls_.clear();
    }

  private:
    mutable std::mutex mutex_;
    std::vector<std::string> calls_;
};

}  // namespace tavelin::sim
