#pragma once

// The windows of one Dock item at one moment, the request for them, and the displays a window can be
// moved to.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "protocol/WindowDescriptor.h"

namespace tavelin {

struct ConnectedDisplay {
    static constexpr std::string_view typeName = "ConnectedDisplay";

    ScreenID screenID;  // the display's number in decimal
    std::string name;

    friend bool operator==(const ConnectedDisplay&, const ConnectedDisplay&) = default;
};

struct WindowListRequest {
    static constexpr std::string_view typeName = "WindowListRequest";

    ItemID appItemID;

    friend bool operator==(const WindowListRequest&, const WindowListRequest&) = default;
};

struct WindowListSnapshot {
    static constexpr std::string_view typeName = "WindowListSnapshot";

    ItemID appItemID;
    // Window commands quote it back as their expected window-list generation.
    std::int64_t listGeneration = 0;
    bool accessibilityGranted = false;
    bool screenRecordingGranted = false;
    std::vector<WindowDescriptor> windows;
    // Absent when the sender does not list the displays, which differs from an empty list.
    std::optional<std::vector<ConnectedDisplay>> connectedDisplays;

    friend bool operator==(const WindowListSnapshot&, const WindowListSnapshot&) = default;
};

void toJSON(JsonWriter& w, const ConnectedDisplay& display);
bool fromJSON(const JsonValue& v, ConnectedDisplay& display);
void toJSON(JsonWriter& w, const WindowListRequest& request);
bool fromJSON(const JsonValue& v, WindowListRequest& request);
void toJSON(JsonWriter& w, const WindowListSnapshot& snapshot);
bool fromJSON(const JsonValue& v, WindowListSnapshot& snapshot);

}  // namespace tavelin
