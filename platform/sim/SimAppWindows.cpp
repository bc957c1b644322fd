#include "platform/sim/SimAppWindows.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "protocol/NumberText.h"

namespace tavelin::sim {

namespace {

std::string hex(std::uint64_t value) {
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "0x%llX", static_cast<unsigned long long>(value));
    return buffer;
}

}  // namespace

class SimAppWindows::Window final : public AppWindow {
  public:
    Window(SimAppWindows& windows, std::shared_ptr<WindowState> state)
        : windows_(windows), state_(std::move(state)) {}
    ~Window() override {
        windows_.mainThread_.check();
        state_->released = true;
        state_->delegate = nullptr;
        windows_.hide(*state_);
    }

    void setDelegate(AppWindowDelegate* delegate) override {
        windows_.mainThread_.check();
        state_->delegate = delegate;
    }
    void center() override {
        windows_.mainThread_.check();
        record("center");
        state_->centred = true;
    }
    void makeKeyAndOrderFront() override {
        windows_.mainThread_.check();
        record("show");
        windows_.makeKeyAndFront(*state_);
    }
    bool isVisible() const override {
        windows_.mainThread_.check();
        return state_->visible;
    }
    void close() override {
        windows_.mainThread_.check();
        if (!state_->visible) return;
        record("close");
        if (state_->delegate) state_->delegate->windowWillClose();
        windows_.hide(*state_);
    }

  private:
    void record(const char* call) {
        windows_.trace_.record(std::string("Windows.") + call + " " + state_->configuration.title);
    }

    SimAppWindows& windows_;
    std::shared_ptr<WindowState> state_;
};

std::unique_ptr<AppWindow> SimAppWindows::makeWindow(AppWindowConfiguration configuration) {
    mainThread_.check();
    trace_.record("Windows.make " + configuration.title);
    auto state = std::make_shared<WindowState>();
    state->configuration = std::move(configuration);
    state->number = newNumber();
    windows_.push_back(state);
    return std::make_unique<Window>(*this, std::move(state));
}

std::vector<SimAppWindows::WindowState> SimAppWindows::windows() const {
    std::vector<WindowState> states;
    for (const auto& state : windows_) states.push_back(*state);
    return states;
}

const SimAppWindows::WindowState* SimAppWindows::window(std::string_view title) const {
    for (auto it = windows_.rbegin(); it != windows_.rend(); ++it) {
        if ((*it)->configuration.title == title) return it->get();
    }
    return nullptr;
}

bool SimAppWindows::userCloses(std::string_view title) {
    for (auto it = windows_.rbegin(); it != windows_.rend(); ++it) {
        auto& state = **it;
        if (state.configuration.title != title || !state.visible) continue;
        trace_.record("Windows.userCloses " + state.configuration.title);
        if (state.delegate) state.delegate->windowWillClose();
        hide(state);
        return true;
    }
    return false;
}

void SimAppWindows::makeKeyAndFront(WindowState& shown) {
    for (const auto& state : windows_) state->front = false;
    shown.visible = shown.front = true;
    ++shown.timesShown;
    setKey(shown.number);
}

void SimAppWindows::hide(WindowState& state) {
    state.visible = state.front = false;
    if (key_ == state.number) setKey(std::nullopt);
}

std::optional<KeyWindow> SimAppWindows::keyWindow() const {
    mainThread_.check();
    if (!key_) return std::nullopt;
    for (const auto& popover : popovers_) {
        if (popover->number == *key_) return KeyWindow{*key_, popover->parent};
    }
    return KeyWindow{*key_, std::nullopt};
}

std::optional<Rect> SimAppWindows::keyWindowFrame() const {
    if (!key_) return std::nullopt;
    if (const auto* panel = panelState(*key_)) return panel->frame;
    for (const auto& popover : popovers_) {
        if (popover->number == *key_) return popover->frame;
    }
    return std::nullopt;
}

void SimAppWindows::setKey(std::optional<OwnWindowNumber> number) {
    if (key_ == number) return;
    const auto resigned = std::exchange(key_, number);
    for (const auto& state : windows_) state->key = key_ == state->number;
    if (!resigned) return;
    if (auto* panel = panelState(*resigned); panel && panel->delegate) panel->delegate->windowDidResignKey();
}

Responder* SimAppWindows::keyResponder() const {
    const auto* panel = key_ ? panelState(*key_) : nullptr;
    return panel ? panel->firstResponder : nullptr;
}

std::optional<std::pair<OwnWindowNumber, Rect>> SimAppWindows::windowAt(Point point) const {
    // Popovers float above the panels they hang from; among each, the one made last is in front.
    for (auto popover = popovers_.rbegin(); popover != popovers_.rend(); ++popover) {
        const auto& state = **popover;
        if (!state.released && state.shown && mouseInRect(point, state.frame, false))
            return std::pair{state.number, state.frame};
    }
    for (auto panel = panels_.rbegin(); panel != panels_.rend(); ++panel) {
        const auto& state = **panel;
        if (!state.released && state.visible && mouseInRect(point, state.frame, false))
            return std::pair{state.number, state.frame};
    }
    return std::nullopt;
}

