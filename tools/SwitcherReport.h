#pragma once

// The report lines of the tavelin program: what the switcher shows and what the world was asked to
// do, one line per event, each starting with a fixed word:
//     panel: open on screen 1, 368x176     the panel opened (or went to another screen) and its size
//     panel: closed
//     selected: Safari at 0.1          the selection's title and cell path (tier.cell)
//     search: "saf"                    the search text of the open panel
//     folder: Applications, 3 items, focused Safari        the folder popover's top level
//     folder: closed
//     windows: Safari, 2 windows, focused Apple            the windows list under a cell
//     windows: closed
//     world: activate com.apple.Safari / hide ... / quit ...
//     world: activate window 12 of com.apple.Safari
//     world: close window 12 of com.apple.Safari / minimise window 12 of ...
//     world: raise a window / move a window
//     world: launch /System/Applications/Notes.app
//     world: open ~/Documents/Quarterly Report.pdf with /System/Applications/Preview.app
//     world: open https://example.org/
//     world: reveal ~/Downloads/a.txt
// Paths are named as the simulated Mac names them. The switcher's lines come from its published state
// and its overlays on the main-queue turn after it announced a change (or on a flush); the world's from
// the simulated Mac's call trace, its workspace's records and its windows, on the turn after a call. A
// flush itself asks nothing of the world, so it never calls for another. Main thread; the trace may be
// written from any thread.

#include <atomic>
#include <filesystem>
#include <functional>
#include <map>
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
        std::string folder;   // empty while the folder popover is closed
        std::string windows;  // empty while no windows list is shown
    };
    struct WindowSeen {
        std::int32_t owner = 0;
        bool minimized = false;
    };
    void flushSwitcher();
    void flushOverlays(const PanelState& now);
    void flushWorld();
    // The windows the program closed or minimised since the last flush.
    void flushWindows();
    void flushSoon();
    std::string folderLine() const;
    std::string windowsLine() const;
    // The bundle ID of a process, also of one that has ended since it was last seen.
    std::string bundle(std::int64_t processIdentifier);
    void rememberProcesses();
    std::map<std::uint32_t, WindowSeen> listedWindows() const;
    std::string macPath(const std::filesystem::path& path) const;
    bool isInstalledApplication(const std::filesystem::path& path) const;

    sim::SimMac& mac_;
    Scheduler& scheduler_;
    Print print_;
    SwitcherController* switcher_ = nullptr;
    Subscription changes_;
    Subscription menuChanges_;
    PanelState last_;
    std::map<std::int32_t, std::string> bundles_;
    std::map<std::uint32_t, WindowSeen> windows_;
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
