#pragma once

// A geometry reader: content made while the reader is placed, from where it stands.

#include <functional>
#include <string_view>
#include <vector>

#include "platform/ui/Node.h"

namespace tavelin::ui {

struct GeometryProxy {
    Size size;
    Rect frameInHost;
    std::vector<NamedSpace> enclosingSpaces;  // innermost last

    // The reader's frame in the nearest enclosing space of that name (the host's for an unknown name).
    // A rectangle in that space less this frame's origin is the rectangle in the reader's own space.
    Rect frame(std::string_view space) const;
};

// Rule: takes the whole proposal (a dimension without one is 0); makes its content from a proxy of its
// size and frame, proposes its size to it, and places it at its top-leading corner.
class GeometryReaderNode final : public NodeOf<GeometryReaderNode> {
  public:
    explicit GeometryReaderNode(std::function<View(const GeometryProxy&)> content) : content_(std::move(content)) {}

  protected:
    Size sizeThatFits(ProposedSize proposal, LayoutContext& context) const override;
    void placeContent(const Rect& frame, ProposedSize proposal, LayoutContext& context) const override;

  private:
    std::function<View(const GeometryProxy&)> content_;
};

View geometryReader(std::function<View(const GeometryProxy&)> content);

}  // namespace tavelin::ui
