#pragma once

// One paired device's session. So far only its answer to "wallpaper.fetch" lives here: the wallpaper
// service decides what to send (WallpaperFetchAnswer.h); the session turns that into the reply.

#include <variant>

#include "mac/core/WallpaperFetchAnswer.h"
#include "protocol/AnyEnvelope.h"
#include "protocol/Envelope.h"
#include "protocol/Identifiers.h"
#include "protocol/WallpaperData.h"

namespace tavelin {

class ClientSession {
  public:
    using WallpaperReply = std::variant<Envelope<EmptyPayload>, Envelope<WallpaperData>>;

    // "wallpaper.unchanged" with an empty payload when the device holds the current picture, otherwise
    // "wallpaper.data" with the picture or the unavailable payload; either echoes the request's ID.
    static WallpaperReply wallpaperFetchReply(const AnyEnvelope& request, WallpaperFetchAnswer answer,
                                              const SessionID& sessionID);
};

}  // namespace tavelin
