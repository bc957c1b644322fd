#include "platform/ui/Renderer.h"

#include <cairo.h>

#include <cmath>
#include <string_view>
#include <type_traits>

#include "platform/FileContents.h"
#include "platform/ImageCoding.h"
#include "platform/ui/CairoDrawing.h"
#include "platform/ui/Image.h"
#include "platform/ui/PangoText.h"
#include "protocol/NumberText.h"

namespace tavelin::ui {
namespace {

// Owns the surface, the cairo context and the pango context of one drawing.
class Canvas {
  public:
    Canvas(int width, int height, double scale)
        : surface_(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height)), cr_(cairo_create(surface_)) {
        cairo_scale(cr_, scale, scale);
        text_ = pango_font_map_create_context(pango_cairo_font_map_get_default());
        configurePangoContext(text_);
        pango_cairo_update_context(cr_, text_);
    }
    ~Canvas() {
        g_object_unref(text_);
        cairo_destroy(cr_);
        cairo_surface_destroy(surface_);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    void draw(const DrawOp& op) {
        std::visit([this](const auto& o) { draw(o); }, op);
    }
    std::expected<Bitmap, RenderError> bitmap();

  private:
    void draw(const FillShapeOp& op) {
        setSourceColor(cr_, op.color);
        appendShapePath(cr_, op.rect, op.shape);
        cairo_fill(cr_);
    }
    void draw(const TextOp& op) {
        PangoLayout* layout = makePangoLayout(text_, op.text, op.font);
        setSourceColor(cr_, op.color);
        cairo_move_to(cr_, op.rect.x, op.rect.y);
        pango_cairo_show_layout(cr_, layout);
        g_object_unref(layout);
    }
    void draw(const ImageOp& op) {
        if (op.rect.width <= 0 || op.rect.height <= 0) return;
        const Image& image = op.image;
        // cairo only reads a source surface; the pixels are never written.
        auto* data = reinterpret_cast<unsigned char*>(const_cast<std::uint32_t*>(image.data()));
        cairo_surface_t* source = cairo_image_surface_create_for_data(data, CAIRO_FORMAT_ARGB32, image.width(),
                                                                      image.height(), image.width() * 4);
        cairo_save(cr_);
        cairo_translate(cr_, op.rect.x, op.rect.y);
        cairo_scale(cr_, op.rect.width / image.width(), op.rect.height / image.height());
        cairo_set_source_surface(cr_, source, 0, 0);
        cairo_pattern_set_filter(cairo_get_source(cr_), CAIRO_FILTER_GOOD);
        cairo_rectangle(cr_, 0, 0, image.width(), image.height());
        cairo_fill(cr_);
        cairo_restore(cr_);
        cairo_surface_destroy(source);
    }
    void draw(const SymbolOp& op) { drawSymbol(cr_, op.symbol, op.rect, op.color); }
    void draw(const BeginGroupOp& op) {
        cairo_push_group(cr_);
        opacities_.push_back(op.opacity);
    }
    void draw(const EndGroupOp&) {
        if (opacities_.empty()) return;
        cairo_pop_group_to_source(cr_);
        cairo_paint_with_alpha(cr_, opacities_.back());
        opacities_.pop_back();
    }
    void draw(const BeginClipOp& op) {
        cairo_save(cr_);
        cairo_rectangle(cr_, op.rect.x, op.rect.y, op.rect.width, op.rect.height);
        cairo_clip(cr_);
    }
    void draw(const EndClipOp&) { cairo_restore(cr_); }

    cairo_surface_t* surface_;
    cairo_t* cr_;
    PangoContext* text_;
    std::vector<double> opacities_;
};

std::uint8_t unpremultiplied(std::uint32_t component, std::uint32_t alpha) {
    return static_cast<std::uint8_t>(std::min<std::uint32_t>(255, (component * 255 + alpha / 2) / alpha));
}

std::expected<Bitmap, RenderError> Canvas::bitmap() {
    while (!opacities_.empty()) draw(EndGroupOp{});
    if (cairo_status(cr_) != CAIRO_STATUS_SUCCESS) {
        return std::unexpected(RenderError{std::string("drawing failed: ") + cairo_status_to_string(cairo_status(cr_))});
    }
    cairo_surface_flush(surface_);
    const int width = cairo_image_surface_get_width(surface_);
    const int height = cairo_image_surface_get_height(surface_);
    const int stride = cairo_image_surface_get_stride(surface_);
    const unsigned char* data = cairo_image_surface_get_data(surface_);
    Bitmap bitmap(width, height);
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
        for (int x = 0; x < width; ++x) {
            const std::uint32_t pixel = row[x];
            const std::uint32_t a = pixel >> 24;
            if (a == 0) continue;
            bitmap.setPixel(x, y,
                            Rgba{unpremultiplied((pixel >> 16) & 0xFF, a), unpremultiplied((pixel >> 8) & 0xFF, a),
                                 unpremultiplied(pixel & 0xFF, a), static_cast<std::uint8_t>(a)});
        }
    }
    return bitmap;
}

std::expected<std::pair<int, int>, RenderError> pixelSize(Size size, double scale) {
    const double width = std::ceil(size.width * scale);
    const double height = std::ceil(size.height * scale);
    if (!(width >= 1) || !(height >= 1)) {
        return std::unexpected(RenderError{"surface has no pixels"});
    }
    if (width > kMaxSurfaceSide || height > kMaxSurfaceSide) {
        return std::unexpected(RenderError{"surface of " + shortestText(width) + " by " + shortestText(height) +
                                           " pixels is larger than " + std::to_string(kMaxSurfaceSide) +
                                           " pixels on a side"});
    }
    return std::pair{static_cast<int>(width), static_cast<int>(height)};
}

}  // namespace

std::expected<Bitmap, RenderError> render(const DisplayList& list, Size size, double scale) {
    const auto pixels = pixelSize(size, scale);
    if (!pixels) return std::unexpected(pixels.error());
    Canvas canvas(pixels->first, pixels->second, scale);
    for (const DrawOp& op : list) canvas.draw(op);
    return canvas.bitmap();
}

std::expected<std::pair<int, int>, RenderError> writePNG(const DisplayList& list, Size size, double scale,
                                                         const std::filesystem::path& path) {
    const auto bitmap = render(list, size, scale);
    if (!bitmap) return std::unexpected(bitmap.error());
    const auto png = encodePNG(*bitmap);
    if (!png) return std::unexpected(RenderError{png.error().message});
    const auto written =
        writeFileAtomically(path, std::string_view(reinterpret_cast<const char*>(png->data()), png->size()));
    if (!written) return std::unexpected(RenderError{written.error().message});
    return std::pair{bitmap->width, bitmap->height};
}

}  // namespace tavelin::ui
