#pragma once

// The kinds of message an envelope carries, written as their dotted texts. "pair.*" travel on the
// pairing connection, all others on session connections.

#include <string_view>

#include "protocol/EnumText.h"

namespace tavelin {

enum class MessageType {
    hello,
    helloAck,
    snapshotRequest,
    dockSnapshot,
    dockDiff,
    folderOpen,
    folderSnapshot,
    iconFetch,
    iconData,
    iconInvalidated,
    windowListRequest,
    windowListSnapshot,
    windowThumbnailFetch,
    windowThumbnailData,
    wallpaperFetch,
    wallpaperData,
    wallpaperUnchanged,
    command,
    commandResult,
    permissionsChanged,
    ping,
    pong,
    error,
    pairPrepare,
    pairRequest,
    pairChallenge,
    pairProof,
    pairAccept,
    pairReject,
};

template <>
struct EnumText<MessageType> {
    static constexpr std::string_view names[] = {"hello",
                                                 "hello.ack",
                                                 "snapshot.request",
                                                 "dock.snapshot",
                                                 "dock.diff",
                                                 "folder.open",
                                                 "folder.snapshot",
                                                 "icon.fetch",
                                                 "icon.data",
                                                 "icon.invalidated",
                                                 "window.list.request",
                                                 "window.list.snapshot",
                                                 "window.thumbnail.fetch",
                                                 "window.thumbnail.data",
                                                 "wallpaper.fetch",
                                                 "wallpaper.data",
                                                 "wallpaper.unchanged",
                                                 "command",
                                                 "command.result",
                                                 "permissions.changed",
                                                 "ping",
                                                 "pong",
                                                 "error",
                                                 "pair.prepare",
                                                 "pair.request",
                                                 "pair.challenge",
                                                 "pair.proof",
                                                 "pair.accept",
                                                 "pair.reject"};
};

inline constexpr std::size_t messageTypeCount = std::size(EnumText<MessageType>::names);
static_assert(messageTypeCount == static_cast<std::size_t>(MessageType::pairReject) + 1);

}  // namespace tavelin
