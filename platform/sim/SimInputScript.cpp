#include "platform/sim/SimInputScript.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <utility>

#include "platform/KeyboardLayout.h"

namespace tavelin::sim {
namespace {

// A step's words, lower-cased (ASCII; the vocabulary is ASCII).
std::vector<std::string> words(std::string_view step) {
    std::vector<std::string> result;
    std::string word;
    for (const char c : step) {
        if (c == ' ' || c == '\t' || c == '\r') {
            if (!word.empty()) result.push_back(std::exchange(word, {}));
        } else {
            word.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
        }
    }
    if (!word.empty()) result.push_back(std::move(word));
    return result;
}

template <class Number>
std::optional<Number> number(std::string_view text) {
    Number value{};
    const auto* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end) return std::nullopt;
    return value;
}

std::optional<std::uint64_t> modifiers(std::string_view text) {
    static constexpr std::pair<std::string_view, std::uint64_t> kModifiers[] = {
        {"option", kEventFlagOption}, {"command", kEventFlagCommand},
        {"control", kEventFlagControl}, {"shift", kEventFlagShift}};
    std::uint64_t flags = 0;
    while (!text.empty()) {
        const auto plus = text.find('+');
        const auto name = text.substr(0, plus);
        const auto* found = std::ranges::find(kModifiers, name, &std::pair<std::string_view, std::uint64_t>::first);
        if (found == std::end(kModifiers)) return std::nullopt;
        flags |= found->second;
        text = plus == std::string_view::npos ? std::string_view() : text.substr(plus + 1);
        if (plus != std::string_view::npos && text.empty()) return std::nullopt;
    }
    return flags;
}

std::optional<std::int64_t> keyCode(std::string_view name) {
    static constexpr std::pair<std::string_view, std::int64_t> kNamed[] = {
        {"tab", 48},  {"return", 36}, {"enter", 76}, {"escape", 53}, {"space", 49}, {"delete", 51},
        {"left", 123}, {"right", 124}, {"down", 125}, {"up", 126}, {"f5", 96}};
    for (const auto& [named, code] : kNamed) {
        if (name == named) return code;
    }
    if (name.size() != 1) return std::nullopt;
    // The key that types the character on the US layout.
    static const USKeyboardLayout layout;
    for (std::int64_t code = 0; code < 128; ++code) {
        if (layout.charactersIgnoringModifiers(code, 0) == name) return code;
    }
    return std::nullopt;
}

// The action and its values of a step's words after the stamp; an error text when they make none.
std::expected<SimInputScript::Step, std::string> action(const std::vector<std::string>& w) {
    using Action = SimInputScript::Action;
    SimInputScript::Step step;
    const auto count = w.size() - 1;
    if ((w[1] == "press" || w[1] == "release") && count == 2) {
        const auto flags = modifiers(w[2]);
        if (!flags) return std::unexpected("unknown modifier \"" + w[2] + "\"");
        step.action = w[1] == "press" ? Action::press : Action::release;
        step.flags = *flags;
        return step;
    }
    if (w[1] == "button" && count == 3 && (w[3] == "down" || w[3] == "up")) {
        const auto button = number<std::int64_t>(w[2]);
        if (!button || *button < 0 || *button > 31) return std::unexpected("no mouse button \"" + w[2] + "\"");
        step.action = w[3] == "down" ? Action::buttonDown : Action::buttonUp;
        step.value = *button;
        return step;
    }
    if (w[1] == "wheel" && count == 2) {
        const auto lines = number<std::int64_t>(w[2]);
        if (!lines || *lines == 0 || std::abs(*lines) > 100) return std::unexpected("no wheel notch \"" + w[2] + "\"");
        step.action = Action::wheel;
        step.value = *lines;
        return step;
    }
    if (w[1] == "move" && count == 3) {
        const auto x = number<double>(w[2]);
        const auto y = number<double>(w[3]);
        if (!x || !y || !std::isfinite(*x) || !std::isfinite(*y)) return std::unexpected("no screen point");
        step.action = Action::move;
        step.point = Point{*x, *y};
        return step;
    }
    if (count == 1 || (count == 2 && (w[2] == "down" || w[2] == "up"))) {
        const auto code = keyCode(w[1]);
        if (!code) return std::unexpected("unknown key \"" + w[1] + "\"");
        step.action = count == 2 && w[2] == "up" ? Action::keyUp : Action::keyDown;
        step.value = *code;
        return step;
    }
    return std::unexpected(std::string("unknown action"));
}

}  // namespace

std::expected<SimInputScript, std::string> SimInputScript::parse(std::string_view text) {
    // An hour of typing is more than any script needs; a longer stamp is a typing error.
    constexpr double kLatestStamp = 3600;
    SimInputScript script;
    std::size_t index = 0;
    while (!text.empty()) {
        const auto end = text.find_first_of(",\n");
        const auto raw = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        const auto w = words(raw);
        if (w.empty()) continue;
        ++index;
        const auto fail = [&](const std::string& why) {
            std::string source(raw);
            while (!source.empty() && (source.front() == ' ' || source.front() == '\t')) source.erase(0, 1);
            while (!source.empty() && (source.back() == ' ' || source.back() == '\r')) source.pop_back();
            return std::unexpected("step " + std::to_string(index) + " \"" + source + "\": " + why);
        };
        const auto seconds = number<double>(w[0]);
        if (!seconds || !std::isfinite(*seconds) || *seconds < 0 || *seconds > kLatestStamp)
            return fail("no time in seconds");
        if (w.size() < 2) return fail("no action");
        auto step = action(w);
        if (!step) return fail(step.error());
        step->at = std::chrono::round<Duration>(std::chrono::duration<double>(*seconds));
        script.steps_.push_back(*step);
        // A key alone is pressed and let go at once.
        if (w.size() == 2 && step->action == Action::keyDown) {
            step->action = Action::keyUp;
            script.steps_.push_back(*step);
        }
    }
    return script;
}

void SimInputScript::play(SimInputStream& input) const {
    for (const auto& step : steps_) {
        switch (step.action) {
            case Action::press:
                input.pressModifiers(step.flags, step.at);
                break;
            case Action::release:
                input.releaseModifiers(step.flags, step.at);
                break;
            case Action::keyDown:
                input.keyDown(step.value, step.at);
                break;
            case Action::keyUp:
                input.keyUp(step.value, step.at);
                break;
            case Action::buttonDown:
                input.mouseDown(step.value, step.at);
                break;
            case Action::buttonUp:
                input.mouseUp(step.value, step.at);
                break;
            case Action::wheel:
                input.scrollWheel(step.value, step.value, step.at);
                break;
            case Action::move:
                input.moveMouse(step.point, step.at);
                break;
        }
    }
}

}  // namespace tavelin::sim
