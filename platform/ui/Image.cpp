#include "platform/ui/Image.h"

namespace tavelin::ui {
namespace {

std::uint32_t premultiplied(std::uint32_t component, std::uint32_t alpha) {
    return (component * alpha + 127) / 255;
}

}  // namespace

std::optional<Image> Image::fromRGBA(const Bitmap& bitmap) {
    if (!bitmap.isValid() || bitmap.width > kMaxSurfaceSide || bitmap.height > kMaxSurfaceSide) {
        return std::nullopt;
    }
    auto pixels = std::make_shared<std::vector<std::uint32_t>>(static_cast<std::size_t>(bitmap.width) *
                                                               static_cast<std::size_t>(bitmap.height));
    const std::uint8_t* p = bitmap.pixels.data();
    // Icons are mostly opaque or clear, where premultiplying changes nothing or gives 0.
    for (std::uint32_t& out : *pixels) {
        const std::uint32_t a = p[3];
        if (a == 255) {
            out = 0xFF000000u | std::uint32_t{p[0]} << 16 | std::uint32_t{p[1]} << 8 | p[2];
        } else if (a == 0) {
            out = 0;
        } else {
            out =
                a << 24 | premultiplied(p[0], a) << 16 | premultiplied(p[1], a) << 8 | premultiplied(p[2], a);
        }
        p += 4;
    }
    return Image(bitmap.width, bitmap.height, std::move(pixels));
}

}  // namespace tavelin::ui
