#include "mac/settings/TriggerSettings.h"

#include <string>
#include <unordered_map>
#include <utility>

#include "protocol/UnicodeText.h"

namespace tavelin {
namespace {

// White space and newlines off both ends, then lower case as Unicode has it (the Kelvin sign is a k).
std::string trimmedLowerCase(std::string_view text) { return lowercased(trimmingWhitespaceAndNewlines(text)); }

// The ANSI layout's virtual key codes of single characters.
const std::unordered_map<char, std::uint32_t>& characterKeyCodes() {
    static const std::unordered_map<char, std::uint32_t> table{
        {'a', 0},   {'s', 1},  {'d', 2},  {'f', 3},  {'h', 4},  {'g', 5},   {'z', 6},  {'x', 7},
        {'c', 8},   {'v', 9},  {'b', 11}, {'q', 12}, {'w', 13}, {'e', 14},  {'r', 15}, {'y', 16},
        {'t', 17},  {'1', 18}, {'2', 19}, {'3', 20}, {'4', 21}, {'6', 22},  {'5', 23}, {'=', 24},
        {'9', 25},  {'7', 26}, {'-', 27}, {'8', 28}, {'0', 29}, {']', 30},  {'o', 31}, {'u', 32},
        {'[', 33},  {'i', 34}, {'p', 35}, {'l', 37}, {'j', 38}, {'\'', 39}, {'k', 40}, {';', 41},
        {'\\', 42}, {',', 43}, {'/', 44}, {'n', 45}, {'m', 46}, {'.', 47},
    };
    return table;
}

}  // namespace

std::uint32_t keyCodeForKeyName(std::string_view keyName) {
    static constexpr std::pair<std::string_view, std::uint32_t> kNamedKeys[] = {
        {"tab", kTabKeyCode}, {"`", kGraveKeyCode}, {"grave", kGraveKeyCode}, {"left", 123},
        {"\u2190", 123},      {"right", 124},       {"\u2192", 124},          {"up", 126},
        {"\u2191", 126},      {"down", 125},        {"\u2193", 125},          {"space", 49},
        {"escape", 53},       {"esc", 53},
    };
    const auto name = trimmedLowerCase(keyName);
    for (const auto& [named, code] : kNamedKeys) {
        if (name == named) return code;
    }
    if (name.size() == 1) {
        const auto found = characterKeyCodes().find(name.front());
        if (found != characterKeyCodes().end()) return found->second;
    }
    return kTabKeyCode;
}

TriggerModifierMasks triggerModifierMasks(TriggerModifiers modifiers) {
    switch (modifiers) {
        case TriggerModifiers::option:
            return {0x800, 0x80000, false, true, false};
        case TriggerModifiers::command:
            return {0x100, 0x100000, true, false, false};
        case TriggerModifiers::control:
            return {0x1000, 0x40000, false, false, true};
        case TriggerModifiers::optionCommand:
            return {0x900, 0x180000, true, true, false};
        case TriggerModifiers::controlOption:
            return {0x1800, 0xC0000, false, true, true};
    }
    return {};
}

std::optional<std::int64_t> triggerMouseButtonNumber(TriggerMouseButton button) {
    switch (button) {
        case TriggerMouseButton::none:
            return std::nullopt;
        case TriggerMouseButton::middle:
            return 2;
        case TriggerMouseButton::button4:
            return 3;
        case TriggerMouseButton::button5:
            return 4;
    }
    return std::nullopt;
}

bool mouseButtonMatches(TriggerMouseButton button, const MouseEvent& event) {
    const auto expected = triggerMouseButtonNumber(button);
    if (!expected) return false;
    switch (event.type) {
        case EventType::leftMouseDown:
        case EventType::leftMouseUp:
        case EventType::rightMouseDown:
        case EventType::rightMouseUp:
        case EventType::otherMouseDown:
        case EventType::otherMouseUp:
            return event.buttonNumber == *expected;
        default:
            return false;
    }
}

}  // namespace tavelin
