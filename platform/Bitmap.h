#pragma once

// A picture in memory: 8-bit red, green, blue and alpha per pixel (sRGB), rows from the top, no
// padding between rows. Colours are not premultiplied by alpha, so a fully transparent pixel may still
// carry a colour. A plain value: copies are deep.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace tavelin {

struct Rgba {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    std::uint8_t a = 0;
    friend bool operator==(const Rgba&, const Rgba&) = default;
};

struct Bitmap {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;  // width * height * 4 bytes

    Bitmap() = default;
    // Every pixel `fill`, transparent black unless given. Negative sizes count as 0.
    Bitmap(int width, int height, Rgba fill = {});

    bool empty() const { return width <= 0 || height <= 0; }
    // True when the pixel buffer holds exactly width * height pixels of a picture that is not empty.
    bool isValid() const;
    // Every pixel's alpha is 255.
    bool isOpaque() const;
    std::size_t rowBytes() const { return static_cast<std::size_t>(width) * 4; }

    // (0, 0) is the top-left pixel; the position must lie inside.
    Rgba pixel(int x, int y) const {
        const std::uint8_t* p = &pixels[offset(x, y)];
        return Rgba{p[0], p[1], p[2], p[3]};
    }
    void setPixel(int x, int y, Rgba colour) {
        std::uint8_t* p = &pixels[offset(x, y)];
        p[0] = colour.r;
        p[1] = colour.g;
        p[2] = colour.b;
        p[3] = colour.a;
    }

    friend bool operator==(const Bitmap&, const Bitmap&) = default;

  private:
    std::size_t offset(int x, int y) const {
        return (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) *
               4;
    }
};

inline Bitmap::Bitmap(int width, int height, Rgba fill)
    : width(width > 0 ? width : 0), height(height > 0 ? height : 0) {
    const std::size_t count = static_cast<std::size_t>(this->width) * static_cast<std::size_t>(this->height);
    if (fill == Rgba{}) {
        pixels.assign(count * 4, 0);
        return;
    }
    pixels.reserve(count * 4);
    for (std::size_t i = 0; i < count; ++i) pixels.insert(pixels.end(), {fill.r, fill.g, fill.b, fill.a});
}

// Whether `height` rows of `width` pixels, `rowBytes` apart, all have alpha 255.
inline bool opaquePixels(const std::uint8_t* row, std::size_t rowBytes, int width, int height) {
    // Two pixels a word and four words a step; row by row, so that transparency stops the scan early.
    constexpr std::uint64_t kAlphas = 0xFF000000FF000000ULL;
    const std::size_t bytes = static_cast<std::size_t>(width) * 4;
    for (int y = 0; y < height; ++y, row += rowBytes) {
        std::uint64_t all[4] = {~std::uint64_t{0}, ~std::uint64_t{0}, ~std::uint64_t{0}, ~std::uint64_t{0}};
        std::size_t i = 0;
        for (; i + 32 <= bytes; i += 32) {
            std::uint64_t words[4];
            std::memcpy(words, row + i, 32);
            for (int k = 0; k < 4; ++k) all[k] &= words[k];
        }
        for (; i < bytes; i += 4) all[0] &= std::uint64_t{row[i + 3]} << 24 | 0x00FFFFFF00FFFFFFULL;
        if ((all[0] & all[1] & all[2] & all[3] & kAlphas) != kAlphas) return false;
    }
    return true;
}

inline bool Bitmap::isOpaque() const { return opaquePixels(pixels.data(), rowBytes(), width, height); }

inline bool Bitmap::isValid() const {
    return !empty() &&
           pixels.size() == static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
}

}  // namespace tavelin