SimAppWindows::PanelState* SimAppWindows::panelState(OwnWindowNumber number) const {
    for (const auto& panel : panels_) {
        if (panel->number == number) return panel.get();
    }
    return nullptr;
}

bool SimAppWindows::makeKey(OwnWindowNumber number) {
    const bool onScreen = std::ranges::any_of(windows_, [&](const auto& w) { return w->number == number && w->visible; }) ||
                          std::ranges::any_of(panels_, [&](const auto& p) { return p->number == number && p->visible; }) ||
                          std::ranges::any_of(popovers_, [&](const auto& p) { return p->number == number && p->shown; });
    if (!onScreen) return false;
    trace_.record("Windows.userMakesKey " + std::to_string(number));
    setKey(number);
    return true;
}

void SimAppWindows::resignKeyWindow() { setKey(std::nullopt); }

std::vector<SimAppWindows::PanelState> SimAppWindows::panels() const {
    std::vector<PanelState> states;
    for (const auto& state : panels_) states.push_back(*state);
    return states;
}

std::vector<SimAppWindows::PopoverState> SimAppWindows::popovers() const {
    std::vector<PopoverState> states;
    for (const auto& state : popovers_) states.push_back(*state);
    return states;
}

class SimAppWindows::Panel final : public AppPanel {
  public:
    Panel(SimAppWindows& windows, std::shared_ptr<PanelState> state) : windows_(windows), state_(std::move(state)) {}
    ~Panel() override {
        windows_.mainThread_.check();
        state_->delegate = nullptr;
        state_->firstResponder = nullptr;
        state_->pointerInput = nullptr;
        state_->released = true;
        hide();
    }

    OwnWindowNumber windowNumber() const override {
        windows_.mainThread_.check();
        return state_->number;
    }
    void setFloatingPanel(bool floating) override {
        windows_.mainThread_.check();
        record(floating ? "setFloatingPanel on" : "setFloatingPanel off");
        state_->floating = floating;
    }
    void setLevel(std::int64_t level) override {
        windows_.mainThread_.check();
        record("setLevel " + std::to_string(level));
        state_->level = level;
        if (state_->visible) windows_.orderIn(*state_);
    }
    void setCollectionBehavior(std::uint64_t behavior) override {
        windows_.mainThread_.check();
        record("setCollectionBehavior " + hex(behavior));
        state_->collectionBehavior = behavior;
    }
    void setMovableByWindowBackground(bool movable) override {
        windows_.mainThread_.check();
        record(movable ? "setMovableByWindowBackground on" : "setMovableByWindowBackground off");
        state_->movableByWindowBackground = movable;
    }
    void setBackgroundColorClear() override {
        windows_.mainThread_.check();
        record("setBackgroundColor clear");
        state_->backgroundClear = true;
    }
    void setBecomesKeyOnlyIfNeeded(bool onlyIfNeeded) override {
        windows_.mainThread_.check();
        record(onlyIfNeeded ? "setBecomesKeyOnlyIfNeeded on" : "setBecomesKeyOnlyIfNeeded off");
        state_->becomesKeyOnlyIfNeeded = onlyIfNeeded;
    }
    void setContentView(std::string name, bool clips) override {
        windows_.mainThread_.check();
        record("setContentView " + name + (clips ? "" : " unclipped"));
        state_->contentView = std::move(name);
        state_->contentClips = clips;
    }
    void setAppearance(std::optional<Appearance> appearance) override {
        windows_.mainThread_.check();
        record(!appearance ? "setAppearance none"
                           : appearance == Appearance::aqua ? "setAppearance aqua" : "setAppearance darkAqua");
        state_->appearance = appearance;
    }
    Appearance effectiveAppearance() const override {
        windows_.mainThread_.check();
        return state_->appearance.value_or(windows_.systemAppearance_);
    }
    void setPointerInputView(PointerInputView* view) override {
        windows_.mainThread_.check();
        state_->pointerInput = view;
    }
    Rect frame() const override {
        windows_.mainThread_.check();
        return state_->frame;
    }
    void setContentSize(double width, double height) override {
        windows_.mainThread_.check();
        record("setContentSize " + shortestText(width) + "x" + shortestText(height));
        state_->frame.width = width;
        state_->frame.height = height;
        windows_.move(state_->number, state_->frame);
    }
    void setFrameOrigin(Point origin) override {
        windows_.mainThread_.check();
        record("setFrameOrigin " + shortestText(origin.x) + "," + shortestText(origin.y));
        state_->frame.x = origin.x;
        state_->frame.y = origin.y;
        windows_.move(state_->number, state_->frame);
    }
    void setDelegate(AppPanelDelegate* delegate) override {
        windows_.mainThread_.check();
        record(delegate ? "setDelegate" : "setDelegate none");
        state_->delegate = delegate;
    }
    void makeKeyAndOrderFront() override {
        windows_.mainThread_.check();
        record("makeKeyAndOrderFront");
        state_->visible = true;
        windows_.orderIn(*state_);
        windows_.setKey(state_->number);
    }
    void orderOut() override {
        windows_.mainThread_.check();
        record("orderOut");
        hide();
    }
    bool isVisible() const override {
        windows_.mainThread_.check();
        return state_->visible;
    }
    bool isKeyWindow() const override {
        windows_.mainThread_.check();
        return windows_.key_ == state_->number;
    }
    bool makeFirstResponder(Responder* responder) override {
        windows_.mainThread_.check();
        if (responder && !responder->acceptsFirstResponder()) return false;
        record("makeFirstResponder");
        state_->firstResponder = responder;
        return true;
    }
    Responder* firstResponder() const override {
        windows_.mainThread_.check();
        return state_->firstResponder;
    }

