// Input while the panel is open: five event monitors, the key handler and its key table, clicks on the
// panel and outside it, the wheel's step direction, the pinch, and the hidden search field.

#include <cmath>

#include "mac/switcher/SwitcherController.h"
#include "mac/switcher/SwitcherSearchField.h"
#include "platform/EventMonitors.h"
#include "platform/MouseEvent.h"

namespace tavelin {
namespace {

constexpr std::int64_t kReturn = 36, kTab = 48, kSpace = 49, kDelete = 51, kEscape = 53, kKeypadEnter = 76;
constexpr std::int64_t kLeft = 123, kRight = 124, kDown = 125, kUp = 126;
constexpr std::int64_t kMiddleButton = 2;
constexpr double kDiscreteWheelSpacing = 0.07;  // seconds
constexpr double kSmallestWheelDelta = 0.1;

constexpr EventMask mask(std::initializer_list<EventType> types) {
    EventMask bits = 0;
    for (const auto type : types) bits |= eventMaskBit(type);
    return bits;
}
constexpr EventMask kKeyEvents = mask({EventType::keyDown, EventType::keyUp, EventType::flagsChanged});
constexpr EventMask kOutsidePresses = mask(
    {EventType::leftMouseDown, EventType::rightMouseDown, EventType::mouseMoved, EventType::otherMouseDown});
constexpr EventMask kMagnify = mask({EventType::magnify});
constexpr EventMask kButtonDowns = mask({EventType::leftMouseDown, EventType::rightMouseDown});
constexpr EventMask kPanelInteraction = mask(
    {EventType::leftMouseDown, EventType::mouseMoved, EventType::scrollWheel, EventType::otherMouseDown});
static_assert(kKeyEvents == 0x1C00 && kOutsidePresses == 0x200002A && kMagnify == 0x40000000 &&
              kButtonDowns == 0xA && kPanelInteraction == 0x2400022);

double seconds(Duration duration) { return std::chrono::duration<double>(duration).count(); }

}  // namespace

// --- Monitors ---

void SwitcherController::startLocalMonitor() {
    auto& monitors = platform_.eventMonitors;
    const std::weak_ptr<SwitcherController> weak = weak_from_this();
    const auto local = [weak](auto member) {
        return [weak, member](const InputEvent& event) -> std::optional<InputEvent> {
            const auto self = weak.lock();
            return self ? ((*self).*member)(event) : std::optional(event);
        };
    };
    monitors.removeMonitor(localMonitor_);
    localMonitor_ = monitors.addLocalMonitor(kKeyEvents, local(&SwitcherController::handlePanelEvent));
    monitors.removeMonitor(globalMouseMonitor_);
    globalMouseMonitor_ = monitors.addGlobalMonitor(kOutsidePresses, [weak](const InputEvent& event) {
        const auto self = weak.lock();
        if (!self) return;
        if (event.type == EventType::mouseMoved) {
            self->followPanelToMouseScreenIfNeeded();
        } else {
            self->handleOutsideClick(event);
        }
    });
    monitors.removeMonitor(magnifyMonitor_);
    magnifyMonitor_ =
        monitors.addLocalMonitor(kMagnify, [weak](const InputEvent& event) -> std::optional<InputEvent> {
            if (const auto self = weak.lock()) self->applyMagnification(event.magnification);
            return std::nullopt;
        });
    monitors.removeMonitor(rightClickMonitor_);
    rightClickMonitor_ =
        monitors.addLocalMonitor(kButtonDowns, local(&SwitcherController::handleRightClickMonitorEvent));
    monitors.removeMonitor(panelInteractionMonitor_);
    panelInteractionMonitor_ =
        monitors.addLocalMonitor(kPanelInteraction, local(&SwitcherController::handlePanelInteraction));
}

void SwitcherController::removeMonitors() {
    for (auto* token : {&localMonitor_, &globalMouseMonitor_, &magnifyMonitor_, &rightClickMonitor_,
                        &panelInteractionMonitor_}) {
        if (token->id == 0) continue;
        platform_.eventMonitors.removeMonitor(*token);
        *token = EventMonitorToken{};
    }
}

bool SwitcherController::triggerHeld() const {
    return triggerMouseButtonHeld || triggerModifiersHeld(platform_.eventMonitors.modifierFlags());
}

// --- Keys ---

std::optional<InputEvent> SwitcherController::handlePanelEvent(const InputEvent& event) {
    if (!panel_ || !panel_->window().isVisible() || !navigator.value()) return event;
    resetIdleTimer();

    if (event.type == EventType::keyDown && searchKeyRoute(event) == SearchKeyRoute::searchField) {
        prepareSearchFieldForInput();
        // The field and the input method see the key without the trigger's modifiers.
        if (!triggerHeld()) return event;
        const auto trigger = triggerModifierMasks(services_.settings.triggerModifiers.value()).eventFlags;
        return event.copyWithFlags(event.flags & ~trigger).value_or(event);
    }
    if (event.type == EventType::keyDown && event.keyCode == kEscape) {
        close(true);
        return std::nullopt;
    }
    if (event.type == EventType::flagsChanged) {
        handleTriggerModifierFlagsChanged(event);
        return std::nullopt;
    }
    if (event.type == EventType::keyUp) {
        // The Tab up belongs to the Tab down, which the table took.
        return event.keyCode == kTab ? std::nullopt : std::optional(event);
    }
    if (event.type != EventType::keyDown) return event;

    const bool held = triggerHeld();
    if (applyKeyTable(event, held)) return std::nullopt;

    // Held letters come before the search.
    if (handleHeldModifierLetter(event.keyCode)) return std::nullopt;
    if ((event.flags & kEventFlagCommand) == 0) {
        if (const auto characters = searchCharacters(event)) {
            appendSearchText(*characters);
            return std::nullopt;
        }
    }
    if (!held) return event;
    // A Command trigger's chords would reach the application's menus; the others may pass.
    switch (services_.settings.triggerModifiers.value()) {
        case TriggerModifiers::option:
        case TriggerModifiers::control:
        case TriggerModifiers::controlOption:
            return event;
        case TriggerModifiers::command:
        case TriggerModifiers::optionCommand:
            return std::nullopt;
    }
    return event;
}

bool SwitcherController::applyKeyTable(const InputEvent& event, bool held) {
    const auto key = event.keyCode;
    const bool folderShown = folderPopover_.isShown();
    const bool windowsShown = dockAnchoredMenu_.showsWindowsList();
    const bool leftOrRight = key == kLeft || key == kRight;

    if (key == kDown && (folderShown || windowsShown)) {
        if (!held) closeOverlaysFromKeyboard();
        return true;
    }
    if (key == kUp && folderShown) {
        enterFolderFocusFromTop();
        return true;
    }
    if (leftOrRight && folderShown && folderFocusIndex_) {
        cycleFolderFocus(key == kRight);
        return true;
    }
    if (key == kUp && windowsShown) {
        dockAnchoredMenu_.enterWindowFocusFromTop();
        uiTick = uiTick.value() + 1;
        return true;
    }
    if (leftOrRight && windowsShown && dockAnchoredMenu_.model.focusedWindowIndex.value() >= 0) {
        dockAnchoredMenu_.moveWindowFocus(key == kRight);
        uiTick = uiTick.value() + 1;
        return true;
    }
    if (key >= kLeft && key <= kUp) {
        moveArrow(key);
        return true;
    }
    if (key == kReturn || key == kKeypadEnter) {
        if (!held) confirmCurrentSelection();
        return true;
    }
    if (key == kTab) {
        triggerTab((event.flags & kEventFlagShift) != 0, true);
        return true;
    }
    if (key == kSpace) {
        if (held) return true;
        if (folderShown || windowsShown) {
            closeOverlaysFromKeyboard();
            return true;
        }
        const auto model = navigator.value();
        const auto item = selectedDockItem();
        if (model && model->selection() && item && item->kind == DockItemKind::app && item->isRunning) {
            overlayOpenedFromKeyboard = true;
            presentDockAnchoredMenu(*item, *model->selection(), ContentMode::windowsOnly, std::nullopt);
        }
        return true;
    }
    if (key == kDelete) {
        if (!deleteSearchCharacter() && searchSurfaceUnderMouse() == SearchSurface::folder)
            folderNavigateBack();
        return true;
    }
    return false;
}

void SwitcherController::moveArrow(std::int64_t keyCode) {
    const auto model = navigator.value();
    if (!model) return;
    static constexpr DockNavigator::Direction directions[] = {
        DockNavigator::Direction::left, DockNavigator::Direction::right, DockNavigator::Direction::down,
        DockNavigator::Direction::up};
    model->move(directions[keyCode - kLeft], services_.settings.wrapWithinTier.value());
    uiTick = uiTick.value() + 1;
    syncPanelLayoutToSelection();
    scheduleSelectionDwellOverlay();
}

void SwitcherController::closeOverlaysFromKeyboard() {
    cancelKeyboardDwell();
    folderPopover_.close(true);
    dockAnchoredMenu_.close();
    windowPopover_.close();
    overlayOpenedFromKeyboard = false;
}

// --- Clicks ---

void SwitcherController::handleOutsideClick(const InputEvent& event) {
    if (triggerMouseButtonHeld) return;
    if (services_.settings.triggerMouseButtonMatches(MouseEvent{event.type, event.buttonNumber})) return;
    if (event.buttonNumber == kMiddleButton && autoModePanelRetained) return;
    if (dockAnchoredMenu_.model.windowActionMenuPointerInside.value()) return;
    platform_.scheduler.main().async([weak = weak_from_this()] {
        const auto self = weak.lock();
        if (!self) return;
        if (self->dockAnchoredMenu_.isShown()) {
            self->dockAnchoredMenu_.close();
        } else {
            self->close(true);
        }
    });
}

std::optional<CellPath> SwitcherController::hitCell(const InputEvent& event) const {
    if (!panel_) return std::nullopt;
    // The host view fills the panel and counts from its top.
    const double height = panel_->window().frame().height;
    return cellPath(Point{event.locationInWindow.x, height - event.locationInWindow.y});
}

std::optional<InputEvent> SwitcherController::handleRightClickMonitorEvent(const InputEvent& event) {
    if (event.type == EventType::leftMouseDown) {
        const auto& presented = dockAnchoredMenu_.model.presentedItemID.value();
        const auto model = navigator.value();
        if (!presented || !model) return event;
        const auto& items = model->snapshot().items;
        const auto item = std::ranges::find(items, *presented, &DockItem::itemID);
        if (item != items.end() && dockAnchoredMenu_.handleWindowsListLeftMouseDown(event, *item))
            return std::nullopt;
        return event;
    }
    if (dockAnchoredMenu_.handleWindowsListRightMouseDown(event)) return std::nullopt;
    if (panel_ && windowPopover_.handleListRightMouseDown(event, panel_->window())) return std::nullopt;
    if (!panel_ || event.windowNumber != panel_->window().windowNumber() || folderPopover_.isShown())
        return event;
    const auto path = hitCell(event);
    const auto found = path ? cell(*path) : std::nullopt;
    const auto* item = found ? found->asItem() : nullptr;
    if (!item) return event;
    const auto chosen = *item;
    selectPath(*path);
    presentDockContextMenu(chosen, *path, event);
    return std::nullopt;
}

std::optional<InputEvent> SwitcherController::handlePanelInteraction(const InputEvent& event) {
    if (event.type == EventType::mouseMoved) {
        followPanelToMouseScreenIfNeeded();
        return event;
    }
    if (event.type == EventType::leftMouseDown && panel_ &&
        event.windowNumber == panel_->window().windowNumber()) {
        if (!hitCell(event)) dismissSubDisplaysFromEmptyClick();
    }
    if (event.type == EventType::scrollWheel) {
        if (!panel_ || !navigator.value() || wheelShouldScrollOnly()) return event;
        const auto next = wheelStepDirection(event);
        if (!next) return event;
        applyWheelStep(*next);
        return std::nullopt;
    }
    if (event.type == EventType::otherMouseDown) return handleMiddleButtonOnPanel(event);
    return event;
}

std::optional<InputEvent> SwitcherController::handleMiddleButtonOnPanel(const InputEvent& event) {
    if (!panel_ || event.windowNumber != panel_->window().windowNumber() || !navigator.value() ||
        event.buttonNumber != kMiddleButton)
        return event;
    if (autoModePanelRetained) {
        confirmCurrentSelection();
        return std::nullopt;
    }
    const auto item = selectedDockItem();
    if (!dockAnchoredMenu_.showsWindowsList() || !item) return event;
    platform_.scheduler.main().async([weak = weak_from_this(), item = *item] {
        if (const auto self = weak.lock())
            startTask(self->platform_.scheduler.main(), self->dockAnchoredMenu_.activateFocusedWindow(item));
    });
    return std::nullopt;
}

// --- Wheel and pinch ---

std::optional<bool> SwitcherController::wheelStepDirection(const InputEvent& event) {
    if (event.momentumPhase != 0) return std::nullopt;
    if (event.hasPreciseScrollingDeltas) {
        if (event.phase == 0) return std::nullopt;
        if ((event.phase & (kScrollPhaseEnded | kScrollPhaseCancelled)) != 0) {
            wheelConsumedThisGesture = false;
            return std::nullopt;
        }
        if (wheelConsumedThisGesture) return std::nullopt;
    } else {
        const double now = seconds(platform_.scheduler.clock().uptime());
        if (now - lastDiscreteWheelAt < kDiscreteWheelSpacing) return std::nullopt;
        lastDiscreteWheelAt = now;
    }
    const double delta = event.scrollingDeltaY != 0 ? event.scrollingDeltaY : event.scrollingDeltaX;
    if (std::abs(delta) < kSmallestWheelDelta) return std::nullopt;
    // A gesture's one step is taken by the first event that moves enough, not merely by its first event.
    if (event.hasPreciseScrollingDeltas) wheelConsumedThisGesture = true;
    return delta < 0;
}

void SwitcherController::applyMagnification(double magnification) {
    if (!panel_) return;
    const double size = std::clamp(std::round(panelIconSize.value() * (1 + magnification)), minPanelIconSize,
                                   maxPanelIconSize);
    panelIconSize = size;
    platform_.standardDefaults.set(kPanelIconSizeKey, PlistValue(size));
    fitPanelToContent();
    if (folderPopover_.isShown()) folderPopover_.updateContent(folderStack_, folderFocusIndex_, size);
    centreInTargetScreen();
    uiTick = uiTick.value() + 1;
}

// --- The search field ---

void SwitcherController::installSearchField(SwitcherPanel& panel) {
    auto field = std::make_shared<SwitcherSearchField>(Rect{}, platform_.textInput);
    field->window = &panel.window();
    const std::weak_ptr<SwitcherController> weak = weak_from_this();
    field->onTextChange = [weak](const std::string& text) {
        if (const auto self = weak.lock()) self->noteSearchFieldText(text);
    };
    field->onDelete = [weak] {
        if (const auto self = weak.lock()) self->deleteSearchCharacter();
    };
    field->onPlainInsert = [weak](const std::string& text) {
        if (const auto self = weak.lock()) {
            self->queuedSearchText_.reset();
            self->appendSearchText(text);
        }
    };
    field->compositionRect = [weak] {
        const auto self = weak.lock();
        return self ? self->compositionRect() : Rect{};
    };
    searchField_ = field;
    panel.searchInput = field;
    positionSearchField();
    panel.makeFirstResponderUnlocked(field.get());
    panel.locksSearchInput = true;
}

}  // namespace tavelin
