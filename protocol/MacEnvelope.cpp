#include "protocol/MacEnvelope.h"

namespace tavelin {

std::optional<MessageType> requestAnsweredBy(MessageType reply) {
    switch (reply) {
        case MessageType::helloAck:
            return MessageType::hello;
        case MessageType::folderSnapshot:
            return MessageType::folderOpen;
        case MessageType::iconData:
            return MessageType::iconFetch;
        case MessageType::windowListSnapshot:
            return MessageType::windowListRequest;
        case MessageType::windowThumbnailData:
            return MessageType::windowThumbnailFetch;
        case MessageType::wallpaperData:
        case MessageType::wallpaperUnchanged:
            return MessageType::wallpaperFetch;
        case MessageType::commandResult:
            return MessageType::command;
        default:
            return std::nullopt;
    }
}

}  // namespace tavelin
