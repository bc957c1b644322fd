#pragma once

// The simulated Dock: its tiles are kept in the Dock's preferences (the "com.apple.dock" defaults
// domain, whose file "Library/Preferences/com.apple.dock.plist" is rewritten whole, in binary form, by
// atomic rename) and shown as the Dock process's Accessibility tree: the application element, one
// list, and the tiles in the Dock's order. At start the Dock takes the tiles of an existing preference
// file (a kept home folder, a hand edit) and writes the desktop file's setup (a DesktopDock) only when
// there is none. The tree is made from the preferences, so it agrees with them, also after the domain
// reads an edited file again. It follows the running applications: an unpinned regular application
// appears between the fixed applications and the other tiles while it runs, after the recent
// applications.
//
// Tiles in the tree: the Finder first, the fixed tiles, a separator, the running and recent
// applications and a second separator when there are any, the other tiles, the Trash. Subroles
// "AXApplicationDockItem", "AXFolderDockItem", "AXDocumentDockItem", "AXURLDockItem",
// "AXTrashDockItem", "AXSeparatorDockItem"; a spacer shows as an untitled "AXSpacerDockItem". Each tile
// has its "AXTitle" and, but for separators and spacers, its "AXURL" as a text.
//
// Main thread.

#include <cstdint>
#include <filesystem>
#include <optional>

#include "platform/UserDefaults.h"
#include "platform/sim/Desktop.h"
#include "platform/sim/SimAccessibility.h"
#include "platform/sim/SimWorkspace.h"
#include "runtime/Subscription.h"

namespace tavelin::sim {

class SimDock {
  public:
    SimDock(SimWorkspace& workspace, SimAccessibility& accessibility, UserDefaults& preferences,
            std::filesystem::path homeFolder);

    // Starts the Dock process: with the preference file's tiles when it exists, else with this setup.
    void start(DesktopDock dock);
    // The user changes the Dock: the preferences are written and the tree shown at once. Folders and
    // files that the tiles name are made when missing, as they would exist on a Mac.
    void configure(DesktopDock dock);
    // The setup last given to start() or configure().
    const DesktopDock& configuration() const { return dock_; }

    // The Dock process quits and starts again, as after a crash or a `killall`.
    void relaunch();
    // None before start() and after the Dock process quit.
    std::optional<std::int32_t> processIdentifier() const;
    // Shows the tree again for the current processes; the world calls it after every change of them.
    void refreshAccessibility();

  private:
    RunningApplication dockProcess() const;
    PlistDict preferences() const;
    SimAXNode tree() const;
    SimAXNode applicationTile(std::string_view bundleIdentifier) const;
    void makeMissingFiles() const;

    SimWorkspace& workspace_;
    SimAccessibility& accessibility_;
    UserDefaults& preferences_;
    const std::filesystem::path homeFolder_;
    DesktopDock dock_;
    std::optional<std::int32_t> processIdentifier_;
    Subscription preferencesChanged_;
};

}  // namespace tavelin::sim
