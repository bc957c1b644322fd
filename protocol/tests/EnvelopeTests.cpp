#include <gtest/gtest.h>

#include <limits>
#include <map>

#include "protocol/AnyCodablePayload.h"
#include "protocol/MacEnvelope.h"
#include "protocol/tests/RecordFixtures.h"

namespace tavelin {
namespace {

using Object = JSONValue::Object;

JSONValue integer(std::int64_t i) { return {i}; }

TEST(MessageType, TwentyNineDottedTextsInCaseOrder) {
    const std::string_view texts[] = {"hello",
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
    ASSERT_EQ(messageTypeCount, std::size(texts));
    for (std::size_t i = 0; i < std::size(texts); ++i) {
        EXPECT_EQ(toString(static_cast<MessageType>(i)), texts[i]);
        EXPECT_EQ(enumFromString<MessageType>(texts[i]), static_cast<MessageType>(i));
    }
    for (const auto* text : {"Hello", "hello ", "helloAck", "dock_snapshot", ""}) {
        EXPECT_FALSE(enumFromString<MessageType>(text).has_value()) << text;
    }
}

TEST(Envelope, HeaderFieldsAndPayload) {
    const Envelope<EmptyPayload> pong{.messageType = MessageType::pong, .requestID = RequestID("R-1")};
    EXPECT_EQ(encodeJSON(pong),
              R"({"protocolVersion":1,"messageType":"pong","requestID":"R-1","payload":{}})");
    EXPECT_EQ(decodeJSON<Envelope<EmptyPayload>>(*encodeJSON(pong)), pong);

    const Envelope<ProtocolError> error{.protocolVersion = 3,
                                        .messageType = MessageType::error,
                                        .requestID = RequestID("R-2"),
                                        .sessionID = SessionID("s"),
                                        .revision = -1,
                                        .eventSequence = 8,
                                        .payload = ProtocolError::rateLimited(30)};
    EXPECT_EQ(encodeJSON(error),
              R"({"protocolVersion":3,"messageType":"error","requestID":"R-2","sessionID":"s",)"
              R"("revision":-1,"eventSequence":8,"payload":{"rateLimited":{"retryAfter":30}}})");
    EXPECT_EQ(decodeJSON<Envelope<ProtocolError>>(*encodeJSON(error)), error);
}

TEST(Envelope, DecodingFailures) {
    const struct {
        std::string_view json;
        std::string_view message;
    } cases[] = {
        {R"({"protocolVersion":1,"messageType":"pong","requestID":"R"})",
         R"(Envelope: missing required key "payload")"},
        {R"({"protocolVersion":1,"messageType":"Pong","requestID":"R","payload":{}})",
         R"(Envelope.messageType: no case "Pong")"},
        {R"({"protocolVersion":1,"messageType":"pong","payload":{}})",
         R"(Envelope: missing required key "requestID")"},
        {R"({"protocolVersion":"1","messageType":"pong","requestID":"R","payload":{}})",
         "Envelope.protocolVersion: expected an integer, found a string"},
        {R"({"protocolVersion":1,"messageType":"pong","requestID":"R","sessionID":5,"payload":{}})",
         "Envelope.sessionID: expected a string, found a number"},
    };
    for (const auto& c : cases) {
        const auto decoded = decodeJSON<Envelope<EmptyPayload>>(c.json);
        ASSERT_FALSE(decoded.has_value()) << c.json;
        EXPECT_EQ(decoded.error().message, c.message);
    }
    // An empty payload reads anything, null included, but the key must be there.
    EXPECT_TRUE(decodeJSON<Envelope<EmptyPayload>>(
        R"({"protocolVersion":1,"messageType":"ping","requestID":"R","payload":[1]})"));
    EXPECT_TRUE(decodeJSON<Envelope<EmptyPayload>>(
        R"({"protocolVersion":1,"messageType":"ping","requestID":"R","payload":null})"));
    EXPECT_EQ(decodeJSON<Envelope<Command>>(
                  R"({"protocolVersion":1,"messageType":"command","requestID":"R","payload":{}})")
                  .error()
                  .message,
              R"(Envelope.payload: missing required key "kind")");
}

TEST(AnyEnvelope, HeaderAndMissingOrNullPayload) {
    for (const auto* text :
         {R"({"protocolVersion":1,"messageType":"snapshot.request","requestID":"R"})",
          R"({"protocolVersion":1,"messageType":"snapshot.request","requestID":"R","payload":null})"}) {
        const auto any = decodeJSON<AnyEnvelope>(text);
        ASSERT_TRUE(any.has_value()) << text;
        EXPECT_EQ(any->payload.tree(), JSONValue{Object{}});
        EXPECT_EQ(any->knownMessageType(), MessageType::snapshotRequest);
        EXPECT_EQ(any->decode<WallpaperFetch>(), WallpaperFetch{});
        EXPECT_EQ(any->decode<IconFetch>().error().message, R"(IconFetch: missing required key "tokens")");
    }
    const auto any = decodeJSON<AnyEnvelope>(
        R"({"payload":{},"eventSequence":null,"revision":4,"sessionID":"s","requestID":"R","messageType":"x.y","protocolVersion":2,"extra":1})");
    ASSERT_TRUE(any.has_value());
    EXPECT_EQ(*any, (AnyEnvelope{.protocolVersion = 2,
                                 .messageType = "x.y",
                                 .requestID = RequestID("R"),
                                 .sessionID = SessionID("s"),
                                 .revision = 4}));
    EXPECT_FALSE(any->knownMessageType().has_value());
}

TEST(AnyEnvelope, FailsOnlyOnTheHeader) {
    const struct {
        std::string_view json;
        std::string_view message;
    } cases[] = {
        {"[]", "AnyEnvelope: expected an object, found an array"},
        {R"({"messageType":"ping","requestID":"R"})",
         R"(AnyEnvelope: missing required key "protocolVersion")"},
        {R"({"protocolVersion":1,"requestID":"R"})", R"(AnyEnvelope: missing required key "messageType")"},
        {R"({"protocolVersion":1,"messageType":"ping"})", R"(AnyEnvelope: missing required key "requestID")"},
        {R"({"protocolVersion":1,"messageType":7,"requestID":"R"})",
         "AnyEnvelope.messageType: expected a string, found a number"},
        {R"({"protocolVersion":1.5,"messageType":"ping","requestID":"R"})",
         "AnyEnvelope.protocolVersion: expected an integer, found a fraction"},
    };
    for (const auto& c : cases) {
        const auto decoded = decodeJSON<AnyEnvelope>(c.json);
        ASSERT_FALSE(decoded.has_value()) << c.json;
        EXPECT_EQ(decoded.error().message, c.message);
    }
}

TEST(AnyEnvelope, BarePayloadValuesAreKept) {
    const struct {
        std::string_view payload;
        JSONValue expected;
        std::string_view found;
    } cases[] = {
        {"42", integer(42), "a number"},
        {"\"text\"", {std::string("text")}, "a string"},
        {"[1,\"a\",null]", {JSONValue::Array{integer(1), {std::string("a")}, {nullptr}}}, "an array"},
        {"true", {true}, "a Boolean"},
    };
    for (const auto& c : cases) {
        const auto any = decodeJSON<AnyEnvelope>(
            R"({"protocolVersion":1,"messageType":"command","requestID":"R","payload":)" +
            std::string(c.payload) + "}");
        ASSERT_TRUE(any.has_value()) << c.payload;
        EXPECT_EQ(any->payload.tree(), c.expected) << c.payload;
        EXPECT_EQ(any->decode<Command>().error().message,
                  "Command: expected an object, found " + std::string(c.found));
    }
}

TEST(AnyEnvelope, SecondDecodingSeesTheSameValues) {
    const Command command{.kind = CommandKind::windowClose,
                          .expectedGeneration = std::numeric_limits<std::int64_t>::max(),
                          .nonce = "caf\xC3\xA9 \"/\\",
                          .processLaunchTime = 0.1,
                          .windowContentRevision = std::numeric_limits<std::int64_t>::min()};
    const auto envelope = macMessage<MessageType::command>(command, SessionID("s"));
    const auto any = decodeJSON<AnyEnvelope>(*encodeJSON(envelope));
    ASSERT_TRUE(any.has_value());
    EXPECT_EQ(any->decode<Command>(), command);

    // 1.0 and 1e2 are integers written another way; the tree keeps them as integers.
    const auto written = decodeJSON<AnyEnvelope>(
        R"({"protocolVersion":1,"messageType":"command","requestID":"R","payload":)"
        R"({"kind":"refresh","expectedGeneration":1.0,"nonce":"","windowContentRevision":-1e2,"processLaunchTime":2.5}})");
    ASSERT_TRUE(written.has_value());
    const auto tree = written->payload.tree();
    const auto& members = std::get<Object>(tree.value);
    EXPECT_EQ(members.at("expectedGeneration"), integer(1));
    EXPECT_EQ(members.at("windowContentRevision"), integer(-100));
    EXPECT_EQ(members.at("processLaunchTime"), JSONValue{2.5});
    EXPECT_EQ(written->decode<Command>()->windowContentRevision, -100);
}

TEST(AnyEnvelope, IntegersBeyond64BitsReadAsDoubles) {
    const auto ping = decodeJSON<AnyEnvelope>(
        R"({"protocolVersion":1,"messageType":"ping","requestID":"r","payload":{"x":18446744073709551616}})");
    ASSERT_TRUE(ping.has_value()) << ping.error().message;
    EXPECT_EQ(ping->requestID, RequestID("r"));
    EXPECT_EQ(ping->payload.tree(), (JSONValue{Object{{"x", {18446744073709551616.0}}}}));

    // In an ignored key and a double field the message reads; digits inside texts are left alone.
    const std::string command =
        R"({"protocolVersion":1,"messageType":"command","requestID":"r","extra":[-99999999999999999999],"payload":)"
        R"({"kind":"refresh","expectedGeneration":7,"nonce":"a\\\"18446744073709551616","processLaunchTime":100000000000000000000}})";
    const auto any = decodeJSON<AnyEnvelope>(command);
    ASSERT_TRUE(any.has_value()) << any.error().message;
    const auto read = any->decode<Command>();
    ASSERT_TRUE(read.has_value()) << read.error().message;
    EXPECT_EQ(read->nonce, "a\\\"18446744073709551616");
    EXPECT_EQ(read->processLaunchTime, 1e20);
    EXPECT_EQ(decodeJSON<Envelope<Command>>(command)->payload, *read);

