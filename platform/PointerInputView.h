#pragma once

// What a window's content view receives of the pointer once the application's event monitors have let
// an event pass, and of a drag moving over it. Locations are in the view's own points: origin at its
// top-left corner, y growing downwards. Main thread.
//
// A click is a press and a release; the release goes to the view that took the press. Hover is a
// move over the view, further moves, and one exit when the pointer leaves it. A drag over the view is
// updates while it moves, then an exit when it leaves, or a drop that ends it.

#include <memory>
#include <vector>

#include "platform/Geometry.h"
#include "platform/ItemProvider.h"

namespace tavelin {

// What the view proposes to do with a drag.
enum class DropOperation { forbidden, copy, move };

struct DragInfo {
    Point location;
    std::vector<std::shared_ptr<const ItemProvider>> itemProviders;
};

class PointerInputView {
  public:
    virtual ~PointerInputView() = default;

    virtual void mouseDown(Point point) = 0;
    virtual void mouseUp(Point point) = 0;
    virtual void rightMouseDown(Point point) = 0;
    virtual void mouseMoved(Point point) = 0;
    virtual void mouseExited() = 0;

    virtual DropOperation dragUpdated(const DragInfo& drag) = 0;
    virtual void dragExited() = 0;
    virtual bool performDrop(const DragInfo& drag) = 0;
};

}  // namespace tavelin
