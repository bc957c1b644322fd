#pragma once

// Stacks, and the empty view that stacks leave out.

#include <memory>
#include <vector>

#include "platform/ui/Node.h"

namespace tavelin::ui {

// Nothing: takes no room, draws nothing, and a stack passes over it as if it were not there (no spacing
// around it).
class EmptyNode final : public NodeOf<EmptyNode> {
  public:
    bool isEmpty() const override { return true; }

  protected:
    Size sizeThatFits(ProposedSize, LayoutContext&) const override { return {}; }
    void placeContent(const Rect&, ProposedSize, LayoutContext&) const override {}
};

View emptyView();

// A horizontal or vertical stack. Rule along its axis: takes away the spacings from the proposal, then
// proposes to each child in order an equal share of what is left (no proposal stays none) and takes
// what the child answers from what is left; across the axis, proposes the parent's proposal. Takes the
// sum of the children's lengths and spacings, and the largest child across. Places the children in
// order, `spacing` apart, each aligned across the axis. Children are drawn (and lie for the pointer)
// in the order of their z-index, equal ones in their order in the stack.
class StackNode final : public NodeOf<StackNode> {
  public:
    enum class Axis { horizontal, vertical };

    StackNode(Axis axis, double spacing, Alignment alignment, std::vector<std::shared_ptr<const Node>> children)
        : axis_(axis), spacing_(spacing), alignment_(alignment), children_(std::move(children)) {}

  protected:
    Size sizeThatFits(ProposedSize proposal, LayoutContext& context) const override;
    void placeContent(const Rect& frame, ProposedSize proposal, LayoutContext& context) const override;

  private:
    // With `proposals`, also what each child was offered.
    std::vector<Size> childSizes(ProposedSize proposal, LayoutContext& context,
                                 std::vector<ProposedSize>* proposals = nullptr) const;

    Axis axis_;
    double spacing_;
    Alignment alignment_;
    std::vector<std::shared_ptr<const Node>> children_;
};

// Rule: proposes its proposal to every child; takes the largest width and the largest height among
// them; places each child by the alignment in its frame. Drawn in the order of z-index, then of the
// children.
class ZStackNode final : public NodeOf<ZStackNode> {
  public:
    ZStackNode(Alignment alignment, std::vector<std::shared_ptr<const Node>> children)
        : alignment_(alignment), children_(std::move(children)) {}

  protected:
    Size sizeThatFits(ProposedSize proposal, LayoutContext& context) const override;
    void placeContent(const Rect& frame, ProposedSize proposal, LayoutContext& context) const override;

  private:
    Alignment alignment_;
    std::vector<std::shared_ptr<const Node>> children_;
};

View hstack(double spacing, const std::vector<View>& children, VerticalAlignment alignment = VerticalAlignment::center);
View vstack(double spacing, const std::vector<View>& children,
            HorizontalAlignment alignment = HorizontalAlignment::center);
View zstack(const std::vector<View>& children, Alignment alignment = {});

// The order in which children are drawn: by z-index, equal ones as they come.
std::vector<std::size_t> drawingOrder(const std::vector<std::shared_ptr<const Node>>& children);

}  // namespace tavelin::ui