    // A required integer holding one fails on its path, by both routes.
    const std::string tooLarge =
        R"({"protocolVersion":1,"messageType":"command","requestID":"r","payload":)"
        R"({"kind":"refresh","expectedGeneration":-18446744073709551616,"nonce":""}})";
    EXPECT_EQ(decodeJSON<AnyEnvelope>(tooLarge)->decode<Command>().error().message,
              "Command.expectedGeneration: integer out of range");
    EXPECT_EQ(decodeJSON<Envelope<Command>>(tooLarge).error().message,
              "Envelope.payload.expectedGeneration: integer out of range");
    // Beyond a double it is still no number.
    EXPECT_EQ(decodeJSON<AnyEnvelope>(R"({"protocolVersion":1,"messageType":"ping","requestID":"r","x":1)" +
                                      std::string(400, '0') + "}")
                  .error()
                  .message,
              "AnyEnvelope: invalid JSON (Problem while parsing a number)");
}

TEST(AnyEnvelope, RepeatedKeysReadAsStraightFromTheMessage) {
    const std::string text =
        R"({"protocolVersion":1,"messageType":"command","requestID":"r","payload":)"
        R"({"nonce":"first","kind":"refresh","expectedGeneration":1,"nonce":"second","kind":"windowClose"}})";
    const auto direct = decodeJSON<Envelope<Command>>(text);
    ASSERT_TRUE(direct.has_value()) << direct.error().message;
    EXPECT_EQ(decodeJSON<AnyEnvelope>(text)->decode<Command>(), direct->payload);
}

