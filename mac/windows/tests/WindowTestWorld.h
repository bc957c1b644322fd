#pragma once

// A simulated Mac for the window operations (the desktop of TwoScreenDesktop.h), the program trusted
// and allowed to record the screen, and the window platform over it with both logs captured.

#include <functional>
#include <memory>
#include <string_view>

#include "mac/windows/WindowPlatform.h"
#include "platform/sim/SimMac.h"
#include "platform/sim/tests/TwoScreenDesktop.h"
#include "platform/tests/TemporaryFolder.h"
#include "runtime/VirtualScheduler.h"

namespace tavelin {

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

    WindowPlatform platform() {
        return WindowPlatform{mac->accessibility(), mac->windowServer(), mac->displays(), mac->workspace(),
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

    TemporaryFolder home;
    VirtualScheduler scheduler;
    CapturedSystemLog systemLog;
    CapturedWindowActionLog actionLog;
    std::unique_ptr<sim::SimMac> mac;
};

}  // namespace tavelin
