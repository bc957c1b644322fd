#pragma once

// A device's "wallpaper.fetch" is answered "wallpaper.unchanged", with an empty payload, when the device
// holds the current picture already, and otherwise "wallpaper.data" with the picture, or with the
// unavailable payload while there is none (WallpaperService::answerFetch).

#include <string_view>
#include <variant>

#include "protocol/Envelope.h"
#include "protocol/WallpaperData.h"

namespace tavelin {

using WallpaperFetchAnswer = std::variant<EmptyPayload, WallpaperData>;

// The device's known token is present, not empty, and the current one.
inline bool wallpaperFetchIsUnchanged(const WallpaperFetch& fetch, std::string_view currentToken) {
    return fetch.knownToken && !fetch.knownToken->empty() && *fetch.knownToken == currentToken;
}

}  // namespace tavelin
