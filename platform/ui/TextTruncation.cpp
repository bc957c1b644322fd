#include "platform/ui/TextTruncation.h"

#include <vector>

#include "platform/ui/TextMeasurer.h"

namespace tavelin::ui {
namespace {

// The byte offset of each code point, and the text's length last.
std::vector<std::size_t> codePointStarts(std::string_view text) {
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) starts.push_back(i);
    }
    starts.push_back(text.size());
    return starts;
}

std::string cut(std::string_view text, const std::vector<std::size_t>& starts, std::size_t kept,
                Truncation truncation) {
    const std::size_t count = starts.size() - 1;
    const std::size_t head = truncation == Truncation::tail ? kept : (kept + 1) / 2;
    const std::size_t tail = kept - head;
    std::string result(text.substr(0, starts[head]));
    result += kEllipsis;
    result += text.substr(starts[count - tail]);
    return result;
}

}  // namespace

std::string truncate(std::string_view text, const Font& font, double maxWidth, Truncation truncation,
                     const TextMeasurer& measurer) {
    if (measurer.width(text, font) <= maxWidth) return std::string(text);
    const std::vector<std::size_t> starts = codePointStarts(text);
    const std::size_t count = starts.size() - 1;
    const auto fits = [&](std::size_t kept) {
        return measurer.width(cut(text, starts, kept, truncation), font) <= maxWidth;
    };
    if (count == 0 || !fits(0)) return {};
    // The most code points that fit with the ellipsis, fewer than all (all do not fit).
    std::size_t low = 0;
    std::size_t high = count - 1;
    while (low < high) {
        const std::size_t middle = (low + high + 1) / 2;
        if (fits(middle)) {
            low = middle;
        } else {
            high = middle - 1;
        }
    }
    return cut(text, starts, low, truncation);
}

}  // namespace tavelin::ui
