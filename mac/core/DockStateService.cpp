#include "mac/core/DockStateService.h"

#include <algorithm>
#include <utility>

#include "mac/core/IconService.h"

namespace tavelin {
namespace {

constexpr FileEvents kPreferenceFileEvents =
    FileEvent::write | FileEvent::extend | FileEvent::deleteSelf | FileEvent::moveSelf;
// A folder's writes are its entries coming and going.
constexpr FileEvents kTrashEvents = kFolderEntriesChanged | FileEvent::write | FileEvent::extend |
                                    FileEvent::deleteSelf | FileEvent::moveSelf | FileEvent::attrib |
                                    FileEvent::link;
// The Trash made anew in the folder that holds it.
constexpr FileEvents kTrashMade = FileEvent::entryCreated | FileEvent::entryMovedTo;

}  // namespace

std::shared_ptr<DockStateService> DockStateService::create(Platform platform, Scheduler& scheduler,
                                                           RunningAppsService& runningApps,
                                                           SnapshotComposer& composer,
                                                           AppSettings& settings) {
    std::shared_ptr<DockStateService> service(
        new DockStateService(platform, scheduler, runningApps, composer, settings));
    service->rebuild();
    service->startWatching();
    service->startTrashWatching();
    service->startDockDefaultsWatching();
    service->subscribe();
    return service;
}

DockStateService::DockStateService(Platform platform, Scheduler& scheduler, RunningAppsService& runningApps,
                                   SnapshotComposer& composer, AppSettings& settings)
    : ObservableObject(scheduler.main()),
      platform_(platform),
      main_(scheduler.main()),
      clock_(scheduler.clock()),
      queue_(scheduler.serialQueue("tavelin.dock-state")),
      runningApps_(runningApps),
      composer_(composer),
      settings_(settings),
      dockDefaults_(platform.userDefaults.domain("com.apple.dock")),
      parser_(platform.userDefaults, platform.folders, platform.workspace, platform.host),
      axReader_(platform.accessibility, platform.workspace) {}

DockStateService::~DockStateService() { trashRefreshWorkItem_.cancel(); }

void DockStateService::rebuild() {
    const auto plist = parser_.loadDockPlist();
    if (!plist) return;

    // These assignments are the rebuild's own, not a change of the running applications: taken for
    // one, they would set off the next rebuild 150 ms later, and that one the next, for ever.
    syncingRunningApps_ = true;
    runningApps_.refreshPinned(plist);
    runningApps_.syncUnpinnedRunningOrder(plist);
    syncingRunningApps_ = false;

    const auto axEntries = axReader_.readEntries();
    const auto& running = runningApps_.state();
    runningAppsAtRebuild_ = running;
    auto dock = axEntries ? parser_.parse(*axEntries, *plist, running, settings_)
                          : parser_.parseLegacyPlist(*plist, running, settings_);

    ++generation_;
    ++eventSequence_;
    composer_.applyFilters(dock.items);
    composer_.icons().attachTokens(dock.items);

    DockSnapshot next{.dockGeneration = generation_,
                      .eventSequence = eventSequence_,
                      .generatedAt = clock_.now(),
                      .items = std::move(dock.items),
                      .separators = std::move(dock.separators),
                      .runningSort = RunningAppsSort::recentlyUsed};
    if (const auto& previous = snapshot(); previous && previous->dockGeneration != next.dockGeneration) {
        lastDiff_ = SnapshotComposer::diff(*previous, next);
    }
    snapshot_ = std::move(next);
}

void DockStateService::refreshTrashIconIfChanged() {
    if (!snapshot()) return;
    const auto& items = snapshot()->items;
    const auto trash = std::ranges::find(items, DockItemKind::trash, &DockItem::kind);
    if (trash == items.end()) return;

    IconService& icons = composer_.icons();
    const IconToken wanted(icons.isTrashFull() ? kTrashTokenFull : kTrashTokenEmpty);
    if (trash->iconToken == wanted) return;

    const auto oldToken = trash->iconToken;
    DockSnapshot swapped = *snapshot();
    swapped.items[static_cast<std::size_t>(trash - items.begin())].iconToken = wanted;
    ++eventSequence_;
    snapshot_ = std::move(swapped);

    std::vector<IconToken> invalidated;
    if (oldToken) invalidated.push_back(*oldToken);
    if (!oldToken || oldToken->rawValue() != kTrashToken) invalidated.emplace_back(kTrashToken);
    icons.invalidateTokens(invalidated);
    pushTrashIcon(wanted);
}

void DockStateService::pushTrashIcon(const IconToken& token) {
    const auto png = composer_.icons().trashPNG128();
    if (!png) return;
    std::vector<IconData> icons{IconData{token, base64Encode(*png), IconService::kPixelSize}};
    platform_.notifications.post(
        Notification{std::string(kTrashIconPushedNotification), nullptr, {{"icons", std::move(icons)}}});
}

void DockStateService::scheduleTrashIconRefreshAfterUserAction() {
    refreshTrashIconIfChanged();
    for (const Duration delay : kTrashRechecks) {
        main_.asyncAfter(delay, [weak = weak_from_this()] {
            if (auto self = weak.lock()) self->refreshTrashIconIfChanged();
        });
    }
}

void DockStateService::startWatching() {
    const auto file = platform_.folders.homeDirectory() / "Library/Preferences/com.apple.dock.plist";
    auto watch = platform_.fileWatcher.watch(
        file, kPreferenceFileEvents, queue_, [weak = weak_from_this()](FileEvents events) {
            auto self = weak.lock();
            if (!self) return;
            // Replaced by a rename over it, the file is a new one: its watch has ended.
            const bool replaced =
                events.contains(FileEvent::deleteSelf) || events.contains(FileEvent::moveSelf);
            self->main_.asyncAfter(kPreferenceFileDelay, [self, replaced] {
                self->rebuild();
                if (!replaced) return;
                self->dockWatcher_.cancel();
                self->startWatching();
            });
        });
    // A file that cannot be watched stays unwatched.
    dockWatcher_ = watch ? std::move(*watch) : FileWatch();
}

void DockStateService::startTrashWatching() {
    const auto trash = platform_.folders.trashDirectory();
    if (!trash) return;
    auto watch = platform_.fileWatcher.watch(
        *trash, kTrashEvents, queue_, [weak = weak_from_this()](FileEvents events) {
            // Deleted or renamed, the Trash is watched again where it is now.
            if (auto self = weak.lock()) {
                self->scheduleTrashRefresh(events.contains(FileEvent::deleteSelf) ||
                                           events.contains(FileEvent::moveSelf));
            }
        });
    if (!watch) {
        // No Trash yet: the folder that holds it tells when it is made.
        watch = platform_.fileWatcher.watch(trash->parent_path(), kTrashMade, queue_,
                                            [weak = weak_from_this()](FileEvents) {
                                                if (auto self = weak.lock()) self->scheduleTrashRefresh(true);
                                            });
    }
    trashWatcher_ = watch ? std::move(*watch) : FileWatch();
}

void DockStateService::scheduleTrashRefresh(bool watchAgain) {
    // A burst of events gives one refresh, after its last event.
    trashWatchAgain_ = trashWatchAgain_ || watchAgain;
    trashRefreshWorkItem_.cancel();
    trashRefreshWorkItem_ = queue_.asyncAfter(kTrashDelay, [weak = weak_from_this(), &main = main_] {
        const auto self = weak.lock();
        if (!self) return;
        main.async([weak, watchAgain = std::exchange(self->trashWatchAgain_, false)] {
            const auto self = weak.lock();
            if (!self) return;
            // Watched first, so that what changes during the refresh is heard.
            if (watchAgain) {
                self->trashWatcher_.cancel();
                self->startTrashWatching();
            }
            self->refreshTrashIconIfChanged();
        });
    });
}

void DockStateService::startDockDefaultsWatching() {
    if (dockDefaults_ == nullptr) return;
    dockDefaultsObserver_ = dockDefaults_->didChangePublisher().receiveOn(main_).sink(
        [weak = weak_from_this(), &main = main_](std::monostate) {
            main.asyncAfter(kDockDefaultsDelay, [weak] {
                if (auto self = weak.lock()) self->rebuild();
            });
        });
}

void DockStateService::subscribe() {
    const auto rebuildWeakly = [weak = weak_from_this()](const auto&) {
        if (auto self = weak.lock()) self->rebuild();
    };
    cancellables_.push_back(runningApps_.statePublisher()
                                .dropFirst()
                                .filter([weak = weak_from_this()](const RunningAppsService::State&) {
                                    const auto self = weak.lock();
                                    return self && !self->syncingRunningApps_;
                                })
                                .debounce(main_, kRunningAppsDebounce)
                                .sink([weak = weak_from_this()](const RunningAppsService::State&) {
                                    const auto self = weak.lock();
                                    if (self && self->runningApps_.state() != self->runningAppsAtRebuild_)
                                        self->rebuild();
                                }));
    // Delivered after the change has taken effect.
    cancellables_.push_back(
        settings_.objectWillChange().debounce(main_, kSettingsDebounce).sink(rebuildWeakly));
}

}  // namespace tavelin
