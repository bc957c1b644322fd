#include "platform/ui/Host.h"

#include "platform/ui/LayoutContext.h"
#include "platform/ui/TextMeasurer.h"

namespace tavelin::ui {
namespace {

Point local(Point point, const Interaction& interaction) {
    return {point.x - interaction.frame.x, point.y - interaction.frame.y};
}

}  // namespace

Host::Host(std::shared_ptr<const TextMeasurer> measurer, Builder builder)
    : measurer_(std::move(measurer)), builder_(std::move(builder)) {}

void Host::layOut() {
    const BuildContext build{environment_, state_, *measurer_};
    const View root = builder_(build);
    LayoutResult result;
    result.size = size_;
    LayoutContext context(*measurer_, environment_, state_, result);
    root.node().placeAligned({size_.width, size_.height}, Alignment::center(), Rect{0, 0, size_.width, size_.height},
                             context);
    result_ = std::move(result);
}

const LayoutResult& Host::update() {
    for (int pass = 0; pass < kMaxPassesPerUpdate; ++pass) {
        layOut();
        bool changed = false;
        for (auto& handler : handlers_) changed = handler(result_) || changed;
        if (!changed) break;
    }
    return result_;
}

const Interaction* Host::interactionAt(Point point, int HitRegion::*kind) const {
    const HitRegion* region = result_.hitTest(point);
    if (region == nullptr || region->*kind < 0) return nullptr;
    return &result_.interactions[static_cast<std::size_t>(region->*kind)];
}

void Host::mouseDown(Point point) {
    const Interaction* target = interactionAt(point, &HitRegion::tap);
    pressed_ = target ? std::optional(target->key) : std::nullopt;
}

void Host::mouseUp(Point point) {
    const std::optional<std::string> pressed = std::exchange(pressed_, std::nullopt);
    const Interaction* target = interactionAt(point, &HitRegion::tap);
    // Copied first: an action may update the host, which replaces the interactions.
    if (target && pressed == target->key) std::function<void()>(target->onTap)();
}

void Host::rightMouseDown(Point point) {
    if (const Interaction* target = interactionAt(point, &HitRegion::contextMenu)) {
        std::function<void()>(target->onContextMenu)();
    }
}

void Host::mouseMoved(Point point) {
    const Interaction* target = interactionAt(point, &HitRegion::hover);
    if (hovered_ && (!target || target->key != hovered_->key)) {
        const Interaction left = *std::exchange(hovered_, std::nullopt);
        left.onHover(HoverPhase{false, {}});
    }
    if (!target) return;
    hovered_ = *target;
    hovered_->onHover(HoverPhase{true, local(point, *target)});
}

void Host::mouseExited() {
    if (!hovered_) return;
    const Interaction left = *std::exchange(hovered_, std::nullopt);
    left.onHover(HoverPhase{false, {}});
}

DropOperation Host::dragUpdated(const DragInfo& drag) {
    const Point point = drag.location;
    const Interaction* target = interactionAt(point, &HitRegion::drop);
    const bool same = target && dropTarget_ && target->key == dropTarget_->key;
    if (dropTarget_ && !same) {
        const Interaction left = *std::exchange(dropTarget_, std::nullopt);
        left.dropDelegate->dropExited(DropInfo{local(point, left), drag.itemProviders});
    }
    if (!target) return DropOperation::forbidden;
    const DropInfo info{local(point, *target), drag.itemProviders};
    const std::shared_ptr<DropDelegate> delegate = target->dropDelegate;
    if (!same) {
        dropTarget_ = *target;
        delegate->dropEntered(info);
    }
    return delegate->dropUpdated(info);
}

void Host::dragExited() {
    if (!dropTarget_) return;
    const Interaction left = *std::exchange(dropTarget_, std::nullopt);
    left.dropDelegate->dropExited(DropInfo{});
}

bool Host::performDrop(const DragInfo& drag) {
    dropTarget_.reset();
    const Interaction* target = interactionAt(drag.location, &HitRegion::drop);
    if (!target) return false;
    const std::shared_ptr<DropDelegate> delegate = target->dropDelegate;
    return delegate->performDrop(DropInfo{local(drag.location, *target), drag.itemProviders});
}

}  // namespace tavelin::ui
