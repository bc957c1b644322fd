#pragma once

// Shapes filled with a colour or a material.

#include "platform/ui/Color.h"
#include "platform/ui/DisplayList.h"
#include "platform/ui/Node.h"

namespace tavelin::ui {

// Rule: takes the whole proposal (a dimension without one is 0) and fills it. A clear fill draws
// nothing, yet the shape still takes clicks where it lies; a material is resolved by the colour scheme.
class ShapeNode final : public NodeOf<ShapeNode> {
  public:
    ShapeNode(Shape shape, Fill fill) : shape_(shape), fill_(fill) {}

  protected:
    Size sizeThatFits(ProposedSize proposal, LayoutContext& context) const override;
    void placeContent(const Rect& frame, ProposedSize proposal, LayoutContext& context) const override;

  private:
    Shape shape_;
    Fill fill_;
};

View rectangle(Fill fill);
// "Continuous" corners are drawn as circular arcs of the radius.
View roundedRectangle(double cornerRadius, Fill fill);
View capsule(Fill fill);

}  // namespace tavelin::ui
