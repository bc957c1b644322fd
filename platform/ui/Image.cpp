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
    auto pixels = std::make_shared<std::vector<std::uint32_t>>();
    pixels->reserve(static_cast<std::size_t>(bitmap.width) * static_cast<std::size_t>(bitmap.height));
    const std::uint8_t* p = bitmap.pixels.data();
    const std::uint8_t* end = p + bitmap.pixels.size();
    for (; p != end; p += 4) {
        const std::uint32_t a = p[3];
        pixels->push_back(a << 24 | premultiplied(p[0], a) << 16 | premultiplied(p[1], a) << 8 |
                          premultiplied(p[2], a));
    }
    return Image(bitmap.width, bitmap.height, std::move(pixels));
}

}  // namespace tavelin::ui
