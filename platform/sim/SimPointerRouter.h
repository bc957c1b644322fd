#pragma once

// Hands the pointer to the program's panels: the mouse events that reached the program and passed its
// local monitors, and drags, go to the content view of the topmost visible panel under the pointer, in
// that view's own points (top-left origin). A panel under the pointer makes the program the receiver
// of mouse events there, so events that went to another application only end a hover or a press: a
// release goes to the panel that took the press, and a panel the pointer or a drag leaves hears one
// exit. Main thread.

#include <optional>

#include "platform/InputEvent.h"
#include "platform/PointerInputView.h"
#include "platform/sim/SimAppWindows.h"

namespace tavelin::sim {

class SimPointerRouter {
  public:
    explicit SimPointerRouter(SimAppWindows& windows) : windows_(windows) {}

    void deliver(const InputEvent& event);
    // A panel with a view lies under the screen point, so the program gets the mouse there.
    bool hasPanelAt(Point screen) const { return panelAt(screen).has_value(); }

    // A drag at a screen location.
    DropOperation dragMoved(const DragInfo& drag);
    void dragExited();
    bool drop(const DragInfo& drag);

  private:
    struct Target {
        OwnWindowNumber number = 0;
        PointerInputView* view = nullptr;
        Point local;
    };

    std::optional<Target> panelAt(Point screen) const;
    // The panel of that number while it is on screen with a view, the point in its view.
    std::optional<Target> panel(OwnWindowNumber number, Point screen) const;
    void leaveHovered();

    SimAppWindows& windows_;
    std::optional<OwnWindowNumber> hovered_;
    std::optional<OwnWindowNumber> pressed_;
    std::optional<OwnWindowNumber> dragged_;
};

}  // namespace tavelin::sim