TEST(JSONValue, NumbersAndObjects) {
    const struct {
        std::string_view json;
        JSONValue expected;
    } cases[] = {
        {"9223372036854775807", integer(std::numeric_limits<std::int64_t>::max())},
        {"-9223372036854775808", integer(std::numeric_limits<std::int64_t>::min())},
        {"18446744073709551615", {18446744073709551615.0}},  // beyond 64 signed bits: a double
        {"1e300", {1e300}},
        {"-0.0", integer(0)},
        {"0.5", {0.5}},
    };
    for (const auto& c : cases) EXPECT_EQ(decodeJSON<JSONValue>(c.json), c.expected) << c.json;

    // Objects compare as maps; of a repeated key the first counts.
    EXPECT_EQ(decodeJSON<JSONValue>(R"({"a":1,"b":[true]})"), decodeJSON<JSONValue>(R"({"b":[true],"a":1})"));
    EXPECT_NE(decodeJSON<JSONValue>(R"({"a":1})"), decodeJSON<JSONValue>(R"({"a":1.5})"));
    EXPECT_NE(decodeJSON<JSONValue>("[1,2]"), decodeJSON<JSONValue>("[2,1]"));
    EXPECT_EQ(decodeJSON<JSONValue>(R"({"a":1,"a":2})"), decodeJSON<JSONValue>(R"({"a":1})"));

    const auto tree = decodeJSON<JSONValue>(R"({"z":null,"a":{"s":"x\/y","d":0.25,"f":false},"n":[]})");
    EXPECT_EQ(encodeJSON(*tree), R"({"a":{"d":0.25,"f":false,"s":"x\/y"},"n":[],"z":null})");
}

