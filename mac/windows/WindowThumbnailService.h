#pragma once

// Window thumbnails (JPEG) for the switcher's grid and the paired devices, cached by window.
//
// Its operations run one at a time on its own executor; it owns its cache. It starts with an empty
// cache and no capture in flight. Owned by the service container and shared with the server.

#include <cstddef>
#include <unordered_map>
#include <unordered_set>

#include "protocol/Identifiers.h"
#include "protocol/WindowThumbnailData.h"

namespace tavelin {

class WindowThumbnailService {
  public:
    WindowThumbnailService() = default;
    WindowThumbnailService(const WindowThumbnailService&) = delete;
    WindowThumbnailService& operator=(const WindowThumbnailService&) = delete;

    std::size_t cachedThumbnailCount() const { return cache_.size(); }
    std::size_t capturesInFlight() const { return inFlight_.size(); }

  private:
    std::unordered_map<WindowID, WindowThumbnailData> cache_;
    std::unordered_set<WindowID> inFlight_;
};

}  // namespace tavelin
