#include "platform/ui/StackNodes.h"

#include <algorithm>
#include <numeric>

#include "platform/ui/LayoutContext.h"

namespace tavelin::ui {
namespace {

std::vector<std::shared_ptr<const Node>> presentChildren(const std::vector<View>& children) {
    std::vector<std::shared_ptr<const Node>> nodes;
    nodes.reserve(children.size());
    for (const View& child : children) {
        if (!child.isEmpty()) nodes.push_back(child.shared());
    }
    return nodes;
}

}  // namespace

View emptyView() { return View(); }

View hstack(double spacing, const std::vector<View>& children, VerticalAlignment alignment) {
    return View(std::make_shared<StackNode>(StackNode::Axis::horizontal, spacing,
                                            Alignment{HorizontalAlignment::center, alignment},
                                            presentChildren(children)));
}

View vstack(double spacing, const std::vector<View>& children, HorizontalAlignment alignment) {
    return View(std::make_shared<StackNode>(StackNode::Axis::vertical, spacing,
                                            Alignment{alignment, VerticalAlignment::center},
                                            presentChildren(children)));
}

View zstack(const std::vector<View>& children, Alignment alignment) {
    return View(std::make_shared<ZStackNode>(alignment, presentChildren(children)));
}

std::vector<std::size_t> drawingOrder(const std::vector<std::shared_ptr<const Node>>& children) {
    std::vector<std::size_t> order(children.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    const bool layered = std::any_of(children.begin(), children.end(),
                                     [](const auto& child) { return child->attributes.zIndex != 0; });
    if (layered) {
        std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            return children[a]->attributes.zIndex < children[b]->attributes.zIndex;
        });
    }
    return order;
}

std::vector<Size> StackNode::childSizes(ProposedSize proposal, LayoutContext& context,
                                        std::vector<ProposedSize>* proposals) const {
    const bool horizontal = axis_ == Axis::horizontal;
    const std::optional<double> along = horizontal ? proposal.width : proposal.height;
    const std::optional<double> across = horizontal ? proposal.height : proposal.width;
    const std::size_t count = children_.size();
    std::optional<double> left;
    if (along && count > 0) left = *along - spacing_ * static_cast<double>(count - 1);

    std::vector<Size> sizes;
    sizes.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        std::optional<double> share;
        if (left) share = std::max(0.0, *left) / static_cast<double>(count - i);
        const ProposedSize childProposal = horizontal ? ProposedSize{share, across} : ProposedSize{across, share};
        const Size size = children_[i]->measure(childProposal, context);
        if (proposals != nullptr) proposals->push_back(childProposal);
        if (left) *left -= horizontal ? size.width : size.height;
        sizes.push_back(size);
    }
    return sizes;
}

Size StackNode::sizeThatFits(ProposedSize proposal, LayoutContext& context) const {
    if (children_.empty()) return {};
    const bool horizontal = axis_ == Axis::horizontal;
    double length = spacing_ * static_cast<double>(children_.size() - 1);
    double thickness = 0;
    for (const Size& size : childSizes(proposal, context)) {
        length += horizontal ? size.width : size.height;
        thickness = std::max(thickness, horizontal ? size.height : size.width);
    }
    return horizontal ? Size{length, thickness} : Size{thickness, length};
}

void StackNode::placeContent(const Rect& frame, ProposedSize proposal, LayoutContext& context) const {
    const bool horizontal = axis_ == Axis::horizontal;
    std::vector<ProposedSize> proposals;
    const std::vector<Size> sizes = childSizes(proposal, context, &proposals);
    std::vector<Rect> frames;
    frames.reserve(sizes.size());
    double along = horizontal ? frame.x : frame.y;
    for (const Size& size : sizes) {
        // Across the axis only: the alignment's component along it is spent by the running position.
        const Point aligned = alignment_.place(size, frame);
        frames.push_back(horizontal ? Rect{along, aligned.y, size.width, size.height}
                                    : Rect{aligned.x, along, size.width, size.height});
        along += (horizontal ? size.width : size.height) + spacing_;
    }
    for (const std::size_t i : drawingOrder(children_)) children_[i]->place(frames[i], proposals[i], context);
}

Size ZStackNode::sizeThatFits(ProposedSize proposal, LayoutContext& context) const {
    Size result;
    for (const auto& child : children_) {
        const Size size = child->measure(proposal, context);
        result.width = std::max(result.width, size.width);
        result.height = std::max(result.height, size.height);
    }
    return result;
}

void ZStackNode::placeContent(const Rect& frame, ProposedSize proposal, LayoutContext& context) const {
    for (const std::size_t i : drawingOrder(children_)) children_[i]->placeAligned(proposal, alignment_, frame, context);
}

}  // namespace tavelin::ui