TEST(EmptyAndOpenPayloads, JSONForms) {
    EXPECT_EQ(encodeJSON(EmptyPayload{}), "{}");
    for (const auto* text : {"{}", "null", "[1]", "\"x\"", R"({"a":1})"}) {
        EXPECT_EQ(decodeJSON<EmptyPayload>(text), EmptyPayload{}) << text;
    }

    const struct {
        std::string_view json;
        AnyCodablePayload expected;
        std::string_view written;
    } cases[] = {
        {R"({"a":"1","b":"2"})",
         {AnyCodablePayload::TextMap{{"a", "1"}, {"b", "2"}}},
         R"({"a":"1","b":"2"})"},
        {R"("text")", {std::string("text")}, R"("text")"},
        {"true", {true}, "true"},
        {R"({"a":1})", {AnyCodablePayload::TextMap{}}, "{}"},
        {"[\"a\"]", {AnyCodablePayload::TextMap{}}, "{}"},
        {"null", {AnyCodablePayload::TextMap{}}, "{}"},
        {"3", {AnyCodablePayload::TextMap{}}, "{}"},
    };
    for (const auto& c : cases) {
        const auto decoded = decodeJSON<AnyCodablePayload>(c.json);
        EXPECT_EQ(decoded, c.expected) << c.json;
        EXPECT_EQ(encodeJSON(*decoded), c.written) << c.json;
    }
}

