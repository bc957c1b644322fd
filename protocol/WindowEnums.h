#pragma once

// The enumerations of the window models; their raw texts are listed below (note "fullscreen" in lower
// case, unlike the keys around it).

#include <string_view>

#include "protocol/EnumText.h"

namespace tavelin {

enum class WindowState { normal, minimized, fullscreen, unknown };

// A half or a quarter of a display, as a window is tiled to it.
enum class WindowTileKind {
    leftHalf,
    rightHalf,
    topHalf,
    bottomHalf,
    topLeft,
    topRight,
    bottomLeft,
    bottomRight
};

template <>
struct EnumText<WindowState> {
    static constexpr std::string_view names[] = {"normal", "minimized", "fullscreen", "unknown"};
};
template <>
struct EnumText<WindowTileKind> {
    static constexpr std::string_view names[] = {"leftHalf", "rightHalf", "topHalf",    "bottomHalf",
                                                 "topLeft",  "topRight",  "bottomLeft", "bottomRight"};
};

}  // namespace tavelin
