#pragma once

// Measures one line of text in a font. The views size their texts with it, the panel sizes its label
// with it, and tests may give fixed advances through it. Texts are taken as UTF-8; a measurer repairs
// invalid sequences (U+FFFD) before it measures. Main thread only, as layout is.

#include <memory>
#include <string_view>

#include "platform/ui/Font.h"

namespace tavelin::ui {

class TextMeasurer {
  public:
    virtual ~TextMeasurer() = default;
    // The advance width of `text` on one line, in points.
    virtual double width(std::string_view text, const Font& font) const = 0;
    // The height of one line of the font (ascent plus descent plus leading), in points.
    virtual double lineHeight(const Font& font) const = 0;
};

// Measures with pango over cairo in the system face, hinting and metric hinting off so that widths do
// not depend on the machine or the scale, and remembers what it measured (a panel measures the same
// titles on every keystroke).
std::unique_ptr<TextMeasurer> makePangoTextMeasurer();

}  // namespace tavelin::ui
