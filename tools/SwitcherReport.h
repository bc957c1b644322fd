#pragma once

// The report lines of the tavelin program: what the switcher shows and what the world was asked to
// do, one line per event, each starting with a fixed word:
//     panel: open on screen 1, 368x176     the panel opened (or went to another screen) and its size
//     panel: closed
//     selected: Safari at 0.1          the selection's title and cell path (tier.cell)
//     search: "saf"                    the search text of the open panel
//     world: activate com.apple.Safari / hide ... / quit ...
//     world: activate window 12 of com.apple.Safari
//     world: raise a window / move a window
//     world: launch /System/Applications/Notes.app
//     world: open /Users/.../Quarterly Report.pdf with /Applications/Preview.app / open https://...
//     world: reveal ~/Downloads/a.txt
// The switcher's lines come from its published state on the main-queue turn after it announced a
// change; the world's from the simulated Mac's call trace and its workspace's records, on the turn
// after a call. A flush itself asks nothing of the world, so it never calls for another. Main thread;
// the trace may be written from any thread.

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "mac/switcher/SwitcherController.h"
#include "runtime/Scheduler.h"

namespace tavelin {

namespace sim {
class SimMac;
}

class SwitcherReport {
  public:
    using Print = std::function<void(const std::string& line)>;

    // Reports the world's calls from now on.
    SwitcherReport(sim::SimMac& mac, Scheduler& scheduler, Print print);
    ~SwitcherReport();
    SwitcherReport(const SwitcherReport&) = delete;
    SwitcherReport& operator=(const SwitcherReport&) = delete;

    // Follows the switcher's published state from its next change on.
    void follow(SwitcherController& switcher);
    // Prints what changed since the last lines.
    void flush();

  private:
    struct PanelState {
        bool open = false;
        std::optional<std::uint32_t> screen;
        std::string selection;
        std::string search;
    };
    void flushSwitcher();
    void flushWorld();
    void flushSoon();

    sim::SimMac& mac_;
    Scheduler& scheduler_;
    Print print_;
    SwitcherController* switcher_ = nullptr;
    Subscription changes_;
    PanelState last_;
    std::size_t callsSeen_;
    std::size_t opensSeen_;
    std::size_t urlsSeen_;
    std::size_t revealsSeen_;
    // Shared with the queued flushes and the trace's observer: a flush is queued and not yet run; the
    // report is still there (main thread only).
    struct Shared {
        std::atomic<bool> queued{false};
        bool alive = true;
    };
    std::shared_ptr<Shared> shared_ = std::make_shared<Shared>();
};

}  // namespace tavelin
