#pragma once

// The program's own windows on the simulated Mac. Each window made is kept with its configuration and
// what was done to it: shown, centred, key and front (one window at a time is key and front), closed.
// The user closes a window through the world's side, which tells its delegate as the close button
// does. Every request is recorded in the world's call trace. Main thread.

#include <memory>
#include <string_view>
#include <vector>

#include "platform/AppWindows.h"
#include "platform/sim/SimCallTrace.h"

namespace tavelin::sim {

class SimAppWindows final : public AppWindows {
  public:
    struct WindowState {
        AppWindowConfiguration configuration;
        bool visible = false;
        bool centred = false;
        bool key = false;
        bool front = false;
        int timesShown = 0;
        bool released = false;  // its handle is gone
        AppWindowDelegate* delegate = nullptr;
    };

    explicit SimAppWindows(SimCallTrace& trace) : trace_(trace) {}

    std::unique_ptr<AppWindow> makeWindow(AppWindowConfiguration configuration) override;

    // --- The world's side ---

    // Every window made, in order.
    std::vector<WindowState> windows() const;
    // The last window made with that title, or none.
    const WindowState* window(std::string_view title) const;
    // The user clicks the window's close button; false when no visible window has that title.
    bool userCloses(std::string_view title);

  private:
    class Window;

    void makeKeyAndFront(WindowState& state);

    SimCallTrace& trace_;
    std::vector<std::shared_ptr<WindowState>> windows_;
};

}  // namespace tavelin::sim
