#include "platform/sim/SimAppleScripts.h"

#include <charconv>
#include <string_view>

namespace tavelin::sim {
namespace {

constexpr std::string_view kKeyCodeScript = "tell application \"System Events\" to key code ";
constexpr std::string_view kSyntaxError = "Expected end of line but found unknown token.";

struct KeyPress {
    std::int64_t keyCode = 0;
    std::uint64_t flags = 0;
};

std::optional<std::uint64_t> modifierFlag(std::string_view word) {
    if (word == "control down") return kEventFlagControl;
    if (word == "shift down") return kEventFlagShift;
    if (word == "option down") return kEventFlagOption;
    if (word == "command down") return kEventFlagCommand;
    return std::nullopt;
}

// "{control down, shift down}" or a single word without braces.
std::optional<std::uint64_t> modifierFlags(std::string_view text) {
    if (text.starts_with('{')) {
        if (!text.ends_with('}')) return std::nullopt;
        text = text.substr(1, text.size() - 2);
    }
    std::uint64_t flags = 0;
    while (true) {
        const auto comma = text.find(", ");
        const auto flag = modifierFlag(text.substr(0, comma));
        if (!flag) return std::nullopt;
        flags |= *flag;
        if (comma == std::string_view::npos) return flags;
        text.remove_prefix(comma + 2);
    }
}

std::optional<KeyPress> keyPress(std::string_view source) {
    if (!source.starts_with(kKeyCodeScript)) return std::nullopt;
    source.remove_prefix(kKeyCodeScript.size());
    KeyPress press;
    const auto [end, error] = std::from_chars(source.data(), source.data() + source.size(), press.keyCode);
    if (error != std::errc() || press.keyCode < 0) return std::nullopt;
    source.remove_prefix(static_cast<std::size_t>(end - source.data()));
    if (source.empty()) return press;
    constexpr std::string_view kUsing = " using ";
    if (!source.starts_with(kUsing)) return std::nullopt;
    const auto flags = modifierFlags(source.substr(kUsing.size()));
    if (!flags) return std::nullopt;
    press.flags = *flags;
    return press;
}

}  // namespace

class SimAppleScripts::Script final : public AppleScript {
  public:
    Script(SimAppleScripts& owner, std::string source) : owner_(owner), source_(std::move(source)) {}
    std::optional<std::string> execute() override { return owner_.run(source_); }

  private:
    SimAppleScripts& owner_;
    std::string source_;
};

std::unique_ptr<AppleScript> SimAppleScripts::make(std::string source) {
    trace_.record("AppleScript.make " + source);
    if (makeFails_) return nullptr;
    return std::make_unique<Script>(*this, std::move(source));
}

std::optional<std::string> SimAppleScripts::run(const std::string& source) {
    trace_.record("AppleScript.execute");
    const auto press = keyPress(source);
    if (!press) return std::string(kSyntaxError);
    if (refusal_) return refusal_;
    if (press->flags != 0) input_.pressModifiers(press->flags);
    input_.keyDown(press->keyCode);
    input_.keyUp(press->keyCode);
    if (press->flags != 0) input_.releaseModifiers(press->flags);
    return std::nullopt;
}

}  // namespace tavelin::sim
