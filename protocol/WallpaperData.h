#pragma once

// The desktop picture for the paired devices, and the request for it.

#include <optional>
#include <string>

#include "protocol/JsonCodingForward.h"

namespace tavelin {

struct CGSizeCodable {
    static constexpr std::string_view typeName = "CGSizeCodable";

    double width = 0;
    double height = 0;

    friend bool operator==(const CGSizeCodable&, const CGSizeCodable&) = default;
};

struct WallpaperFetch {
    static constexpr std::string_view typeName = "WallpaperFetch";

    // The picture the device already holds; absent or empty when it holds none.
    std::optional<std::string> knownToken;

    friend bool operator==(const WallpaperFetch&, const WallpaperFetch&) = default;
};

struct WallpaperData {
    static constexpr std::string_view typeName = "WallpaperData";

    std::string token;  // plain text, not an icon token
    std::string jpegBase64;
    CGSizeCodable size;

    // What is sent while there is no picture: the current token ("empty" when there is none), no JPEG and
    // a size of 0 by 0.
    static WallpaperData unavailable(std::string_view currentToken);

    friend bool operator==(const WallpaperData&, const WallpaperData&) = default;
};

void toJSON(JsonWriter& w, const CGSizeCodable& size);
bool fromJSON(const JsonValue& v, CGSizeCodable& size);
void toJSON(JsonWriter& w, const WallpaperFetch& fetch);
bool fromJSON(const JsonValue& v, WallpaperFetch& fetch);
void toJSON(JsonWriter& w, const WallpaperData& wallpaper);
bool fromJSON(const JsonValue& v, WallpaperData& wallpaper);

}  // namespace tavelin
