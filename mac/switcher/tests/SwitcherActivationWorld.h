#pragma once

// The switcher on a Mac with two displays side by side (the pointer, and so the panel, on the second),
// Safari running with one window on the first display, TextEdit installed but not running, a Downloads
// folder and a spacer in the Dock.

#include <chrono>

#include "mac/switcher/tests/SwitcherWorld.h"
#include "platform/InputEvent.h"

namespace tavelin {

using namespace std::chrono_literals;

class SwitcherActivationWorld : public SwitcherWorld {
  public:
    static sim::Desktop twoDisplays() {
        auto desktop = standardDesktop();
        desktop.screens = {sim::DesktopScreen{"Built-in", Rect{0, 0, 1440, 900}, 1, 2, true},
                           sim::DesktopScreen{"External", Rect{1440, 0, 1920, 1080}, 2}};
        desktop.mouseLocation = Point{2400, 540};
        desktop.windows = {{"com.apple.Safari", "Inbox", Rect{100, 100, 800, 600}}};
        desktop.dock->fixed.push_back({sim::DesktopDockTileKind::application, "com.apple.TextEdit"});
        desktop.dock->others.push_back({sim::DesktopDockTileKind::spacer, ""});
        return desktop;
    }

  protected:
    SwitcherActivationWorld() : SwitcherWorld(twoDisplays()) {}

    void open() {
        switcher().openPanel(true);
        scheduler_.runUntilIdle();
    }
    DockItem item(std::string_view title) {
        const auto& items = dockState_->snapshot()->items;
        return *std::ranges::find(items, title, &DockItem::title);
    }
    void holdShift(bool held) {
        if (held) {
            mac_.input().pressModifiers(kEventFlagShift);
        } else {
            mac_.input().releaseModifiers(kEventFlagShift);
        }
    }
    void setReferenceSetting(bool on) { settings_.moveWindowToReferenceDisplayOnActivate = on; }
    int pinDepth() const { return resolver_->pinDepth; }

    // The windows of the running application with that bundle ID.
    std::vector<sim::SimWindow> windowsOf(std::string_view bundleID) {
        std::vector<sim::SimWindow> found;
        const auto process = mac_.workspace().process(bundleID);
        if (!process) return found;
        for (const auto key : mac_.windowWorld().applicationWindows(process->processIdentifier))
            found.push_back(*mac_.windowWorld().window(key));
        return found;
    }
    std::vector<std::string> logLines(std::string_view prefix) {
        std::vector<std::string> lines;
        for (const auto& line : actionLog_.lines()) {
            if (line.starts_with(prefix)) lines.push_back(line);
        }
        return lines;
    }
};

}  // namespace tavelin
