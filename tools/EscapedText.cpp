#include "tools/EscapedText.h"

#include "protocol/UnicodeText.h"

namespace tavelin {
namespace {

// The length of the well-formed UTF-8 sequence that starts at `at`; 0 when none starts there.
std::size_t sequenceLength(std::string_view text, std::size_t at) {
    return static_cast<unsigned char>(text[at]) < 0x80 ? 1 : multiByteSequenceLength(text.substr(at));
}

void appendEscaped(std::string& out, unsigned char byte) {
    static constexpr char kDigits[] = "0123456789abcdef";
    out += "\\x";
    out += kDigits[byte >> 4];
    out += kDigits[byte & 0xF];
}

}  // namespace

std::string escapedText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const auto length = sequenceLength(text, at);
        const auto lead = static_cast<unsigned char>(text[at]);
        // The C1 controls, U+0080 to U+009F, are 0xC2 0x80 to 0xC2 0x9F.
        const bool control =
            length == 1 ? lead < 0x20 || lead == 0x7F
                        : length == 2 && lead == 0xC2 && static_cast<unsigned char>(text[at + 1]) < 0xA0;
        if (length == 0) {
            appendEscaped(out, lead);
            ++at;
        } else if (control) {
            for (const char byte : text.substr(at, length))
                appendEscaped(out, static_cast<unsigned char>(byte));
            at += length;
        } else {
            out.append(text.substr(at, length));
            at += length;
        }
    }
    return out;
}

}  // namespace tavelin
