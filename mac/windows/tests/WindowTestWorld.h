#pragma once

// A simulated Mac for the window operations (the desktop of TwoScreenDesktop.h), the program trusted
// and allowed to record the screen, and the window platform over it with both logs captured.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "mac/windows/WindowPlatform.h"
#include "platform/sim/SimMac.h"
#include "platform/sim/tests/TwoScreenDesktop.h"
#include "platform/tests/TemporaryFolder.h"
#include "protocol/DockItem.h"
#include "protocol/JsonCoding.h"
#include "runtime/Task.h"
#include "runtime/VirtualScheduler.h"

namespace tavelin {

// Awaits the task and keeps its answer; started on a queue of the test's scheduler.
template <class T>
Task<void> into(Task<T> task, std::optional<T>& answer) {
    answer = co_await std::move(task);
}
template <class T>
Task<void> into(Task<std::optional<T>> task, std::optional<T>& answer) {
    answer = co_await std::move(task);
}

// The Dock item of an application.
inline DockItem appItem(std::string bundleID) {
    DockItem item;
    item.itemID = ItemID("item-" + bundleID);
    item.kind = DockItemKind::app;
    item.bundleID = std::move(bundleID);
    return item;
}

class WindowTestWorld {
  public:
    // `edit` changes the desktop before the Mac is made.
    explicit WindowTestWorld(const std::function<void(sim::Desktop&)>& edit = {}) {
        auto desktop = decodeJSON<sim::Desktop>(sim::kTwoScreenDesktop);
        if (edit) edit(*desktop);
        mac = std::make_unique<sim::SimMac>(std::move(*desktop), home.path(), scheduler, systemLog);
        mac->accessibility().setProcessTrusted(true);
        mac->privacy().setScreenCaptureAccess(true);
    }

    WindowPlatform platform() { return platform(mac->windowServer()); }
    // The same platform asking the window server given (one that counts, say).
    WindowPlatform platform(WindowServer& windowServer) {
        return WindowPlatform{mac->accessibility(), windowServer,        mac->displays(), mac->workspace(),
                              mac->mouseCursor(),   scheduler,           systemLog,       actionLog,
                              mac->privateWindowServer(), mac->windowServerConnection(), mac->host(),
                              mac->workspace(),     mac->fileSystem(), mac->appleScripts()};
    }

    std::int32_t pid(std::string_view bundleIdentifier) {
        return mac->workspace().process(bundleIdentifier)->processIdentifier;
    }
    std::uint32_t number(std::string_view title) {
        for (const auto& state : mac->windowWorld().windows()) {
            if (state.window.name == title) return state.window.number;
        }
        return 0;
    }
    AXElement element(std::string_view title) { return *mac->accessibility().windowElement(number(title)); }
    Duration now() const { return scheduler.clock().uptime(); }

    sim::SimWindowKey key(std::string_view title) { return number(title); }
    void editWindow(sim::SimWindowKey key, const std::function<void(sim::SimWindow&)>& edit) {
        auto window = *mac->windowWorld().window(key);
        edit(window);
        mac->windowWorld().setWindow(key, window);
    }
    void editWindow(std::string_view title, const std::function<void(sim::SimWindow&)>& edit) {
        editWindow(key(title), edit);
    }
    Rect bounds(std::string_view title) { return mac->windowWorld().window(key(title))->bounds; }
    Screen screen(std::size_t index) { return mac->displays().screens().at(index); }
    // The Spaces of the display (0 the built-in one), in order, and the one it shows.
    std::vector<std::uint64_t> spaces(std::size_t display) {
        return mac->windowWorld().displaySpaces().at(display).spaces;
    }
    std::uint64_t currentSpace(std::size_t display) {
        return mac->windowWorld().displaySpaces().at(display).currentSpace;
    }

    // The window-actions log lines and the calls asked of the Mac that begin with `prefix`, in order.
    std::vector<std::string> actionLines(std::string_view prefix) const {
        return startingWith(actionLog.lines(), prefix);
    }
    std::vector<std::string> callsStartingWith(std::string_view prefix) const {
        return startingWith(mac->calls().calls(), prefix);
    }

    TemporaryFolder home;
    VirtualScheduler scheduler;
    CapturedSystemLog systemLog;
    CapturedWindowActionLog actionLog;
    std::unique_ptr<sim::SimMac> mac;

  private:
    static std::vector<std::string> startingWith(const std::vector<std::string>& lines,
                                                 std::string_view prefix) {
        std::vector<std::string> found;
        for (const auto& line : lines) {
            if (line.starts_with(prefix)) found.push_back(line);
        }
        return found;
    }
};

}  // namespace tavelin
