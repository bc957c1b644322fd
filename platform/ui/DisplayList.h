#pragma once

// What a laid-out view tree draws, in drawing order, every rectangle in points of the host's space.
// Groups (an opacity applied to everything inside at once) and clips nest and always close.

#include <string>
#include <variant>
#include <vector>

#include "platform/Geometry.h"
#include "platform/ui/Color.h"
#include "platform/ui/Font.h"
#include "platform/ui/Image.h"
#include "platform/ui/Symbol.h"

namespace tavelin::ui {

enum class ShapeKind { rectangle, roundedRectangle, capsule };

// Corners are circular arcs; a radius beyond half the shorter side is cut to it, and a capsule's is
// always that half.
struct Shape {
    ShapeKind kind = ShapeKind::rectangle;
    double cornerRadius = 0;
    friend bool operator==(const Shape&, const Shape&) = default;
};

struct FillShapeOp {
    Rect rect;
    Shape shape;
    Color color;
};

// One line at the rectangle's top-left corner; `text` is what shows, already cut to fit.
struct TextOp {
    Rect rect;
    std::string text;
    Font font;
    Color color;
};

// The image scaled into the rectangle (its aspect already kept by layout).
struct ImageOp {
    Rect rect;
    Image image;
};

struct SymbolOp {
    Rect rect;
    Symbol symbol;
    Color color;
};

struct BeginGroupOp {
    double opacity = 1;
};
struct EndGroupOp {};
struct BeginClipOp {
    Rect rect;
};
struct EndClipOp {};

using DrawOp = std::variant<FillShapeOp, TextOp, ImageOp, SymbolOp, BeginGroupOp, EndGroupOp, BeginClipOp, EndClipOp>;
using DisplayList = std::vector<DrawOp>;

}  // namespace tavelin::ui
