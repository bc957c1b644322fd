#pragma once

// A picture ready to draw: premultiplied ARGB32 in native byte order (each pixel one 32-bit word,
// alpha in the top byte), the layout cairo draws from, rows without padding. The platform hands icons
// as straight-alpha RGBA bitmaps; converting once when the icon is taken keeps redraws cheap. Copies
// share the pixels, which never change.

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "platform/Bitmap.h"

namespace tavelin::ui {

// cairo cannot make a surface wider or taller than this.
inline constexpr int kMaxSurfaceSide = 32767;

class Image {
  public:
    // None for a bitmap that does not hold its pixels (an icon that could not be decoded) or that is
    // wider or taller than kMaxSurfaceSide.
    static std::optional<Image> fromRGBA(const Bitmap& bitmap);

    int width() const { return width_; }
    int height() const { return height_; }
    // (0, 0) is the top-left pixel; the position must lie inside.
    std::uint32_t pixel(int x, int y) const {
        return (*pixels_)[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                          static_cast<std::size_t>(x)];
    }
    const std::uint32_t* data() const { return pixels_->data(); }

    friend bool operator==(const Image& a, const Image& b) { return a.pixels_ == b.pixels_; }

  private:
    Image(int width, int height, std::shared_ptr<const std::vector<std::uint32_t>> pixels)
        : width_(width), height_(height), pixels_(std::move(pixels)) {}

    int width_ = 0;
    int height_ = 0;
    std::shared_ptr<const std::vector<std::uint32_t>> pixels_;
};

}  // namespace tavelin::ui
