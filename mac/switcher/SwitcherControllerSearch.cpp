// Type-to-search: three texts, one per surface (the panel's grid, the open folder, the windows list),
// the surface chosen afresh for every edit from where the pointer is.

#include "mac/switcher/SwitcherController.h"
#include "mac/switcher/SwitcherSearchField.h"
#include "platform/EventMonitors.h"
#include "platform/KeyboardLayout.h"
#include "platform/Screens.h"
#include "protocol/UnicodeText.h"

namespace tavelin {
namespace {

constexpr std::int64_t kReturn = 36, kTab = 48, kSpace = 49, kDelete = 51, kEscape = 53, kKeypadEnter = 76;
constexpr std::int64_t kEisu = 102, kKana = 104;

bool isArrow(std::int64_t keyCode) { return keyCode >= 123 && keyCode <= 126; }

}  // namespace

SwitcherController::SearchSurface SwitcherController::searchSurfaceUnderMouse() const {
    const Point mouse = platform_.screens.mouseLocation();
    if (folderPopover_.containsScreenPoint(mouse)) return SearchSurface::folder;
    if (dockAnchoredMenu_.showsWindowsList()) {
        if (dockAnchoredMenu_.model.focusedWindowIndex.value() >= 0) return SearchSurface::windows;
        if (!filterText.value().empty()) return SearchSurface::main;
        return dockAnchoredMenu_.containsScreenPoint(mouse) ? SearchSurface::windows : SearchSurface::main;
    }
    return SearchSurface::main;
}

std::string SwitcherController::activeSearchText() const { return searchTextOf(searchSurfaceUnderMouse()); }

std::string SwitcherController::searchTextOf(SearchSurface surface) const {
    switch (surface) {
        case SearchSurface::main:
            return filterText.value();
        case SearchSurface::folder:
            return folderFilterText.value();
        case SearchSurface::windows:
            return windowsFilterText.value();
    }
    return {};
}

void SwitcherController::setSearchText(SearchSurface surface, std::string text) {
    switch (surface) {
        case SearchSurface::main:
            return setFilterText(std::move(text));
        case SearchSurface::folder:
            return setFolderFilterText(std::move(text));
        case SearchSurface::windows:
            return setWindowsFilterText(std::move(text));
    }
}

void SwitcherController::appendSearchText(std::string_view text) {
    // Read and write the same surface, even if the text's handling moves an overlay under the pointer.
    const auto surface = searchSurfaceUnderMouse();
    const auto current = searchTextOf(surface);
    setSearchText(surface, current + std::string(text));
}

bool SwitcherController::deleteSearchCharacter() {
    const auto surface = searchSurfaceUnderMouse();
    const auto current = searchTextOf(surface);
    if (current.empty()) return false;
    setSearchText(surface, droppingLastGraphemeCluster(current));
    return true;
}

// --- The texts and their change handling ---

void SwitcherController::setFilterText(std::string text) {
    const auto old = filterText.value();
    filterText = std::move(text);
    filterTextChanged(old);
}

void SwitcherController::filterTextChanged(const std::string& old) {
    const auto& text = filterText.value();
    if (old.empty() && !text.empty()) dismissWindowsListBecauseSearchBegan();
    if (const auto model = navigator.value()) model->filter(text);
    uiTick = uiTick.value() + 1;
    // Mid-composition the panel keeps its size; it fits once the text is committed.
    if (!(searchField_ && searchField_->hasMarkedText())) syncPanelLayoutToSelection();
    scheduleDockFolderSearch();
}

void SwitcherController::setFolderFilterText(std::string text) {
    const bool changed = text != folderFilterText.value();
    folderFilterText = std::move(text);
    if (!changed) return;
    folderPopover_.setFilterText(folderFilterText.value());
    if (!folderPopover_.isShown() || folderStack_.empty()) return;
    const bool anyVisible = !folderPopover_.model.visibleChildren(folderStack_.back()).empty();
    folderFocusIndex_ = anyVisible ? std::optional<std::int64_t>(0) : std::nullopt;
    folderPopover_.updateContent(folderStack_, folderFocusIndex_, panelIconSize.value());
}

void SwitcherController::setWindowsFilterText(std::string text) {
    const bool changed = text != windowsFilterText.value();
    windowsFilterText = std::move(text);
    if (changed) dockAnchoredMenu_.setWindowFilter(windowsFilterText.value());
}

void SwitcherController::dismissWindowsListBecauseSearchBegan() {
    ++windowsFetchEpoch;
    cancelKeyboardDwell();
    dockMenuHoverTargetPath.reset();
    dockMenuHoverPath.reset();
    overlayOpenedFromKeyboard = false;
    if (dockAnchoredMenu_.showsWindowsList()) dockAnchoredMenu_.close();
    windowPopover_.close();
}

// --- Keys ---

std::optional<std::string> SwitcherController::searchCharacters(const InputEvent& event) {
    if (event.keyCode == kEisu || event.keyCode == kKana) return std::nullopt;
    // A Control chord makes a control code; the plain letter is what the user meant. Text above ASCII
    // (an Option letter, another layout's letters) is taken as it is.
    const auto characters = event.characters.value_or("");
    auto text =
        hasScalarAbove(characters, 0x7E) ? characters : event.charactersIgnoringModifiers.value_or("");
    // A function key's character (F5, the arrows) is no text, though no control character either.
    if (!isPrintableWithoutSpace(text) || hasFunctionKeyCharacter(text)) return std::nullopt;
    return text;
}

bool SwitcherController::isComposing() const {
    return searchField_ && (searchField_->hasMarkedText() || searchField_->imeSession);
}

SwitcherController::SearchKeyRoute SwitcherController::searchKeyRoute(const InputEvent& event) const {
    if ((event.flags & kEventFlagCommand) != 0) return SearchKeyRoute::panel;
    const bool composing = isComposing();
    const auto code = event.keyCode;
    if (isArrow(code) || code == kReturn || code == kEscape || code == kKeypadEnter)
        return composing ? SearchKeyRoute::searchField : SearchKeyRoute::panel;
    if (code == kEisu || code == kKana) return SearchKeyRoute::searchField;
    if (code == kTab) return SearchKeyRoute::panel;
    if (code == kDelete) return composing ? SearchKeyRoute::searchField : SearchKeyRoute::panel;
    const bool inputMethod = SwitcherInputSource::isInputMethodActive(platform_.textInput);
    if (code == kSpace) {
        if (composing) return SearchKeyRoute::searchField;
        if (!inputMethod) return SearchKeyRoute::panel;
        // An empty search leaves Space to open the windows list.
        return activeSearchText().empty() ? SearchKeyRoute::panel : SearchKeyRoute::searchField;
    }
    // While the trigger is held its letters are panel commands, unless text is being composed.
    if (triggerHeld() && !composing && !inputMethod) return SearchKeyRoute::panel;
    if (searchCharacters(event)) return SearchKeyRoute::searchField;
    return composing || inputMethod ? SearchKeyRoute::searchField : SearchKeyRoute::panel;
}

// --- The search field's text ---

void SwitcherController::noteSearchFieldText(const std::string& text) {
    if (searchFieldUpdating_) return;
    if (text.empty() && !(searchField_ && searchField_->string().empty())) return;
    queuedSearchText_ = text;
    queuedSearchSurface_ = searchSurfaceUnderMouse();
    if (searchPublishScheduled_) return;
    searchPublishScheduled_ = true;
    platform_.scheduler.main().async([weak = weak_from_this()] {
        auto self = weak.lock();
        if (!self) return;
        self->searchPublishScheduled_ = false;
        if (!self->queuedSearchText_) return;
        auto queued = *std::exchange(self->queuedSearchText_, std::nullopt);
        const auto surface = std::exchange(self->queuedSearchSurface_, std::nullopt);
        self->applySearchFieldText(queued, surface);
    });
}

void SwitcherController::applySearchFieldText(const std::string& text, std::optional<SearchSurface> surface) {
    if (searchFieldUpdating_) return;
    const auto target = surface.value_or(searchSurfaceUnderMouse());
    const auto current = searchTextOf(target);
    if (current != text) setSearchText(target, text);
}

void SwitcherController::prepareSearchFieldForInput() {
    if (searchField_ && !searchField_->hasMarkedText()) {
        const auto active = activeSearchText();
        if (searchField_->string() != active) {
            searchFieldUpdating_ = true;
            searchField_->setString(active);
            searchField_->setSelectedRange(TextRange{utf16Length(active), 0});
            searchFieldUpdating_ = false;
        }
    }
    ensureSearchFieldFocus();
}

void SwitcherController::ensureSearchFieldFocus() {
    if (!panel_ || !searchField_ || searchField_->hasMarkedText()) return;
    if (panel_->window().firstResponder() == searchField_.get()) return;
    if (panel_->locksSearchInput) {
        if (const auto input = panel_->searchInput.lock(); input && input != searchField_) return;
    }
    panel_->makeFirstResponderUnlocked(searchField_.get());
}

void SwitcherController::positionSearchField() {
    if (!searchField_ || !panel_) return;
    const Rect content = panel_->window().frame();
    searchField_->frame =
        Rect{12, std::max(0.0, content.height - 22), std::max(160.0, content.width - 24), 20};
}

Rect SwitcherController::compositionRect() const {
    if (!panel_) return Rect{};
    const Rect frame = panel_->window().frame();
    const double width = std::clamp(frame.width - 32, 120.0, 240.0);
    return Rect{frame.x + frame.width / 2 - width / 2, frame.maxY() - 6, width, 22};
}

}  // namespace tavelin