TEST(MacEnvelope, RepliesEchoTheRequestIDAndEverythingElseGetsANewOne) {
    // Each reply and the request whose ID it echoes; every other type answers none.
    const std::map<MessageType, MessageType> answers = {
        {MessageType::helloAck, MessageType::hello},
        {MessageType::folderSnapshot, MessageType::folderOpen},
        {MessageType::iconData, MessageType::iconFetch},
        {MessageType::windowListSnapshot, MessageType::windowListRequest},
        {MessageType::windowThumbnailData, MessageType::windowThumbnailFetch},
        {MessageType::wallpaperData, MessageType::wallpaperFetch},
        {MessageType::wallpaperUnchanged, MessageType::wallpaperFetch},
        {MessageType::commandResult, MessageType::command}};
    for (std::size_t i = 0; i < messageTypeCount; ++i) {
        const auto type = static_cast<MessageType>(i);
        const auto answered = answers.find(type);
        EXPECT_EQ(requestAnsweredBy(type),
                  answered == answers.end() ? std::nullopt : std::optional(answered->second))
            << toString(type);
    }

    const auto request = [](std::string_view type) {
        return AnyEnvelope{
            .protocolVersion = 1, .messageType = std::string(type), .requestID = RequestID("REQ")};
    };
    const std::optional<SessionID> session = SessionID("s");
    EXPECT_EQ(macReply<MessageType::wallpaperUnchanged>(request("wallpaper.fetch"), {}, session).requestID,
              RequestID("REQ"));
    EXPECT_NE(macReply<MessageType::pong>(request("ping"), {}, session).requestID, RequestID("REQ"));
    // A reply to another kind of request.
    EXPECT_NE(macReply<MessageType::iconData>(request("icon.data"), {}, session).requestID, RequestID("REQ"));
}

TEST(MacEnvelope, HeaderFields) {
    const auto snapshot = testing::snapshotOf({testing::appItem("A")}, 5);
    const auto pushed = macMessage<MessageType::dockSnapshot>(snapshot, SessionID("s"));
    EXPECT_EQ(pushed.protocolVersion, 1);
    EXPECT_EQ(pushed.messageType, MessageType::dockSnapshot);
    EXPECT_EQ(pushed.sessionID, SessionID("s"));
    EXPECT_EQ(pushed.eventSequence, snapshot.eventSequence);
    EXPECT_FALSE(pushed.revision.has_value());
    EXPECT_EQ(pushed.requestID.rawValue().size(), 36u);
    EXPECT_NE(macMessage<MessageType::dockSnapshot>(snapshot, SessionID("s")).requestID, pushed.requestID);

    const auto permissions =
        macMessage<MessageType::permissionsChanged>({.accessibility = true}, SessionID("s"));
    EXPECT_FALSE(permissions.eventSequence.has_value());
    const auto text =
        *encodeJSON(macMessage<MessageType::pairReject>(PairReject::rateLimited(), std::nullopt));
    EXPECT_EQ(text.find("sessionID"), std::string::npos);
    EXPECT_EQ(text.find("revision"), std::string::npos);
    EXPECT_EQ(text.find("eventSequence"), std::string::npos);
}

TEST(MessagePayloads, EveryTypeDispatchesToItsRecord) {
    // The payload's record name for each type, read back through the run-time dispatch.
    std::vector<std::string_view> names;
    for (std::size_t i = 0; i < messageTypeCount; ++i) {
        names.push_back(visitMessageType(static_cast<MessageType>(i), []<MessageType type>() {
            return recordName<MessagePayloadType<type>>;
        }));
    }
    EXPECT_EQ(names[0], "Hello");
    EXPECT_EQ(names[2], "EmptyPayload");
    EXPECT_EQ(names[5], "FolderOpenRequest");
    EXPECT_EQ(names[8], "IconData");
    EXPECT_EQ(names[14], "WallpaperFetch");
    EXPECT_EQ(names[16], "EmptyPayload");
    EXPECT_EQ(names[22], "ProtocolError");
    EXPECT_EQ(names[28], "PairReject");
    static_assert(std::is_same_v<MessagePayloadType<MessageType::iconData>, std::vector<IconData>>);
}

}  // namespace
}  // namespace tavelin
