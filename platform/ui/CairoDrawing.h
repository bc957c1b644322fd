#pragma once

// Cairo paths for shapes and symbols. Internal to the view layer.

#include <cairo.h>

#include "platform/Geometry.h"
#include "platform/ui/DisplayList.h"

namespace tavelin::ui {

void setSourceColor(cairo_t* cr, const Color& color);
void appendShapePath(cairo_t* cr, const Rect& rect, const Shape& shape);
void drawSymbol(cairo_t* cr, Symbol symbol, const Rect& rect, const Color& color);

}  // namespace tavelin::ui
