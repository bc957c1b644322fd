#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/FileContents.h"
#include "platform/sim/SimMac.h"
#include "platform/tests/TemporaryFolder.h"

namespace tavelin::sim {
namespace {

using ::testing::HasSubstr;
using ::testing::Optional;

std::expected<Desktop, DecodeError> decode(std::string_view json) { return decodeJSON<Desktop>(json); }

TEST(SimMac, LoadsTheExampleDesktop) {
    const TemporaryFolder home;
    CapturedSystemLog log;
    const auto mac =
        SimMac::load(std::filesystem::path(TAVELIN_SOURCE_DIR) / "examples/desktop.json", home.path(), log);
    ASSERT_TRUE(mac) << mac.error().message;
    auto& world = **mac;

    EXPECT_EQ(world.homeFolder(), home.path());
    EXPECT_THAT(world.host().localizedName(), Optional(std::string("Studio Mac")));
    EXPECT_EQ(world.host().operatingSystemVersionString(), "Version 14.5 (Build 23F79)");
    EXPECT_EQ(world.host().mainBundle(),
              (BundleInfo{"jp.fenwold.lomaret", "1.0", "/Applications/Lomaret.app"}));
    ASSERT_EQ(world.installedApplications().size(), 5u);
    EXPECT_EQ(world.installedApplications()[1],
              (DesktopApplication{"com.apple.Safari", "Safari", "/Applications/Safari.app"}));

    auto& defaults = world.standardUserDefaults();
    EXPECT_EQ(defaults.file(), home / "Library/Preferences/jp.fenwold.lomaret.plist");
    defaults.set("macDisplayName", "Studio");
    EXPECT_TRUE(std::filesystem::is_regular_file(defaults.file()));
    EXPECT_EQ(world.userDefaults().domain("jp.fenwold.lomaret"), &defaults);

    world.host().setLocalizedName(std::nullopt);
    EXPECT_EQ(world.host().localizedName(), std::nullopt);
}

TEST(SimMac, AnEmptyDesktopIsANamelessMacWithTheProgramInApplications) {
    const auto desktop = decode("{}");
    ASSERT_TRUE(desktop) << desktop.error().message;
    EXPECT_EQ(*desktop, Desktop{});
    EXPECT_EQ(desktop->host.name, std::nullopt);
    EXPECT_EQ(desktop->program.identifier, "jp.fenwold.lomaret");
    EXPECT_EQ(decode(R"({"host": {"name": null}})")->host.name, std::nullopt);
}

TEST(SimMac, DesktopErrorsNameTheKey) {
    const std::pair<std::string_view, std::string_view> cases[] = {
        {R"({"screen": []})", R"(Desktop: unknown key "screen")"},
        {R"({"host": {"nmae": "Mac"}})", R"(Desktop.host: unknown key "nmae")"},
        {R"({"applications": [{"bundleIdentifier": "a.b", "name": "B", "path": "/B.app", "hidden": true}]})",
         R"(Desktop.applications[0]: unknown key "hidden")"},
        {R"({"program": {"bundleIdentifier": "x.y", "version": "1", "path": "/X.app", "pid": 4}})",
         R"(Desktop.program: unknown key "pid")"},
        {R"({"host": {"name": 5}})", "Desktop.host.name: expected a string, found a number"},
        {R"({"host": "Mac"})", "Desktop.host: expected an object, found a string"},
        {R"({"applications": {}})", "Desktop.applications: expected an array, found an object"},
        {R"({"applications": [{"bundleIdentifier": "../evil", "name": "E", "path": "/E.app"}]})",
         R"(Desktop.applications[0].bundleIdentifier: expected a bundle identifier, found "../evil")"},
        {R"({"applications": [{"bundleIdentifier": "a.b", "name": "", "path": "/B.app"}]})",
         "Desktop.applications[0].name: must not be empty"},
        {R"({"applications": [{"bundleIdentifier": "a.b", "name": "B", "path": "B.app"}]})",
         R"(Desktop.applications[0].path: expected an absolute path, found "B.app")"},
        {R"({"applications": [{"bundleIdentifier": "a.b", "name": "B"}]})",
         R"(Desktop.applications[0]: missing required key "path")"},
        {R"({"applications": [{"bundleIdentifier": "a.b", "name": "B", "path": "/B.app"},
                              {"bundleIdentifier": "a.b", "name": "C", "path": "/C.app"}]})",
         R"(Desktop.applications[1].bundleIdentifier: "a.b" is listed twice)"},
        {R"({"program": {"bundleIdentifier": "x.y", "path": "/X.app"}})",
         R"(Desktop.program: missing required key "version")"},
        {R"({"host": {"name": "Mac"},})", "Desktop: invalid JSON"},
    };
    for (const auto& [json, message] : cases) {
        const auto desktop = decode(json);
        ASSERT_FALSE(desktop) << json;
        EXPECT_THAT(desktop.error().message, HasSubstr(message)) << json;
    }
}

TEST(SimMac, LoadingErrorsNameTheFile) {
    const TemporaryFolder folder;
    CapturedSystemLog log;
    const auto missing = SimMac::load(folder / "missing.json", folder.path(), log);
    ASSERT_FALSE(missing);
    EXPECT_THAT(missing.error().message, HasSubstr("missing.json: No such file"));

    ASSERT_TRUE(writeFileAtomically(folder / "desktop.json", R"({"hots": {}})"));
    const auto misspelt = SimMac::load(folder / "desktop.json", folder.path(), log);
    ASSERT_FALSE(misspelt);
    EXPECT_THAT(misspelt.error().message, HasSubstr(R"(desktop.json: Desktop: unknown key "hots")"));

    ASSERT_TRUE(writeFileAtomically(folder / "desktop.json", "{}"));
    const auto homeless = SimMac::load(folder / "desktop.json", folder / "nobody", log);
    ASSERT_FALSE(homeless);
    EXPECT_THAT(homeless.error().message, HasSubstr("nobody: the home folder is missing"));
}

}  // namespace
}  // namespace tavelin::sim
