#include "tools/InputLineInterpreter.h"

#include <algorithm>
#include <iostream>
#include <optional>
#include <utility>
#include <vector>

#include "mac/app/AppDelegate.h"
#include "mac/app/TavelinApplication.h"
#include "platform/KeyboardLayout.h"
#include "platform/sim/SimInputScript.h"
#include "platform/sim/SimMac.h"
#include "tools/EscapedText.h"
#include "tools/SwitcherPanelView.h"
#include "tools/TavelinOptions.h"
#include "tools/WorldCommands.h"

namespace tavelin {
namespace {

constexpr std::string_view kKeyNames = "return, escape, left, right, up, down, space, delete, tab, or a letter";

constexpr std::string_view kHelp =
    "commands:\n"
    "  launch BUNDLE_ID     start an installed application\n"
    "  quit BUNDLE_ID       quit a running application\n"
    "  activate BUNDLE_ID   bring a running application to the front\n"
    "  hide BUNDLE_ID       hide a running application\n"
    "  unhide BUNDLE_ID     show a hidden application again\n"
    "  trash-add NAME       put a new file NAME in the Trash\n"
    "  trash-remove NAME    delete the file NAME from the Trash\n"
    "  show                 open the switcher's panel from the status item and print it\n"
    "  help                 this list\n"
    "  quit                 end the program\n"
    "key lines, as a keyboard would type them:\n"
    "  down MOD, up MOD     press or release a modifier (option, command, control, shift)\n"
    "  tab                  press and release Tab, with the modifiers held\n"
    "  key NAME             press and release a key: return, escape, left, right, up, down, space,\n"
    "                       delete, tab, or a letter\n"
    "  type TEXT            one key press per character, with the modifiers held\n"
    "  wait SECONDS         run the lines after it that much later";

// One step of an input script at time 0 that is one of the kinds given; none for any other.
std::optional<sim::SimInputScript> scriptStep(const std::string& step,
                                              std::initializer_list<sim::SimInputScript::Action> kinds) {
    // A comma would begin a second step.
    if (step.find(',') != std::string::npos) return std::nullopt;
    auto script = sim::SimInputScript::parse("0 " + step);
    if (!script || script->steps().empty()) return std::nullopt;
    for (const auto& parsed : script->steps()) {
        if (std::ranges::find(kinds, parsed.action) == kinds.end()) return std::nullopt;
    }
    return std::move(*script);
}

std::optional<InputLineInterpreter::Stroke> strokeFor(char character) {
    static const USKeyboardLayout layout;
    // The layout's typing keys all lie below the keypad's codes; Tab types no text.
    for (std::int64_t code = 0; code < 64; ++code) {
        if (code == 48) continue;
        for (const bool shift : {false, true}) {
            if (layout.charactersIgnoringModifiers(code, shift ? kEventFlagShift : 0) == std::string(1, character)) {
                return InputLineInterpreter::Stroke{code, shift};
            }
        }
    }
    return std::nullopt;
}

// The first word and the rest of the line after the blanks that follow it.
std::pair<std::string_view, std::string_view> verbAndRest(std::string_view line) {
    const auto start = line.find_first_not_of(' ');
    if (start == std::string_view::npos) return {};
    line.remove_prefix(start);
    const auto end = line.find(' ');
    if (end == std::string_view::npos) return {line, {}};
    const auto rest = line.substr(end).find_first_not_of(' ');
    return {line.substr(0, end), rest == std::string_view::npos ? std::string_view() : line.substr(end + rest)};
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

}  // namespace

InputLineInterpreter::InputLineInterpreter(sim::SimMac& mac, Scheduler& scheduler, TavelinApplication& application,
                                           Print report, Print message, std::function<void()> keysHandled)
    : mac_(mac),
      scheduler_(scheduler),
      application_(application),
      report_(std::move(report)),
      message_(std::move(message)),
      keysHandled_(std::move(keysHandled)) {}

void InputLineInterpreter::take(std::string line) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (waiting_) return held_.push_back(std::move(line));
    run(line);
}

void InputLineInterpreter::hold(Duration duration) {
    waiting_ = true;
    resume_ = scheduler_.main().asyncAfter(duration, [this] { resume(); });
}

void InputLineInterpreter::resume() {
    waiting_ = false;
    while (!waiting_ && !held_.empty()) {
        const auto line = std::move(held_.front());
        held_.pop_front();
        run(line);
    }
}

void InputLineInterpreter::run(const std::string& line) {
    if (mac_.application().isTerminated()) return;
    const auto [verb, rest] = verbAndRest(line);
    if (verb == "wait") {
        const auto seconds = parseSeconds(trimmed(rest));
        if (!seconds) return refuse("wait needs a number of seconds, not \"" + std::string(rest) + "\"");
        return hold(*seconds);
    }
    if (verb == "show" && rest.empty()) return show();
    if (verb == "help" && rest.empty()) return message_(std::string(kHelp));
    if (runKeyLine(line)) return;
    const auto reply = runWorldCommand(line, mac_);
    if (!reply) return refuse(reply.error());
    if (!reply->empty()) message_(escapedText(*reply));
}

void InputLineInterpreter::refuse(const std::string& why) { report_("error: " + escapedText(why)); }

bool InputLineInterpreter::runKeyLine(std::string_view line) {
    const auto [verb, rest] = verbAndRest(line);
    using Action = sim::SimInputScript::Action;
    if (verb == "down" || verb == "up") {
        const auto name = std::string(trimmed(rest));
        const auto script = name.find(' ') == std::string::npos
                                ? scriptStep((verb == "down" ? "press " : "release ") + name, {Action::press, Action::release})
                                : std::nullopt;
        if (!script) return refuse("no modifier \"" + name + "\" (option, command, control, shift)"), true;
        script->play(mac_.input());
        afterKeysHandled([this] { resume(); });
        return true;
    }
    if (verb == "tab" && rest.empty()) {
        scriptStep("tab", {Action::keyDown, Action::keyUp})->play(mac_.input());
        afterKeysHandled([this] { resume(); });
        return true;
    }
    if (verb == "key") {
        const auto name = std::string(trimmed(rest));
        const auto script = name.empty() || name.find(' ') != std::string::npos
                                ? std::nullopt
                                : scriptStep(name, {Action::keyDown, Action::keyUp});
        if (!script) return refuse("no key \"" + name + "\" (" + std::string(kKeyNames) + ")"), true;
        script->play(mac_.input());
        afterKeysHandled([this] { resume(); });
        return true;
    }
    if (verb == "type") {
        std::vector<Stroke> strokes;
        for (const char character : rest) {
            const auto stroke = strokeFor(character);
            if (!stroke) {
                refuse("\"" + std::string(rest) +
                       "\" holds a character that is not on the keyboard; nothing was typed");
                return true;
            }
            strokes.push_back(*stroke);
        }
        if (strokes.empty()) return true;
        typeFrom(std::move(strokes), 0);
        return true;
    }
    return false;
}

void InputLineInterpreter::typeFrom(std::vector<Stroke> strokes, std::size_t index) {
    auto& input = mac_.input();
    const auto& stroke = strokes[index];
    const bool pressShift = stroke.shift && (input.modifierFlags() & kEventFlagShift) == 0;
    if (pressShift) input.pressModifiers(kEventFlagShift);
    input.keyDown(stroke.keyCode);
    input.keyUp(stroke.keyCode);
    if (pressShift) input.releaseModifiers(kEventFlagShift);
    afterKeysHandled([this, strokes = std::move(strokes), index]() mutable {
        if (index + 1 < strokes.size()) return typeFrom(std::move(strokes), index + 1);
        resume();
    });
}

// The keys' delivery is queued on the main queue; what it hands on runs on the turn after it.
void InputLineInterpreter::afterKeysHandled(std::function<void()> next) {
    waiting_ = true;
    const auto alive = std::weak_ptr<int>(alive_);
    scheduler_.main().async([this, alive, next = std::move(next)]() mutable {
        if (alive.expired()) return;
        scheduler_.main().async([this, alive, next = std::move(next)] {
            if (alive.expired()) return;
            if (keysHandled_) keysHandled_();
            next();
        });
    });
}

// As the user does: the status item's "show the switcher" row.
void InputLineInterpreter::show() {
    const auto& switcher = application_.delegate().switcher();
    if (!switcher || !mac_.statusBar().choose(0, StatusItemController::kShowSwitcherTitle)) {
        return refuse("no status item to show the switcher from");
    }
    report_(readableSwitcherPanel(*switcher));
}

}  // namespace tavelin
