#pragma once

// State kept by identity for as long as the host lives (a grid's cell anchors, a scroll offset), while
// the views themselves are rebuilt on every update. A key is read with the type it was first made with.

#include <any>
#include <string>
#include <unordered_map>

namespace tavelin::ui {

class StateStore {
  public:
    // The value under `key`, made with T's default on first use.
    template <class T>
    T& value(const std::string& key) {
        std::any& slot = slots_[key];
        if (!slot.has_value()) slot = T{};
        return std::any_cast<T&>(slot);
    }

  private:
    std::unordered_map<std::string, std::any> slots_;
};

}  // namespace tavelin::ui
