#include "platform/ui/LayerNodes.h"

#include "platform/ui/LayoutContext.h"

namespace tavelin::ui {

Size LayerNode::sizeThatFits(ProposedSize proposal, LayoutContext& context) const {
    return base_->measure(proposal, context);
}

void LayerNode::placeContent(const Rect& frame, ProposedSize proposal, LayoutContext& context) const {
    const auto placeLayer = [&] { layer_->placeAligned({frame.width, frame.height}, alignment_, frame, context); };
    if (placement_ == Placement::background) placeLayer();
    base_->place(frame, proposal, context);
    if (placement_ == Placement::overlay) placeLayer();
}

}  // namespace tavelin::ui
