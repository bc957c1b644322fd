#include "tools/SwitcherReport.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "platform/FileURL.h"
#include "platform/sim/SimMac.h"
#include "protocol/NumberText.h"
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

// "3 items", "1 item".
std::string counted(std::size_t count, const std::string& noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

// The folders at the top of the simulated Mac's disk; everything else there is the user's.
constexpr std::array<std::string_view, 5> kSystemFolders = {"Applications", "Library", "System", "Users", "Volumes"};

}  // namespace

SwitcherReport::SwitcherReport(sim::SimMac& mac, Scheduler& scheduler, Print print)
    : mac_(mac),
      scheduler_(scheduler),
      print_(std::move(print)),
      callsSeen_(mac.calls().calls().size()),
      opensSeen_(mac.workspaceActions().openRequests().size()),
      urlsSeen_(mac.workspaceActions().openedURLs().size()),
      revealsSeen_(mac.workspaceActions().revealed().size()) {
    rememberProcesses();
    windows_ = listedWindows();
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
    const auto changed = [this](const std::monostate&) {
        if (!shared_->queued.exchange(true)) flushSoon();
    };
    changes_ = switcher.objectWillChange().sink(changed);
    // A windows list's content arrives after its popover shows.
    menuChanges_ = switcher.dockAnchoredMenu().model.objectWillChange().sink(changed);
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
        now.folder = folderLine();
        now.windows = windowsLine();
    }
    if (!now.open) {
        flushOverlays(now);
        if (last_.open) print_("panel: closed");
        last_ = now;
        return;
    }
    if (!last_.open || now.screen != last_.screen) {
        const Rect frame = switcher_->panel()->window().frame();
        print_("panel: open on screen " + (now.screen ? std::to_string(*now.screen) : std::string("none")) + ", " +
               shortestText(frame.width) + "x" + shortestText(frame.height));
    }
    if (now.search != last_.search) print_("search: \"" + escapedText(now.search) + "\"");
    if (!now.selection.empty() && now.selection != last_.selection) print_("selected: " + now.selection);
    flushOverlays(now);
    last_ = now;
}

void SwitcherReport::flushOverlays(const PanelState& now) {
    if (now.folder != last_.folder) print_(now.folder.empty() ? "folder: closed" : "folder: " + now.folder);
    if (now.windows != last_.windows) print_(now.windows.empty() ? "windows: closed" : "windows: " + now.windows);
}

// "Applications, 4 items, focused Safari.app": the level on top, as filtered.
std::string SwitcherReport::folderLine() const {
    const auto& popover = switcher_->folderPopover();
    if (!popover.isShown() || popover.model.levels.empty()) return {};
    const auto& top = popover.model.levels.back();
    const auto visible = popover.model.visibleChildren(top);
    std::string line = escapedText(top.title) + ", " + counted(visible.size(), "item");
    const auto focus = popover.model.focusIndex;
    if (focus && *focus >= 0 && static_cast<std::size_t>(*focus) < visible.size())
        line += ", focused " + escapedText(visible[static_cast<std::size_t>(*focus)].title);
    return line;
}

// "Safari, 2 windows, focused Apple", once the list has been read.
std::string SwitcherReport::windowsLine() const {
    const auto& menu = switcher_->dockAnchoredMenu();
    const auto& presented = menu.model.presentedItemID.value();
    if (!menu.showsWindowsList() || !menu.model.snapshot.value() || !presented) return {};
    const auto navigator = switcher_->navigator.value();
    const auto path = switcher_->pathFor(*presented);
    const auto title = path && navigator ? SwitcherController::title(*path, navigator->presentation()) : std::nullopt;
    std::string line = escapedText(title.value_or("(untitled)")) + ", " + counted(menu.displayedWindows().size(), "window");
    if (const auto focused = menu.focusedWindow()) line += ", focused " + escapedText(focused->title);
    return line;
}

void SwitcherReport::rememberProcesses() {
    for (const auto& process : mac_.workspace().processes()) {
        if (process.bundleIdentifier) bundles_.insert_or_assign(process.processIdentifier, *process.bundleIdentifier);
    }
}

std::string SwitcherReport::bundle(std::int64_t processIdentifier) {
    // Process identifiers are positive; 0 stands for one that could not be read.
    if (processIdentifier <= 0) return "an unknown process";
    const auto known = bundles_.find(static_cast<std::int32_t>(processIdentifier));
    return known != bundles_.end() ? escapedText(known->second) : "process " + std::to_string(processIdentifier);
}

// The windows of applications that the window server lists, by number.
std::map<std::uint32_t, SwitcherReport::WindowSeen> SwitcherReport::listedWindows() const {
    std::map<std::uint32_t, WindowSeen> listed;
    const auto own = mac_.windowWorld().ownProcess();
    for (const auto& state : mac_.windowWorld().windows()) {
        const auto& window = state.window;
        if (window.number == 0 || window.ownerPID <= 0 || window.ownerPID == own) continue;
        listed.emplace(window.number, WindowSeen{window.ownerPID, window.ax.minimized});
    }
    return listed;
}

// "~/Documents/a.pdf" for HOME/Documents/a.pdf, "/Applications/Safari.app" for HOME/Applications/....
std::string SwitcherReport::macPath(const std::filesystem::path& path) const {
    const auto text = droppingTrailingSlash(path.string());
    const auto home = mac_.homeFolder().string();
    if (!text.starts_with(home + "/")) return escapedText(text);
    const auto inside = text.substr(home.size() + 1);
    const auto top = std::string_view(inside).substr(0, inside.find('/'));
    return escapedText((std::ranges::find(kSystemFolders, top) != kSystemFolders.end() ? "/" : "~/") + inside);
}

bool SwitcherReport::isInstalledApplication(const std::filesystem::path& path) const {
    const std::filesystem::path bundle = droppingTrailingSlash(path.string());
    return std::ranges::any_of(mac_.workspace().installedApplications(),
                               [&](const auto& application) { return application.path == bundle; });
}

void SwitcherReport::flushWorld() {
    rememberProcesses();
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
    flushWindows();
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
    for (; urlsSeen_ < actions.openedURLs().size(); ++urlsSeen_) {
        const auto& url = actions.openedURLs()[urlsSeen_];
        // A file or folder opens with the application the Mac picks for it, as the Dock opens it; an
        // application opens by itself.
        const auto path = filePathFromURL(url);
        auto application = path ? mac_.workspace().urlForApplicationToOpen(*path) : std::nullopt;
        if (path && isInstalledApplication(*path)) application.reset();
        print_("world: open " + (path ? macPath(*path) : escapedText(url)) +
               (application ? " with " + macPath(*application) : ""));
    }
    for (; revealsSeen_ < actions.revealed().size(); ++revealsSeen_) {
        for (const auto& item : actions.revealed()[revealsSeen_]) print_("world: reveal " + macPath(item));
    }
}

void SwitcherReport::flushWindows() {
    auto now = listedWindows();
    for (const auto& [number, seen] : windows_) {
        const auto still = now.find(number);
        // The windows of an application that quit go with it.
        if (still == now.end() && mac_.workspace().process(seen.owner)) {
            print_("world: close window " + std::to_string(number) + " of " + bundle(seen.owner));
        } else if (still != now.end() && still->second.minimized && !seen.minimized) {
            print_("world: minimise window " + std::to_string(number) + " of " + bundle(seen.owner));
        }
    }
    windows_ = std::move(now);
}

}  // namespace tavelin
