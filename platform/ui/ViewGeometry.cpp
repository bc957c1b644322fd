#include "platform/ui/ViewGeometry.h"

#include <algorithm>

namespace tavelin::ui {

Point Alignment::place(Size size, const Rect& bounds) const {
    const double free = bounds.width - size.width;
    const double x = horizontal == HorizontalAlignment::leading   ? 0
                     : horizontal == HorizontalAlignment::center ? free / 2
                                                                  : free;
    const double freeHeight = bounds.height - size.height;
    const double y = vertical == VerticalAlignment::top      ? 0
                     : vertical == VerticalAlignment::center ? freeHeight / 2
                                                             : freeHeight;
    return {bounds.x + x, bounds.y + y};
}

Rect intersection(const Rect& a, const Rect& b) {
    const double x = std::max(a.x, b.x);
    const double y = std::max(a.y, b.y);
    const double maxX = std::min(a.maxX(), b.maxX());
    const double maxY = std::min(a.maxY(), b.maxY());
    if (maxX <= x || maxY <= y) return Rect{x, y, 0, 0};
    return Rect{x, y, maxX - x, maxY - y};
}

}  // namespace tavelin::ui
