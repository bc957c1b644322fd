#include "mac/core/FolderContentCache.h"

#include <algorithm>
#include <functional>
#include <ranges>

#include "mac/core/DockStateService.h"
#include "mac/core/IconService.h"

namespace tavelin {
namespace {

namespace fs = std::filesystem;

// A sub-folder's path below its tile, as a device may send it: steps joined by '/', none of them
// empty, "." or "..", no NUL, and not absolute (joining an absolute path would replace the tile's).
bool isConfinedRelativePath(std::string_view relativePath) {
    if (relativePath.find('\0') != std::string_view::npos) return false;
    for (const auto step : std::views::split(relativePath, '/')) {
        const std::string_view name(step.begin(), step.end());
        if (name.empty() || name == "." || name == "..") return false;
    }
    return true;
}

std::vector<DockItem> folderItemsByDockIndex(const std::vector<DockItem>& items) {
    std::vector<DockItem> folders;
    std::ranges::copy_if(items, std::back_inserter(folders),
                         [](const DockItem& item) { return item.kind == DockItemKind::folder; });
    std::ranges::stable_sort(folders, std::less{}, &DockItem::dockIndex);
    return folders;
}

// The tile as a listing of the sub-folder at `path` below it.
DockItem subfolderItem(const DockItem& tile, const fs::path& path) {
    DockItem sub = tile;
    sub.path = path.string();
    sub.title = path.filename().string();
    sub.kind = DockItemKind::folder;
    return sub;
}

}  // namespace

std::size_t FolderContentCache::KeyHash::operator()(const Key& key) const noexcept {
    const auto first = std::hash<ItemID>{}(key.itemID);
    return first ^
           (std::hash<std::string>{}(key.relativePath) + 0x9e3779b97f4a7c15ULL + (first << 6) + (first >> 2));
}

FolderContentCache::FolderContentCache(FolderService folders, const AppSettings& settings, IconService& icons,
                                       std::weak_ptr<PermissionsService> permissions, Platform platform)
    : folders_(folders),
      settings_(settings),
      icons_(icons),
      permissions_(std::move(permissions)),
      platform_(platform),
      prefetchQueue_(platform.scheduler.serialQueue(kPrefetchQueueLabel)) {}

FolderContentCache::~FolderContentCache() = default;

void FolderContentCache::attach(const std::shared_ptr<DockStateService>& dockState) {
    dockState_ = dockState;
    dockSnapshotSubscription_ =
        dockState->snapshotPublisher()
            .receiveOn(platform_.scheduler.main())
            .sink([weak = weak_from_this()](const std::optional<DockSnapshot>& dockSnapshot) {
                if (auto self = weak.lock()) self->invalidate(dockSnapshot);
            });
}

FolderSnapshot FolderContentCache::snapshot(const DockItem& item, std::string_view relativePath,
                                            bool userInitiated) {
    const bool isTile = relativePath.empty();
    if (!isTile && (!isConfinedRelativePath(relativePath) || passesThroughLink(item, relativePath))) {
        return FolderService::errorSnapshot(item, "missing");
    }
    const Key key{item.itemID, std::string(relativePath)};
    if (const auto found = entries_.find(key);
        found != entries_.end() && isValid(found->second, item, relativePath)) {
        return found->second.snapshot;
    }

    std::optional<std::string> fullPath = item.path;
    if (item.path && !isTile) fullPath = (fs::path(*item.path) / relativePath).string();

    const auto permissions = permissions_.lock();
    if (isTile && fullPath && permissions && platform_.files.itemType(*fullPath) != ItemType::missing) {
        const auto access = permissions->folderAccess(*fullPath);
        // Answered without listing, and not stored.
        if (access == FolderAccessState::denied) return FolderService::errorSnapshot(item, "permission");
        if (access == FolderAccessState::unknown && !userInitiated) {
            return FolderService::errorSnapshot(item, "pending");
        }
    }

    auto listing = buildSnapshot(item, relativePath);

    if (isTile && fullPath && permissions) {
        if (listing.isReadable) {
            permissions->setFolderAccess(FolderAccessState::granted, *fullPath);
        } else if (listing.errorReason == "permission") {
            permissions->setFolderAccess(FolderAccessState::denied, *fullPath);
        }
    }

    store(listing, item.itemID, std::string(relativePath));
    prefetchIcons(listing);
    if (isTile && listing.isReadable) installWatcher(item);
    if (userInitiated && isTile && listing.isReadable) runPrefetchPass();
    return listing;
}

void FolderContentCache::checkAllRootFolders(const std::vector<DockItem>& items) {
    for (const auto& item : folderItemsByDockIndex(items)) {
        if (!item.path) continue;
        const auto permissions = permissions_.lock();
        if (permissions && permissions->folderAccess(*item.path) == FolderAccessState::denied) continue;
        (void)snapshot(item, "", true);
    }
    if (const auto permissions = permissions_.lock()) permissions->markFolderCheckDone();
    runPrefetchPass();
}

void FolderContentCache::passiveRecheckFolderAccess(const std::vector<DockItem>& items) {
    const auto permissions = permissions_.lock();
    if (!permissions) return;
    std::vector<std::string> paths;
    const auto add = [&](const std::string& path) {
        if (std::ranges::find(paths, path) == paths.end()) paths.push_back(path);
    };
    for (const auto& item : items) {
        if (item.kind == DockItemKind::folder && item.path) add(*item.path);
    }
    for (const auto& path : permissions->storedFolderPaths()) add(path);

    for (const auto& path : paths) {
        const auto state = permissions->folderAccess(path);
        // Reading an unsettled folder could raise a consent prompt.
        if (state == FolderAccessState::unknown) continue;
        if (platform_.files.itemType(path) != ItemType::directory) continue;
        const auto names = platform_.files.contentsOfDirectory(path, HiddenFiles::include);
        if (names) {
            permissions->setFolderAccess(FolderAccessState::granted, path);
        } else if (isPermissionDenied(names.error())) {
            permissions->setFolderAccess(FolderAccessState::denied, path);
        }
    }
}

FolderContentCache::FolderStatus FolderContentCache::folderStatus(const std::vector<DockItem>& items) const {
    FolderStatus status;
    const auto permissions = permissions_.lock();
    for (const auto& item : items) {
        if (item.kind != DockItemKind::folder) continue;
        ++status.total;
        if (!permissions || !item.path) continue;
        const auto state = permissions->folderAccess(*item.path);
        if (state == FolderAccessState::granted) ++status.readable;
        if (state == FolderAccessState::denied) ++status.denied;
    }
    return status;
}

void FolderContentCache::invalidate(const std::optional<DockSnapshot>& dockSnapshot) {
    if (!dockSnapshot) return;
    const auto isInDock = [&](const ItemID& itemID) {
        return std::ranges::any_of(dockSnapshot->items,
                                   [&](const DockItem& item) { return item.itemID == itemID; });
    };
    std::erase_if(entries_, [&](const auto& entry) { return !isInDock(entry.first.itemID); });
    // Item identifiers change with every shift of the Dock: a watcher left behind would never be
    // cancelled.
    std::erase_if(watchers_, [&](const auto& watcher) { return !isInDock(watcher.first); });
    trimIfNeeded();
}

bool FolderContentCache::passesThroughLink(const DockItem& item, std::string_view relativePath) const {
    if (!item.path) return false;
    fs::path step = *item.path;
    for (const auto name : std::views::split(relativePath, '/')) {
        step /= std::string_view(name.begin(), name.end());
        const auto values = platform_.files.resourceValues(step);
        // A step that cannot be read is not there: the listing says so.
        if (!values) return false;
        if (values->isSymbolicLink == true) return true;
    }
    return false;
}

bool FolderContentCache::isValid(const Entry& entry, const DockItem& item,
                                 std::string_view relativePath) const {
    if (!relativePath.empty())
        return platform_.scheduler.clock().uptime() - entry.fetchedAt < kSubfolderLifetime;
    return directoryModified(item.path) == entry.dirModified;
}

FolderSnapshot FolderContentCache::buildSnapshot(const DockItem& item, std::string_view relativePath) const {
    if (!item.path) return folders_.snapshot(item, settings_, icons_, std::nullopt);
    if (relativePath.empty()) return folders_.snapshot(item, settings_, icons_, item.path);
    return folders_.snapshot(subfolderItem(item, fs::path(*item.path) / relativePath), settings_, icons_,
                             item.path);
}

void FolderContentCache::store(FolderSnapshot listing, const ItemID& itemID, std::string relativePath) {
    Entry entry{
        .snapshot = std::move(listing),
        .fetchedAt = platform_.scheduler.clock().uptime(),
        .storeSequence = nextStoreSequence_++,
    };
    entry.dirModified = directoryModified(entry.snapshot.path);
    icons_.registerFolderSnapshot(entry.snapshot);
    entries_.insert_or_assign(Key{itemID, std::move(relativePath)}, std::move(entry));
    trimIfNeeded();
}

void FolderContentCache::prefetchIcons(const FolderSnapshot& listing) {
    for (const auto& child : listing.children) {
        if (child.path) (void)icons_.sharedPNG128(child.path, std::nullopt);
    }
}

void FolderContentCache::installWatcher(const DockItem& item) {
    if (!item.path) return;
    watchers_.erase(item.itemID);
    auto watch = platform_.watcher.watch(
        *item.path, kFolderEntriesChanged | FileEvent::deleteSelf | FileEvent::moveSelf, prefetchQueue_,
        [weak = weak_from_this(), itemID = item.itemID, &main = platform_.scheduler.main()](FileEvents) {
            main.async([weak, itemID] {
                if (auto self = weak.lock()) self->scheduleRefresh(itemID);
            });
        });
    if (watch) watchers_.insert_or_assign(item.itemID, std::move(*watch));
}

void FolderContentCache::scheduleRefresh(const ItemID& itemID) {
    // A burst of changes (200 new files) is one relist: the pending one reads what came after it too.
    if (!pendingRefreshes_.insert(itemID).second) return;
    platform_.scheduler.main().asyncAfter(kWatcherRefreshDelay, [weak = weak_from_this(), itemID] {
        if (auto self = weak.lock()) self->refreshAfterWatcherEvent(itemID);
    });
}

void FolderContentCache::refreshAfterWatcherEvent(const ItemID& itemID) {
    pendingRefreshes_.erase(itemID);
    entries_.erase(Key{itemID, ""});
    const auto dockSnapshot = currentDockSnapshot();
    if (!dockSnapshot) return;
    const auto item = std::ranges::find(dockSnapshot->items, itemID, &DockItem::itemID);
    if (item != dockSnapshot->items.end()) (void)snapshot(*item, "", false);
}

void FolderContentCache::runPrefetchPass() {
    const auto dockSnapshot = currentDockSnapshot();
    if (!dockSnapshot) return;
    auto folders = folderItemsByDockIndex(dockSnapshot->items);
    if (folders.size() > kPrefetchFolders) folders.resize(kPrefetchFolders);
    prefetchQueue_.async([weak = weak_from_this(), folders = std::move(folders),
                          &main = platform_.scheduler.main()]() mutable {
        main.async([weak, folders = std::move(folders)] {
            if (auto self = weak.lock()) self->prefetch(folders);
        });
    });
}

void FolderContentCache::prefetch(const std::vector<DockItem>& folders) {
    for (const auto& tile : folders) {
        if (!tile.path) continue;
        const auto permissions = permissions_.lock();
        if (!permissions || permissions->folderAccess(*tile.path) != FolderAccessState::granted) continue;

        const auto listing = snapshot(tile, "", false);
        prefetchIcons(listing);
        std::size_t subfolders = 0;
        for (const auto& child : listing.children) {
            if (child.kind != FolderChildKind::folder) continue;
            if (subfolders++ == kPrefetchSubfolders) break;
            if (!child.path) continue;
            auto sub = folders_.snapshot(subfolderItem(tile, *child.path), settings_, icons_, tile.path);
            store(sub, tile.itemID, child.childID.rawValue());
            prefetchIcons(sub);
        }
    }
}

std::optional<Timestamp> FolderContentCache::directoryModified(const std::optional<std::string>& path) const {
    if (!path) return std::nullopt;
    const auto values = platform_.files.resourceValues(*path);
    return values ? values->contentModificationDate : std::nullopt;
}

void FolderContentCache::trimIfNeeded() {
    while (entries_.size() > kMaxEntries) {
        const auto oldest = std::ranges::min_element(entries_, std::less{}, [](const auto& entry) {
            return std::pair(entry.second.fetchedAt, entry.second.storeSequence);
        });
        entries_.erase(oldest);
    }
}

std::optional<DockSnapshot> FolderContentCache::currentDockSnapshot() const {
    const auto dockState = dockState_.lock();
    if (!dockState) return std::nullopt;
    return dockState->snapshot();
}

}  // namespace tavelin
