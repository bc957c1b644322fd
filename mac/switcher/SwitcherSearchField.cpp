#include "mac/switcher/SwitcherSearchField.h"

#include <algorithm>

#include "platform/KeyboardLayout.h"
#include "protocol/UnicodeText.h"

namespace tavelin {
namespace {

constexpr std::int64_t kDelete = 51;
constexpr std::int64_t kEisu = 102;
constexpr std::int64_t kKana = 104;

// The field's look: invisible, plain, and none of the text system's helpers.
TextView::Options hiddenFieldOptions() {
    return TextView::Options{.editable = true,
                             .selectable = true,
                             .richText = false,
                             .drawsBackground = false,
                             .fieldEditor = false,
                             .clearInsertionPointAndText = true,
                             .automaticSubstitutions = false,
                             .spellAndGrammarChecking = false,
                             .usesFontPanel = false,
                             .focusRing = false};
}

}  // namespace

SwitcherSearchField::SwitcherSearchField(Rect frame, TextInput& textInput) : TextView(frame, textInput) {
    options = hiddenFieldOptions();
}

std::optional<std::string> SwitcherSearchField::plainText(const InputEvent& event) {
    if (event.keyCode == kEisu || event.keyCode == kKana) return std::nullopt;
    auto text = event.charactersIgnoringModifiers.value_or("");
    if (!isPrintableWithoutSpace(text) || hasFunctionKeyCharacter(text)) return std::nullopt;
    return text;
}

void SwitcherSearchField::keyDown(const InputEvent& event) {
    inputContext().activate();
    if (event.keyCode == kDelete) {
        if (!hasMarkedText() && string().empty()) {
            imeSession = false;
            if (onDelete) onDelete();
        } else {
            deleteBackward();
            publish(string());
        }
        return;
    }
    const auto before = string();
    handlingKey = true;
    inputContext().handleEvent(event);
    handlingKey = false;
    if (event.keyCode == kEisu || event.keyCode == kKana) return;
    if (hasMarkedText() || imeSession) return;
    const auto after = string();
    if (after != before) {
        publish(after);
    } else if (const auto plain = plainText(event); plain && onPlainInsert) {
        onPlainInsert(*plain);
    }
}

void SwitcherSearchField::insertText(std::string_view text, TextRange replacementRange) {
    if (isWhitespaceAndNewlinesOnly(text)) return;
    TextView::insertText(text, replacementRange);
}

void SwitcherSearchField::setMarkedText(std::string_view text, TextRange selectedRange,
                                        TextRange replacementRange) {
    imeSession = true;
    TextView::setMarkedText(text, selectedRange, replacementRange);
    const auto shown = string();
    publish(shown.empty() ? std::string(text) : shown);
}

void SwitcherSearchField::unmarkText() {
    imeSession = false;
    TextView::unmarkText();
    publish(string());
}

void SwitcherSearchField::didChangeText() { publish(string()); }

void SwitcherSearchField::publish(const std::string& text) {
    if (handlingKey && text.empty()) return;
    if (onTextChange) onTextChange(text);
}

Rect SwitcherSearchField::firstRect(TextRange range, TextRange* actualRange) {
    if (actualRange) *actualRange = range;
    if (compositionRect) {
        if (const auto rect = compositionRect(); rect.width > 8 && rect.height > 8) return rect;
    }
    if (!window) return Rect{80, 80, 160, 22};
    const auto local = frame.width > 8 ? Rect{0, 0, frame.width, frame.height} : Rect{0, 0, 160, 22};
    const auto panel = window->frame();
    return Rect{panel.x + frame.x + local.x, panel.y + frame.y + local.y, local.width, local.height};
}

namespace SwitcherInputSource {

bool isInputMethodActive(const TextInput& textInput) {
    const auto source = textInput.currentKeyboardInputSource();
    if (!source) return false;
    if (source->type == TextInputSource::Type::keyboardInputMode) return true;
    return std::ranges::find(source->languages, "ja") != source->languages.end();
}

}  // namespace SwitcherInputSource

}  // namespace tavelin
