#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "protocol/JSONValue.h"
#include "protocol/JsonCoding.h"
#include "protocol/WindowListSnapshot.h"
#include "protocol/WindowThumbnailData.h"

namespace tavelin {
namespace {

WindowDescriptor bareWindow() {
    return WindowDescriptor{
        .windowID = WindowID("812"), .title = "", .state = WindowState::normal, .contentRevision = 0};
}

WindowDescriptor fullWindow() {
    return WindowDescriptor{.windowID = WindowID("812"),
                            .title = "Report \xE2\x80\x94 Draft",
                            .screenID = ScreenID("1"),
                            .frame = WindowFrame{.x = -1440, .y = 25.5, .width = 800, .height = 600},
                            .state = WindowState::fullscreen,
                            .contentRevision = std::numeric_limits<std::int64_t>::min() + 1,
                            .thumbnailToken = "w:812:-9223372036854775807",
                            .supportsClose = true,
                            .supportsMinimize = true,
                            .supportsResize = false,
                            .supportsFullScreen = true,
                            .supportsTile = true,
                            .isSecure = true,
                            .unavailableReason = "locked"};
}

std::size_t memberCount(const std::string& json) {
    return std::get<JSONValue::Object>(decodeJSON<JSONValue>(json)->value).size();
}

TEST(WindowEnums, RawTexts) {
    const std::string_view states[] = {"normal", "minimized", "fullscreen", "unknown"};
    for (std::size_t i = 0; i < std::size(states); ++i) {
        EXPECT_EQ(toString(static_cast<WindowState>(i)), states[i]);
    }
    EXPECT_FALSE(enumFromString<WindowState>("fullScreen").has_value());

    const std::string_view tiles[] = {"leftHalf", "rightHalf", "topHalf",    "bottomHalf",
                                      "topLeft",  "topRight",  "bottomLeft", "bottomRight"};
    ASSERT_EQ(std::size(EnumText<WindowTileKind>::names), std::size(tiles));
    for (std::size_t i = 0; i < std::size(tiles); ++i) {
        const auto tile = static_cast<WindowTileKind>(i);
        JsonWriter w;
        toJSON(w, tile);
        EXPECT_EQ(w.text(), "\"" + std::string(tiles[i]) + "\"");
        EXPECT_EQ(enumFromString<WindowTileKind>(tiles[i]), tile);
    }
    EXPECT_FALSE(enumFromString<WindowTileKind>("left").has_value());
}

TEST(WindowDescriptor, CanArrangeWindow) {
    const struct {
        WindowState state;
        bool supportsTile;
        bool supportsResize;
        bool hasFrame;
        bool expected;
    } cases[] = {
        {WindowState::minimized, true, true, true, false},
        {WindowState::normal, true, false, false, true},
        {WindowState::normal, false, true, false, true},
        {WindowState::fullscreen, false, false, false, false},
        {WindowState::unknown, false, false, true, true},
        {WindowState::unknown, false, false, false, false},
    };
    for (const auto& c : cases) {
        auto window = bareWindow();
        window.state = c.state;
        window.supportsTile = c.supportsTile;
        window.supportsResize = c.supportsResize;
        if (c.hasFrame) window.frame = WindowFrame{0, 0, 10, 10};
        EXPECT_EQ(window.canArrangeWindow(), c.expected)
            << toString(c.state) << c.supportsTile << c.supportsResize;
    }
}

TEST(WindowDescriptor, ShowsFullScreenControl) {
    auto window = bareWindow();
    EXPECT_FALSE(window.showsFullScreenControl());
    window.state = WindowState::fullscreen;
    EXPECT_TRUE(window.showsFullScreenControl());
    window.state = WindowState::minimized;
    window.supportsFullScreen = true;
    EXPECT_TRUE(window.showsFullScreenControl());
}

TEST(WindowDescriptor, AbsentOptionalsLeaveTenMembers) {
    const auto text = *encodeJSON(bareWindow());
    EXPECT_EQ(memberCount(text), 10u);
    EXPECT_EQ(decodeJSON<WindowDescriptor>(text), bareWindow());

    const auto full = *encodeJSON(fullWindow());
    EXPECT_EQ(memberCount(full), 14u);
    EXPECT_NE(full.find(R"("state":"fullscreen")"), std::string::npos);
    EXPECT_NE(full.find(R"("contentRevision":-9223372036854775807)"), std::string::npos);
    EXPECT_EQ(decodeJSON<WindowDescriptor>(full), fullWindow());
}

TEST(WindowDescriptor, Failures) {
    auto text = *encodeJSON(fullWindow());
    const auto fullscreen = text.find("\"fullscreen\"");
    EXPECT_EQ(decodeJSON<WindowDescriptor>(std::string(text).replace(fullscreen, 12, "\"fullScreen\""))
                  .error()
                  .message,
              R"(WindowDescriptor.state: no case "fullScreen")");
    const auto frameWidth = text.find(R"("width":800)");
    EXPECT_EQ(decodeJSON<WindowDescriptor>(std::string(text).replace(frameWidth, 11, R"("width":null)"))
                  .error()
                  .message,
              "WindowDescriptor.frame.width: expected a number, found null");
    // A revision beyond 64 bits is refused rather than rounded, also one that rounds to -2^63 as a double.
    const auto revision = text.find("-9223372036854775807");
    EXPECT_EQ(decodeJSON<WindowDescriptor>(std::string(text).replace(revision, 20, "-9223372036854775809"))
                  .error()
                  .message,
              "WindowDescriptor.contentRevision: integer out of range");
}

TEST(WindowDescriptor, NonFiniteFrameFailsTheEncoding) {
    for (const double bad :
         {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(), std::nan("")}) {
        auto window = bareWindow();
        window.frame = WindowFrame{.x = 0, .y = 0, .width = bad, .height = 1};
        const auto text = encodeJSON(window);
        ASSERT_FALSE(text.has_value());
        EXPECT_EQ(text.error().message, "WindowDescriptor: a number is not finite");
    }
}

TEST(WindowListSnapshot, AbsentDisplaysDifferFromAnEmptyList) {
    WindowListSnapshot snapshot{.appItemID = ItemID("ax-0-com.example.Editor"),
                                .listGeneration = 9,
                                .accessibilityGranted = true,
                                .screenRecordingGranted = false,
                                .windows = {bareWindow(), fullWindow()}};
    const auto absent = *encodeJSON(snapshot);
    EXPECT_EQ(absent.find("connectedDisplays"), std::string::npos);
    EXPECT_EQ(decodeJSON<WindowListSnapshot>(absent), snapshot);

    auto withEmpty = snapshot;
    withEmpty.connectedDisplays.emplace();
    const auto empty = *encodeJSON(withEmpty);
    EXPECT_NE(empty.find(R"("connectedDisplays":[])"), std::string::npos);
    EXPECT_EQ(decodeJSON<WindowListSnapshot>(empty), withEmpty);
    EXPECT_NE(withEmpty, snapshot);

    withEmpty.connectedDisplays->push_back(ConnectedDisplay{ScreenID("69733382"), "Built-in Retina Display"});
    EXPECT_EQ(decodeJSON<WindowListSnapshot>(*encodeJSON(withEmpty)), withEmpty);

    EXPECT_EQ(
        decodeJSON<WindowListSnapshot>(std::string(absent).replace(absent.find("\"normal\""), 8, "\"left\""))
            .error()
            .message,
        R"(WindowListSnapshot.windows[0].state: no case "left")");
}

TEST(WindowListRequest, RoundTrips) {
    const WindowListRequest request{ItemID("ax-3-com.example.Mail")};
    EXPECT_EQ(encodeJSON(request), R"({"appItemID":"ax-3-com.example.Mail"})");
    EXPECT_EQ(decodeJSON<WindowListRequest>(*encodeJSON(request)), request);
    EXPECT_FALSE(decodeJSON<WindowListRequest>("{}").has_value());
}

TEST(WindowThumbnails, FetchAndData) {
    const WindowThumbnailFetch fetch{.windowID = WindowID("812"), .contentRevision = -42};
    EXPECT_EQ(encodeJSON(fetch), R"({"windowID":"812","contentRevision":-42})");
    EXPECT_EQ(
        decodeJSON<WindowThumbnailFetch>(R"({"windowID":"812","contentRevision":-42,"knownToken":null})"),
        fetch);
    auto known = fetch;
    known.knownToken = "w:812:-42";
    EXPECT_EQ(decodeJSON<WindowThumbnailFetch>(*encodeJSON(known)), known);

    const WindowThumbnailData unavailable{.windowID = WindowID("812"),
                                          .contentRevision = std::numeric_limits<std::int64_t>::max(),
                                          .unavailableReason = "Screen Recording is needed"};
    EXPECT_EQ(
        encodeJSON(unavailable),
        R"({"windowID":"812","contentRevision":9223372036854775807,"token":"","jpegBase64":"","pixelWidth":0,)"
        R"("pixelHeight":0,"unavailableReason":"Screen Recording is needed"})");
    EXPECT_EQ(decodeJSON<WindowThumbnailData>(*encodeJSON(unavailable)), unavailable);
    EXPECT_EQ(
        decodeJSON<WindowThumbnailData>(R"({"windowID":"1","contentRevision":1,"token":"","jpegBase64":"",)"
                                        R"("pixelWidth":1.5,"pixelHeight":0})")
            .error()
            .message,
        "WindowThumbnailData.pixelWidth: expected an integer, found a fraction");
}

}  // namespace
}  // namespace tavelin
