#pragma once

// The simulated mouse pointer: warps and posted mouse-moved events go to the window world, which moves
// the pointer and records both. Any thread.

#include "platform/MouseCursor.h"
#include "platform/sim/SimWindowWorld.h"

namespace tavelin::sim {

class SimMouseCursor final : public MouseCursor {
  public:
    explicit SimMouseCursor(SimWindowWorld& world) : world_(world) {}

    void warpMouseCursorPosition(Point point) override { world_.warpPointer(point); }
    void postMouseMoved(Point point) override { world_.postMouseMoved(point); }

  private:
    SimWindowWorld& world_;
};

}  // namespace tavelin::sim
