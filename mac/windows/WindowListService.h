#pragma once

// The window lists of applications for the switcher's window views and the paired devices: one
// WindowListSnapshot per dock item, each stamped with a list generation that rises with every new
// list, so that a window command can tell whether it was made against the current list.
//
// Its operations run one at a time on its own executor; it owns its cache. It starts with no list and
// the next generation 1. Owned by the service container and shared with the window-action service and
// the server.

#include <cstdint>
#include <unordered_map>

#include "protocol/Identifiers.h"
#include "protocol/WindowListSnapshot.h"

namespace tavelin {

class WindowListService {
  public:
    WindowListService() = default;
    WindowListService(const WindowListService&) = delete;
    WindowListService& operator=(const WindowListService&) = delete;

    std::int64_t nextListGeneration() const { return nextListGeneration_; }
    std::size_t cachedListCount() const { return cache_.size(); }

  private:
    std::unordered_map<ItemID, WindowListSnapshot> cache_;
    std::int64_t nextListGeneration_ = 1;
};

}  // namespace tavelin
