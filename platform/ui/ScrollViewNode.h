#pragma once

// A vertical scroll view. Its offset is state of the host under the view's state id, so it survives
// the rebuilding of the tree.

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/ui/Node.h"

namespace tavelin::ui {

struct ScrollOptions {
    ViewID stateID;  // where the offset is kept
    bool showsIndicators = true;
    bool clips = true;
    // When this changes to an id, the content scrolls at once just far enough to show that view whole
    // (or its top, when it is taller than the scroll view).
    std::optional<ViewID> scrollTarget;
};

struct ScrollState {
    double offset = 0;
    std::optional<ViewID> lastTarget;
};

// Rule: takes the proposal (a dimension without one is the content's); proposes its width and no
// height to the content, and places the content at its ideal height, centred across, moved up by the
// offset (kept between 0 and the content's overhang). Draws an indicator at the trailing edge while
// the content is taller than the view and indicators are shown.
class ScrollViewNode final : public NodeOf<ScrollViewNode> {
  public:
    ScrollViewNode(std::shared_ptr<const Node> content, ScrollOptions options)
        : content_(std::move(content)), options_(std::move(options)) {}

  protected:
    Size sizeThatFits(ProposedSize proposal, LayoutContext& context) const override;
    void placeContent(const Rect& frame, ProposedSize proposal, LayoutContext& context) const override;

  private:
    void scrollToTarget(ScrollState& state, Size content, const Rect& frame, LayoutContext& context) const;
    void drawIndicator(const Rect& frame, Size content, double offset, LayoutContext& context) const;

    std::shared_ptr<const Node> content_;
    ScrollOptions options_;
};

View scrollView(View content, ScrollOptions options);

}  // namespace tavelin::ui
