#pragma once

// The system's text input: the current keyboard input source, and the input contexts through which a
// text view's key events become text. An input context hands a key either to an input method, which
// composes marked text and commits it by inserting, or to the key bindings, which insert printable
// characters and turn other keys into commands ("deleteBackward:", "insertNewline:", ...). The text
// view is the context's client. Main thread.

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Geometry.h"
#include "platform/InputEvent.h"

namespace tavelin {

// A range of a text in UTF-16 units.
struct TextRange {
    static constexpr std::size_t notFound = static_cast<std::size_t>(-1);

    std::size_t location = notFound;
    std::size_t length = 0;

    bool isNotFound() const { return location == notFound; }
    friend bool operator==(const TextRange&, const TextRange&) = default;
};

struct TextInputSource {
    enum class Type { keyboardLayout, keyboardInputMode };

    Type type = Type::keyboardLayout;
    std::vector<std::string> languages;  // "en", "ja", ...
    friend bool operator==(const TextInputSource&, const TextInputSource&) = default;
};

// What an input context asks of the text it types into.
class TextInputClient {
  public:
    virtual ~TextInputClient() = default;

    // Replaces `replacementRange` (not found: the marked text, else the selection) and unmarks.
    virtual void insertText(std::string_view text, TextRange replacementRange) = 0;
    // Replaces the same range by `text` and marks it; `selectedRange` is within the marked text.
    virtual void setMarkedText(std::string_view text, TextRange selectedRange,
                               TextRange replacementRange) = 0;
    virtual void unmarkText() = 0;
    virtual bool hasMarkedText() const = 0;
    virtual void doCommand(std::string_view selector) = 0;
    // Where the range is on screen, for the input method's candidate window; the range it gave.
    virtual Rect firstRect(TextRange range, TextRange* actualRange) = 0;
};

class TextInputContext {
  public:
    virtual ~TextInputContext() = default;

    // Makes this the context that the input method serves.
    virtual void activate() = 0;
    // True when the event was taken.
    virtual bool handleEvent(const InputEvent& event) = 0;
};

class TextInput {
  public:
    virtual ~TextInput() = default;

    // None when the system reports no keyboard input source.
    virtual std::optional<TextInputSource> currentKeyboardInputSource() const = 0;
    // A context for `client`, which must outlive it.
    virtual std::unique_ptr<TextInputContext> makeContext(TextInputClient& client) = 0;
};

}  // namespace tavelin
