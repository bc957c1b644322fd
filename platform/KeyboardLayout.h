#pragma once

// Which text a key makes with the modifiers held: the system's keyboard layout. USKeyboardLayout is the
// US layout of a Mac keyboard, small: letters, digits and punctuation with Shift, letters with Option
// (Option-Shift as Option), Control with a letter as its control code, Command leaving the text
// unchanged, and the named keys (Return, Tab, Space, Delete, Escape, keypad Enter, the arrows, F1 to
// F12) with their fixed texts. Keys it does not know make no text. Any thread.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/InputEvent.h"

namespace tavelin {

class KeyboardLayout {
  public:
    virtual ~KeyboardLayout() = default;

    virtual std::string characters(std::int64_t keyCode, std::uint64_t flags) const = 0;
    // The text with every modifier but Shift ignored.
    virtual std::string charactersIgnoringModifiers(std::int64_t keyCode, std::uint64_t flags) const = 0;
};

class USKeyboardLayout final : public KeyboardLayout {
  public:
    std::string characters(std::int64_t keyCode, std::uint64_t flags) const override;
    std::string charactersIgnoringModifiers(std::int64_t keyCode, std::uint64_t flags) const override;
};

// The platform's function keys (the arrows, F1 to F12, ...) make characters of the private-use block
// U+F700 to U+F8FF, which are no text.
bool hasFunctionKeyCharacter(std::string_view text);

// Gives a key event its low-level record and both texts by `layout`; other events only the record.
void translateKeyEvent(InputEvent& event, std::shared_ptr<const KeyboardLayout> layout);

}  // namespace tavelin
