#include "platform/sim/SimPointerRouter.h"

#include <utility>

namespace tavelin::sim {
namespace {

Point localPoint(const Rect& frame, Point screen) { return {screen.x - frame.x, frame.maxY() - screen.y}; }

}  // namespace

std::optional<SimPointerRouter::Target> SimPointerRouter::panel(OwnWindowNumber number, Point screen) const {
    for (const auto& state : windows_.panels()) {
        if (state.number != number) continue;
        if (!state.visible || state.released || !state.pointerInput) return std::nullopt;
        return Target{state.number, state.pointerInput, localPoint(state.frame, screen)};
    }
    return std::nullopt;
}

std::optional<SimPointerRouter::Target> SimPointerRouter::panelAt(Point screen) const {
    // The highest level wins; of one level, the panel made last.
    std::optional<SimAppWindows::PanelState> top;
    for (const auto& state : windows_.panels()) {
        if (!state.visible || state.released || !state.pointerInput ||
            !mouseInRect(screen, state.frame, false))
            continue;
        if (!top || state.level >= top->level) top = state;
    }
    if (!top) return std::nullopt;
    return Target{top->number, top->pointerInput, localPoint(top->frame, screen)};
}

void SimPointerRouter::leaveHovered() {
    const auto left = std::exchange(hovered_, std::nullopt);
    if (!left) return;
    if (const auto target = panel(*left, {})) target->view->mouseExited();
}

void SimPointerRouter::deliver(const InputEvent& event) {
    const auto under = panelAt(event.location);
    switch (event.type) {
        case EventType::leftMouseDown:
            pressed_ = under ? std::optional(under->number) : std::nullopt;
            if (under) under->view->mouseDown(under->local);
            break;
        case EventType::leftMouseUp:
            if (const auto pressed = std::exchange(pressed_, std::nullopt)) {
                if (const auto target = panel(*pressed, event.location)) target->view->mouseUp(target->local);
            }
            break;
        case EventType::rightMouseDown:
            if (under) under->view->rightMouseDown(under->local);
            break;
        case EventType::mouseMoved:
            if (!under || hovered_ != under->number) leaveHovered();
            if (under) {
                hovered_ = under->number;
                under->view->mouseMoved(under->local);
            }
            break;
        default:
            break;
    }
}

DropOperation SimPointerRouter::dragMoved(const DragInfo& drag) {
    const auto under = panelAt(drag.location);
    if (dragged_ && (!under || under->number != *dragged_)) dragExited();
    if (!under) return DropOperation::forbidden;
    dragged_ = under->number;
    return under->view->dragUpdated(DragInfo{under->local, drag.itemProviders});
}

void SimPointerRouter::dragExited() {
    const auto left = std::exchange(dragged_, std::nullopt);
    if (!left) return;
    if (const auto target = panel(*left, {})) target->view->dragExited();
}

bool SimPointerRouter::drop(const DragInfo& drag) {
    dragged_.reset();
    const auto under = panelAt(drag.location);
    return under && under->view->performDrop(DragInfo{under->local, drag.itemProviders});
}

}  // namespace tavelin::sim
