#include "platform/ui/ShapeNode.h"

#include "platform/ui/LayoutContext.h"
#include "platform/ui/Palette.h"

namespace tavelin::ui {

View rectangle(Fill fill) { return View(std::make_shared<ShapeNode>(Shape{ShapeKind::rectangle, 0}, fill)); }

View roundedRectangle(double cornerRadius, Fill fill) {
    return View(std::make_shared<ShapeNode>(Shape{ShapeKind::roundedRectangle, cornerRadius}, fill));
}

View capsule(Fill fill) { return View(std::make_shared<ShapeNode>(Shape{ShapeKind::capsule, 0}, fill)); }

Size ShapeNode::sizeThatFits(ProposedSize proposal, LayoutContext&) const {
    return {proposal.width.value_or(0), proposal.height.value_or(0)};
}

void ShapeNode::placeContent(const Rect& frame, ProposedSize, LayoutContext& context) const {
    const Color color = resolve(fill_, context.environment().colorScheme);
    if (!color.isClear()) context.draw(FillShapeOp{frame, shape_, color});
    context.addHitRegion(frame);
}

}  // namespace tavelin::ui
