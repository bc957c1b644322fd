#pragma once

// Draws a display list with cairo into a transparent ARGB32 surface at a scale (device pixels per
// point), and writes it as PNG. Texts are drawn with the same pango setup as the measurer. Anything
// that is not drawn stays transparent, so a panel's rounded background leaves its corners clear.

#include <expected>
#include <filesystem>
#include <string>
#include <utility>

#include "platform/Bitmap.h"
#include "platform/ui/DisplayList.h"
#include "platform/ui/Palette.h"
#include "platform/ui/ViewGeometry.h"

namespace tavelin::ui {

struct RenderError {
    std::string message;  // "surface of 40000 by 200 pixels is larger than 32767 pixels on a side"
    friend bool operator==(const RenderError&, const RenderError&) = default;
};

// A picture of `size` points is ceil(size × scale) pixels on each side. A size whose pixels would be
// empty or past cairo's 32767 on a side is refused. The bitmap is straight-alpha RGBA.
std::expected<Bitmap, RenderError> render(const DisplayList& list, Size size, double scale = kDefaultRenderScale);

// Renders and replaces the file at `path` by atomic rename: when anything fails, the old file stays.
// Gives the picture's width and height in pixels.
std::expected<std::pair<int, int>, RenderError> writePNG(const DisplayList& list, Size size, double scale,
                                                         const std::filesystem::path& path);

}  // namespace tavelin::ui
