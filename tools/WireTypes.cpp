#include "tools/WireTypes.h"

#include "protocol/AnyCodablePayload.h"
#include "protocol/AnyEnvelope.h"
#include "protocol/MessagePayloads.h"
#include "tools/WireCommands.h"

namespace tavelin::wire {

const std::vector<WireType>& wireTypes() {
    static const std::vector<WireType> types = {
        wireType<DockItem>(),
        wireType<DockSeparator>(),
        wireType<DockSnapshot>(),
        wireType<DockDiff>(),
        wireType<FolderSnapshot>(),
        wireType<FolderChild>(),
        wireType<FolderOpenRequest>(),
        wireType<ProtocolError>(),
        wireType<Command>(),
        wireType<CommandResult>(),
        wireType<IconFetch>(),
        wireType<IconData>(),
        wireType<IconInvalidated>(),
        wireType<WallpaperFetch>(),
        wireType<WallpaperData>(),
        wireType<CGSizeCodable>(),
        wireType<WindowFrame>(),
        wireType<WindowDescriptor>(),
        wireType<ConnectedDisplay>(),
        wireType<WindowListRequest>(),
        wireType<WindowListSnapshot>(),
        wireType<WindowThumbnailFetch>(),
        wireType<WindowThumbnailData>(),
        wireType<Hello>(),
        wireType<HelloAck>(),
        wireType<MacDescriptor>(),
        wireType<PermissionState>(),
        wireType<PairPrepare>(),
        wireType<PairRequest>(),
        wireType<PairChallenge>(),
        wireType<PairProof>(),
        wireType<PairAccept>(),
        wireType<PairReject>(),
        wireType<EmptyPayload>(),
        wireType<AnyCodablePayload>(),
        wireType<JSONValue>(),
        wireType<AnyEnvelope>(),
        WireType{"Envelope", &reencodeEnvelope},
    };
    return types;
}

const WireType* findWireType(std::string_view name) {
    for (const auto& type : wireTypes()) {
        if (type.name == name) return &type;
    }
    return nullptr;
}

}  // namespace tavelin::wire
