#pragma once

// A command from a paired device or from the switcher's own menus: act on a Dock item, a folder entry,
// a process or a window as if the user had done it in the switcher.

#include <cstdint>
#include <optional>
#include <string>

#include "protocol/Identifiers.h"
#include "protocol/JsonCodingForward.h"
#include "protocol/WindowEnums.h"

namespace tavelin {

enum class CommandKind {
    launchOrActivate,
    openFolderChild,
    openFileOrURL,
    activateTrash,
    emptyTrash,
    showInFinder,
    hideApp,
    unhideApp,
    quitApp,
    forceQuitApp,
    isProcessRunning,
    refresh,
    windowActivate,
    windowClose,
    windowHide,
    windowMinimize,
    windowMaximize,
    windowFullScreen,
    windowTile,
    windowMoveToScreen,
};

template <>
struct EnumText<CommandKind> {
    static constexpr std::string_view names[] = {
        "launchOrActivate", "openFolderChild", "openFileOrURL",    "activateTrash", "emptyTrash",
        "showInFinder",     "hideApp",         "unhideApp",        "quitApp",       "forceQuitApp",
        "isProcessRunning", "refresh",         "windowActivate",   "windowClose",   "windowHide",
        "windowMinimize",   "windowMaximize",  "windowFullScreen", "windowTile",    "windowMoveToScreen"};
};

struct Command {
    static constexpr std::string_view typeName = "Command";

    CommandKind kind = CommandKind::refresh;
    std::optional<ItemID> target;
    std::optional<ChildID> child;  // for openFolderChild
    // The dockGeneration of the snapshot the sender's view was built from.
    std::int64_t expectedGeneration = 0;
    // Different for each command; with the envelope's request ID it recognises a command sent twice.
    std::string nonce;
    // Kept at the wire's 64 bits: whoever narrows it to the platform's process ID must refuse a value
    // out of range, never wrap it (a wrapped 0 or -1 names a process group, not one process).
    std::optional<std::int64_t> processID;
    // Seconds since 2001-01-01 00:00 UTC with their fraction: a plain number, not a date.
    std::optional<double> processLaunchTime;
    std::optional<WindowID> windowID;
    std::optional<std::int64_t> expectedWindowListGeneration;
    std::optional<std::int64_t> windowContentRevision;
    std::optional<WindowTileKind> tile;
    std::optional<ScreenID> targetScreenID;

    friend bool operator==(const Command&, const Command&) = default;
};

void toJSON(JsonWriter& w, const Command& command);
bool fromJSON(const JsonValue& v, Command& command);

}  // namespace tavelin
