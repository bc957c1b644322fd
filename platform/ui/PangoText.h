#pragma once

// Pango set up the one way both measuring and drawing use it, so that a measured width is the drawn
// width: the system face named explicitly, absolute sizes in points, hinting and metric hinting off,
// glyph positions not rounded to whole units, one paragraph per layout. Internal to the view layer.

#include <pango/pangocairo.h>

#include <string_view>

#include "platform/ui/Font.h"

namespace tavelin::ui {

void configurePangoContext(PangoContext* context);
// A layout of `text` in `font`; invalid UTF-8 is replaced by U+FFFD before pango sees it. The caller
// unrefs it.
PangoLayout* makePangoLayout(PangoContext* context, std::string_view text, const Font& font);
// The layout's logical size in points.
double layoutWidth(PangoLayout* layout);
double layoutHeight(PangoLayout* layout);

}  // namespace tavelin::ui
