#pragma once

// Which record each message type carries, known at compile time, and a way to reach that knowledge
// from a message type found at run time.

#include <cstddef>
#include <utility>
#include <vector>

#include "protocol/Command.h"
#include "protocol/CommandResult.h"
#include "protocol/DockDiff.h"
#include "protocol/DockSnapshot.h"
#include "protocol/Envelope.h"
#include "protocol/FolderOpenRequest.h"
#include "protocol/FolderSnapshot.h"
#include "protocol/Hello.h"
#include "protocol/IconData.h"
#include "protocol/MessageType.h"
#include "protocol/PairingMessages.h"
#include "protocol/PermissionState.h"
#include "protocol/ProtocolError.h"
#include "protocol/WallpaperData.h"
#include "protocol/WindowListSnapshot.h"
#include "protocol/WindowThumbnailData.h"

namespace tavelin {

template <MessageType>
struct MessagePayload;

template <MessageType type>
using MessagePayloadType = typename MessagePayload<type>::type;

// clang-format off
template <> struct MessagePayload<MessageType::hello> { using type = Hello; };
template <> struct MessagePayload<MessageType::helloAck> { using type = HelloAck; };
template <> struct MessagePayload<MessageType::snapshotRequest> { using type = EmptyPayload; };  // not read
template <> struct MessagePayload<MessageType::dockSnapshot> { using type = DockSnapshot; };
template <> struct MessagePayload<MessageType::dockDiff> { using type = DockDiff; };
template <> struct MessagePayload<MessageType::folderOpen> { using type = FolderOpenRequest; };
template <> struct MessagePayload<MessageType::folderSnapshot> { using type = FolderSnapshot; };
template <> struct MessagePayload<MessageType::iconFetch> { using type = IconFetch; };
template <> struct MessagePayload<MessageType::iconData> { using type = std::vector<IconData>; };
template <> struct MessagePayload<MessageType::iconInvalidated> { using type = IconInvalidated; };
template <> struct MessagePayload<MessageType::windowListRequest> { using type = WindowListRequest; };
template <> struct MessagePayload<MessageType::windowListSnapshot> { using type = WindowListSnapshot; };
template <> struct MessagePayload<MessageType::windowThumbnailFetch> { using type = WindowThumbnailFetch; };
template <> struct MessagePayload<MessageType::windowThumbnailData> { using type = WindowThumbnailData; };
template <> struct MessagePayload<MessageType::wallpaperFetch> { using type = WallpaperFetch; };
template <> struct MessagePayload<MessageType::wallpaperData> { using type = WallpaperData; };
template <> struct MessagePayload<MessageType::wallpaperUnchanged> { using type = EmptyPayload; };
template <> struct MessagePayload<MessageType::command> { using type = Command; };
template <> struct MessagePayload<MessageType::commandResult> { using type = CommandResult; };
template <> struct MessagePayload<MessageType::permissionsChanged> { using type = PermissionState; };
template <> struct MessagePayload<MessageType::ping> { using type = EmptyPayload; };  // not read
template <> struct MessagePayload<MessageType::pong> { using type = EmptyPayload; };
template <> struct MessagePayload<MessageType::error> { using type = ProtocolError; };
template <> struct MessagePayload<MessageType::pairPrepare> { using type = PairPrepare; };
template <> struct MessagePayload<MessageType::pairRequest> { using type = PairRequest; };
template <> struct MessagePayload<MessageType::pairChallenge> { using type = PairChallenge; };
template <> struct MessagePayload<MessageType::pairProof> { using type = PairProof; };
template <> struct MessagePayload<MessageType::pairAccept> { using type = PairAccept; };
template <> struct MessagePayload<MessageType::pairReject> { using type = PairReject; };
// clang-format on

namespace detail {

template <class Visitor, std::size_t... I>
decltype(auto) visitMessageType(MessageType type, Visitor& visitor, std::index_sequence<I...>) {
    using Result = decltype(visitor.template operator()<MessageType::hello>());
    using Entry = Result (*)(Visitor&);
    static constexpr Entry entries[] = {
        [](Visitor& v) -> Result { return v.template operator()<static_cast<MessageType>(I)>(); }...};
    return entries[static_cast<std::size_t>(type)](visitor);
}

}  // namespace detail

// Calls `visitor.template operator()<type>()` with `type` as a constant, so that the visitor can name
// MessagePayloadType<type>: `visitMessageType(t, [&]<MessageType type>() { ... })`.
template <class Visitor>
decltype(auto) visitMessageType(MessageType type, Visitor&& visitor) {
    return detail::visitMessageType(type, visitor, std::make_index_sequence<messageTypeCount>());
}

}  // namespace tavelin
