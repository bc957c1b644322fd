#include "platform/ui/ScrollViewNode.h"

#include <algorithm>

#include "platform/ui/LayoutContext.h"
#include "platform/ui/Palette.h"
#include "platform/ui/StateStore.h"

namespace tavelin::ui {

View scrollView(View content, ScrollOptions options) {
    return View(std::make_shared<ScrollViewNode>(content.shared(), std::move(options)));
}

Size ScrollViewNode::sizeThatFits(ProposedSize proposal, LayoutContext& context) const {
    if (proposal.width && proposal.height) return {*proposal.width, *proposal.height};
    const Size content = content_->measure({proposal.width, std::nullopt}, context);
    return {proposal.width.value_or(content.width), proposal.height.value_or(content.height)};
}

void ScrollViewNode::scrollToTarget(ScrollState& state, Size content, const Rect& frame,
                                    LayoutContext& context) const {
    const std::optional<ViewID> target = options_.scrollTarget;
    if (target == state.lastTarget) return;
    state.lastTarget = target;
    if (!target) return;
    LayoutResult scratch;
    LayoutContext probe = context.fork(scratch);
    content_->place(Rect{0, 0, content.width, content.height}, {frame.width, std::nullopt}, probe);
    const ViewRecord* found = scratch.view(*target);
    if (found == nullptr) return;
    const Rect& shown = found->frame;
    if (shown.y < state.offset || shown.height > frame.height) {
        state.offset = shown.y;
    } else if (shown.maxY() > state.offset + frame.height) {
        state.offset = shown.maxY() - frame.height;
    }
}

void ScrollViewNode::drawIndicator(const Rect& frame, Size content, double offset, LayoutContext& context) const {
    const double track = frame.height - 2 * kScrollIndicatorInset;
    const double length = std::clamp(track * frame.height / content.height, std::min(kScrollIndicatorMinLength, track), track);
    const double travel = content.height - frame.height;
    const double y = frame.y + kScrollIndicatorInset + (track - length) * (offset / travel);
    const Rect knob{frame.maxX() - kScrollIndicatorInset - kScrollIndicatorWidth, y, kScrollIndicatorWidth, length};
    context.draw(FillShapeOp{knob, Shape{ShapeKind::capsule, 0}, scrollIndicatorColor(context.environment().colorScheme)});
}

void ScrollViewNode::placeContent(const Rect& frame, ProposedSize, LayoutContext& context) const {
    const Size content = content_->measure({frame.width, std::nullopt}, context);
    ScrollState& state = context.state().value<ScrollState>("scroll/" + options_.stateID);
    scrollToTarget(state, content, frame, context);
    const double overhang = std::max(0.0, content.height - frame.height);
    state.offset = std::clamp(state.offset, 0.0, overhang);

    if (options_.clips) context.pushClip(frame);
    const double x = frame.x + (frame.width - content.width) / 2;
    content_->place(Rect{x, frame.y - state.offset, content.width, content.height}, {frame.width, std::nullopt},
                    context);
    if (options_.clips) context.popClip();
    if (options_.showsIndicators && overhang > 0) drawIndicator(frame, content, state.offset, context);
}

}  // namespace tavelin::ui
