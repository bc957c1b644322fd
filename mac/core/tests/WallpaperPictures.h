#pragma once

// Pictures for the desktop-picture tests, drawn in code: gradients, so that no picture is a flat fill
// unless it is meant to be.

#include <algorithm>
#include <cstdint>

#include "platform/Bitmap.h"

namespace tavelin::test_pictures {

inline std::uint8_t level(int value) { return static_cast<std::uint8_t>(std::clamp(value, 0, 255)); }

// Each component runs from `from` at the top-left to `to` at the bottom-right.
inline Bitmap gradient(int width, int height, Rgba from, Rgba to) {
    Bitmap bitmap(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int t = (x + y) * 256 / std::max(width + height - 2, 1);
            const auto mix = [t](std::uint8_t a, std::uint8_t b) { return level(a + (b - a) * t / 256); };
            bitmap.setPixel(x, y, Rgba{mix(from.r, to.r), mix(from.g, to.g), mix(from.b, to.b), 255});
        }
    }
    return bitmap;
}

// Orange to red: far from the default desktop's blue.
inline Bitmap sunset(int width = 320, int height = 200) {
    return gradient(width, height, Rgba{240, 150, 60, 255}, Rgba{170, 40, 50, 255});
}
// Blue, but far darker than the default desktop.
inline Bitmap nightSky(int width = 320, int height = 200) {
    return gradient(width, height, Rgba{10, 15, 60, 255}, Rgba{25, 30, 95, 255});
}
// Green almost everywhere.
inline Bitmap forest(int width = 320, int height = 200) {
    return gradient(width, height, Rgba{30, 140, 40, 255}, Rgba{60, 190, 70, 255});
}

}  // namespace tavelin::test_pictures
