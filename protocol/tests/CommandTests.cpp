#include <gtest/gtest.h>

#include <limits>
#include <set>

#include "protocol/Command.h"
#include "protocol/CommandResultPayload.h"
#include "protocol/JSONValue.h"
#include "protocol/JsonCoding.h"

namespace tavelin {
namespace {

// The keys of one JSON object, for checking which members a record writes.
std::set<std::string> keysOf(const std::string& json) {
    const auto tree = decodeJSON<JSONValue>(json);
    std::set<std::string> keys;
    for (const auto& [key, value] : std::get<JSONValue::Object>(tree->value)) keys.insert(key);
    return keys;
}

TEST(CommandKind, TwentyCasesWithTheirNames) {
    const std::string_view names[] = {
        "launchOrActivate", "openFolderChild", "openFileOrURL",    "activateTrash", "emptyTrash",
        "showInFinder",     "hideApp",         "unhideApp",        "quitApp",       "forceQuitApp",
        "isProcessRunning", "refresh",         "windowActivate",   "windowClose",   "windowHide",
        "windowMinimize",   "windowMaximize",  "windowFullScreen", "windowTile",    "windowMoveToScreen"};
    ASSERT_EQ(std::size(EnumText<CommandKind>::names), std::size(names));
    for (std::size_t i = 0; i < std::size(names); ++i) {
        EXPECT_EQ(toString(static_cast<CommandKind>(i)), names[i]);
        EXPECT_EQ(enumFromString<CommandKind>(names[i]), static_cast<CommandKind>(i));
    }
    for (const auto* text : {"LaunchOrActivate", "windowFullscreen", "refresh ", "", "activate"}) {
        EXPECT_FALSE(enumFromString<CommandKind>(text).has_value()) << text;
    }
}

TEST(Command, WritesOnlyTheFieldsThatAreSet) {
    const Command minimal{.kind = CommandKind::refresh, .expectedGeneration = 7, .nonce = ""};
    EXPECT_EQ(encodeJSON(minimal), R"({"kind":"refresh","expectedGeneration":7,"nonce":""})");
    EXPECT_EQ(decodeJSON<Command>(*encodeJSON(minimal)), minimal);

    const Command tile{.kind = CommandKind::windowTile,
                       .target = ItemID("ax-1-com.example.Editor"),
                       .expectedGeneration = 12,
                       .nonce = "N-1",
                       .windowID = WindowID("4711"),
                       .expectedWindowListGeneration = 3,
                       .windowContentRevision = -8'000'000'000'000'000'000,
                       .tile = WindowTileKind::bottomLeft};
    const auto text = *encodeJSON(tile);
    EXPECT_EQ(keysOf(text),
              (std::set<std::string>{"kind", "target", "expectedGeneration", "nonce", "windowID",
                                     "expectedWindowListGeneration", "windowContentRevision", "tile"}));
    EXPECT_NE(text.find(R"("tile":"bottomLeft")"), std::string::npos);
    EXPECT_EQ(decodeJSON<Command>(text), tile);
}

TEST(Command, EveryFieldRoundTrips) {
    const Command command{.kind = CommandKind::isProcessRunning,
                          .target = ItemID("a"),
                          .child = ChildID("b"),
                          .expectedGeneration = std::numeric_limits<std::int64_t>::min(),
                          .nonce = "n",
                          .processID = 5'000'000'000,  // beyond 32 bits: kept as it is
                          .processLaunchTime = 757'382'400.123456,
                          .windowID = WindowID("w"),
                          .expectedWindowListGeneration = 1,
                          .windowContentRevision = 2,
                          .tile = WindowTileKind::rightHalf,
                          .targetScreenID = ScreenID("69733382")};
    const auto text = *encodeJSON(command);
    // A plain number with its fraction, not a date.
    EXPECT_NE(text.find(R"("processLaunchTime":757382400.123456)"), std::string::npos);
    EXPECT_NE(text.find(R"("processID":5000000000)"), std::string::npos);
    EXPECT_EQ(decodeJSON<Command>(text), command);
}

TEST(Command, RequiredFieldsAndExactKinds) {
    const struct {
        std::string_view json;
        std::string_view message;
    } cases[] = {
        {R"({"kind":"refresh","expectedGeneration":1})", R"(Command: missing required key "nonce")"},
        {R"({"kind":"refresh","expectedGeneration":1,"nonce":null})",
         "Command.nonce: expected a string, found null"},
        {R"({"kind":"refresh","nonce":""})", R"(Command: missing required key "expectedGeneration")"},
        {R"({"expectedGeneration":1,"nonce":""})", R"(Command: missing required key "kind")"},
        {R"({"kind":null,"expectedGeneration":1,"nonce":""})", "Command.kind: expected a string, found null"},
        {R"({"kind":"Refresh","expectedGeneration":1,"nonce":""})", R"(Command.kind: no case "Refresh")"},
        {R"({"kind":"windowTile","expectedGeneration":1,"nonce":"","tile":"left"})",
         R"(Command.tile: no case "left")"},
        {R"({"kind":"forceQuitApp","expectedGeneration":1,"nonce":"","processID":1e30})",
         "Command.processID: integer out of range"},
        {R"({"kind":"isProcessRunning","expectedGeneration":1,"nonce":"","processLaunchTime":"2024-01-01T00:00:00Z"})",
         "Command.processLaunchTime: expected a number, found a string"},
    };
    for (const auto& c : cases) {
        const auto decoded = decodeJSON<Command>(c.json);
        ASSERT_FALSE(decoded.has_value()) << c.json;
        EXPECT_EQ(decoded.error().message, c.message);
    }
    const auto nulls = decodeJSON<Command>(
        R"({"kind":"refresh","expectedGeneration":1,"nonce":"","target":null,"tile":null})");
    ASSERT_TRUE(nulls.has_value());
    EXPECT_EQ(*nulls, (Command{.kind = CommandKind::refresh, .expectedGeneration = 1}));
}

TEST(CommandResult, SuccessAndFailureForms) {
    const CommandResult success{.requestID = RequestID("R"), .ok = true};
    EXPECT_EQ(encodeJSON(success), R"({"requestID":"R","ok":true})");
    const CommandResult failure{.requestID = RequestID("R"), .ok = false, .error = ProtocolError::notFound()};
    EXPECT_EQ(encodeJSON(failure), R"({"requestID":"R","ok":false,"error":{"notFound":{}}})");
    EXPECT_EQ(decodeJSON<CommandResult>(*encodeJSON(failure)), failure);

    const CommandResult full{.requestID = RequestID("R"),
                             .ok = true,
                             .newGeneration = 4,
                             .processID = 123,
                             .processLaunchTime = 0.5,
                             .processAlive = false};
    EXPECT_EQ(decodeJSON<CommandResult>(*encodeJSON(full)), full);

    EXPECT_EQ(decodeJSON<CommandResult>(R"({"ok":true})").error().message,
              R"(CommandResult: missing required key "requestID")");
    EXPECT_EQ(decodeJSON<CommandResult>(R"({"requestID":"R","ok":true,"error":{}})").error().message,
              "CommandResult.error: Invalid number of keys found, expected one.");
}

TEST(CommandResult, NonFiniteLaunchTimeFailsTheEncoding) {
    const CommandResult result{.requestID = RequestID("R"),
                               .ok = true,
                               .processLaunchTime = std::numeric_limits<double>::infinity()};
    EXPECT_FALSE(encodeJSON(result).has_value());
}

TEST(CommandResultPayload, SuccessCarriesItsProcessFacts) {
    const auto payload =
        CommandResultPayload::success({.processID = 321, .processLaunchTime = 1.25, .processAlive = true});
    const auto result = payload.commandResult();
    EXPECT_TRUE(result.ok);
    EXPECT_FALSE(result.error.has_value());
    EXPECT_FALSE(result.newGeneration.has_value());
    EXPECT_EQ(result.processID, 321);
    EXPECT_EQ(result.processLaunchTime, 1.25);
    EXPECT_EQ(result.processAlive, true);

    const auto bare = CommandResultPayload::success().commandResult();
    EXPECT_EQ(encodeJSON(bare), R"({"requestID":")" + bare.requestID.rawValue() + R"(","ok":true})");
}

TEST(CommandResultPayload, FailureCarriesTheErrorAndNoFacts) {
    const auto result =
        CommandResultPayload::failure(ProtocolError::unavailable("quit failed")).commandResult();
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, ProtocolError::unavailable("quit failed"));
    EXPECT_FALSE(result.newGeneration.has_value());
    EXPECT_FALSE(result.processID.has_value());
    EXPECT_FALSE(result.processLaunchTime.has_value());
    EXPECT_FALSE(result.processAlive.has_value());
}

TEST(CommandResultPayload, EachResultHasARequestIDOfItsOwn) {
    const auto payload = CommandResultPayload::success();
    const auto a = payload.commandResult().requestID.rawValue();
    const auto b = payload.commandResult().requestID.rawValue();
    EXPECT_NE(a, b);
    EXPECT_EQ(a.size(), 36u);
    for (const char c : a) EXPECT_TRUE(c == '-' || std::isdigit(c) || (c >= 'A' && c <= 'F')) << a;
}

}  // namespace
}  // namespace tavelin
