#include "platform/TextView.h"

#include <algorithm>

#include "protocol/UnicodeText.h"

namespace tavelin {

TextView::TextView(Rect frame, TextInput& textInput)
    : frame(frame), inputContext_(textInput.makeContext(*this)) {}

std::string TextView::string() const { return utf8(text_); }

void TextView::setString(std::string_view text) {
    text_ = utf16(text);
    marked_ = TextRange{};
    setSelectedRange(selection_);
}

void TextView::setSelectedRange(TextRange range) {
    const auto location = std::min(range.location, text_.size());
    selection_ = TextRange{location, std::min(range.length, text_.size() - location)};
}

void TextView::keyDown(const InputEvent& event) { inputContext_->handleEvent(event); }

TextRange TextView::editRange(TextRange replacementRange) const {
    if (!replacementRange.isNotFound()) return replacementRange;
    return hasMarkedText() ? marked_ : selection_;
}

void TextView::replace(TextRange range, std::u16string_view text) {
    const auto location = std::min(range.location, text_.size());
    const auto length = std::min(range.length, text_.size() - location);
    text_.replace(location, length, text);
}

void TextView::insertText(std::string_view text, TextRange replacementRange) {
    const auto range = editRange(replacementRange);
    const auto units = utf16(text);
    replace(range, units);
    marked_ = TextRange{};
    setSelectedRange(TextRange{range.location + units.size(), 0});
    didChangeText();
}

void TextView::setMarkedText(std::string_view text, TextRange selectedRange, TextRange replacementRange) {
    const auto range = editRange(replacementRange);
    const auto units = utf16(text);
    replace(range, units);
    const auto location = std::min(range.location, text_.size());
    marked_ = units.empty() ? TextRange{} : TextRange{location, units.size()};
    const auto within =
        std::min(selectedRange.isNotFound() ? units.size() : selectedRange.location, units.size());
    setSelectedRange(TextRange{location + within, selectedRange.isNotFound() ? 0 : selectedRange.length});
}

void TextView::unmarkText() { marked_ = TextRange{}; }

void TextView::doCommand(std::string_view selector) {
    if (selector == "deleteBackward:") {
        deleteBackward();
    } else if (selector == "insertNewline:") {
        insertText("\n", TextRange{});
    } else if (selector == "insertTab:") {
        insertText("\t", TextRange{});
    } else if (selector == "moveLeft:") {
        setSelectedRange(TextRange{previousGraphemeBoundary(text_, selection_.location), 0});
    } else if (selector == "moveRight:") {
        setSelectedRange(TextRange{selection_.location + std::max<std::size_t>(selection_.length, 1), 0});
    }
}

Rect TextView::firstRect(TextRange range, TextRange* actualRange) {
    if (actualRange) *actualRange = range;
    const auto window = this->window ? this->window->frame() : Rect{};
    return Rect{window.x + frame.x, window.y + frame.y, frame.width, frame.height};
}

void TextView::deleteBackward() {
    if (selection_.length > 0) {
        replace(selection_, u"");
        selection_.length = 0;
    } else if (selection_.location > 0) {
        const auto start = previousGraphemeBoundary(text_, selection_.location);
        replace(TextRange{start, selection_.location - start}, u"");
        selection_ = TextRange{start, 0};
    } else {
        return;
    }
    marked_ = TextRange{};
    didChangeText();
}

}  // namespace tavelin
