#include <gtest/gtest.h>

#include "protocol/JsonCoding.h"
#include "protocol/PairingMessages.h"

namespace tavelin {
namespace {

TEST(PairReject, TheMacsRejections) {
    const struct {
        PairReject reject;
        std::string_view json;
    } cases[] = {
        {PairReject::codeMismatch(2), R"({"reason":"codeMismatch","attemptsLeft":2})"},
        {PairReject::codeMismatch(std::nullopt), R"({"reason":"codeMismatch"})"},
        {PairReject::rateLimited(), R"({"reason":"rateLimited","attemptsLeft":0})"},
        {PairReject::unauthorized(), R"({"reason":"unauthorized"})"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(encodeJSON(c.reject), c.json);
        EXPECT_EQ(decodeJSON<PairReject>(c.json), c.reject) << c.json;
    }
}

TEST(PairReject, ReasonsAndOptionalFields) {
    const std::string_view reasons[] = {"codeMismatch", "rateLimited", "revoked", "unauthorized",
                                        "versionUnsupported"};
    for (std::size_t i = 0; i < std::size(reasons); ++i) {
        const auto decoded = decodeJSON<PairReject>(R"({"reason":")" + std::string(reasons[i]) + R"("})");
        ASSERT_TRUE(decoded.has_value()) << reasons[i];
        EXPECT_EQ(decoded->reason, static_cast<PairRejectReason>(i));
    }
    EXPECT_EQ(decodeJSON<PairReject>(R"({"reason":"CodeMismatch"})").error().message,
              R"(PairReject.reason: no case "CodeMismatch")");
    // Unlike the protocol error of the same name, the reason is a plain string.
    EXPECT_EQ(decodeJSON<PairReject>(R"({"reason":{"revoked":{}}})").error().message,
              "PairReject.reason: expected a string, found an object");

    const auto nulls = decodeJSON<PairReject>(R"({"reason":"revoked","attemptsLeft":null,"message":null})");
    ASSERT_TRUE(nulls.has_value());
    EXPECT_FALSE(nulls->attemptsLeft.has_value());
    EXPECT_FALSE(nulls->message.has_value());
    const PairReject withMessage{.reason = PairRejectReason::revoked, .attemptsLeft = -1, .message = "gone"};
    EXPECT_EQ(decodeJSON<PairReject>(*encodeJSON(withMessage)), withMessage);
}

TEST(PairChallenge, SaltIsStrictBase64) {
    PairChallenge challenge{
        .ephemeralPub = std::string(87, 'A') + "=", .machineID = MachineID("M-1"), .displayName = "Studio"};
    for (std::uint8_t i = 0; i < 32; ++i)
        challenge.salt.data.push_back(static_cast<std::uint8_t>(i * 37 + 250));
    const auto text = *encodeJSON(challenge);
    const auto salt = base64Encode(challenge.salt);
    EXPECT_EQ(salt.size(), 44u);
    std::string escaped;
    for (const char c : salt) escaped += c == '/' ? std::string("\\/") : std::string(1, c);
    EXPECT_NE(text.find(R"("salt":")" + escaped + "\""), std::string::npos) << text;
    EXPECT_EQ(decodeJSON<PairChallenge>(text), challenge);

    for (const auto* bad : {"AAA", "AA=A", "AB==", "A\\nAA", "****"}) {
        auto broken = text;
        broken.replace(broken.find(escaped), escaped.size(), bad);
        EXPECT_EQ(decodeJSON<PairChallenge>(broken).error().message, "PairChallenge.salt: invalid Base64")
            << bad;
    }
}

TEST(PairingMessages, RoundTripsAndRequiredFields) {
    const PairPrepare prepare{.deviceName = "Phone", .protocolVersion = 1};
    EXPECT_EQ(encodeJSON(prepare), R"({"deviceName":"Phone","protocolVersion":1})");
    EXPECT_EQ(decodeJSON<PairPrepare>(*encodeJSON(prepare)), prepare);

    const PairRequest request{.deviceName = "Phone", .ephemeralPub = "BAAA", .protocolVersion = 1};
    EXPECT_EQ(decodeJSON<PairRequest>(*encodeJSON(request)), request);
    // Keys and proofs are texts that the records do not check.
    const PairProof proof{.proof = "not base64!", .devicePub = "", .deviceID = DeviceID("D-1")};
    EXPECT_EQ(decodeJSON<PairProof>(*encodeJSON(proof)), proof);
    const PairAccept accept{.proof = "p", .machinePub = "k"};
    EXPECT_EQ(encodeJSON(accept), R"({"proof":"p","machinePub":"k"})");
    EXPECT_EQ(decodeJSON<PairAccept>(*encodeJSON(accept)), accept);

    EXPECT_EQ(decodeJSON<PairRequest>(R"({"deviceName":"P","protocolVersion":1})").error().message,
              R"(PairRequest: missing required key "ephemeralPub")");
    EXPECT_EQ(decodeJSON<PairProof>(R"({"proof":"p","devicePub":"k","deviceID":null})").error().message,
              "PairProof.deviceID: expected a string, found null");
    EXPECT_EQ(decodeJSON<PairPrepare>(R"({"deviceName":"P","protocolVersion":"1"})").error().message,
              "PairPrepare.protocolVersion: expected an integer, found a string");
}

}  // namespace
}  // namespace tavelin
