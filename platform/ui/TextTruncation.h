#pragma once

// Fitting one line of text into a width by cutting it and putting an ellipsis ("…") where the cut is.
// Cuts fall between Unicode code points, never inside a UTF-8 sequence.

#include <optional>
#include <string>
#include <string_view>

#include "platform/ui/Font.h"

namespace tavelin::ui {

class TextMeasurer;

enum class Truncation { tail, middle };
std::string_view toString(Truncation truncation);
std::optional<Truncation> truncationFromString(std::string_view text);

inline constexpr std::string_view kEllipsis = "\xE2\x80\xA6";

// `text` (valid UTF-8) as it is when it fits in `maxWidth`, else the longest cut that fits with the
// ellipsis: at the end for `tail`; for `middle` the start keeps one code point more than the end when
// the count is odd. When not even the ellipsis fits, the result is empty.
std::string truncate(std::string_view text, const Font& font, double maxWidth, Truncation truncation,
                     const TextMeasurer& measurer);

}  // namespace tavelin::ui
