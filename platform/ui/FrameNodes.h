#pragma once

// Frames and padding: nodes that change what their one child is offered and how much room it gets.

#include <memory>
#include <optional>

#include "platform/ui/Node.h"

namespace tavelin::ui {

// A fixed frame. Rule: proposes its given dimensions, and the parent's proposal for the others; takes
// its given dimensions, and the child's size in the others; places the child by its alignment (a child
// larger than the frame overhangs it evenly, as alignment puts it).
class FixedFrameNode final : public NodeOf<FixedFrameNode> {
  public:
    FixedFrameNode(std::shared_ptr<const Node> child, std::optional<double> width, std::optional<double> height,
                   Alignment alignment)
        : child_(std::move(child)), width_(width), height_(height), alignment_(alignment) {}

  protected:
    Size sizeThatFits(ProposedSize proposal, LayoutContext& context) const override;
    void placeContent(const Rect& frame, ProposedSize proposal, LayoutContext& context) const override;

  private:
    ProposedSize childProposal(ProposedSize proposal) const;

    std::shared_ptr<const Node> child_;
    std::optional<double> width_;
    std::optional<double> height_;
    Alignment alignment_;
};

// A frame with bounds. Rule, in each dimension: offers the child the parent's proposal raised to the
// minimum and cut to the maximum (no proposal stays none). With the child's answer c and the offer o
// (c when there is none), takes c; with a minimum m, max(m, min(c, o)); then with a maximum M,
// min(M, max(that, o)). So a maximum of infinity fills what is offered, and a minimum alone never lets
// the frame fall below it. Places the child by the alignment.
class FlexibleFrameNode final : public NodeOf<FlexibleFrameNode> {
  public:
    FlexibleFrameNode(std::shared_ptr<const Node> child, FlexibleFrame bounds, Alignment alignment)
        : child_(std::move(child)), bounds_(bounds), alignment_(alignment) {}

  protected:
    Size sizeThatFits(ProposedSize proposal, LayoutContext& context) const override;
    void placeContent(const Rect& frame, ProposedSize proposal, LayoutContext& context) const override;

  private:
    ProposedSize childProposal(ProposedSize proposal) const;

    std::shared_ptr<const Node> child_;
    FlexibleFrame bounds_;
    Alignment alignment_;
};

// Padding. Rule: proposes the proposal less the insets (never below 0), takes the child's size plus the
// insets, and places the child inside them.
class PaddingNode final : public NodeOf<PaddingNode> {
  public:
    PaddingNode(std::shared_ptr<const Node> child, EdgeInsets insets) : child_(std::move(child)), insets_(insets) {}

  protected:
    Size sizeThatFits(ProposedSize proposal, LayoutContext& context) const override;
    void placeContent(const Rect& frame, ProposedSize proposal, LayoutContext& context) const override;

  private:
    ProposedSize childProposal(ProposedSize proposal) const;

    std::shared_ptr<const Node> child_;
    EdgeInsets insets_;
};

}  // namespace tavelin::ui
