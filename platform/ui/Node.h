#pragma once

// The nodes of a view tree and the handle views are built with. Layout works as the platform's
// declarative views do, in small: a parent proposes a size to a child, the child answers the size it
// takes, and the parent places it. Each kind of node states its rule in its header. A tree is built,
// laid out and thrown away on each update; what must outlive an update lives in the host's state.
//
// Attributes (offset, opacity, z-index, pointer behaviours...) belong to the node they are set on:
// `a.opacity(0.5).overlay(b)` dims only `a`, `a.overlay(b).opacity(0.5)` dims both. An offset moves the
// node and everything in it after layout; it does not change the size its parent sees. Setting an
// offset again adds to it, an opacity multiplies, every other attribute is replaced.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/Effects.h"
#include "platform/ui/Interaction.h"
#include "platform/ui/LayoutResult.h"
#include "platform/ui/ViewGeometry.h"

namespace tavelin::ui {

class LayoutContext;

struct FrameReport {
    std::string preference;
    std::shared_ptr<const void> key;
    std::string space;
};

struct ViewAttributes {
    ViewID id;
    std::string coordinateSpace;
    Point offset;
    double opacity = 1;
    double zIndex = 0;
    std::optional<Shadow> shadow;
    std::optional<Animation> animation;
    bool accessibilityHidden = false;
    bool allowsHitTesting = true;
    std::function<void()> onTap;
    std::function<void(const HoverPhase&)> onHover;
    std::shared_ptr<DropDelegate> dropDelegate;
    std::function<void()> onContextMenu;
    std::vector<FrameReport> frameReports;

    bool interactive() const { return onTap || onHover || dropDelegate || onContextMenu; }
};

class Node {
  public:
    virtual ~Node() = default;

    // The size the node takes for a proposal; asked again with the same proposal in one pass, it
    // answers from memory.
    Size measure(ProposedSize proposal, LayoutContext& context) const;
    // Places the node at `frame`, the size it answered to `proposal`, in the host's space, and
    // everything in it; the node lays its children out again for the same proposal.
    void place(Rect frame, ProposedSize proposal, LayoutContext& context) const;
    // Measures for `proposal` and places the answer in `bounds` by the alignment.
    void placeAligned(ProposedSize proposal, Alignment alignment, const Rect& bounds, LayoutContext& context) const;

    virtual bool isEmpty() const { return false; }
    virtual std::shared_ptr<Node> clone() const = 0;

    ViewAttributes attributes;

  protected:
    virtual Size sizeThatFits(ProposedSize proposal, LayoutContext& context) const = 0;
    virtual void placeContent(const Rect& frame, ProposedSize proposal, LayoutContext& context) const = 0;

  private:
    mutable std::uint64_t memoPass_ = 0;
    mutable ProposedSize memoProposal_;
    mutable Size memoSize_;
};

template <class Derived>
class NodeOf : public Node {
  public:
    std::shared_ptr<Node> clone() const override {
        return std::make_shared<Derived>(static_cast<const Derived&>(*this));
    }
};

// The bounds of a flexible frame; a missing bound is the child's own size in that dimension.
struct FlexibleFrame {
    std::optional<double> minWidth;
    std::optional<double> maxWidth;
    std::optional<double> minHeight;
    std::optional<double> maxHeight;
};

// A view under construction: a shared, immutable node. Every modifier returns a new view.
class View {
  public:
    View();  // the empty view
    explicit View(std::shared_ptr<const Node> node) : node_(std::move(node)) {}

    const Node& node() const { return *node_; }
    const std::shared_ptr<const Node>& shared() const { return node_; }
    bool isEmpty() const { return node_->isEmpty(); }

    View frame(std::optional<double> width, std::optional<double> height, Alignment alignment = {}) const;
    View frame(const FlexibleFrame& bounds, Alignment alignment = {}) const;
    View padding(EdgeInsets insets) const;
    View padding(double all) const { return padding(EdgeInsets::all(all)); }
    View padding() const;  // the standard padding on every side
    View overlay(View content, Alignment alignment = {}) const;
    View background(View content, Alignment alignment = {}) const;

    View offset(double x, double y) const;
    View opacity(double opacity) const;
    View zIndex(double zIndex) const;
    View shadow(Shadow shadow) const;
    View animation(Animation animation) const;
    View accessibilityHidden() const;
    View allowsHitTesting(bool allows) const;
    View id(ViewID id) const;
    View coordinateSpace(std::string name) const;

    View onTap(std::function<void()> action) const;
    View onHover(std::function<void(const HoverPhase&)> action) const;
    View onDrop(std::shared_ptr<DropDelegate> delegate) const;
    View onContextMenu(std::function<void()> action) const;

    // Reports this view's frame in the named space under `key` (see FramePreference.h).
    View reportingFrame(FrameReport report) const;

  private:
    View withAttributes(const std::function<void(ViewAttributes&)>& change) const;

    std::shared_ptr<const Node> node_;
};

}  // namespace tavelin::ui