  private:
    void hide() {
        state_->visible = false;
        windows_.orderOut(*state_);
        if (windows_.key_ == state_->number) windows_.setKey(std::nullopt);
    }
    void record(std::string call) { windows_.trace_.record("Panel." + call); }

    SimAppWindows& windows_;
    std::shared_ptr<PanelState> state_;
};

class SimAppWindows::Popover final : public AppPopover {
  public:
    Popover(SimAppWindows& windows, std::shared_ptr<PopoverState> state)
        : windows_(windows), state_(std::move(state)) {}
    ~Popover() override {
        windows_.mainThread_.check();
        state_->released = true;
        close();
    }

    OwnWindowNumber windowNumber() const override {
        windows_.mainThread_.check();
        return state_->number;
    }
    void show(const Rect& anchor, const AppPanel& parent) override {
        windows_.mainThread_.check();
        windows_.trace_.record("Popover.show");
        state_->anchor = anchor;
        state_->parent = parent.windowNumber();
        state_->shown = true;
        place();
        windows_.orderIn(*state_);
    }
    void setContentSize(double width, double height) override {
        windows_.mainThread_.check();
        state_->frame.width = width;
        state_->frame.height = height;
        place();
        windows_.move(state_->number, state_->frame);
    }
    void close() override {
        windows_.mainThread_.check();
        if (!state_->shown) return;
        windows_.trace_.record("Popover.close");
        state_->shown = false;
        windows_.orderOut(*state_);
        if (windows_.key_ == state_->number) windows_.setKey(std::nullopt);
    }
    bool isShown() const override {
        windows_.mainThread_.check();
        return state_->shown;
    }
    std::optional<Rect> windowFrame() const override {
        windows_.mainThread_.check();
        return state_->shown ? std::optional(state_->frame) : std::nullopt;
    }

  private:
    // Hangs below the anchor, centred on it.
    void place() {
        const Rect& anchor = state_->anchor;
        state_->frame.x = anchor.x + anchor.width / 2 - state_->frame.width / 2;
        state_->frame.y = anchor.y - state_->frame.height;
    }

    SimAppWindows& windows_;
    std::shared_ptr<PopoverState> state_;
};

std::unique_ptr<AppPanel> SimAppWindows::makePanel(PanelConfiguration configuration) {
    mainThread_.check();
    trace_.record("Panel.make " + shortestText(configuration.contentRect.width) + "x" +
                  shortestText(configuration.contentRect.height) + " style=" + hex(configuration.styleMask));
    auto state = std::make_shared<PanelState>();
    state->number = newNumber();
    state->frame = configuration.contentRect;
    state->configuration = configuration;
    panels_.push_back(state);
    return std::make_unique<Panel>(*this, std::move(state));
}

std::unique_ptr<AppPopover> SimAppWindows::makePopover() {
    mainThread_.check();
    auto state = std::make_shared<PopoverState>();
    state->number = newNumber();
    popovers_.push_back(state);
    return std::make_unique<Popover>(*this, std::move(state));
}

namespace {

// One of the program's windows as the window server lists it: no title, and not served through
// Accessibility, which the program does not ask about itself.
SimWindow ownWindow(std::int32_t process, std::int64_t level, const Rect& bounds) {
    SimWindow window{.ownerPID = process, .layer = level, .bounds = bounds};
    window.ax.accessible = false;
    return window;
}

}  // namespace

void SimAppWindows::orderIn(const PanelState& panel) {
    world_.removeWindow(panel.number);
    world_.addWindow(ownWindow(world_.ownProcess(), panel.level, world_.windowServerBounds(panel.frame)),
                     static_cast<std::uint32_t>(panel.number));
    for (const auto& popover : popovers_) {
        if (popover->shown && popover->parent == panel.number) orderIn(*popover);
    }
}

void SimAppWindows::orderIn(const PopoverState& popover) {
    world_.removeWindow(popover.number);
    const auto* panel = popover.parent ? panelState(*popover.parent) : nullptr;
    if (panel == nullptr || !panel->visible) return;
    world_.addWindow(ownWindow(world_.ownProcess(), panel->level, world_.windowServerBounds(popover.frame)),
                     static_cast<std::uint32_t>(popover.number));
}

void SimAppWindows::orderOut(const PanelState& panel) {
    world_.removeWindow(panel.number);
    for (const auto& popover : popovers_) {
        if (popover->parent == panel.number) orderOut(*popover);
    }
}

}  // namespace tavelin::sim
