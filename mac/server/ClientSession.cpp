#include "mac/server/ClientSession.h"

#include "protocol/MacEnvelope.h"

namespace tavelin {

ClientSession::WallpaperReply ClientSession::wallpaperFetchReply(const AnyEnvelope& request,
                                                                 WallpaperFetchAnswer answer,
                                                                 const SessionID& sessionID) {
    if (auto* picture = std::get_if<WallpaperData>(&answer)) {
        return macReply<MessageType::wallpaperData>(request, std::move(*picture), sessionID);
    }
    return macReply<MessageType::wallpaperUnchanged>(request, EmptyPayload{}, sessionID);
}

}  // namespace tavelin
