#include "platform/sim/SimTextInput.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "platform/KeyboardLayout.h"

namespace tavelin::sim {
namespace {

constexpr std::int64_t kReturn = 36;
constexpr std::int64_t kTab = 48;
constexpr std::int64_t kSpace = 49;
constexpr std::int64_t kDelete = 51;
constexpr std::int64_t kEscape = 53;
constexpr std::int64_t kEisu = 102;
constexpr std::int64_t kKana = 104;
constexpr std::int64_t kKeypadEnter = 76;

std::string_view commandFor(std::int64_t keyCode) {
    switch (keyCode) {
        case kReturn:
        case kKeypadEnter:
            return "insertNewline:";
        case kTab:
            return "insertTab:";
        case kDelete:
            return "deleteBackward:";
        case kEscape:
            return "cancelOperation:";
        case 123:
            return "moveLeft:";
        case 124:
            return "moveRight:";
        case 125:
            return "moveDown:";
        case 126:
            return "moveUp:";
        default:
            return "noop:";
    }
}

// Text the key bindings insert: no control character and no function key.
bool isInsertable(std::string_view text) {
    return !text.empty() && !hasFunctionKeyCharacter(text) && std::ranges::none_of(text, [](char c) {
        return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
    });
}

class Context final : public TextInputContext {
  public:
    Context(SimTextInput& input, TextInputClient& client) : input_(input), client_(client) {}
    ~Context() override {
        if (input_.activeContext() == this) input_.setActiveContext(nullptr);
    }

    void activate() override { input_.setActiveContext(this); }

    bool handleEvent(const InputEvent& event) override {
        if (event.type != EventType::keyDown) return false;
        if (event.keyCode == kEisu || event.keyCode == kKana) {
            if (!composition_.empty()) commit();
            input_.selectInputSource(event.keyCode == kKana ? SimTextInput::japaneseInputMode()
                                                            : SimTextInput::abcLayout());
            return true;
        }
        if (input_.inputMethodOn() && compose(event)) return true;
        bindKey(event);
        return true;
    }

  private:
    // The input method's part; false when the key goes to the key bindings.
    bool compose(const InputEvent& event) {
        const auto letter = event.charactersIgnoringModifiers.value_or("");
        const bool chord = (event.flags & (kEventFlagCommand | kEventFlagControl)) != 0;
        if (!chord && letter.size() == 1 && std::isalpha(static_cast<unsigned char>(letter[0]))) {
            composition_ += letter;
            mark();
            return true;
        }
        if (composition_.empty()) return false;
        switch (event.keyCode) {
            case kSpace:
            case kReturn:
                commit();
                break;
            case kEscape:
                composition_.clear();
                client_.setMarkedText("", TextRange{0, 0}, TextRange{});
                client_.unmarkText();
                break;
            case kDelete:
                composition_.pop_back();
                if (composition_.empty()) {
                    client_.setMarkedText("", TextRange{0, 0}, TextRange{});
                    client_.unmarkText();
                } else {
                    mark();
                }
                break;
            default:
                break;
        }
        return true;
    }

    void mark() {
        const auto length = composition_.size();
        client_.setMarkedText(composition_, TextRange{length, 0}, TextRange{});
        TextRange actual;
        input_.placeCandidateWindow(client_.firstRect(TextRange{0, length}, &actual));
    }

    void commit() {
        const auto text = input_.conversion(composition_);
        composition_.clear();
        client_.insertText(text, TextRange{});
    }

    void bindKey(const InputEvent& event) {
        const auto text = event.characters.value_or("");
        const bool chord = (event.flags & (kEventFlagCommand | kEventFlagControl)) != 0;
        if (!chord && isInsertable(text)) {
            client_.insertText(text, TextRange{});
        } else {
            client_.doCommand(chord ? std::string_view("noop:") : commandFor(event.keyCode));
        }
    }

    SimTextInput& input_;
    TextInputClient& client_;
    std::string composition_;
};

}  // namespace

std::string SimTextInput::conversion(const std::string& letters) const {
    const auto found = conversions_.find(letters);
    return found == conversions_.end() ? letters : found->second;
}

std::unique_ptr<TextInputContext> SimTextInput::makeContext(TextInputClient& client) {
    mainThread_.check();
    return std::make_unique<Context>(*this, client);
}

}  // namespace tavelin::sim
