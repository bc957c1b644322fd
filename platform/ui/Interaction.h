#pragma once

// What a view does with the pointer: a tap (a press and a release over the same view), hover, a drop
// target for dragged files, and a context-menu marker (a secondary click). Locations are in the view's
// own coordinates.

#include <functional>
#include <memory>
#include <vector>

#include "platform/Geometry.h"
#include "platform/PointerInputView.h"

namespace tavelin::ui {

struct HoverPhase {
    bool active = true;  // false once when the pointer leaves
    Point location;      // while active
    friend bool operator==(const HoverPhase&, const HoverPhase&) = default;
};

using tavelin::DropOperation;

// The drag's items are handed to the view that takes the drop.
struct DropInfo {
    Point location;
    std::vector<std::shared_ptr<const ItemProvider>> itemProviders;
};

// A view's side of a drag over it. Entering comes before the first update over a view, exiting when
// the drag leaves it or ends elsewhere; a drop ends the drag without an exit.
class DropDelegate {
  public:
    virtual ~DropDelegate() = default;
    virtual void dropEntered(const DropInfo&) {}
    virtual DropOperation dropUpdated(const DropInfo& info) = 0;
    virtual void dropExited(const DropInfo&) {}
    virtual bool performDrop(const DropInfo& info) = 0;
};

}  // namespace tavelin::ui
