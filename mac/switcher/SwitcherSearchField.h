#pragma once

// The switcher's hidden search field: an invisible text view in the panel that holds the keyboard, so
// that typed and composed text (an input method's marked text included) reaches the search. It reports
// its whole text through onTextChange, a Delete on an empty field through onDelete, and a key that
// changed nothing but carries plain text through onPlainInsert. It is not drawn and takes no clicks (no
// view hit-tests it), never inserts text that is only white space, and ignores the text system's key
// bindings (new line, moving the insertion point). Made at each opening of the panel and dropped at
// closing. Main thread.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/TextView.h"

namespace tavelin {

class SwitcherSearchField final : public TextView {
  public:
    // The only initialiser (the view is never read from an archive).
    SwitcherSearchField(Rect frame, TextInput& textInput);

    std::function<void(const std::string& text)> onTextChange;
    std::function<void()> onDelete;
    std::function<void(const std::string& text)> onPlainInsert;
    // The screen rectangle for the input method's candidate window.
    std::function<Rect()> compositionRect;
    bool imeSession = false;   // an input method's composition is under way
    bool handlingKey = false;  // a key is being handed to the input context

    bool acceptsFirstResponder() const override { return true; }

    void keyDown(const InputEvent& event) override;
    void insertText(std::string_view text, TextRange replacementRange) override;
    void setMarkedText(std::string_view text, TextRange selectedRange, TextRange replacementRange) override;
    void unmarkText() override;
    void didChangeText() override;
    void doCommand(std::string_view /*selector*/) override {}
    Rect firstRect(TextRange range, TextRange* actualRange) override;

    // What a key contributes as plain text: its characters ignoring modifiers when they are printable
    // without white space; none for the JIS Eisu and Kana keys.
    static std::optional<std::string> plainText(const InputEvent& event);

  private:
    void publish(const std::string& text);
};

// Whether an input method is active: an input mode is current, or the current layout is for Japanese.
namespace SwitcherInputSource {
bool isInputMethodActive(const TextInput& textInput);
}

}  // namespace tavelin
