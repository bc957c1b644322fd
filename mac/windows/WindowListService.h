#pragma once

// The window lists of applications for the switcher's window views and the paired devices: one
// WindowListSnapshot per dock item, each stamped with a list generation that rises with every new
// list, so that a window command can tell whether it was made against the current list.
//
// A fetch asks for Accessibility trust and the item's running processes on the main queue and builds
// the list there (Accessibility windows made descriptors, joined to the window server's, filtered: see
// WindowListMerge), keeps it under a new generation and lists the displays, again on the main queue.
// Its operations run one at a time on its own serial queue, which alone touches the cache and the next
// generation; while a fetch waits on the main queue the others run, so of two overlapping fetches of
// one item the later to finish keeps its list. Callers await the operations from any queue and go on
// on the service's queue: a caller on the main queue hops back to it. It starts with no list and the
// next generation 1. Owned by the service container and shared with the window-action service and the
// server.

#include <cstdint>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

#include "mac/windows/WindowPlatform.h"
#include "protocol/DockItem.h"
#include "protocol/Identifiers.h"
#include "protocol/WindowListSnapshot.h"
#include "runtime/Task.h"

namespace tavelin {

class WindowListService : public std::enable_shared_from_this<WindowListService> {
  public:
    struct CachedList {
        std::int64_t generation = 0;
        std::vector<WindowDescriptor> windows;
        std::int32_t pid = 0;  // the item's first running process when it was fetched
        friend bool operator==(const CachedList&, const CachedList&) = default;
    };

    explicit WindowListService(const WindowPlatform& platform);
    WindowListService(const WindowListService&) = delete;
    WindowListService& operator=(const WindowListService&) = delete;

    Task<std::optional<CachedList>> cachedList(ItemID itemID);
    // The generation counter stays.
    Task<void> invalidate(ItemID itemID);
    // The first window of the item's kept list with exactly that ID text.
    Task<std::optional<WindowDescriptor>> descriptor(ItemID appItemID, WindowID windowID);
    // Without Accessibility trust or a running process: no windows, no displays, the kept generation
    // (0 without one), nothing kept and no generation used.
    Task<WindowListSnapshot> fetch(DockItem item, bool screenRecordingGranted);

    // On the service's queue.
    std::int64_t nextListGeneration() const { return nextGeneration_; }
    std::size_t cachedListCount() const { return cache_.size(); }

  private:
    WindowPlatform platform_;
    Queue& queue_;
    std::unordered_map<ItemID, CachedList> cache_;
    std::int64_t nextGeneration_ = 1;
};

}  // namespace tavelin
