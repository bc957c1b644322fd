#include "platform/KeyboardLayout.h"

#include <array>
#include <optional>
#include <string_view>

namespace tavelin {
namespace {

struct TypingKey {
    std::int64_t keyCode;
    char plain;
    char shifted;
    std::string_view option;  // letters only
};

constexpr std::array<TypingKey, 48> kTypingKeys{{
    {0, 'a', 'A', "å"},  {1, 's', 'S', "ß"},  {2, 'd', 'D', "∂"},  {3, 'f', 'F', "ƒ"},  {4, 'h', 'H', "˙"},
    {5, 'g', 'G', "©"},  {6, 'z', 'Z', "Ω"},  {7, 'x', 'X', "≈"},  {8, 'c', 'C', "ç"},  {9, 'v', 'V', "√"},
    {11, 'b', 'B', "∫"}, {12, 'q', 'Q', "œ"}, {13, 'w', 'W', "∑"}, {14, 'e', 'E', "´"}, {15, 'r', 'R', "®"},
    {16, 'y', 'Y', "¥"}, {17, 't', 'T', "†"}, {31, 'o', 'O', "ø"}, {32, 'u', 'U', "¨"}, {34, 'i', 'I', "ˆ"},
    {35, 'p', 'P', "π"}, {37, 'l', 'L', "¬"}, {38, 'j', 'J', "∆"}, {40, 'k', 'K', "˚"}, {45, 'n', 'N', "˜"},
    {46, 'm', 'M', "µ"}, {18, '1', '!', ""},  {19, '2', '@', ""},  {20, '3', '#', ""},  {21, '4', '$', ""},
    {22, '6', '^', ""},  {23, '5', '%', ""},  {24, '=', '+', ""},  {25, '9', '(', ""},  {26, '7', '&', ""},
    {27, '-', '_', ""},  {28, '8', '*', ""},  {29, '0', ')', ""},  {30, ']', '}', ""},  {33, '[', '{', ""},
    {39, '\'', '"', ""}, {41, ';', ':', ""},  {42, '\\', '|', ""}, {43, ',', '<', ""},  {44, '/', '?', ""},
    {47, '.', '>', ""},  {50, '`', '~', ""},  {49, ' ', ' ', ""},
}};

struct NamedKey {
    std::int64_t keyCode;
    std::string_view text;
};

// The arrows and function keys make the platform's private-use function-key characters.
constexpr std::array<NamedKey, 21> kNamedKeys{{
    {36, "\r"},      {48, "\t"},      {51, "\x7f"},    {53, "\x1b"},    {76, "\x03"},    {123, "\uF702"},
    {124, "\uF703"}, {125, "\uF701"}, {126, "\uF700"}, {122, "\uF704"}, {120, "\uF705"}, {99, "\uF706"},
    {118, "\uF707"}, {96, "\uF708"},  {97, "\uF709"},  {98, "\uF70A"},  {100, "\uF70B"}, {101, "\uF70C"},
    {109, "\uF70D"}, {103, "\uF70E"}, {111, "\uF70F"},
}};

constexpr std::int64_t kTab = 48;

const TypingKey* typingKey(std::int64_t keyCode) {
    for (const auto& key : kTypingKeys) {
        if (key.keyCode == keyCode) return &key;
    }
    return nullptr;
}

std::optional<std::string_view> namedKey(std::int64_t keyCode) {
    for (const auto& key : kNamedKeys) {
        if (key.keyCode == keyCode) return key.text;
    }
    return std::nullopt;
}

bool has(std::uint64_t flags, std::uint64_t bit) { return (flags & bit) != 0; }

}  // namespace

std::string USKeyboardLayout::charactersIgnoringModifiers(std::int64_t keyCode, std::uint64_t flags) const {
    if (const auto* key = typingKey(keyCode)) {
        return std::string(1, has(flags, kEventFlagShift) ? key->shifted : key->plain);
    }
    if (keyCode == kTab && has(flags, kEventFlagShift)) return "\x19";
    return std::string(namedKey(keyCode).value_or(""));
}

std::string USKeyboardLayout::characters(std::int64_t keyCode, std::uint64_t flags) const {
    const auto* key = typingKey(keyCode);
    if (key && key->option.size() > 0) {
        if (has(flags, kEventFlagControl)) return std::string(1, static_cast<char>(key->plain & 0x1F));
        if (has(flags, kEventFlagOption)) return std::string(key->option);
    }
    return charactersIgnoringModifiers(keyCode, flags);
}

bool hasFunctionKeyCharacter(std::string_view text) {
    // U+F700 to U+F8FF in UTF-8: EF 9C 80 to EF A3 BF.
    for (std::size_t i = 0; i + 2 < text.size(); ++i) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const auto second = static_cast<unsigned char>(text[i + 1]);
        if (lead == 0xEF && second >= 0x9C && second <= 0xA3) return true;
    }
    return false;
}

void translateKeyEvent(InputEvent& event, std::shared_ptr<const KeyboardLayout> layout) {
    if (layout && event.isKey()) {
        event.characters = layout->characters(event.keyCode, event.flags);
        event.charactersIgnoringModifiers = layout->charactersIgnoringModifiers(event.keyCode, event.flags);
    }
    event.keyboardLayout = std::move(layout);
}

std::optional<InputEvent> InputEvent::copyWithFlags(std::uint64_t newFlags) const {
    if (!keyboardLayout) return std::nullopt;
    auto copy = *this;
    copy.flags = newFlags;
    translateKeyEvent(copy, keyboardLayout);
    return copy;
}

}  // namespace tavelin
