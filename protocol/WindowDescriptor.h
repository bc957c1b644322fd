#pragma once

// One window of an application in the Dock, as the window lists, the window action menu and the paired
// devices see it.

#include <cstdint>
#include <optional>
#include <string>

#include "protocol/Identifiers.h"
#include "protocol/JsonCodingForward.h"
#include "protocol/WindowEnums.h"

namespace tavelin {

// A rectangle in points in the window server's global coordinates: origin at the top-left corner of the
// primary display, y growing downwards.
struct WindowFrame {
    static constexpr std::string_view typeName = "WindowFrame";

    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;

    friend bool operator==(const WindowFrame&, const WindowFrame&) = default;
};

struct WindowDescriptor {
    static constexpr std::string_view typeName = "WindowDescriptor";

    WindowID windowID;
    std::string title;
    std::optional<ScreenID> screenID;
    std::optional<WindowFrame> frame;
    WindowState state = WindowState::normal;
    // Opaque and only compared for equality: it changes whenever the title, frame or state does, and
    // means nothing across runs. Signed 64-bit; it may be negative.
    std::int64_t contentRevision = 0;
    std::optional<std::string> thumbnailToken;  // "w:" + windowID + ":" + contentRevision
    bool supportsClose = false;
    bool supportsMinimize = false;
    bool supportsResize = false;
    bool supportsFullScreen = false;
    bool supportsTile = false;
    bool isSecure = false;
    std::optional<std::string> unavailableReason;

    // Whether tiling and maximising may be offered: never for a minimised window; otherwise when the
    // window says it can tile or resize, or failing that when its frame is known.
    bool canArrangeWindow() const;
    // A window already in full screen always offers the control, so that it can leave full screen.
    bool showsFullScreenControl() const { return supportsFullScreen || state == WindowState::fullscreen; }

    friend bool operator==(const WindowDescriptor&, const WindowDescriptor&) = default;
};

void toJSON(JsonWriter& w, const WindowFrame& frame);
bool fromJSON(const JsonValue& v, WindowFrame& frame);
void toJSON(JsonWriter& w, const WindowDescriptor& window);
bool fromJSON(const JsonValue& v, WindowDescriptor& window);

}  // namespace tavelin
