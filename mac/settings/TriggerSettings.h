#pragma once

// The trigger that opens the switcher: a modifier combination held with a key, or a mouse button, and
// what the trigger engine derives from it (the key's virtual key code, whether the trigger takes over
// the system's own switcher keys, whether a mouse event is the trigger's button).

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/MouseEvent.h"
#include "protocol/EnumText.h"

namespace tavelin {

enum class TriggerModifiers { option, command, control, optionCommand, controlOption };
enum class TriggerMouseButton { none, middle, button4, button5 };

template <>
struct EnumText<TriggerModifiers> {
    static constexpr std::string_view names[] = {"option", "command", "control", "optionCommand",
                                                 "controlOption"};
};
template <>
struct EnumText<TriggerMouseButton> {
    static constexpr std::string_view names[] = {"none", "middle", "button4", "button5"};
};

inline constexpr std::uint32_t kTabKeyCode = 48;
inline constexpr std::uint32_t kGraveKeyCode = 50;

// The virtual key code (ANSI layout) of a key name as the user typed it: trimmed and lower-cased, a
// named key ("tab", "grave" or "`", "left" or "←", "esc", ...) or one character of the layout's table.
// Any other name, also an empty one, is Tab.
std::uint32_t keyCodeForKeyName(std::string_view keyName);

// Command-Tab and Command-` belong to the system's own switcher unless the trigger takes them over.
inline bool replacesSystemCommandTab(TriggerModifiers modifiers, std::uint32_t keyCode) {
    return modifiers == TriggerModifiers::command && keyCode == kTabKeyCode;
}
inline bool replacesSystemCommandGrave(TriggerModifiers modifiers, std::uint32_t keyCode) {
    return modifiers == TriggerModifiers::command && keyCode == kGraveKeyCode;
}

// What the trigger's modifiers are to each path that watches them: the hot key's modifier mask, the
// event flags that must all be held, and which of Command, Option and Control the chord has.
struct TriggerModifierMasks {
    std::uint32_t hotKeyModifiers = 0;
    std::uint64_t eventFlags = 0;
    bool requiresCommand = false;
    bool requiresOption = false;
    bool requiresControl = false;
    friend bool operator==(const TriggerModifierMasks&, const TriggerModifierMasks&) = default;
};
TriggerModifierMasks triggerModifierMasks(TriggerModifiers modifiers);

// The trigger button's number (middle 2, button4 3, button5 4); none for `none`.
std::optional<std::int64_t> triggerMouseButtonNumber(TriggerMouseButton button);

// Whether `event` presses or releases `button`: only the mouse-down and mouse-up types count (drags,
// moves and the scroll wheel never do).
bool mouseButtonMatches(TriggerMouseButton button, const MouseEvent& event);

}  // namespace tavelin
