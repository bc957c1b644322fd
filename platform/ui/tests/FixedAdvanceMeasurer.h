#pragma once

// A measurer with round numbers: every code point advances half the font size, semibold ones a tenth
// more, and a line is 1.25 font sizes tall.

#include <string_view>

#include "platform/ui/TextMeasurer.h"

namespace tavelin::ui {

class FixedAdvanceMeasurer final : public TextMeasurer {
  public:
    double width(std::string_view text, const Font& font) const override {
        double count = 0;
        for (const char c : text) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
        const double advance = font.size / 2 * (font.weight == FontWeight::semibold ? 1.1 : 1.0);
        return count * advance;
    }
    double lineHeight(const Font& font) const override { return font.size * 1.25; }
};

}  // namespace tavelin::ui
