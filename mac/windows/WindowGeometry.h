#pragma once

// The arithmetic of window geometry, without the system: the two coordinate systems, fitting a window
// into a visible area, tiling rectangles, and the strict decimal parser that screen and window numbers
// share.
//
// Frames (WindowFrame) are in screen coordinates: origin at the bottom-left of the primary screen, y
// upwards. Accessibility and the window server measure from the top-left of the primary screen, y
// downwards; `primaryMaxY` is the largest y of the primary screen's frame.

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/Geometry.h"
#include "protocol/Identifiers.h"
#include "protocol/WindowDescriptor.h"
#include "protocol/WindowEnums.h"

namespace tavelin {

// ASCII digits only (no sign, no blank), leading zeros allowed, at most 4294967295.
std::optional<std::uint32_t> parseDecimalUInt32(std::string_view text);
// A window ID that is a window number; "0" parses as 0, which names no window.
std::optional<std::uint32_t> parseCGWindowID(const WindowID& windowID);

WindowFrame cocoaFrame(const Rect& topLeftRect, double primaryMaxY);
// The top-left corner of a frame, in top-left coordinates.
Point topLeftOrigin(const WindowFrame& frame, double primaryMaxY);

// The share of the smaller frame's area that the two have in common; 0 when they do not overlap with a
// positive width and height, or when either has no area.
double frameOverlapShare(const WindowFrame& a, const WindowFrame& b);

// The platform's point-in-rectangle test: minimum edges in, maximum edges out, on both axes.
bool pointInRect(Point point, const Rect& rect);

// The window scaled down (keeping its aspect) to fit the visible frame if it is larger, centred on it,
// then kept inside it. A window without a positive size gets the visible frame itself.
WindowFrame frameFittingVisible(const WindowFrame& frame, const Rect& visibleFrame);

// The half or quarter of a rectangle (screen coordinates, y upwards).
Rect tileRect(WindowTileKind kind, const Rect& rect);

}  // namespace tavelin
