#pragma once

// An opaque picture of random colours, the same for the same seed. Noise compresses badly, so it makes
// the largest JPEG or PNG a picture of its size can make.

#include <cstddef>
#include <cstdint>
#include <random>

#include "platform/Bitmap.h"

namespace tavelin {

inline Bitmap noiseBitmap(int width, int height, std::uint32_t seed = 7) {
    std::mt19937 random(seed);
    Bitmap bitmap(width, height);
    for (std::size_t i = 0; i < bitmap.pixels.size(); ++i) {
        bitmap.pixels[i] = i % 4 == 3 ? 255 : static_cast<std::uint8_t>(random());
    }
    return bitmap;
}

}  // namespace tavelin
