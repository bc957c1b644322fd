#include <gtest/gtest.h>

#include "protocol/Hello.h"
#include "protocol/JsonCoding.h"

namespace tavelin {
namespace {

MacDescriptor mac(PermissionState permissions) {
    return MacDescriptor{.machineID = MachineID("M-1"),
                         .displayName = "Studio",
                         .macOSVersion = "Version 14.4 (Build 23E214)",
                         .appVersion = "0",
                         .capabilities = advertisedCapabilities(permissions),
                         .permissions = permissions};
}

TEST(Capabilities, FollowThePermissionsInTheirFixedOrder) {
    using enum Capability;
    const struct {
        bool accessibility;
        bool screenRecording;
        std::vector<Capability> expected;
    } cases[] = {
        {false, false, {dockRead, folderRead, wallpaper, launchActivate}},
        {true, false, {dockRead, folderRead, wallpaper, launchActivate, windowList}},
        {false, true, {dockRead, folderRead, wallpaper, launchActivate, thumbnails}},
        {true, true, {dockRead, folderRead, wallpaper, launchActivate, windowList, thumbnails}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(
            advertisedCapabilities({.accessibility = c.accessibility, .screenRecording = c.screenRecording}),
            c.expected);
    }
    JsonWriter w;
    toJSON(w, advertisedCapabilities({.accessibility = true, .screenRecording = true}));
    EXPECT_EQ(w.text(),
              R"(["dockRead","folderRead","wallpaper","launchActivate","windowList","thumbnails"])");
}

TEST(Capabilities, EveryCaseDecodesButOnlyExactTexts) {
    const auto decoded =
        decodeJSON<MacDescriptor>(R"({"machineID":"M","displayName":"","macOSVersion":"","appVersion":"1",)"
                                  R"("capabilities":["activeAppMenu","thumbnails"],)"
                                  R"("permissions":{"accessibility":false,"screenRecording":true}})");
    ASSERT_TRUE(decoded.has_value()) << decoded.error().message;
    EXPECT_EQ(decoded->capabilities, (std::vector{Capability::activeAppMenu, Capability::thumbnails}));

    const HelloAck ack{.sessionID = SessionID("s"), .mac = mac({}), .dockGeneration = 0, .serverNonce = "N"};
    auto text = *encodeJSON(ack);
    text.replace(text.find("\"dockRead\""), 10, "\"DockRead\"");
    EXPECT_EQ(decodeJSON<HelloAck>(text).error().message,
              R"(HelloAck.mac.capabilities[0]: no case "DockRead")");
}

TEST(PermissionState, LocalNetworkIsLeftOutWhenAbsent) {
    const PermissionState state{.accessibility = true, .screenRecording = false};
    EXPECT_EQ(encodeJSON(state), R"({"accessibility":true,"screenRecording":false})");
    EXPECT_EQ(
        decodeJSON<PermissionState>(R"({"accessibility":true,"screenRecording":false,"localNetwork":null})"),
        state);
    const PermissionState reported{.accessibility = false, .screenRecording = true, .localNetwork = false};
    EXPECT_EQ(decodeJSON<PermissionState>(*encodeJSON(reported)), reported);
    EXPECT_EQ(decodeJSON<PermissionState>(R"({"accessibility":1,"screenRecording":false})").error().message,
              "PermissionState.accessibility: expected a Boolean, found a number");
}

TEST(Hello, AnyProtocolVersionDecodes) {
    const Hello hello{.deviceID = DeviceID("D-1"),
                      .protocolVersion = 2,
                      .appVersion = "1.0 (7)",
                      .deviceName = "Phone",
                      .clientNonce = "c"};
    const auto text = *encodeJSON(hello);
    EXPECT_EQ(
        text,
        R"x({"deviceID":"D-1","protocolVersion":2,"appVersion":"1.0 (7)","deviceName":"Phone","clientNonce":"c"})x");
    EXPECT_EQ(decodeJSON<Hello>(text), hello);
    EXPECT_EQ(decodeJSON<Hello>(R"({"deviceID":"D","protocolVersion":1,"appVersion":"","deviceName":""})")
                  .error()
                  .message,
              R"(Hello: missing required key "clientNonce")");
}

TEST(HelloAck, RoundTripsWithSessionIDInLowerCase) {
    const HelloAck ack{.sessionID = SessionID::generate(),
                       .mac = mac({.accessibility = true, .screenRecording = false}),
                       .dockGeneration = 0,
                       .serverNonce = randomUUIDString()};
    const auto& session = ack.sessionID.rawValue();
    ASSERT_EQ(session.size(), 36u);
    EXPECT_EQ(session[14], '4');
    for (const char c : session)
        EXPECT_TRUE(c == '-' || std::isdigit(c) || (c >= 'a' && c <= 'f')) << session;
    for (const char c : ack.serverNonce) EXPECT_FALSE(c >= 'a' && c <= 'f') << ack.serverNonce;
    EXPECT_NE(SessionID::generate(), ack.sessionID);

    const auto text = *encodeJSON(ack);
    EXPECT_NE(text.find(R"("dockGeneration":0)"), std::string::npos);
    EXPECT_EQ(text.find("localNetwork"), std::string::npos);
    EXPECT_EQ(decodeJSON<HelloAck>(text), ack);
}

}  // namespace
}  // namespace tavelin
