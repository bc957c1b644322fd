#include "platform/ui/Node.h"

#include "platform/ui/FrameNodes.h"
#include "platform/ui/LayerNodes.h"
#include "platform/ui/LayoutContext.h"
#include "platform/ui/Palette.h"
#include "platform/ui/StackNodes.h"

namespace tavelin::ui {

Size Node::measure(ProposedSize proposal, LayoutContext& context) const {
    if (memoPass_ == context.pass() && memoProposal_ == proposal) return memoSize_;
    const Size size = sizeThatFits(proposal, context);
    memoPass_ = context.pass();
    memoProposal_ = proposal;
    memoSize_ = size;
    return size;
}

void Node::place(Rect frame, ProposedSize proposal, LayoutContext& context) const {
    frame.x += attributes.offset.x;
    frame.y += attributes.offset.y;
    const LayoutContext::NodeScope scope(context, attributes, frame);
    placeContent(frame, proposal, context);
}

void Node::placeAligned(ProposedSize proposal, Alignment alignment, const Rect& bounds, LayoutContext& context) const {
    const Size size = measure(proposal, context);
    const Point origin = alignment.place(size, bounds);
    place(Rect{origin.x, origin.y, size.width, size.height}, proposal, context);
}

View::View() : node_(std::make_shared<EmptyNode>()) {}

View View::frame(std::optional<double> width, std::optional<double> height, Alignment alignment) const {
    return View(std::make_shared<FixedFrameNode>(node_, width, height, alignment));
}

View View::frame(const FlexibleFrame& bounds, Alignment alignment) const {
    return View(std::make_shared<FlexibleFrameNode>(node_, bounds, alignment));
}

View View::padding(EdgeInsets insets) const { return View(std::make_shared<PaddingNode>(node_, insets)); }

View View::padding() const { return padding(kStandardPadding); }

View View::overlay(View content, Alignment alignment) const {
    return View(std::make_shared<LayerNode>(node_, content.node_, alignment, LayerNode::Placement::overlay));
}

View View::background(View content, Alignment alignment) const {
    return View(std::make_shared<LayerNode>(node_, content.node_, alignment, LayerNode::Placement::background));
}

View View::withAttributes(const std::function<void(ViewAttributes&)>& change) const {
    std::shared_ptr<Node> copy = node_->clone();
    change(copy->attributes);
    return View(std::move(copy));
}

View View::offset(double x, double y) const {
    return withAttributes([&](ViewAttributes& a) { a.offset = {a.offset.x + x, a.offset.y + y}; });
}

View View::opacity(double opacity) const {
    return withAttributes([&](ViewAttributes& a) { a.opacity *= opacity; });
}

View View::zIndex(double zIndex) const {
    return withAttributes([&](ViewAttributes& a) { a.zIndex = zIndex; });
}

View View::shadow(Shadow shadow) const {
    return withAttributes([&](ViewAttributes& a) { a.shadow = shadow; });
}

View View::animation(Animation animation) const {
    return withAttributes([&](ViewAttributes& a) { a.animation = animation; });
}

View View::accessibilityHidden() const {
    return withAttributes([](ViewAttributes& a) { a.accessibilityHidden = true; });
}

View View::allowsHitTesting(bool allows) const {
    return withAttributes([&](ViewAttributes& a) { a.allowsHitTesting = allows; });
}

View View::id(ViewID id) const {
    return withAttributes([&](ViewAttributes& a) { a.id = std::move(id); });
}

View View::coordinateSpace(std::string name) const {
    return withAttributes([&](ViewAttributes& a) { a.coordinateSpace = std::move(name); });
}

View View::onTap(std::function<void()> action) const {
    return withAttributes([&](ViewAttributes& a) { a.onTap = std::move(action); });
}

View View::onHover(std::function<void(const HoverPhase&)> action) const {
    return withAttributes([&](ViewAttributes& a) { a.onHover = std::move(action); });
}

View View::onDrop(std::shared_ptr<DropDelegate> delegate) const {
    return withAttributes([&](ViewAttributes& a) { a.dropDelegate = std::move(delegate); });
}

View View::onContextMenu(std::function<void()> action) const {
    return withAttributes([&](ViewAttributes& a) { a.onContextMenu = std::move(action); });
}

View View::reportingFrame(FrameReport report) const {
    return withAttributes([&](ViewAttributes& a) { a.frameReports.push_back(std::move(report)); });
}

}  // namespace tavelin::ui
