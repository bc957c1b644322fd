#pragma once

// The payloads of the pairing exchange on the pairing connection. Keys and proofs are Base64 texts that
// the records do not check: whoever uses them decodes them and treats a failure as a failed step. The
// one byte string, the challenge's salt, is Base64 on the wire and checked strictly.

#include <cstdint>
#include <optional>
#include <string>

#include "protocol/Base64.h"
#include "protocol/Identifiers.h"
#include "protocol/JsonCodingForward.h"

namespace tavelin {

struct PairPrepare {
    static constexpr std::string_view typeName = "PairPrepare";

    std::string deviceName;
    std::int64_t protocolVersion = 0;

    friend bool operator==(const PairPrepare&, const PairPrepare&) = default;
};

struct PairRequest {
    static constexpr std::string_view typeName = "PairRequest";

    std::string deviceName;
    std::string ephemeralPub;  // P-256, X9.63 uncompressed, Base64
    std::int64_t protocolVersion = 0;

    friend bool operator==(const PairRequest&, const PairRequest&) = default;
};

struct PairChallenge {
    static constexpr std::string_view typeName = "PairChallenge";

    std::string ephemeralPub;
    Bytes salt;  // 32 random bytes per pairing code
    MachineID machineID;
    std::string displayName;

    friend bool operator==(const PairChallenge&, const PairChallenge&) = default;
};

struct PairProof {
    static constexpr std::string_view typeName = "PairProof";

    std::string proof;      // HMAC-SHA256, Base64
    std::string devicePub;  // long-term P-256 key, Base64
    DeviceID deviceID;

    friend bool operator==(const PairProof&, const PairProof&) = default;
};

struct PairAccept {
    static constexpr std::string_view typeName = "PairAccept";

    std::string proof;
    std::string machinePub;

    friend bool operator==(const PairAccept&, const PairAccept&) = default;
};

// Plain texts, unlike the ProtocolError cases of the same names.
enum class PairRejectReason { codeMismatch, rateLimited, revoked, unauthorized, versionUnsupported };

template <>
struct EnumText<PairRejectReason> {
    static constexpr std::string_view names[] = {"codeMismatch", "rateLimited", "revoked", "unauthorized",
                                                 "versionUnsupported"};
};

struct PairReject {
    static constexpr std::string_view typeName = "PairReject";

    PairRejectReason reason = PairRejectReason::unauthorized;
    std::optional<std::int64_t> attemptsLeft;
    std::optional<std::string> message;  // the Mac never sends one

    // The rejections the Mac sends. A mismatch carries the attempts left on the active code (none
    // without one); a rate limit carries 0; unauthorized carries the reason only.
    static PairReject codeMismatch(std::optional<std::int64_t> attemptsLeft);
    static PairReject rateLimited();
    static PairReject unauthorized();

    friend bool operator==(const PairReject&, const PairReject&) = default;
};

void toJSON(JsonWriter& w, const PairPrepare& prepare);
bool fromJSON(const JsonValue& v, PairPrepare& prepare);
void toJSON(JsonWriter& w, const PairRequest& request);
bool fromJSON(const JsonValue& v, PairRequest& request);
void toJSON(JsonWriter& w, const PairChallenge& challenge);
bool fromJSON(const JsonValue& v, PairChallenge& challenge);
void toJSON(JsonWriter& w, const PairProof& proof);
bool fromJSON(const JsonValue& v, PairProof& proof);
void toJSON(JsonWriter& w, const PairAccept& accept);
bool fromJSON(const JsonValue& v, PairAccept& accept);
void toJSON(JsonWriter& w, const PairReject& reject);
bool fromJSON(const JsonValue& v, PairReject& reject);

}  // namespace tavelin
