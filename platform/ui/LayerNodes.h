#pragma once

// Overlay and background: a second view laid over or under a base view, without changing its size.

#include <memory>

#include "platform/ui/Node.h"

namespace tavelin::ui {

// Rule: takes the base's size; proposes exactly that size to the layer and places the layer by the
// alignment within the base's frame (a larger layer overhangs). An overlay is drawn after the base and
// lies above it for the pointer; a background is drawn before it.
class LayerNode final : public NodeOf<LayerNode> {
  public:
    enum class Placement { overlay, background };

    LayerNode(std::shared_ptr<const Node> base, std::shared_ptr<const Node> layer, Alignment alignment,
              Placement placement)
        : base_(std::move(base)), layer_(std::move(layer)), alignment_(alignment), placement_(placement) {}

  protected:
    Size sizeThatFits(ProposedSize proposal, LayoutContext& context) const override;
    void placeContent(const Rect& frame, ProposedSize proposal, LayoutContext& context) const override;

  private:
    std::shared_ptr<const Node> base_;
    std::shared_ptr<const Node> layer_;
    Alignment alignment_;
    Placement placement_;
};

}  // namespace tavelin::ui
