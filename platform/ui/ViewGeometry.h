#pragma once

// Sizes, proposals, alignments and insets of the view layer. Everything is in points, origin at the top
// left, y growing downwards, as the panel's host view is flipped.

#include <optional>

#include "platform/Geometry.h"

namespace tavelin::ui {

struct Size {
    double width = 0;
    double height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

// What a parent offers a child. A missing dimension asks for the child's ideal size in it.
struct ProposedSize {
    std::optional<double> width;
    std::optional<double> height;
    friend bool operator==(const ProposedSize&, const ProposedSize&) = default;
};

enum class HorizontalAlignment { leading, center, trailing };
enum class VerticalAlignment { top, center, bottom };

struct Alignment {
    HorizontalAlignment horizontal = HorizontalAlignment::center;
    VerticalAlignment vertical = VerticalAlignment::center;

    static constexpr Alignment center() { return {}; }
    static constexpr Alignment top() { return {HorizontalAlignment::center, VerticalAlignment::top}; }
    static constexpr Alignment topLeading() { return {HorizontalAlignment::leading, VerticalAlignment::top}; }
    static constexpr Alignment bottom() { return {HorizontalAlignment::center, VerticalAlignment::bottom}; }

    // The origin of a `size` placed in `bounds` by this alignment.
    Point place(Size size, const Rect& bounds) const;

    friend bool operator==(const Alignment&, const Alignment&) = default;
};

struct EdgeInsets {
    double top = 0;
    double leading = 0;
    double bottom = 0;
    double trailing = 0;

    static constexpr EdgeInsets all(double inset) { return {inset, inset, inset, inset}; }
    static constexpr EdgeInsets symmetric(double horizontal, double vertical) {
        return {vertical, horizontal, vertical, horizontal};
    }
    friend bool operator==(const EdgeInsets&, const EdgeInsets&) = default;
};

// Half-open on the right and bottom edges, so that a point on the line between two cells lies in one.
inline bool contains(const Rect& rect, Point point) {
    return point.x >= rect.x && point.x < rect.maxX() && point.y >= rect.y && point.y < rect.maxY();
}

// The common part of two rectangles; an empty rectangle (zero width or height) when they do not meet.
Rect intersection(const Rect& a, const Rect& b);

}  // namespace tavelin::ui
