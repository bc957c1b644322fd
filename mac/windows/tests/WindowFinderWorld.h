#pragma once

// The window world of WindowTestWorld with the window finders over it, and a quick way to start applications
// (installed, with a bundle on disk) and to give them windows of any shape Accessibility may show.

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "mac/windows/AXWindowSupport.h"
#include "mac/windows/tests/WindowTestWorld.h"
#include "platform/PlistFile.h"

namespace tavelin {

class WindowFinderWorld : public WindowTestWorld {
  public:
    WindowFinderWorld() : support(std::make_unique<AXWindowSupport>(platform())) {}

    // Installs the application (its bundle under "/Applications" on the Mac's disk) and starts one
    // process of it, or a further one when it runs already. `edit` changes the process before it starts.
    std::int32_t launch(const std::string& bundleID,
                        const std::function<void(RunningApplication&)>& edit = {}) {
        const auto path = installed(bundleID);
        RunningApplication process{
            .bundleIdentifier = bundleID, .localizedName = bundleID, .bundlePath = path};
        process.executablePath = path / "Contents/MacOS/main";
        if (edit) edit(process);
        return mac->workspace().launchProcess(std::move(process));
    }
    std::filesystem::path installed(const std::string& bundleID, std::vector<std::string> opens = {}) {
        const auto path = mac->diskPath("/Applications/" + bundleID + ".app");
        writePlistFile(path / "Contents/Info.plist", PlistValue(PlistDict{{"CFBundleIdentifier", bundleID}}),
                       PlistFormat::xml);
        mac->workspace().install(sim::SimApplication{bundleID, bundleID, path, 0, std::move(opens)});
        return path;
    }

    // A window of the process with that title (none: untitled) at window-server bounds, in front of
    // the process's others. `edit` changes it before it is added.
    sim::SimWindowKey add(std::int32_t owner, std::optional<std::string> title, Rect bounds,
                          const std::function<void(sim::SimWindow&)>& edit = {}) {
        sim::SimWindow window{.ownerPID = owner, .name = std::move(title), .bounds = bounds};
        if (edit) edit(window);
        return mac->windowWorld().addWindow(std::move(window));
    }
    AXElement ax(sim::SimWindowKey key) { return *mac->accessibility().windowElement(key); }
    std::uint32_t numberOf(sim::SimWindowKey key) { return static_cast<std::uint32_t>(key); }
    // The window's identifier in a window list.
    std::string idOf(sim::SimWindowKey key) { return std::to_string(numberOf(key)); }

    std::unique_ptr<AXWindowSupport> support;
};

// A window as a window list describes it.
inline WindowDescriptor descriptor(std::string windowID, std::string title,
                                   std::optional<WindowFrame> frame = std::nullopt,
                                   WindowState state = WindowState::normal) {
    WindowDescriptor window;
    window.windowID = WindowID(std::move(windowID));
    window.title = std::move(title);
    window.frame = frame;
    window.state = state;
    return window;
}
// The identifier a listed window without a number has.
inline constexpr char kUUID[] = "6F1C2A44-7D0B-4C7E-9C55-1B8A3E2D9F10";

// An attribute that cannot be read.
inline std::expected<AXValue, AXError> unreadable() { return std::unexpected(AXError::attributeUnsupported); }

// Frames no reader gets: neither "AXFrame" nor "AXPosition".
inline void hideFrame(sim::SimWindow& window) {
    window.ax.overrides["AXFrame"] = unreadable();
    window.ax.overrides["AXPosition"] = unreadable();
}

}  // namespace tavelin
