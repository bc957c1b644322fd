#include "platform/ui/GeometryReaderNode.h"

#include "platform/ui/LayoutContext.h"

namespace tavelin::ui {

View geometryReader(std::function<View(const GeometryProxy&)> content) {
    return View(std::make_shared<GeometryReaderNode>(std::move(content)));
}

Rect GeometryProxy::frame(std::string_view space) const {
    const Point origin = innermostOrigin(enclosingSpaces, space);
    return Rect{frameInHost.x - origin.x, frameInHost.y - origin.y, frameInHost.width, frameInHost.height};
}

Size GeometryReaderNode::sizeThatFits(ProposedSize proposal, LayoutContext&) const {
    return {proposal.width.value_or(0), proposal.height.value_or(0)};
}

void GeometryReaderNode::placeContent(const Rect& frame, ProposedSize, LayoutContext& context) const {
    const GeometryProxy proxy{{frame.width, frame.height}, frame, context.enclosingSpaces()};
    const View content = content_(proxy);
    content.node().placeAligned({frame.width, frame.height}, Alignment::topLeading(), frame, context);
}

}  // namespace tavelin::ui
