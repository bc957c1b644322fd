#pragma once

// The simulated Mac's text input. The current keyboard input source is set by the tests (none, a
// keyboard layout, or an input mode) and by the JIS keys: Eisu (102) selects the ABC layout, Kana (104)
// the Japanese input mode. Every input context follows the current source:
//   - under a keyboard layout, the key bindings: printable characters are inserted, any other key (and
//     any key with Command or Control) becomes a command;
//   - under an input mode, a scripted input method: letters extend a composition shown as marked text
//     (the candidate window is placed at the client's first rectangle), Space or Return commit it by
//     inserting its scripted conversion (the letters themselves when none is scripted), Delete removes
//     its last letter, Escape cancels it; without a composition, keys go to the key bindings.
// Main thread.

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/TextInput.h"
#include "runtime/SequenceChecker.h"

namespace tavelin::sim {

class SimTextInput final : public TextInput {
  public:
    static TextInputSource abcLayout() { return {TextInputSource::Type::keyboardLayout, {"en"}}; }
    static TextInputSource japaneseInputMode() { return {TextInputSource::Type::keyboardInputMode, {"ja"}}; }

    explicit SimTextInput(SequenceChecker mainThread) : mainThread_(mainThread) {}

    std::optional<TextInputSource> currentKeyboardInputSource() const override {
        mainThread_.check();
        return source_;
    }
    std::unique_ptr<TextInputContext> makeContext(TextInputClient& client) override;

    // --- The world's side ---

    void selectInputSource(std::optional<TextInputSource> source) { source_ = std::move(source); }
    bool inputMethodOn() const {
        return source_ && source_->type == TextInputSource::Type::keyboardInputMode;
    }
    // A composition of exactly these letters commits as `text`.
    void scriptConversion(std::string letters, std::string text) {
        conversions_[std::move(letters)] = std::move(text);
    }
    std::string conversion(const std::string& letters) const;
    // Where the input method last put its candidate window.
    const std::optional<Rect>& candidateWindow() const { return candidateWindow_; }
    void placeCandidateWindow(Rect rect) { candidateWindow_ = rect; }
    // The context the input method serves, as an opaque identity; none before any was activated.
    const void* activeContext() const { return activeContext_; }
    void setActiveContext(const void* context) { activeContext_ = context; }

  private:
    SequenceChecker mainThread_;
    std::optional<TextInputSource> source_ = abcLayout();
    std::map<std::string, std::string, std::less<>> conversions_;
    std::optional<Rect> candidateWindow_;
    const void* activeContext_ = nullptr;
};

}  // namespace tavelin::sim
