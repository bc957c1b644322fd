#pragma once

// Points and rectangles in points, as screens and windows are measured. Two coordinate spaces meet in
// the platform: screens use the bottom-left origin of the first screen (y grows upwards), the window
// server the top-left origin of that screen (y grows downwards); windowServerRect() turns one into the
// other.

#include <algorithm>

namespace tavelin {

struct Point {
    double x = 0;
    double y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    double width = 0;
    double height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;

    double maxX() const { return x + width; }
    double maxY() const { return y + height; }

    // True when the two share an area; rectangles that only touch do not, and an empty one meets nothing.
    bool intersects(const Rect& other) const {
        return std::max(x, other.x) < std::min(maxX(), other.maxX()) &&
               std::max(y, other.y) < std::min(maxY(), other.maxY());
    }

    friend bool operator==(const Rect&, const Rect&) = default;
};

// The platform's test whether the mouse is in a rectangle: of its edges, the left one and the one on top
// on screen belong to it (the largest y unflipped, the smallest y in a flipped, top-down space), the
// right and the bottom one do not, so that a point on the line between two screens lies in one only.
inline bool mouseInRect(Point point, const Rect& rect, bool flipped) {
    if (point.x < rect.x || point.x >= rect.maxX()) return false;
    return flipped ? point.y >= rect.y && point.y < rect.maxY() : point.y > rect.y && point.y <= rect.maxY();
}

// A screen frame (bottom-left origin) in the window server's top-left coordinates, given the height of
// the first screen, the one at the origin.
inline Rect windowServerRect(const Rect& frame, double firstScreenHeight) {
    return Rect{frame.x, firstScreenHeight - frame.y - frame.height, frame.width, frame.height};
}

}  // namespace tavelin
