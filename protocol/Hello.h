#pragma once

// The opening of a session: the device's hello and the Mac's acknowledgement. A hello of another
// protocol version still decodes; refusing it is the session's business.

#include <cstdint>
#include <string>

#include "protocol/Identifiers.h"
#include "protocol/JsonCodingForward.h"
#include "protocol/MacDescriptor.h"

namespace tavelin {

struct Hello {
    static constexpr std::string_view typeName = "Hello";

    DeviceID deviceID;  // the one the device was paired under
    std::int64_t protocolVersion = 0;
    std::string appVersion;
    std::string deviceName;
    std::string clientNonce;  // not interpreted by the Mac

    friend bool operator==(const Hello&, const Hello&) = default;
};

struct HelloAck {
    static constexpr std::string_view typeName = "HelloAck";

    SessionID sessionID;  // SessionID::generate(): lower case
    MacDescriptor mac;
    std::int64_t dockGeneration = 0;  // 0 before the first snapshot
    std::string serverNonce;          // randomUUIDString(): upper case

    friend bool operator==(const HelloAck&, const HelloAck&) = default;
};

void toJSON(JsonWriter& w, const Hello& hello);
bool fromJSON(const JsonValue& v, Hello& hello);
void toJSON(JsonWriter& w, const HelloAck& ack);
bool fromJSON(const JsonValue& v, HelloAck& ack);

}  // namespace tavelin
