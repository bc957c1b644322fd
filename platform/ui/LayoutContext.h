#pragma once

// The state of one layout pass, shared by the nodes while they are measured and placed: the measurer,
// the environment and the host's state, and what placing produces (the LayoutResult). Placement keeps
// stacks of what encloses the node being placed: named coordinate spaces, clips, whether hit testing
// is on, and the nearest interaction of each kind.

#include <cstdint>
#include <string>
#include <type_traits>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/ui/Environment.h"
#include "platform/ui/LayoutResult.h"

namespace tavelin::ui {

class StateStore;
class TextMeasurer;
struct ViewAttributes;

class LayoutContext {
  public:
    LayoutContext(const TextMeasurer& measurer, const Environment& environment, StateStore& state,
                  LayoutResult& result);

    const TextMeasurer& measurer() const { return measurer_; }
    const Environment& environment() const { return environment_; }
    StateStore& state() const { return state_; }
    std::uint64_t pass() const { return pass_; }

    // A context of the same pass that places into `scratch`: where something would land, without drawing.
    LayoutContext fork(LayoutResult& scratch) const;

    template <class Op>
    void draw(Op&& op) {
        result_.displayList.emplace_back(std::in_place_type<std::decay_t<Op>>, std::forward<Op>(op));
    }
    // A region drawn at `frame`, clipped by the enclosing clips; none while hit testing is off.
    void addHitRegion(const Rect& frame);
    // The origin of the nearest enclosing space of that name; the host's origin for an unknown name.
    Point spaceOrigin(std::string_view name) const;
    const std::vector<NamedSpace>& enclosingSpaces() const { return spaces_; }
    void pushClip(const Rect& rect);
    void popClip();

    // Applies a node's attributes around the placing of its content.
    class NodeScope {
      public:
        NodeScope(LayoutContext& context, const ViewAttributes& attributes, const Rect& frame);
        ~NodeScope();
        NodeScope(const NodeScope&) = delete;
        NodeScope& operator=(const NodeScope&) = delete;

      private:
        LayoutContext& context_;
        const ViewAttributes& attributes_;
        HitRegion enclosing_;
        bool pushedSpace_ = false;
        bool pushedID_ = false;
        bool group_ = false;
    };

  private:
    void addInteraction(const ViewAttributes& attributes, const Rect& frame);

    const TextMeasurer& measurer_;
    const Environment& environment_;
    StateStore& state_;
    LayoutResult& result_;
    std::uint64_t pass_;

    std::vector<NamedSpace> spaces_;
    std::vector<Rect> clips_;
    std::vector<std::pair<ViewID, int>> ids_;  // nearest identified views, with their behaviour counts
    int hitTestingOff_ = 0;
    HitRegion enclosing_;  // the nearest interaction of each kind
};

}  // namespace tavelin::ui
