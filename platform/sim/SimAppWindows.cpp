#include "platform/sim/SimAppWindows.h"

namespace tavelin::sim {

class SimAppWindows::Window final : public AppWindow {
  public:
    Window(SimAppWindows& windows, std::shared_ptr<WindowState> state)
        : windows_(windows), state_(std::move(state)) {}
    ~Window() override {
        state_->released = true;
        state_->visible = state_->key = state_->front = false;
        state_->delegate = nullptr;
    }

    void setDelegate(AppWindowDelegate* delegate) override { state_->delegate = delegate; }
    void center() override {
        record("center");
        state_->centred = true;
    }
    void makeKeyAndOrderFront() override {
        record("show");
        windows_.makeKeyAndFront(*state_);
    }
    bool isVisible() const override { return state_->visible; }
    void close() override {
        if (!state_->visible) return;
        record("close");
        if (state_->delegate) state_->delegate->windowWillClose();
        state_->visible = state_->key = state_->front = false;
    }

  private:
    void record(const char* call) {
        windows_.trace_.record(std::string("Windows.") + call + " " + state_->configuration.title);
    }

    SimAppWindows& windows_;
    std::shared_ptr<WindowState> state_;
};

std::unique_ptr<AppWindow> SimAppWindows::makeWindow(AppWindowConfiguration configuration) {
    trace_.record("Windows.make " + configuration.title);
    auto state = std::make_shared<WindowState>();
    state->configuration = std::move(configuration);
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
        state.visible = state.key = state.front = false;
        return true;
    }
    return false;
}

void SimAppWindows::makeKeyAndFront(WindowState& shown) {
    for (const auto& state : windows_) state->key = state->front = false;
    shown.visible = shown.key = shown.front = true;
    ++shown.timesShown;
}

}  // namespace tavelin::sim
