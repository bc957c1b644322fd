#pragma once

// The switcher's floating panel: a platform panel that can become key but never main, and that, once
// its search input is installed and locked, refuses the keyboard to every other view, so that typing
// always reaches the hidden search field. Made by the switcher controller at each opening and dropped
// at closing; never shown twice. Main thread.

#include <memory>

#include "platform/Panels.h"

namespace tavelin {

class SwitcherPanel {
  public:
    explicit SwitcherPanel(std::unique_ptr<AppPanel> panel) : panel_(std::move(panel)) {}
    SwitcherPanel(const SwitcherPanel&) = delete;
    SwitcherPanel& operator=(const SwitcherPanel&) = delete;

    static constexpr bool canBecomeKey = true;
    static constexpr bool canBecomeMain = false;

    AppPanel& window() { return *panel_; }
    const AppPanel& window() const { return *panel_; }

    // While the lock is on and the search input exists, any other responder (none too) is refused.
    bool makeFirstResponder(Responder* responder);
    // The window's own operation, past the lock: how the search field takes the keyboard first.
    bool makeFirstResponderUnlocked(Responder* responder) { return panel_->makeFirstResponder(responder); }

    std::weak_ptr<Responder> searchInput;
    bool locksSearchInput = false;

  private:
    std::unique_ptr<AppPanel> panel_;
};

}  // namespace tavelin
