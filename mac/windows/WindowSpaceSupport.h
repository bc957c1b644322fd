#pragma once

// The Spaces questions of the window list and of window activation, and the moves between Spaces,
// through the window server's private calls: which Spaces each display has and shows, which Space a
// window is on, whether that is a full-screen Space; switching a display's Space and moving windows.
//
// Nothing is kept: every call asks the window server afresh, so the catalog is always the current one.
// Each change and each logged query writes lines beginning "space " to the window-actions log; the
// quiet ones (primarySpaceIDQuiet, hasManagedSpace, windowIsOnFullscreenSpace, cgDisplayUUIDString,
// SpaceCatalog::display) write none. Numbers in the lines are decimal; Space IDs are unsigned 64-bit.
//
// Any thread. waitUntilCurrentSpace blocks its thread for 0.03 s per attempt.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "mac/windows/WindowPlatform.h"

namespace tavelin {

class WindowSpaceSupport {
  public:
    // The displays with their Spaces, as the window server reports them at one moment.
    struct SpaceCatalog {
        struct Space {
            SpaceID managedID = 0;
            std::int64_t type = 0;  // the window server's type: 4 is a full-screen Space
            friend bool operator==(const Space&, const Space&) = default;
        };
        struct Display {
            std::string identifier;     // "" when the window server names none
            std::vector<Space> spaces;  // left to right
            std::optional<SpaceID> currentManagedID;
            friend bool operator==(const Display&, const Display&) = default;
        };

        // The first display holding a Space with that ID.
        std::optional<Display> display(SpaceID containing) const;

        std::vector<Display> displays;
        friend bool operator==(const SpaceCatalog&, const SpaceCatalog&) = default;
    };

    static constexpr std::int64_t kFullScreenSpaceType = 4;
    static constexpr int kCurrentSpaceAttempts =
        20;  // what window activation passes to waitUntilCurrentSpace

    explicit WindowSpaceSupport(const WindowPlatform& platform) : platform_(platform) {}

    // None when the answer is missing or not an array of dictionaries; an empty array is a catalog
    // without displays. `log`: one line per display.
    std::optional<SpaceCatalog> loadCatalog(bool log) const;

    // The first Space the window server names for the window, 0 included.
    std::optional<SpaceID> primarySpace(std::uint32_t forWindow) const;
    // The same without log lines; 0 counts as none.
    std::optional<SpaceID> primarySpaceIDQuiet(std::uint32_t forWindow) const;
    bool hasManagedSpace(std::uint32_t forWindow) const;
    bool windowIsOnFullscreenSpace(std::uint32_t windowID) const;

    // The Space the screen's display shows; none when it has no display identifier or the answer is 0.
    std::optional<SpaceID> currentSpaceID(const Screen& on) const;
    // True when the window server accepted the switch (it shows the Space a little later).
    bool setCurrentSpace(SpaceID space, std::string_view onDisplay) const;
    // Asks up to `attempts` times, sleeping 0.03 s after each, then checks once more.
    bool waitUntilCurrentSpace(SpaceID space, const Screen& on, int attempts) const;
    // Whether the window is on the Space that the screen shows, on that same display.
    bool windowSpaceMatchesReferenceCurrentSpace(std::uint32_t windowID, const Screen& referenceScreen) const;
    // False for an empty list, without asking anything.
    bool moveWindows(std::span<const std::uint32_t> windows, SpaceID toSpace) const;

    // The screen's display identifier as the Spaces calls want it: its UUID (as the screen spells it)
    // when the catalog knows it in any letter case, "Main" when displays share their Spaces, else its
    // UUID anyway; none without a UUID.
    std::optional<std::string> displayIdentifier(const Screen& screen) const;
    std::optional<std::string> displayIdentifier(SpaceID forSpace) const;
    std::optional<std::string> cgDisplayUUIDString(const Screen& screen) const;

    void logActivateSpaceContext(std::uint32_t windowID, const std::optional<Screen>& referenceScreen,
                                 std::string_view tag) const;

  private:
    std::optional<PlistValue> spacesForWindow(std::uint32_t window) const;
    std::optional<SpaceID> askCurrentSpace(std::string_view display) const;
    void log(std::string_view line) const { platform_.actionLog.append(line); }
    ConnectionID connection() const { return platform_.connection.mainConnectionID(); }

    WindowPlatform platform_;
};

// How a Space ID and an optional one are written in the log lines: decimal, or "nil".
std::string spaceText(std::optional<SpaceID> space);

}  // namespace tavelin
