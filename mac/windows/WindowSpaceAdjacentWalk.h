#pragma once

// Brings a display to a Space the way the user would: presses the user's own "move one Space left" or
// "move one Space right" shortcut through System Events, one step at a time, and looks after every
// step whether the Space is showing. Window activation falls back on it when a Space cannot be switched
// or a window cannot be moved directly.
//
// The row of Spaces does not wrap: one step left from the first Space, or right from the last, does
// nothing. So the walk goes left exactly when the target lies left of the current Space, and right
// otherwise.
//
// While it walks the pointer rests in the middle of the display's screen, so that the shortcut acts on
// that display; the pointer is put back on every way out. Every step writes a "space walk ..." line to
// the window-actions log.
//
// Runs on the caller's thread (the main thread in window activation) and blocks it for the whole walk:
// 0.45 s per step plus the time of each script.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

#include "mac/windows/WindowPlatform.h"
#include "mac/windows/WindowSpaceSupport.h"

namespace tavelin {

class WindowSpaceAdjacentWalk {
  public:
    struct Shortcut {
        std::int64_t keyCode = 0;
        std::int64_t modifiers = 0;  // event-flag bits
        friend bool operator==(const Shortcut&, const Shortcut&) = default;
    };

    static constexpr Duration kStepPause = std::chrono::milliseconds(450);

    // The shortcuts are read from "Library/Preferences/com.apple.symbolichotkeys.plist" of the home folder.
    WindowSpaceAdjacentWalk(const WindowPlatform& platform, std::filesystem::path homeFolder);

    // Whether the display that holds the Space shows it at the end. `on`: the screen to walk on; none:
    // the display's own screen.
    bool walk(SpaceID to, const std::optional<Screen>& on) const;
    // Presses the shortcut once; false when the script could not be made or failed.
    bool postAdjacent(bool previous) const;
    // The first of the hot keys that is on and well formed; none for a missing or unreadable file.
    std::optional<Shortcut> readSymbolicHotkey(std::span<const std::uint32_t> ids) const;
    std::optional<Screen> screenMatching(std::string_view displayIdentifier) const;
    // Warps the pointer to the middle of the screen.
    void focusScreen(const Screen& screen) const;
    // Warps the pointer back to a point in screen coordinates; `walkScreen` converts it when no screen
    // is listed any more.
    void restoreMouse(Point point, const Screen& walkScreen) const;

    // The script that presses the key: "tell application "System Events" to key code 124 using {control
    // down}".
    static std::string keyCodeScript(const Shortcut& shortcut);

  private:
    // The top edge of the first screen, which window-server coordinates start from.
    double topEdge(const Screen& fallback) const;
    void log(std::string_view line) const { platform_.actionLog.append(line); }

    WindowPlatform platform_;
    WindowSpaceSupport spaces_;
    std::filesystem::path shortcutFile_;
};

}  // namespace tavelin
