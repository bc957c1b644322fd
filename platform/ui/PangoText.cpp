#include "platform/ui/PangoText.h"

#include <string>

#include "protocol/UnicodeText.h"

namespace tavelin::ui {

void configurePangoContext(PangoContext* context) {
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    pango_cairo_context_set_font_options(context, options);
    cairo_font_options_destroy(options);
    pango_context_set_round_glyph_positions(context, FALSE);
}

PangoLayout* makePangoLayout(PangoContext* context, std::string_view text, const Font& font) {
    const std::string valid = replaceInvalidUtf8(text);
    PangoLayout* layout = pango_layout_new(context);
    pango_layout_set_single_paragraph_mode(layout, TRUE);
    PangoFontDescription* description = pango_font_description_new();
    pango_font_description_set_family_static(description, kSystemFontFamily.data());
    pango_font_description_set_weight(description,
                                      font.weight == FontWeight::semibold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_absolute_size(description, font.size * PANGO_SCALE);
    pango_layout_set_font_description(layout, description);
    pango_font_description_free(description);
    pango_layout_set_text(layout, valid.data(), static_cast<int>(valid.size()));
    return layout;
}

double layoutWidth(PangoLayout* layout) {
    PangoRectangle logical{};
    pango_layout_get_extents(layout, nullptr, &logical);
    return static_cast<double>(logical.width) / PANGO_SCALE;
}

double layoutHeight(PangoLayout* layout) {
    PangoRectangle logical{};
    pango_layout_get_extents(layout, nullptr, &logical);
    return static_cast<double>(logical.height) / PANGO_SCALE;
}

}  // namespace tavelin::ui
