// The panel search also looks inside the Dock's folders: one task per change of the search text, the
// folders listed one after another off the main thread, the hits applied only while the text is
// still the one searched for.

#include "mac/core/PermissionsService.h"
#include "mac/switcher/FolderContentSearch.h"
#include "mac/switcher/SwitcherController.h"

namespace tavelin {
namespace {

Task<std::vector<FolderChild>> searchFolder(const FileSystem& files, std::filesystem::path folder,
                                            std::string query) {
    co_return FolderContentSearch::children(files, folder, query, FolderContentSearch::kLimit);
}

}  // namespace

void SwitcherController::scheduleDockFolderSearch() {
    folderSearchTask_.cancel();
    folderSearchTask_ = TaskHandle();
    const auto text = filterText.value();
    if (text.empty()) return;
    const auto model = navigator.value();
    if (!model) return;

    const auto& permissions = *services_.permissions;
    const auto standardFolders = permissions.standardFolderPaths();
    std::vector<DockNavigator::SearchableFolder> jobs;
    for (auto& folder : model->searchableFolders()) {
        // The user may have answered a consent prompt since the last keystroke: read the record afresh.
        bool searched = false;
        switch (permissions.folderAccess(folder.path)) {
            case FolderAccessState::denied:
                break;
            case FolderAccessState::granted:
                searched = true;
                break;
            case FolderAccessState::unknown:
                // Reading an unsettled folder would raise the system's consent prompt in mid-typing.
                searched = !standardFolders.contains(folder.path) &&
                           permissions.volumeClass(folder.path) == PermissionsService::VolumeClass::local;
                break;
        }
        if (searched) jobs.push_back(std::move(folder));
    }
    if (jobs.empty()) return;
    folderSearchTask_ = startTask(
        platform_.scheduler.main(),
        runFolderSearch(weak_from_this(), std::move(jobs), text, platform_.utilityQueue, platform_.files),
        Cancellation::cooperative);
}

Task<void> SwitcherController::runFolderSearch(std::weak_ptr<SwitcherController> weak,
                                               std::vector<DockNavigator::SearchableFolder> jobs,
                                               std::string text, Queue& utilityQueue,
                                               const FileSystem& files) {
    FolderSearchHits hits;
    for (const auto& job : jobs) {
        if (isCancelled()) co_return;
        const auto found = co_await startChildTask(utilityQueue, searchFolder(files, job.path, text)).join();
        if (found && !found->empty()) hits[job.itemID] = *found;
    }
    const auto self = weak.lock();
    if (!self || isCancelled() || self->filterText.value() != text) co_return;
    if (const auto model = self->navigator.value()) model->setSearchFolderHits(std::move(hits));
    self->uiTick = self->uiTick.value() + 1;
    self->syncPanelLayoutToSelection();
}

}  // namespace tavelin
