#include "mac/switcher/SwitcherDockAnchoredMenuController.h"

#include <algorithm>

#include "protocol/UnicodeText.h"

namespace tavelin {

namespace {

// The menu's size: a column of window rows, or of context rows.
constexpr double kMenuWidth = 280;
constexpr double kRowHeight = 28;
constexpr double kInset = 8;
constexpr double kContextRows = 4;
constexpr double kActionMenuWidth = 200;
constexpr double kActionMenuRows = 8;

Task<void> nothingToDo() { co_return; }

}  // namespace

void SwitcherDockAnchoredMenuModel::reset() {
    contentMode = ContentMode::contextOnly;
    presentedItemID = std::nullopt;
    focusedWindowIndex = -1;
    windowActionMenuPointerInside = false;
    snapshot = std::nullopt;
}

void SwitcherDockAnchoredMenuController::present(const DockItem& item, ContentMode mode,
                                                 std::optional<WindowListSnapshot> snapshot, const Rect& anchor,
                                                 const AppPanel& panel) {
    if (!popover) popover = windows_.makePopover();
    if (actionMenu_) actionMenu_->close();
    windowFilter_.clear();
    windowCellFrames_.clear();
    model.contentMode = mode;
    model.presentedItemID = item.itemID;
    model.focusedWindowIndex = -1;
    model.snapshot = std::move(snapshot);
    resize();
    panel_ = &panel;
    popover->show(anchor, panel);
}

void SwitcherDockAnchoredMenuController::reanchor(const Rect& anchor, const AppPanel& panel) {
    if (isShown()) popover->show(anchor, panel);
}

void SwitcherDockAnchoredMenuController::close() {
    if (actionMenu_) actionMenu_->close();
    if (popover) popover->close();
    windowFilter_.clear();
    windowCellFrames_.clear();
    panel_ = nullptr;
    model.reset();
    if (onDidClose) onDidClose();
}

bool SwitcherDockAnchoredMenuController::containsScreenPoint(Point point) const {
    if (!isShown()) return false;
    const auto frame = popover->windowFrame();
    return frame && mouseInRect(point, *frame, true);
}

std::vector<WindowDescriptor> SwitcherDockAnchoredMenuController::displayedWindows() const {
    const auto& snapshot = model.snapshot.value();
    if (!snapshot) return {};
    if (windowFilter_.empty()) return snapshot->windows;
    std::vector<WindowDescriptor> shown;
    for (const auto& window : snapshot->windows) {
        if (localizedCaseInsensitiveContains(window.title, windowFilter_)) shown.push_back(window);
    }
    return shown;
}

void SwitcherDockAnchoredMenuController::setWindowFilter(std::string text) {
    const auto focused = focusedWindow();
    windowFilter_ = std::move(text);
    keepFocus(focused);
    resize();
}

void SwitcherDockAnchoredMenuController::enterWindowFocusFromTop() {
    if (!displayedWindows().empty()) model.focusedWindowIndex = 0;
}

void SwitcherDockAnchoredMenuController::moveWindowFocus(bool next) {
    const auto count = static_cast<std::int64_t>(displayedWindows().size());
    if (count == 0) return;
    const auto current = model.focusedWindowIndex.value();
    if (current < 0 || current >= count) {
        model.focusedWindowIndex = next ? 0 : count - 1;
        return;
    }
    model.focusedWindowIndex = (current + (next ? 1 : count - 1)) % count;
}

std::optional<WindowDescriptor> SwitcherDockAnchoredMenuController::focusedWindow() const {
    const auto index = model.focusedWindowIndex.value();
    const auto shown = displayedWindows();
    if (index < 0 || index >= static_cast<std::int64_t>(shown.size())) return std::nullopt;
    return shown[static_cast<std::size_t>(index)];
}

Task<void> SwitcherDockAnchoredMenuController::activateFocusedWindow(const DockItem& dockItem) {
    const auto window = focusedWindow();
    if (!window || !activateWindow) return nothingToDo();
    return activateWindow(dockItem, *window);
}

void SwitcherDockAnchoredMenuController::keepFocus(const std::optional<WindowDescriptor>& focused) {
    std::int64_t index = -1;
    if (focused) {
        const auto shown = displayedWindows();
        const auto found = std::ranges::find(shown, focused->windowID, &WindowDescriptor::windowID);
        if (found != shown.end()) index = found - shown.begin();
    }
    model.focusedWindowIndex = index;
}

std::optional<std::size_t> SwitcherDockAnchoredMenuController::windowCellAt(Point point) const {
    if (!showsWindowsList()) return std::nullopt;
    const auto count = std::min(windowCellFrames_.size(), displayedWindows().size());
    for (std::size_t i = 0; i < count; ++i) {
        if (mouseInRect(point, windowCellFrames_[i], true)) return i;
    }
    return std::nullopt;
}

bool SwitcherDockAnchoredMenuController::handleWindowsListLeftMouseDown(const InputEvent& event,
                                                                        const DockItem& dockItem) {
    const auto index = windowCellAt(event.location);
    if (!index) return false;
    model.focusedWindowIndex = static_cast<std::int64_t>(*index);
    startTask(main_, activateFocusedWindow(dockItem));
    return true;
}

bool SwitcherDockAnchoredMenuController::handleWindowsListRightMouseDown(const InputEvent& event) {
    const auto index = windowCellAt(event.location);
    if (!index || !panel_) return false;
    model.focusedWindowIndex = static_cast<std::int64_t>(*index);
    if (!actionMenu_) actionMenu_ = windows_.makePopover();
    actionMenu_->setContentSize(kActionMenuWidth, kActionMenuRows * kRowHeight + 2 * kInset);
    const Rect& cell = windowCellFrames_[*index];
    actionMenu_->show(Rect{event.location.x, cell.y, 0, 0}, *panel_);
    return true;
}

void SwitcherDockAnchoredMenuController::replaceWindowsSnapshotIfShowing(const DockItem& item,
                                                                         WindowListSnapshot snap) {
    if (!showsWindowsList() || model.presentedItemID.value() != item.itemID) return;
    const auto focused = focusedWindow();
    model.snapshot = std::move(snap);
    keepFocus(focused);
    resize();
}

void SwitcherDockAnchoredMenuController::resize() {
    if (!popover) return;
    const double rows = model.contentMode.value() == ContentMode::windowsOnly
                            ? std::max<double>(1, static_cast<double>(displayedWindows().size()))
                            : kContextRows;
    popover->setContentSize(kMenuWidth, rows * kRowHeight + 2 * kInset);
}

}  // namespace tavelin
