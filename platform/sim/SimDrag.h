#pragma once

// A drag that a test moves over the screen, as a person drags files from another application: its
// file URLs are on the drag pasteboard from the start (none for a source that only offers items), its
// items go with it to the view under it. It enters and leaves panels as it moves, and ends with a drop
// where it last moved or by leaving. Modifier keys held during the drag are the input stream's.

#include <memory>
#include <string>
#include <vector>

#include "platform/PointerInputView.h"
#include "platform/sim/SimPasteboard.h"
#include "platform/sim/SimPointerRouter.h"

namespace tavelin::sim {

class SimDrag {
  public:
    SimDrag(SimPointerRouter& router, SimPasteboard& pasteboard, std::vector<std::string> pasteboardURLs,
            std::vector<std::shared_ptr<const ItemProvider>> itemProviders)
        : router_(router), itemProviders_(std::move(itemProviders)) {
        pasteboard.setURLs(std::move(pasteboardURLs));
    }

    // What the view under the screen point proposes.
    DropOperation moveTo(Point screen) {
        location_ = screen;
        return router_.dragMoved(DragInfo{screen, itemProviders_});
    }
    // The drag leaves the program's panels without a drop.
    void exit() { router_.dragExited(); }
    // Whether the view under the last point took the drop.
    bool drop() { return router_.drop(DragInfo{location_, itemProviders_}); }

  private:
    SimPointerRouter& router_;
    std::vector<std::shared_ptr<const ItemProvider>> itemProviders_;
    Point location_;
};

}  // namespace tavelin::sim
