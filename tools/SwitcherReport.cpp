#include "tools/SwitcherReport.h"

#include <charconv>

#include "platform/sim/SimMac.h"
#include "tools/EscapedText.h"
#include "tools/SwitcherPanelView.h"

namespace tavelin {
namespace {

// "RunningApplication.hide 412" as {"RunningApplication.hide", "412"}.
std::pair<std::string_view, std::string_view> split(std::string_view call) {
    const auto blank = call.find(' ');
    if (blank == std::string_view::npos) return {call, {}};
    return {call.substr(0, blank), call.substr(blank + 1)};
}

std::optional<std::int64_t> integer(std::string_view text) {
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// The value of "key=value" among the blank-separated words.
std::string_view field(std::string_view words, std::string_view key) {
    const std::string marker = std::string(key) + "=";
    auto at = words.find(marker);
    if (at == std::string_view::npos) return {};
    words.remove_prefix(at + marker.size());
    return words.substr(0, words.find(' '));
}

}  // namespace

SwitcherReport::SwitcherReport(sim::SimMac& mac, Scheduler& scheduler, Print print)
    : mac_(mac),
      scheduler_(scheduler),
      print_(std::move(print)),
      callsSeen_(mac.calls().calls().size()),
      opensSeen_(mac.workspaceActions().openRequests().size()),
      urlsSeen_(mac.workspaceActions().openedURLs().size()),
      revealsSeen_(mac.workspaceActions().revealed().size()) {
    mac_.calls().setObserver([this, weak = std::weak_ptr<Shared>(shared_)] {
        if (const auto shared = weak.lock(); shared && !shared->queued.exchange(true)) flushSoon();
    });
}

SwitcherReport::~SwitcherReport() {
    mac_.calls().setObserver(nullptr);
    shared_->alive = false;
}

void SwitcherReport::follow(SwitcherController& switcher) {
    switcher_ = &switcher;
    changes_ = switcher.objectWillChange().sink([this](const std::monostate&) {
        if (!shared_->queued.exchange(true)) flushSoon();
    });
}

// From any thread: `this` is only touched on the main queue, once the report is known to be there.
void SwitcherReport::flushSoon() {
    scheduler_.main().async([this, shared = shared_] {
        if (!shared->alive) return;
        shared->queued = false;
        flush();
    });
}

void SwitcherReport::flush() {
    flushWorld();
    flushSwitcher();
}

void SwitcherReport::flushSwitcher() {
    if (!switcher_) return;
    PanelState now;
    const auto navigator = switcher_->navigator.value();
    now.open = switcher_->panel() != nullptr && navigator != nullptr;
    if (now.open) {
        if (const auto& id = switcher_->lastFollowedScreenID()) {
            if (const auto screen = integer(id->rawValue())) now.screen = static_cast<std::uint32_t>(*screen);
        }
        if (const auto& path = navigator->selection()) {
            const auto title = SwitcherController::title(*path, navigator->presentation());
            now.selection = escapedText(title.value_or("(untitled)")) + " at " + std::to_string(path->tierIndex) + "." +
                            std::to_string(path->cellIndex);
        }
        now.search = switcher_->filterText.value();
    }
    if (!now.open) {
        if (last_.open) print_("panel: closed");
        last_ = now;
        return;
    }
    if (!last_.open || now.screen != last_.screen) {
        const Rect frame = switcher_->panel()->window().frame();
        print_("panel: open on screen " + (now.screen ? std::to_string(*now.screen) : std::string("none")) + ", " +
               readableNumber(frame.width) + "x" + readableNumber(frame.height));
    }
    if (now.search != last_.search) print_("search: \"" + escapedText(now.search) + "\"");
    if (!now.selection.empty() && now.selection != last_.selection) print_("selected: " + now.selection);
    last_ = now;
}

void SwitcherReport::flushWorld() {
    // Process identifiers are positive; 0 stands for one that could not be read.
    const auto bundle = [this](std::int64_t id) -> std::string {
        if (id <= 0) return "an unknown process";
        const auto process = mac_.workspace().process(static_cast<std::int32_t>(id));
        const std::string fallback = "process " + std::to_string(id);
        return process ? escapedText(process->bundleIdentifier.value_or(fallback)) : fallback;
    };
    const auto calls = mac_.calls().calls(callsSeen_);
    callsSeen_ += calls.size();
    for (const auto& call : calls) {
        const auto [name, rest] = split(call);
        if (name == "RunningApplication.activate") {
            print_("world: activate " + bundle(integer(split(rest).first).value_or(0)));
        } else if (name == "RunningApplication.hide") {
            print_("world: hide " + bundle(integer(rest).value_or(0)));
        } else if (name == "RunningApplication.terminate" || name == "RunningApplication.forceTerminate") {
            print_("world: quit " + bundle(integer(rest).value_or(0)));
        } else if (name == "_SLPSSetFrontProcessWithOptions") {
            // The serial number's low half is the process identifier over a fixed base.
            const auto serial = field(rest, "psn");
            const auto pid = integer(serial.substr(serial.find(':') + 1)).value_or(0x10000) - 0x10000;
            const auto window = field(rest, "window");
            print_(window == "0" ? "world: activate " + bundle(pid)
                                 : "world: activate window " + std::string(window) + " of " + bundle(pid));
        } else if (call == "Accessibility.perform AXRaise") {
            print_("world: raise a window");
        } else if (call == "Accessibility.set AXPosition") {
            print_("world: move a window");
        }
    }
    // Paths on the simulated Mac's disk as the Mac names them.
    const auto macPath = [this](const std::filesystem::path& path) {
        const auto text = path.string();
        const auto home = mac_.homeFolder().string();
        return escapedText(text.starts_with(home + "/") ? text.substr(home.size()) : text);
    };
    const auto& actions = mac_.workspaceActions();
    for (; opensSeen_ < actions.openRequests().size(); ++opensSeen_) {
        const auto& request = actions.openRequests()[opensSeen_];
        if (request.files.empty()) {
            print_("world: launch " + macPath(request.application));
            continue;
        }
        for (const auto& file : request.files) {
            print_("world: open " + macPath(file) + " with " + macPath(request.application));
        }
    }
    for (; urlsSeen_ < actions.openedURLs().size(); ++urlsSeen_) print_("world: open " + escapedText(actions.openedURLs()[urlsSeen_]));
    for (; revealsSeen_ < actions.revealed().size(); ++revealsSeen_) {
        for (const auto& item : actions.revealed()[revealsSeen_]) print_("world: reveal " + macPath(item));
    }
}

}  // namespace tavelin
