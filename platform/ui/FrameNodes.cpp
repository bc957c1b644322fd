#include "platform/ui/FrameNodes.h"

#include <algorithm>

#include "platform/ui/LayoutContext.h"

namespace tavelin::ui {
namespace {

std::optional<double> within(std::optional<double> value, std::optional<double> low, std::optional<double> high) {
    if (!value) return std::nullopt;
    double v = *value;
    if (low) v = std::max(v, *low);
    if (high) v = std::min(v, *high);
    return v;
}

double flexibleSide(std::optional<double> offered, double child, std::optional<double> low,
                    std::optional<double> high) {
    const double room = offered.value_or(child);
    double side = child;
    if (low) side = std::max(*low, std::min(side, room));
    if (high) side = std::min(*high, std::max(side, room));
    return side;
}

}  // namespace

ProposedSize FixedFrameNode::childProposal(ProposedSize proposal) const {
    return {width_ ? width_ : proposal.width, height_ ? height_ : proposal.height};
}

Size FixedFrameNode::sizeThatFits(ProposedSize proposal, LayoutContext& context) const {
    const Size child = child_->measure(childProposal(proposal), context);
    return {width_.value_or(child.width), height_.value_or(child.height)};
}

void FixedFrameNode::placeContent(const Rect& frame, ProposedSize proposal, LayoutContext& context) const {
    child_->placeAligned(childProposal(proposal), alignment_, frame, context);
}

ProposedSize FlexibleFrameNode::childProposal(ProposedSize proposal) const {
    return {within(proposal.width, bounds_.minWidth, bounds_.maxWidth),
            within(proposal.height, bounds_.minHeight, bounds_.maxHeight)};
}

Size FlexibleFrameNode::sizeThatFits(ProposedSize proposal, LayoutContext& context) const {
    const ProposedSize offered = childProposal(proposal);
    const Size child = child_->measure(offered, context);
    return {flexibleSide(offered.width, child.width, bounds_.minWidth, bounds_.maxWidth),
            flexibleSide(offered.height, child.height, bounds_.minHeight, bounds_.maxHeight)};
}

void FlexibleFrameNode::placeContent(const Rect& frame, ProposedSize proposal, LayoutContext& context) const {
    child_->placeAligned(childProposal(proposal), alignment_, frame, context);
}

ProposedSize PaddingNode::childProposal(ProposedSize proposal) const {
    ProposedSize inner;
    if (proposal.width) inner.width = std::max(0.0, *proposal.width - insets_.leading - insets_.trailing);
    if (proposal.height) inner.height = std::max(0.0, *proposal.height - insets_.top - insets_.bottom);
    return inner;
}

Size PaddingNode::sizeThatFits(ProposedSize proposal, LayoutContext& context) const {
    const Size child = child_->measure(childProposal(proposal), context);
    return {child.width + insets_.leading + insets_.trailing, child.height + insets_.top + insets_.bottom};
}

void PaddingNode::placeContent(const Rect& frame, ProposedSize proposal, LayoutContext& context) const {
    const ProposedSize inner = childProposal(proposal);
    const Size child = child_->measure(inner, context);
    child_->place(Rect{frame.x + insets_.leading, frame.y + insets_.top, child.width, child.height}, inner, context);
}

}  // namespace tavelin::ui
