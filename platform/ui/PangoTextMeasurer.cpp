#include <cstring>
#include <map>
#include <string>
#include <unordered_map>

#include "platform/ui/PangoText.h"
#include "platform/ui/TextMeasurer.h"

namespace tavelin::ui {
namespace {

// Past this many remembered widths the memory starts again; a panel measures a few hundred titles.
constexpr std::size_t kMaxRememberedWidths = 8192;

class PangoTextMeasurer final : public TextMeasurer {
  public:
    PangoTextMeasurer() : context_(pango_font_map_create_context(pango_cairo_font_map_get_default())) {
        configurePangoContext(context_);
    }
    ~PangoTextMeasurer() override { g_object_unref(context_); }
    PangoTextMeasurer(const PangoTextMeasurer&) = delete;
    PangoTextMeasurer& operator=(const PangoTextMeasurer&) = delete;

    double width(std::string_view text, const Font& font) const override {
        std::string key = keyFor(font);
        key.append(text);
        if (const auto found = widths_.find(key); found != widths_.end()) return found->second;
        PangoLayout* layout = makePangoLayout(context_, text, font);
        const double measured = layoutWidth(layout);
        g_object_unref(layout);
        if (widths_.size() >= kMaxRememberedWidths) widths_.clear();
        widths_.emplace(std::move(key), measured);
        return measured;
    }

    double lineHeight(const Font& font) const override {
        const std::string key = keyFor(font);
        if (const auto found = lineHeights_.find(key); found != lineHeights_.end()) return found->second;
        PangoLayout* layout = makePangoLayout(context_, "", font);
        const double measured = layoutHeight(layout);
        g_object_unref(layout);
        lineHeights_.emplace(key, measured);
        return measured;
    }

  private:
    // The size's bits and the weight: formatting a number on every lookup would cost more than the lookup.
    static std::string keyFor(const Font& font) {
        std::string key(sizeof font.size + 1, '\0');
        std::memcpy(key.data(), &font.size, sizeof font.size);
        key.back() = static_cast<char>(font.weight);
        return key;
    }

    PangoContext* context_;
    mutable std::unordered_map<std::string, double> widths_;
    mutable std::map<std::string, double> lineHeights_;
};

}  // namespace

std::unique_ptr<TextMeasurer> makePangoTextMeasurer() { return std::make_unique<PangoTextMeasurer>(); }

}  // namespace tavelin::ui
