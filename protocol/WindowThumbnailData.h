#pragma once

// A window's thumbnail, or why there is none, and the request for it.

#include <cstdint>
#include <optional>
#include <string>

#include "protocol/Identifiers.h"
#include "protocol/JsonCodingForward.h"

namespace tavelin {

struct WindowThumbnailFetch {
    static constexpr std::string_view typeName = "WindowThumbnailFetch";

    WindowID windowID;
    std::int64_t contentRevision = 0;  // from the window's descriptor
    std::optional<std::string> knownToken;

    friend bool operator==(const WindowThumbnailFetch&, const WindowThumbnailFetch&) = default;
};

// Without a thumbnail: empty token and picture, both sizes 0 and the reason set.
struct WindowThumbnailData {
    static constexpr std::string_view typeName = "WindowThumbnailData";

    WindowID windowID;
    std::int64_t contentRevision = 0;
    std::string token;
    std::string jpegBase64;
    std::int64_t pixelWidth = 0;
    std::int64_t pixelHeight = 0;
    std::optional<std::string> unavailableReason;

    friend bool operator==(const WindowThumbnailData&, const WindowThumbnailData&) = default;
};

void toJSON(JsonWriter& w, const WindowThumbnailFetch& fetch);
bool fromJSON(const JsonValue& v, WindowThumbnailFetch& fetch);
void toJSON(JsonWriter& w, const WindowThumbnailData& data);
bool fromJSON(const JsonValue& v, WindowThumbnailData& data);

}  // namespace tavelin
