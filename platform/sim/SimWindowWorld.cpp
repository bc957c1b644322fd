#include "platform/sim/SimWindowWorld.h"

#include <algorithm>
#include <set>
#include <utility>

namespace tavelin::sim {
namespace {

// The platform's default messaging timeout.
constexpr double kDefaultMessagingTimeout = 6.0;

bool isApplicationWindow(const SimWindow& window) { return window.ownerPID != 0 && window.layer == 0; }

Point centre(const Rect& rect) { return Point{rect.x + rect.width / 2, rect.y + rect.height / 2}; }

}  // namespace

std::function<std::optional<Bitmap>()> uniformContent(Rgba colour) {
    return [colour] { return std::optional(Bitmap(1, 1, colour)); };
}

std::function<std::optional<Bitmap>()> pictureContent(Bitmap picture) {
    return [picture = std::move(picture)] { return std::optional(picture); };
}

std::function<std::optional<Bitmap>()> patternContent() {
    return [] {
        constexpr int kSide = 64;
        Bitmap picture(kSide, kSide);
        for (int y = 0; y < kSide; ++y) {
            for (int x = 0; x < kSide; ++x) {
                picture.setPixel(x, y, Rgba{static_cast<std::uint8_t>(x * 4), static_cast<std::uint8_t>(y * 4),
                                            static_cast<std::uint8_t>((x ^ y) * 4), 255});
            }
        }
        return std::optional(std::move(picture));
    };
}

SimWindowWorld::SimWindowWorld(Scheduler& scheduler) : scheduler_(scheduler) {}

SimWindowWorld::Entry* SimWindowWorld::find(SimWindowKey key) {
    return const_cast<Entry*>(std::as_const(*this).find(key));
}

const SimWindowWorld::Entry* SimWindowWorld::find(SimWindowKey key) const {
    const auto found = positions_.find(key);
    return found == positions_.end() ? nullptr : &windows_[found->second];
}

void SimWindowWorld::reindexLocked() {
    positions_.clear();
    for (std::size_t i = 0; i < windows_.size(); ++i) positions_.emplace(windows_[i].key, i);
}

SimWindowWorld::Display* SimWindowWorld::displayHolding(std::uint64_t space) {
    return const_cast<Display*>(std::as_const(*this).displayHolding(space));
}

const SimWindowWorld::Display* SimWindowWorld::displayHolding(std::uint64_t space) const {
    const auto found = std::ranges::find_if(
        displays_, [&](const Display& d) { return std::ranges::find(d.spaces, space) != d.spaces.end(); });
    return found == displays_.end() ? nullptr : &*found;
}

const SimWindowWorld::Display* SimWindowWorld::displayUnder(const Rect& bounds) const {
    if (displays_.empty()) return nullptr;
    const double height = primaryHeightLocked();
    const Point middle = centre(bounds);
    for (const auto& display : displays_) {
        if (mouseInRect(middle, windowServerRect(display.display.frame, height), true)) return &display;
    }
    return &displays_.front();
}

double SimWindowWorld::primaryHeightLocked() const {
    return displays_.empty() ? 0 : displays_.front().display.frame.height;
}

bool SimWindowWorld::spaceShowingLocked(std::uint64_t space) const {
    const auto* display = displayHolding(space);
    return display != nullptr && display->currentSpace == space;
}

bool SimWindowWorld::onScreenLocked(const Entry& entry) const {
    const auto& window = entry.window;
    if (!window.onScreen || window.ax.minimized || window.ax.hidden == true) return false;
    if (window.ownerPID != 0) {
        const auto application = applications_.find(window.ownerPID);
        if (application == applications_.end() || !application->second.running || application->second.hidden) {
            return false;
        }
    }
    return !window.space || spaceShowingLocked(*window.space);
}

std::optional<std::uint64_t> SimWindowWorld::spaceToShowLocked(const Entry& entry) const {
    if (!raiseSwitchesSpace_ || !entry.window.space || spaceShowingLocked(*entry.window.space)) return std::nullopt;
    return entry.window.space;
}

void SimWindowWorld::switchLater(std::optional<std::uint64_t> space, Duration delay) {
    if (!space) return;
    after(delay, [this, space = *space] { switchToSpace(space); });
}

void SimWindowWorld::after(Duration delay, Job job) {
    if (delay <= Duration::zero()) {
        job();
        return;
    }
    scheduler_.scheduleWorldEvent(delay, std::move(job));
}

SimWindowKey SimWindowWorld::addWindow(SimWindow window) {
    std::lock_guard lock(mutex_);
    SimWindowKey key = 0;
    if (window.listed) {
        window.number = nextNumber_++;
        key = window.number;
    } else {
        window.number = 0;
        key = nextUnlistedKey_++;
    }
    return insertLocked(key, std::move(window));
}

std::uint32_t SimWindowWorld::reserveNumber() {
    std::lock_guard lock(mutex_);
    return nextNumber_++;
}

std::optional<SimWindowKey> SimWindowWorld::addWindow(SimWindow window, std::uint32_t reservedNumber) {
    std::lock_guard lock(mutex_);
    if (reservedNumber == 0 || reservedNumber >= nextNumber_ || find(reservedNumber) != nullptr)
        return std::nullopt;
    window.number = reservedNumber;
    window.listed = true;
    return insertLocked(reservedNumber, std::move(window));
}

SimWindowKey SimWindowWorld::insertLocked(SimWindowKey key, SimWindow window) {
    const bool application = isApplicationWindow(window);
    if (application) {
        if (!window.content) window.content = patternContent();
        if (!window.space) {
            if (const auto* display = displayUnder(window.bounds)) window.space = display->currentSpace;
        }
        applications_[window.ownerPID];  // known from now on, not running until the workspace says so
        auto& order = applications_[window.ownerPID].order;
        order.insert(order.begin(), key);
    }
    const auto behind =
        std::ranges::find_if(windows_, [&](const Entry& e) { return e.window.layer <= window.layer; });
    windows_.insert(behind, Entry{key, std::move(window)});
    reindexLocked();
    return key;
}

bool SimWindowWorld::removeWindow(SimWindowKey key) {
    std::lock_guard lock(mutex_);
    for (auto& [pid, application] : applications_) std::erase(application.order, key);
    const bool removed = std::erase_if(windows_, [&](const Entry& e) { return e.key == key; }) > 0;
    reindexLocked();
    return removed;
}

std::optional<SimWindow> SimWindowWorld::window(SimWindowKey key) const {
    std::lock_guard lock(mutex_);
    const auto* entry = find(key);
    return entry ? std::optional(entry->window) : std::nullopt;
}

bool SimWindowWorld::setWindow(SimWindowKey key, SimWindow window) {
    std::lock_guard lock(mutex_);
    auto* entry = find(key);
    if (entry == nullptr) return false;
    window.number = entry->window.number;
    window.listed = entry->window.listed;
    window.ownerPID = entry->window.ownerPID;
    window.layer = entry->window.layer;
    entry->window = std::move(window);
    return true;
}

bool SimWindowWorld::setBounds(SimWindowKey key, Rect bounds) {
    std::lock_guard lock(mutex_);
    auto* entry = find(key);
    if (entry == nullptr) return false;
    entry->window.bounds = bounds;
    return true;
}

SimWindowState SimWindowWorld::stateLocked(const Entry& entry) const {
    double scale = entry.window.scale;
    if (entry.window.space) {
        if (const auto* display = displayHolding(*entry.window.space)) scale = display->display.scale;
    }
    return SimWindowState{entry.key, entry.window, onScreenLocked(entry), scale};
}

std::vector<SimWindowState> SimWindowWorld::windows() const {
    std::lock_guard lock(mutex_);
    std::vector<SimWindowState> list;
    list.reserve(windows_.size());
    for (const auto& entry : windows_) list.push_back(stateLocked(entry));
    return list;
}

std::optional<SimWindowState> SimWindowWorld::state(SimWindowKey key) const {
    std::lock_guard lock(mutex_);
    const auto* entry = find(key);
    return entry ? std::optional(stateLocked(*entry)) : std::nullopt;
}

std::vector<SimWindowKey> SimWindowWorld::applicationWindows(std::int32_t processIdentifier) const {
    std::lock_guard lock(mutex_);
    std::vector<SimWindowKey> keys;
    const auto application = applications_.find(processIdentifier);
    if (application == applications_.end()) return keys;
    for (const auto key : application->second.order) {
        const auto* entry = find(key);
        if (entry != nullptr && entry->window.ax.accessible) keys.push_back(key);
    }
    return keys;
}

bool SimWindowWorld::isOnScreen(SimWindowKey key) const {
    std::lock_guard lock(mutex_);
    const auto* entry = find(key);
    return entry != nullptr && onScreenLocked(*entry);
}

bool SimWindowWorld::raise(SimWindowKey key) {
    std::optional<std::uint64_t> space;
    Duration delay{};
    {
        std::lock_guard lock(mutex_);
        const auto found = std::ranges::find(windows_, key, &Entry::key);
        if (found == windows_.end()) return false;
        Entry entry = std::move(*found);
        windows_.erase(found);
        if (entry.window.ax.hidden == true) entry.window.ax.hidden = false;
        const auto behind =
            std::ranges::find_if(windows_, [&](const Entry& e) { return e.window.layer <= entry.window.layer; });
        const auto placed = windows_.insert(behind, std::move(entry));
        reindexLocked();
        if (const auto application = applications_.find(placed->window.ownerPID); application != applications_.end()) {
            auto& order = application->second.order;
            std::erase(order, key);
            order.insert(order.begin(), key);
        }
        space = spaceToShowLocked(*placed);
        delay = switchDelay_;
    }
    switchLater(space, delay);
    return true;
}

bool SimWindowWorld::setHidden(SimWindowKey key, bool hidden) {
    std::lock_guard lock(mutex_);
    auto* entry = find(key);
    if (entry == nullptr) return false;
    entry->window.ax.hidden = hidden;
    return true;
}

bool SimWindowWorld::setMinimized(SimWindowKey key, bool minimized) {
    std::lock_guard lock(mutex_);
    auto* entry = find(key);
    if (entry == nullptr) return false;
    entry->window.ax.minimized = minimized;
    return true;
}

bool SimWindowWorld::setFullScreen(SimWindowKey key, bool fullScreen) {
    std::lock_guard lock(mutex_);
    auto* entry = find(key);
    if (entry == nullptr) return false;
    auto& window = entry->window;
    if (window.ax.fullScreen == fullScreen) return true;
    window.ax.fullScreen = fullScreen;
    Display* display = window.space ? displayHolding(*window.space)
                                    : const_cast<Display*>(displayUnder(window.bounds));
    if (display == nullptr) return true;
    if (fullScreen) {
        entry->boundsBeforeFullScreen = window.bounds;
        window.bounds = windowServerRect(display->display.frame, primaryHeightLocked());
        if (window.space) enterFullScreenSpaceLocked(*entry, *display);
    } else {
        if (entry->boundsBeforeFullScreen) window.bounds = *std::exchange(entry->boundsBeforeFullScreen, std::nullopt);
        leaveFullScreenSpaceLocked(*entry);
    }
    return true;
}

void SimWindowWorld::enterFullScreenSpaceLocked(Entry& entry, Display& display) {
    const auto left = std::ranges::find(display.spaces, *entry.window.space);
    const auto space = nextSpace_++;
    display.spaces.insert(left + 1, space);
    display.fullScreenSpaces.insert(space);
    display.currentSpace = space;
    entry.spaceBeforeFullScreen = std::exchange(entry.window.space, space);
}

void SimWindowWorld::leaveFullScreenSpaceLocked(Entry& entry) {
    const auto before = std::exchange(entry.spaceBeforeFullScreen, std::nullopt);
    if (!before || !entry.window.space) return;
    auto* display = displayHolding(*entry.window.space);
    if (display == nullptr || !display->fullScreenSpaces.erase(*entry.window.space)) return;
    const bool showing = display->currentSpace == *entry.window.space;
    std::erase(display->spaces, *entry.window.space);
    // The Space it left may have gone with its display meanwhile: then the row's first one.
    const bool kept = std::ranges::find(display->spaces, *before) != display->spaces.end();
    entry.window.space = kept ? *before : display->spaces.front();
    if (showing) display->currentSpace = *entry.window.space;
}

void SimWindowWorld::setApplications(const std::vector<Application>& running, std::optional<std::int32_t> frontmost) {
    std::optional<std::uint64_t> space;
    Duration delay{};
    {
        std::lock_guard lock(mutex_);
        std::set<std::int32_t> ended;
        for (auto& [pid, state] : applications_) {
            if (state.running) ended.insert(pid);
            state.running = false;
        }
        for (const auto& application : running) {
            auto& state = applications_[application.processIdentifier];
            state.running = true;
            state.hidden = application.hidden;
            ended.erase(application.processIdentifier);
        }
        // A process that ended takes its windows along.
        std::erase_if(windows_, [&](const Entry& e) { return e.window.ownerPID != 0 && ended.contains(e.window.ownerPID); });
        reindexLocked();
        for (const auto pid : ended) applications_.erase(pid);

        const bool activated = frontmost && frontmost != frontmost_;
        frontmost_ = frontmost;
        if (activated) {
            const Entry* first = nullptr;
            bool showing = false;
            for (const auto key : applications_[*frontmost].order) {
                const auto* entry = find(key);
                if (entry == nullptr || entry->window.ax.minimized) continue;
                if (first == nullptr) first = entry;
                showing = showing || !entry->window.space || spaceShowingLocked(*entry->window.space);
            }
            if (first != nullptr && !showing) space = spaceToShowLocked(*first);
            delay = switchDelay_;
        }
    }
    switchLater(space, delay);
}

bool SimWindowWorld::isRunning(std::int32_t processIdentifier) const {
    std::lock_guard lock(mutex_);
    const auto application = applications_.find(processIdentifier);
    return application != applications_.end() && application->second.running;
}
void SimWindowWorld::setResponsive(std::int32_t processIdentifier, bool responsive) {
    std::lock_guard lock(mutex_);
    applications_[processIdentifier].responsive = responsive;
}

bool SimWindowWorld::isResponsive(std::int32_t processIdentifier) const {
    std::lock_guard lock(mutex_);
    const auto application = applications_.find(processIdentifier);
    return application == applications_.end() || application->second.responsive;
}

void SimWindowWorld::setOwnProcess(std::int32_t processIdentifier) {
    std::lock_guard lock(mutex_);
    ownProcess_ = processIdentifier;
}

std::int32_t SimWindowWorld::ownProcess() const {
    std::lock_guard lock(mutex_);
    return ownProcess_;
}

std::optional<std::int32_t> SimWindowWorld::frontmost() const {
    std::lock_guard lock(mutex_);
    return frontmost_;
}

void SimWindowWorld::setDisplays(const std::vector<SimWorldDisplay>& displays) {
    std::lock_guard lock(mutex_);
    std::vector<Display> next;
    for (const auto& display : displays) {
        const auto known = std::ranges::find_if(
            displays_, [&](const Display& d) { return d.display.identity == display.identity; });
        if (known != displays_.end()) {
            next.push_back(Display{display, known->spaces, known->currentSpace, known->fullScreenSpaces});
            continue;
        }
        Display added{display, {}, 0};
        for (int i = 0; i < std::max(display.spaceCount, 1); ++i) added.spaces.push_back(nextSpace_++);
        added.currentSpace = added.spaces[static_cast<std::size_t>(
            std::clamp(display.currentSpaceIndex, 0, static_cast<int>(added.spaces.size()) - 1))];
        next.push_back(std::move(added));
    }
    const double oldHeight = primaryHeightLocked();
    const auto gone = std::move(displays_);
    displays_ = std::move(next);
    if (displays_.empty()) return;
    // Windows on a display that is gone move to the primary display's current Space, keeping their place
    // relative to their display's top-left corner.
    const auto& primary = displays_.front();
    const Rect to = windowServerRect(primary.display.frame, primaryHeightLocked());
    for (const auto& display : gone) {
        if (displayHolding(display.currentSpace) != nullptr) continue;
        const Rect from = windowServerRect(display.display.frame, oldHeight);
        for (auto& entry : windows_) {
            auto& window = entry.window;
            if (!window.space || std::ranges::find(display.spaces, *window.space) == display.spaces.end()) continue;
            window.space = primary.currentSpace;
            window.bounds.x += to.x - from.x;
            window.bounds.y += to.y - from.y;
        }
    }
}

std::vector<SimDisplaySpaces> SimWindowWorld::displaySpaces() const {
    std::lock_guard lock(mutex_);
    std::vector<SimDisplaySpaces> list;
    for (const auto& display : displays_) {
        SimDisplaySpaces spaces{display.display.identity, display.display.uuid, display.spaces, display.currentSpace};
        for (const auto space : display.spaces) {
            if (display.fullScreenSpaces.contains(space)) spaces.fullScreenSpaces.push_back(space);
        }
        list.push_back(std::move(spaces));
    }
    return list;
}

std::optional<std::uint64_t> SimWindowWorld::addSpace(std::uint64_t displayIdentity) {
    std::lock_guard lock(mutex_);
    const auto found = std::ranges::find_if(
        displays_, [&](const Display& d) { return d.display.identity == displayIdentity; });
    if (found == displays_.end()) return std::nullopt;
    found->spaces.push_back(nextSpace_++);
    return found->spaces.back();
}

bool SimWindowWorld::switchToSpace(std::uint64_t space) {
    std::lock_guard lock(mutex_);
    auto* display = displayHolding(space);
    if (display == nullptr) return false;
    display->currentSpace = space;
    return true;
}

bool SimWindowWorld::switchToSpaceLater(std::uint64_t space) {
    Duration delay{};
    {
        std::lock_guard lock(mutex_);
        if (displayHolding(space) == nullptr) return false;
        delay = switchDelay_;
    }
    switchLater(space, delay);
    return true;
}

void SimWindowWorld::switchToAdjacentSpaceLater(bool left) {
    std::optional<std::uint64_t> space;
    Duration delay{};
    {
        std::lock_guard lock(mutex_);
        if (displays_.empty()) return;
        const auto under = std::ranges::find_if(
            displays_, [&](const Display& d) { return mouseInRect(pointer_, d.display.frame, false); });
        const auto& display = under == displays_.end() ? displays_.front() : *under;
        const auto current = std::ranges::find(display.spaces, display.currentSpace);
        if (current == display.spaces.end()) return;
        if (left && current != display.spaces.begin()) space = *(current - 1);
        if (!left && current + 1 != display.spaces.end()) space = *(current + 1);
        delay = switchDelay_;
    }
    switchLater(space, delay);
}

bool SimWindowWorld::moveWindowToSpace(SimWindowKey key, std::uint64_t space) {
    std::lock_guard lock(mutex_);
    auto* entry = find(key);
    const auto* to = displayHolding(space);
    if (entry == nullptr || to == nullptr || to->fullScreenSpaces.contains(space)) return false;
    auto& window = entry->window;
    const auto* from = window.space ? displayHolding(*window.space) : displayUnder(window.bounds);
    if (from != nullptr && window.space && from->fullScreenSpaces.contains(*window.space)) return false;
    if (from != nullptr && from != to) {
        const double height = primaryHeightLocked();
        const Rect a = windowServerRect(from->display.frame, height);
        const Rect b = windowServerRect(to->display.frame, height);
        window.bounds.x += b.x - a.x;
        window.bounds.y += b.y - a.y;
    }
    window.space = space;
    return true;
}

bool SimWindowWorld::setWindowSpace(SimWindowKey key, std::optional<std::uint64_t> space) {
    std::lock_guard lock(mutex_);
    auto* entry = find(key);
    if (entry == nullptr || (space && displayHolding(*space) == nullptr)) return false;
    entry->window.space = space;
    return true;
}

Rect SimWindowWorld::windowServerBounds(const Rect& frame) const {
    std::lock_guard lock(mutex_);
    return windowServerRect(frame, primaryHeightLocked());
}

Point SimWindowWorld::pointer() const {
    std::lock_guard lock(mutex_);
    return pointer_;
}

void SimWindowWorld::setPointer(Point location) {
    std::lock_guard lock(mutex_);
    pointer_ = location;
}

void SimWindowWorld::warpPointer(Point point) {
    const auto at = scheduler_.clock().uptime();
    std::lock_guard lock(mutex_);
    pointer_ = Point{point.x, primaryHeightLocked() - point.y};
    pointerEvents_.push_back(SimPointerEvent{SimPointerEvent::Kind::warp, point, at});
}

void SimWindowWorld::postMouseMoved(Point point) {
    const auto at = scheduler_.clock().uptime();
    std::lock_guard lock(mutex_);
    pointerEvents_.push_back(SimPointerEvent{SimPointerEvent::Kind::mouseMoved, point, at});
}

std::vector<SimPointerEvent> SimWindowWorld::pointerEvents() const {
    std::lock_guard lock(mutex_);
    return pointerEvents_;
}

void SimWindowWorld::setMessagingTimeout(const AXElement& element, double seconds) {
    std::lock_guard lock(mutex_);
    timeouts_[{element.processIdentifier, element.element}] = seconds;
}

double SimWindowWorld::messagingTimeout(const AXElement& element) const {
    std::lock_guard lock(mutex_);
    const auto found = timeouts_.find({element.processIdentifier, element.element});
    return found == timeouts_.end() ? kDefaultMessagingTimeout : found->second;
}

void SimWindowWorld::setStateDelay(Duration delay) {
    std::lock_guard lock(mutex_);
    stateDelay_ = delay;
}

Duration SimWindowWorld::stateDelay() const {
    std::lock_guard lock(mutex_);
    return stateDelay_;
}

void SimWindowWorld::setSwitchDelay(Duration delay) {
    std::lock_guard lock(mutex_);
    switchDelay_ = delay;
}

void SimWindowWorld::setRaiseSwitchesSpace(bool switches) {
    std::lock_guard lock(mutex_);
    raiseSwitchesSpace_ = switches;
}

}  // namespace tavelin::sim
