#include <gtest/gtest.h>

#include "protocol/IconData.h"
#include "protocol/JsonCoding.h"
#include "protocol/WallpaperData.h"

namespace tavelin {
namespace {

TEST(IconPayloads, JSONForms) {
    EXPECT_EQ(encodeJSON(IconFetch{}), R"({"tokens":[]})");
    const IconFetch fetch{.tokens = {IconToken("0123456789abcdef"), IconToken("tavelin-trash-full")}};
    EXPECT_EQ(encodeJSON(fetch), R"({"tokens":["0123456789abcdef","tavelin-trash-full"]})");
    EXPECT_EQ(decodeJSON<IconFetch>(*encodeJSON(fetch)), fetch);

    const IconInvalidated invalidated{.tokens = {IconToken("a")}};
    EXPECT_EQ(encodeJSON(invalidated), R"({"tokens":["a"]})");
    EXPECT_EQ(decodeJSON<IconInvalidated>(*encodeJSON(invalidated)), invalidated);

    const IconData icon{.token = IconToken("a"), .pngBase64 = "iVBORw0K/+==", .pixelSize = 128};
    EXPECT_EQ(encodeJSON(icon), R"({"token":"a","pngBase64":"iVBORw0K\/+==","pixelSize":128})");
    EXPECT_EQ(decodeJSON<IconData>(*encodeJSON(icon)), icon);
    EXPECT_NE(icon, (IconData{.token = IconToken("a"), .pngBase64 = "iVBORw0K/+==", .pixelSize = 64}));
}

TEST(IconPayloads, IconDataTravelsAsAnArray) {
    const std::vector<IconData> icons = {{IconToken("a"), "AA==", 128}, {IconToken("b"), "", 16}};
    const auto text = *encodeJSON(icons);
    EXPECT_EQ(
        text,
        R"([{"token":"a","pngBase64":"AA==","pixelSize":128},{"token":"b","pngBase64":"","pixelSize":16}])");
    EXPECT_EQ(decodeJSON<std::vector<IconData>>(text), icons);
    EXPECT_EQ(decodeJSON<std::vector<IconData>>(R"({"token":"a"})").error().message,
              "IconData: expected an array, found an object");
}

TEST(IconPayloads, Failures) {
    const struct {
        std::string_view json;
        std::string_view message;
    } cases[] = {
        {R"({"token":"a","pngBase64":"","pixelSize":1.5})",
         "IconData.pixelSize: expected an integer, found a fraction"},
        {R"({"token":"a","pixelSize":1})", R"(IconData: missing required key "pngBase64")"},
        {R"({"token":7,"pngBase64":"","pixelSize":1})", "IconData.token: expected a string, found a number"},
    };
    for (const auto& c : cases) EXPECT_EQ(decodeJSON<IconData>(c.json).error().message, c.message);
    EXPECT_EQ(decodeJSON<IconFetch>(R"({"tokens":null})").error().message,
              "IconFetch.tokens: expected an array, found null");
    EXPECT_EQ(decodeJSON<IconInvalidated>(R"({"tokens":["a",1]})").error().message,
              "IconInvalidated.tokens[1]: expected a string, found a number");
}

TEST(WallpaperPayloads, FetchWithoutATokenIsAnEmptyObject) {
    EXPECT_EQ(encodeJSON(WallpaperFetch{}), "{}");
    EXPECT_EQ(decodeJSON<WallpaperFetch>("{}"), WallpaperFetch{});
    EXPECT_EQ(decodeJSON<WallpaperFetch>(R"({"knownToken":null})"), WallpaperFetch{});
    EXPECT_EQ(decodeJSON<WallpaperFetch>(R"({"knownToken":"w1"})"), WallpaperFetch{"w1"});
    EXPECT_FALSE(decodeJSON<WallpaperFetch>(R"({"knownToken":1})").has_value());
}

TEST(WallpaperPayloads, DataAndTheUnavailablePicture) {
    const WallpaperData data{
        .token = "a1b2", .jpegBase64 = "/9j/", .size = {.width = 2560, .height = 1600.5}};
    EXPECT_EQ(encodeJSON(data),
              R"({"token":"a1b2","jpegBase64":"\/9j\/","size":{"width":2560,"height":1600.5}})");
    EXPECT_EQ(decodeJSON<WallpaperData>(*encodeJSON(data)), data);

    EXPECT_EQ(encodeJSON(WallpaperData::unavailable("")),
              R"({"token":"empty","jpegBase64":"","size":{"width":0,"height":0}})");
    EXPECT_EQ(WallpaperData::unavailable("a1b2").token, "a1b2");

    EXPECT_EQ(decodeJSON<WallpaperData>(R"({"token":"t","jpegBase64":"","size":{"width":"1","height":0}})")
                  .error()
                  .message,
              "WallpaperData.size.width: expected a number, found a string");
    EXPECT_EQ(decodeJSON<WallpaperData>(R"({"token":"t","jpegBase64":""})").error().message,
              R"(WallpaperData: missing required key "size")");
}

}  // namespace
}  // namespace tavelin
