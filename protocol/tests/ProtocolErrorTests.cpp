#include <gtest/gtest.h>

#include "protocol/JsonCoding.h"
#include "protocol/ProtocolError.h"

namespace tavelin {
namespace {

struct ErrorCase {
    ProtocolError error;
    std::string_view json;
    std::string_view description;
};

// In the order of the coding keys.
const ErrorCase kCases[] = {
    {ProtocolError::versionUnsupported(), R"({"versionUnsupported":{}})", "Unsupported protocol version"},
    {ProtocolError::unauthorized(), R"({"unauthorized":{}})", "Unauthorized"},
    {ProtocolError::revoked(), R"({"revoked":{}})", "Revoked"},
    {ProtocolError::staleGeneration(), R"({"staleGeneration":{}})", "Stale dock generation"},
    {ProtocolError::staleWindowRevision(), R"({"staleWindowRevision":{}})", "Stale window revision"},
    {ProtocolError::notFound(), R"({"notFound":{}})", "Not found"},
    {ProtocolError::unavailable("hide failed"), R"({"unavailable":{"reason":"hide failed"}})", "hide failed"},
    {ProtocolError::unavailable(""), R"({"unavailable":{"reason":""}})", ""},
    {ProtocolError::permissionDenied("accessibility"), R"({"permissionDenied":{"kind":"accessibility"}})",
     "Permission denied: accessibility"},
    {ProtocolError::permissionDenied(""), R"({"permissionDenied":{"kind":""}})", "Permission denied: "},
    {ProtocolError::rateLimited(30), R"({"rateLimited":{"retryAfter":30}})", "Rate limited (30s)"},
    {ProtocolError::rateLimited(0), R"({"rateLimited":{"retryAfter":0}})", "Rate limited (0s)"},
    {ProtocolError::rateLimited(-12000), R"({"rateLimited":{"retryAfter":-12000}})",
     "Rate limited (-12000s)"},
    {ProtocolError::internal("message too large"), R"({"internal":{"message":"message too large"}})",
     "message too large"},
    {ProtocolError::codeMismatch(2), R"({"codeMismatch":{"attemptsLeft":2}})", "Code mismatch (2 left)"},
    {ProtocolError::codeMismatch(0), R"({"codeMismatch":{"attemptsLeft":0}})", "Code mismatch (0 left)"},
};

TEST(ProtocolError, EachCaseHasItsJSONAndDescription) {
    for (const auto& c : kCases) {
        EXPECT_EQ(encodeJSON(c.error), c.json);
        EXPECT_EQ(c.error.errorDescription(), c.description) << c.json;
        EXPECT_EQ(decodeJSON<ProtocolError>(c.json), c.error) << c.json;
    }
}

TEST(ProtocolError, CasesAreInTheirCodingOrder) {
    ASSERT_EQ(std::size(ProtocolError::caseNames), 11u);
    EXPECT_EQ(ProtocolError::caseNames[0], "versionUnsupported");
    EXPECT_EQ(ProtocolError::caseNames[5], "notFound");
    EXPECT_EQ(ProtocolError::caseNames[10], "codeMismatch");
    EXPECT_EQ(ProtocolError::internal("x").caseName(), "internal");
}

TEST(ProtocolError, EqualityIsByCaseAndValue) {
    EXPECT_EQ(ProtocolError::notFound(), ProtocolError::notFound());
    EXPECT_NE(ProtocolError::unavailable("hide failed"), ProtocolError::unavailable("quit failed"));
    // Same text, other case.
    EXPECT_NE(ProtocolError::unavailable("x"), ProtocolError::internal("x"));
    EXPECT_NE(ProtocolError::rateLimited(2), ProtocolError::codeMismatch(2));

    const ProtocolError error = ProtocolError::Unavailable{"hide failed"};
    ASSERT_TRUE(error.is<ProtocolError::Unavailable>());
    EXPECT_EQ(error.as<ProtocolError::Unavailable>()->reason, "hide failed");
    EXPECT_EQ(error.as<ProtocolError::NotFound>(), nullptr);
}

TEST(ProtocolError, ReadingIgnoresOtherKeysButNeedsExactlyOneCase) {
    EXPECT_EQ(decodeJSON<ProtocolError>(R"({"revoked":{},"other":{}})"), ProtocolError::revoked());
    EXPECT_EQ(decodeJSON<ProtocolError>(R"({"notFound":{"extra":1},"other":1})"), ProtocolError::notFound());
    for (const auto* text : {"{}", R"({"revoked":{},"notFound":{}})", R"({"NotFound":{}})"}) {
        const auto decoded = decodeJSON<ProtocolError>(text);
        ASSERT_FALSE(decoded.has_value()) << text;
        EXPECT_EQ(decoded.error().message, "ProtocolError: Invalid number of keys found, expected one.");
    }
}

TEST(ProtocolError, ValuesAreRequiredWithTheirType) {
    const struct {
        std::string_view json;
        std::string_view message;
    } cases[] = {
        {R"({"unavailable":{}})", R"(ProtocolError.unavailable: missing required key "reason")"},
        {R"({"permissionDenied":{"kind":null}})",
         "ProtocolError.permissionDenied.kind: expected a string, found null"},
        {R"({"rateLimited":{"retryAfter":1.5}})",
         "ProtocolError.rateLimited.retryAfter: expected an integer, found a fraction"},
        {R"({"internal":{"reason":"x"}})", R"(ProtocolError.internal: missing required key "message")"},
        {R"({"codeMismatch":{"attemptsLeft":"2"}})",
         "ProtocolError.codeMismatch.attemptsLeft: expected an integer, found a string"},
        {R"({"notFound":[]})", "ProtocolError.notFound: expected an object, found an array"},
        {R"("notFound")", "ProtocolError: expected an object, found a string"},
    };
    for (const auto& c : cases) {
        const auto decoded = decodeJSON<ProtocolError>(c.json);
        ASSERT_FALSE(decoded.has_value()) << c.json;
        EXPECT_EQ(decoded.error().message, c.message);
    }
}

}  // namespace
}  // namespace tavelin
