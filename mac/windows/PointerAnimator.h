#pragma once

// Moves the mouse pointer onto an activated window: a glide of 24 eased steps over 0.16 s, or a jump.
// A newer move (glide or jump) stops a glide in progress at its next step: every move takes the next
// number of a generation counter under one lock, and a glide checks, under the same lock, that its
// number is still the latest before each step.
//
// move() is called on the main thread; a glide runs as a chain of steps on the animator's own queue,
// each scheduled after the one before, and never blocks the caller. One per process.

#include <cstdint>
#include <memory>
#include <mutex>

#include "platform/Geometry.h"
#include "platform/MouseCursor.h"
#include "platform/Screens.h"
#include "runtime/Scheduler.h"

namespace tavelin {

class PointerAnimator : public std::enable_shared_from_this<PointerAnimator> {
  public:
    static constexpr int kSteps = 24;
    static constexpr Duration kGlideDuration = std::chrono::milliseconds(160);
    static constexpr double kMinimumGlideDistance = 6;

    static std::shared_ptr<PointerAnimator> create(MouseCursor& cursor, const Screens& screens, Scheduler& scheduler);

    // `point` in screen coordinates. Glides when animated and at least 6 points away; otherwise warps
    // once, at once, and posts one mouse-moved event.
    void move(Point point, bool animated);

    std::int64_t generation() const;

  private:
    PointerAnimator(MouseCursor& cursor, const Screens& screens, Scheduler& scheduler);

    struct Glide {
        std::int64_t token = 0;
        Point start;   // window-server coordinates
        Point target;  // window-server coordinates
    };
    void step(const Glide& glide, int index);
    bool isCurrent(std::int64_t token) const;
    void jump(Point point);

    MouseCursor& cursor_;
    const Screens& screens_;
    Queue& queue_;
    mutable std::mutex lock_;
    std::int64_t generation_ = 0;
};

}  // namespace tavelin
