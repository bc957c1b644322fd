#pragma once

// The sizes that tell a user's window from the rest, and how much two frames must share to be taken for
// one window. Window-server bounds and Accessibility frames alike, in points.

namespace tavelin {

// Narrower or lower than this, a window is a phantom (a strip, a tool tip, a sliver of a shadow).
inline constexpr double kUserWindowMinimumWidth = 80;
inline constexpr double kUserWindowMinimumHeight = 60;

// Two frames are one window's when their overlap covers at least this share of the smaller one.
inline constexpr double kSameWindowMinimumOverlap = 0.45;

}  // namespace tavelin
