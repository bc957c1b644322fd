#pragma once

// The one place through which the system gets folder listings: the switcher's folder popover, a
// device's folder request, the permission requests and the settings and first-run windows all ask it.
// It keeps the listing of each Dock folder tile and of the sub-folders opened below one, decides when
// a stored listing is still good, watches the tiles' folders, lists ahead of time the folders the user
// is likely to open, and records for each Dock folder whether the system may read it.
//
//     cache->attach(dockState);                                   // last in the start-up order
//     auto listing = cache->snapshot(item, "", /*userInitiated=*/true);
//     auto sub = cache->snapshot(item, child.childID.rawValue(), false);
//
// A tile's listing stays good while its folder's modification date is unchanged; a sub-folder's for
// 60 s. At most 64 listings are kept; the one stored first goes first. A tile's folder is watched from
// its first readable listing until the tile leaves the Dock; 0.5 s after a change it is listed again,
// once for all the changes until then.
// A folder whose access has not been settled is only read when the user asks for it (so that the
// system's consent prompt comes when the user expects it); a device gets "pending" meanwhile.
//
// A relative path from outside (a device's request) names a folder below the tile and nothing else:
// one that is absolute, or has an empty, "." or ".." step, or holds a NUL, gives the "missing" listing
// without touching the disk. So does one with a symbolic link for a step, which could lead anywhere
// (the tile's own path may be a link); only the steps' own attributes are read to tell. Such a listing
// is not stored.
//
// Main thread: every operation, the watchers' refreshes and the prefetch work. The watchers' events and
// the prefetch pass pass through the serial queue "jp.fenwold.lomaret.folder.prefetch", which only
// hands them to the main queue. Closures hold the cache weakly, so it lives in a shared_ptr.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "mac/core/FolderService.h"
#include "mac/core/PermissionsService.h"
#include "mac/settings/AppSettings.h"
#include "platform/FileSystem.h"
#include "platform/FileWatcher.h"
#include "protocol/DockSnapshot.h"
#include "protocol/FolderSnapshot.h"
#include "runtime/Scheduler.h"
#include "runtime/Subscription.h"

namespace tavelin {

class DockStateService;
class IconService;

class FolderContentCache : public std::enable_shared_from_this<FolderContentCache> {
  public:
    static constexpr Duration kSubfolderLifetime = std::chrono::seconds(60);
    static constexpr std::size_t kMaxEntries = 64;
    static constexpr Duration kWatcherRefreshDelay = std::chrono::milliseconds(500);
    static constexpr std::size_t kPrefetchFolders = 16;
    static constexpr std::size_t kPrefetchSubfolders = 12;
    static constexpr std::string_view kPrefetchQueueLabel = "jp.fenwold.lomaret.folder.prefetch";

    struct Key {
        ItemID itemID;
        std::string relativePath;  // empty for the tile's own folder; a sub-folder's childID otherwise
        friend bool operator==(const Key&, const Key&) = default;
    };
    struct KeyHash {
        std::size_t operator()(const Key& key) const noexcept;
    };

    struct Entry {
        FolderSnapshot snapshot;
        Duration fetchedAt{};  // on the clock's uptime
        std::optional<Timestamp> dirModified;
        std::uint64_t storeSequence = 0;  // decides between entries stored at the same moment
    };

    struct FolderStatus {
        std::int64_t total = 0;
        std::int64_t readable = 0;
        std::int64_t denied = 0;
        friend bool operator==(const FolderStatus&, const FolderStatus&) = default;
    };

    // What the cache reads and watches with.
    struct Platform {
        Scheduler& scheduler;
        const FileSystem& files;
        FileWatcher& watcher;
    };

    FolderContentCache(FolderService folders, const AppSettings& settings, IconService& icons,
                       std::weak_ptr<PermissionsService> permissions, Platform platform);
    ~FolderContentCache();
    FolderContentCache(const FolderContentCache&) = delete;
    FolderContentCache& operator=(const FolderContentCache&) = delete;

    // Follows the Dock state's published snapshot, on the main queue.
    void attach(const std::shared_ptr<DockStateService>& dockState);

    FolderSnapshot snapshot(const DockItem& item, std::string_view relativePath, bool userInitiated);
    // Lists every Dock folder (the unsettled ones too, which raises the system's consent prompts),
    // then marks the check done and prefetches.
    void checkAllRootFolders(const std::vector<DockItem>& items);
    // Re-checks, without any prompt, the folders whose access is already granted or denied.
    void passiveRecheckFolderAccess(const std::vector<DockItem>& items);
    FolderStatus folderStatus(const std::vector<DockItem>& items) const;

  private:
    void invalidate(const std::optional<DockSnapshot>& dockSnapshot);
    bool isValid(const Entry& entry, const DockItem& item, std::string_view relativePath) const;
    FolderSnapshot buildSnapshot(const DockItem& item, std::string_view relativePath) const;
    void store(FolderSnapshot listing, const ItemID& itemID, std::string relativePath);
    void prefetchIcons(const FolderSnapshot& listing);
    void installWatcher(const DockItem& item);
    void scheduleRefresh(const ItemID& itemID);
    void refreshAfterWatcherEvent(const ItemID& itemID);
    bool passesThroughLink(const DockItem& item, std::string_view relativePath) const;
    void runPrefetchPass();
    void prefetch(const std::vector<DockItem>& folders);
    std::optional<Timestamp> directoryModified(const std::optional<std::string>& path) const;
    void trimIfNeeded();
    static bool isPermissionDenied(const FileSystemError& error) {
        return FolderService::isPermissionError(error);
    }
    std::optional<DockSnapshot> currentDockSnapshot() const;

    std::unordered_map<Key, Entry, KeyHash> entries_;
    FolderService folders_;
    const AppSettings& settings_;
    IconService& icons_;
    std::weak_ptr<PermissionsService> permissions_;
    std::weak_ptr<DockStateService> dockState_;
    Platform platform_;
    std::unordered_map<ItemID, FileWatch> watchers_;
    std::unordered_set<ItemID> pendingRefreshes_;
    Queue& prefetchQueue_;
    Subscription dockSnapshotSubscription_;
    std::uint64_t nextStoreSequence_ = 0;
};

}  // namespace tavelin
