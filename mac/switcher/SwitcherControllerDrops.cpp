// Files dropped onto the panel's cells: the drop highlight, which cells take drops, where the file URLs
// come from, and the hand-over to the drop handler. The panel stays open.

#include "mac/core/DockDropHandler.h"
#include "mac/switcher/SwitcherController.h"
#include "runtime/Completion.h"

namespace tavelin {

void SwitcherController::setDropHighlight(std::optional<CellPath> path) {
    if (path == dropHighlightPath.value()) return;
    dropHighlightPath = path;
    uiTick = uiTick.value() + 1;
}

bool SwitcherController::optionKeyHeld() const {
    return (platform_.eventMonitors.modifierFlags() & kEventFlagOption) != 0;
}

bool SwitcherController::acceptDroppedFiles(std::vector<std::shared_ptr<const ItemProvider>> providers,
                                            CellPath, const DockPresentation::Cell& cell) {
    const DockItem* item = cell.asItem();
    if (!item || (item->kind != DockItemKind::app && item->kind != DockItemKind::folder &&
                  item->kind != DockItemKind::trash)) {
        return false;
    }
    auto urls = services_.drops.fileURLsOnDragPasteboard();
    if (!urls.empty()) {
        if (!services_.drops.canAcceptDrop(urls, *item)) {
            setDropHighlight(std::nullopt);
            return false;
        }
        startTask(platform_.scheduler.main(), finishDroppedFiles(weak_from_this(), std::move(urls), *item));
        return true;
    }
    startTask(platform_.scheduler.main(),
              loadAndFinishDroppedFiles(weak_from_this(), std::move(providers), *item));
    return true;
}

Task<std::optional<std::string>> SwitcherController::loadFileURL(
    std::shared_ptr<const ItemProvider> provider) {
    // By reference: the lambda runs at once, inside the await, while the frame holds the provider (a copy
    // captured in a lambda temporary of a co_await expression was released twice by this compiler).
    co_return co_await awaitCompletion<std::optional<std::string>>([&provider](auto done) {
        // The provider's completion is copyable; the task's is not.
        auto shared = std::make_shared<decltype(done)>(std::move(done));
        provider->loadURL([shared](std::optional<std::string> url) { (*shared)(std::move(url)); });
    });
}

Task<std::vector<std::string>> SwitcherController::loadFileURLs(
    std::vector<std::shared_ptr<const ItemProvider>> providers) {
    std::vector<std::string> urls;
    // One after another, each awaited before the next.
    for (const auto& provider : providers) {
        if (!provider->hasItemConformingToTypeIdentifier(kFileURLTypeIdentifier)) continue;
        if (auto url = co_await loadFileURL(provider)) urls.push_back(std::move(*url));
    }
    co_return urls;
}

Task<void> SwitcherController::loadAndFinishDroppedFiles(
    std::weak_ptr<SwitcherController> weak, std::vector<std::shared_ptr<const ItemProvider>> providers,
    DockItem item) {
    if (weak.expired()) co_return;
    auto urls = co_await loadFileURLs(std::move(providers));
    co_await finishDroppedFiles(std::move(weak), std::move(urls), std::move(item));
}

Task<void> SwitcherController::finishDroppedFiles(std::weak_ptr<SwitcherController> weak,
                                                  std::vector<std::string> urls, DockItem item) {
    auto self = weak.lock();
    if (!self) co_return;
    if (!urls.empty() && self->services_.drops.canAcceptDrop(urls, item)) {
        // Option is read now that the files are known, not when the drop began.
        const bool copy = self->optionKeyHeld();
        const DockDropHandler& drops = self->services_.drops;  // the process's; it outlives the drop
        self.reset();
        co_await drops.performDrop(std::move(urls), std::move(item), copy);
        self = weak.lock();
        if (!self) co_return;
    }
    if (self->dropHighlightPath.value()) self->setDropHighlight(std::nullopt);
}

}  // namespace tavelin
