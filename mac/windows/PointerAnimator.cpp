#include "mac/windows/PointerAnimator.h"

#include <cmath>

#include "mac/windows/ScreenSupport.h"

namespace tavelin {

std::shared_ptr<PointerAnimator> PointerAnimator::create(MouseCursor& cursor, const Screens& screens,
                                                         Scheduler& scheduler) {
    return std::shared_ptr<PointerAnimator>(new PointerAnimator(cursor, screens, scheduler));
}

PointerAnimator::PointerAnimator(MouseCursor& cursor, const Screens& screens, Scheduler& scheduler)
    : cursor_(cursor), screens_(screens), queue_(scheduler.serialQueue("tavelin.pointer-glide")) {}

std::int64_t PointerAnimator::generation() const {
    std::lock_guard lock(lock_);
    return generation_;
}

bool PointerAnimator::isCurrent(std::int64_t token) const {
    std::lock_guard lock(lock_);
    return generation_ == token;
}

void PointerAnimator::jump(Point point) {
    cursor_.warpMouseCursorPosition(point);
    cursor_.postMouseMoved(point);
}

void PointerAnimator::move(Point point, bool animated) {
    const double height = ScreenSupport(screens_).primaryMaxY();
    const Point start = screens_.mouseLocation();
    const double distance = std::hypot(point.x - start.x, point.y - start.y);
    std::int64_t token = 0;
    {
        std::lock_guard lock(lock_);
        token = ++generation_;
    }
    const Point target{point.x, height - point.y};
    if (!animated || !(distance >= kMinimumGlideDistance)) {
        jump(target);
        return;
    }
    queue_.async([weak = weak_from_this(), glide = Glide{token, Point{start.x, height - start.y}, target}] {
        if (auto self = weak.lock()) self->step(glide, 1);
    });
}

// Step `index` of 1...24 moves to the eased point; step 25 lands on the target.
void PointerAnimator::step(const Glide& glide, int index) {
    if (!isCurrent(glide.token)) return;
    if (index > kSteps) {
        jump(glide.target);
        return;
    }
    const double e = std::pow(static_cast<double>(index) / kSteps, 6);
    jump(Point{glide.start.x + (glide.target.x - glide.start.x) * e,
               glide.start.y + (glide.target.y - glide.start.y) * e});
    queue_.asyncAfter(kGlideDuration / kSteps, [weak = weak_from_this(), glide, index] {
        if (auto self = weak.lock()) self->step(glide, index + 1);
    });
}

}  // namespace tavelin
