#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/FileContents.h"
#include "platform/ImageCoding.h"
#include "platform/sim/SimMac.h"
#include "platform/tests/NamedPipe.h"
#include "platform/tests/TemporaryFolder.h"
#include "protocol/JsonCoding.h"
#include "runtime/VirtualScheduler.h"

namespace tavelin::sim {
namespace {

using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Optional;

std::expected<Desktop, DecodeError> decode(std::string_view json) { return decodeJSON<Desktop>(json); }

TEST(SimMac, LoadsTheExampleDesktop) {
    const TemporaryFolder home;
    VirtualScheduler scheduler;
    CapturedSystemLog log;
    const auto mac = SimMac::load(std::filesystem::path(TAVELIN_SOURCE_DIR) / "examples/desktop.json",
                                  home.path(), scheduler, log);
    ASSERT_TRUE(mac) << mac.error().message;
    auto& world = **mac;

    EXPECT_EQ(world.homeFolder(), home.path());
    EXPECT_THAT(world.host().localizedName(), Optional(std::string("Studio Mac")));
    EXPECT_EQ(world.host().operatingSystemVersionString(), "Version 14.5 (Build 23F79)");
    EXPECT_EQ(world.host().mainBundle(),
              (BundleInfo{"jp.fenwold.lomaret", "1.0", home / "Applications/Lomaret.app"}));
    ASSERT_EQ(world.workspace().installedApplications().size(), 8u);
    EXPECT_EQ(world.workspace().installedApplications()[1].path, home / "Applications/Safari.app");
    // Every bundle is on disk, the program's own included.
    for (const auto* bundle : {"Applications/Lomaret.app", "Applications/Safari.app",
                               "System/Applications/System Settings.app"}) {
        EXPECT_TRUE(std::filesystem::is_regular_file(home / bundle / "Contents/Info.plist")) << bundle;
    }
    EXPECT_THAT(world.workspace().frontmostApplication()->bundleIdentifier, Optional(std::string("com.apple.Safari")));
    // The program, the five running applications and the Dock.
    EXPECT_EQ(world.workspace().runningApplications().size(), 7u);
    ASSERT_NE(world.dock(), nullptr);
    EXPECT_EQ(world.dock()->configuration().fixed.size(), 6u);
    EXPECT_TRUE(std::filesystem::is_regular_file(home / "Library/Preferences/com.apple.dock.plist"));
    EXPECT_TRUE(std::filesystem::is_regular_file(home / "Documents/Quarterly Report.pdf"));
    EXPECT_TRUE(std::filesystem::is_directory(home / ".Trash"));
    // The desktop picture it brings, a real one that the wallpaper service takes.
    const auto picture = home / "Library/Desktop Pictures/Evening Hills.jpg";
    EXPECT_EQ(world.displays().desktopImageURL(*world.displays().mainScreen()), picture);
    EXPECT_TRUE(loadImage(picture).has_value());
    EXPECT_THAT(log.lines(), IsEmpty());

    auto& defaults = world.standardUserDefaults();
    EXPECT_EQ(defaults.file(), home / "Library/Preferences/jp.fenwold.lomaret.plist");
    defaults.set("macDisplayName", "Studio");
    EXPECT_TRUE(std::filesystem::is_regular_file(defaults.file()));
    EXPECT_EQ(world.userDefaults().domain("jp.fenwold.lomaret"), &defaults);

    world.host().setLocalizedName(std::nullopt);
    EXPECT_EQ(world.host().localizedName(), std::nullopt);

    // Windows front to back; Mail's is minimized and the Reading List is on the built-in screen's second
    // Space, so neither is on screen.
    std::vector<std::string> titles, shown;
    for (const auto& state : world.windowWorld().windows()) {
        if (state.window.layer != 0) continue;
        titles.push_back(*state.window.name);
        if (state.onScreen) shown.push_back(*state.window.name);
    }
    EXPECT_EQ(titles, (std::vector<std::string>{"Apple", "Downloads", "zsh — 80×24", "Inbox", "Reading List"}));
    EXPECT_EQ(shown, (std::vector<std::string>{"Apple", "Downloads", "zsh — 80×24"}));
    const auto spaces = world.windowWorld().displaySpaces();
    ASSERT_EQ(spaces.size(), 2u);
    EXPECT_EQ(spaces[0].spaces.size(), 2u);
    EXPECT_EQ(spaces[0].currentSpace, spaces[0].spaces[0]);
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
        {R"({"applications": [{"bundleIdentifier": "a.b", "name": "B", "path": "/../../etc/B.app"}]})",
         R"(Desktop.applications[0].path: must not step out with "..")"},
        // A brought file comes from the desktop file's folder only.
        {R"({"files": [{"path": "/a.jpg", "from": "/etc/passwd"}]})",
         "Desktop.files[0].from: expected a path relative to the desktop file"},
        {R"({"files": [{"path": "/a.jpg", "from": "pictures/../../../etc/passwd"}]})",
         R"(Desktop.files[0].from: must not step out with "..")"},
        // A NUL would end the name in the Dock's preference file; it is refused in any text, however deep.
        {R"({"applications": [{"bundleIdentifier": "a.b", "name": "B\u0000", "path": "/B.app"}]})",
         "Desktop.applications[0].name: must not hold a NUL character"},
        {R"({"dock": {"others": [{"url": "https://a.b/", "label": "a"}, {"file": "~/a\u0000.pdf"}]}})",
         "Desktop.dock.others[1].file: must not hold a NUL character"},
        {R"({"applications": [{"bundleIdentifier": "a.b", "name": "B", "path": "/B.app", "activationPolicy": "agent"}]})",
         R"(Desktop.applications[0].activationPolicy: no case "agent")"},
        {R"({"applications": [{"bundleIdentifier": "a.b", "name": "B", "path": "/B.app", "launchDate": "yesterday"}]})",
         "Desktop.applications[0].launchDate"},
        {R"({"frontmost": "a.b", "applications": [{"bundleIdentifier": "a.b", "name": "B", "path": "/B.app"}]})",
         R"(Desktop.frontmost: "a.b" is no running application)"},
        {R"({"dock": {"fixed": [], "trash": {}}})", R"(Desktop.dock: unknown key "trash")"},
        {R"({"dock": {"others": [{"folder": "~/Downloads", "showas": 2}]}})",
         R"(Desktop.dock.others[0]: unknown key "showas")"},
        {R"({"dock": {"others": [{"file": "~/a.pdf", "showAs": 2}]}})", R"(Desktop.dock.others[0]: unknown key "showAs")"},
        {R"({"dock": {"others": [{"file": "~/a.pdf", "url": "https://a.b/"}]}})",
         R"(Desktop.dock.others[0]: holds both "file" and "url")"},
        {R"({"dock": {"others": [{"label": "x"}]}})",
         R"(Desktop.dock.others[0]: expected one of the keys "application", "folder", "file", "url", "spacer")"},
        {R"({"dock": {"others": [{"spacer": "wide"}]}})",
         R"(Desktop.dock.others[0].spacer: expected "regular", "small" or "flex", found "wide")"},
        {R"({"dock": {"others": [{"folder": "Downloads"}]}})",
         R"(Desktop.dock.others[0].folder: expected a path starting with "/" or "~/", found "Downloads")"},
        {R"({"dock": {"others": [{"folder": "~/../outside"}]}})",
         R"(Desktop.dock.others[0].folder: must not step out with "..")"},
        {R"({"dock": {"fixed": [{"url": "https://a.b/"}]}})",
         "Desktop.dock.fixed[0]: only applications and spacers stand among the fixed tiles"},
        {R"({"dock": {"fixed": [{"application": "com.apple.Safari"}]}})",
         R"(Desktop.dock.fixed[0].application: "com.apple.Safari" is no installed application)"},
        {R"({"dock": {"recents": ["com.apple.Safari"]}})",
         R"(Desktop.dock.recents[0]: "com.apple.Safari" is no installed application)"},
    };
    for (const auto& [json, message] : cases) {
        const auto desktop = decode(json);
        ASSERT_FALSE(desktop) << json;
        EXPECT_THAT(desktop.error().message, HasSubstr(message)) << json;
    }
}

// A file the desktop brings is copied only where nothing lies yet: a kept home keeps its own.
TEST(SimMac, AFileTheDesktopBringsIsCopiedWhenMissing) {
    const TemporaryFolder folder;
    VirtualScheduler scheduler;
    CapturedSystemLog log;
    (void)writeFileAtomically(folder / "picture.jpg", "brought");
    (void)writeFileAtomically(folder / "desktop.json",
                              R"({"files": [{"path": "~/Pictures/a.jpg", "from": "picture.jpg"},
                                    {"path": "/Library/b.jpg", "from": "picture.jpg"}]})");
    (void)writeFileAtomically(folder / "home/Library/b.jpg", "kept");
    ASSERT_TRUE(SimMac::load(folder / "desktop.json", folder / "home", scheduler, log));
    EXPECT_EQ(readFileContents(folder / "home/Pictures/a.jpg", 100), "brought");
    EXPECT_EQ(readFileContents(folder / "home/Library/b.jpg", 100), "kept");

    (void)writeFileAtomically(folder / "desktop.json", R"({"files": [{"path": "/a.jpg", "from": "gone.jpg"}]})");
    const auto missing = SimMac::load(folder / "desktop.json", folder / "home", scheduler, log);
    ASSERT_FALSE(missing);
    EXPECT_THAT(missing.error().message, HasSubstr("desktop.json: files: " + (folder / "gone.jpg").string() + " is missing"));

    (void)writeFileAtomically(folder / "desktop.json", R"({"files": [{"path": "/a.jpg", "from": "home"}]})");
    const auto folderFrom = SimMac::load(folder / "desktop.json", folder / "home", scheduler, log);
    ASSERT_FALSE(folderFrom);
    EXPECT_THAT(folderFrom.error().message,
                HasSubstr(": files: " + (folder / "home").string() + " is a folder, not a file"));
}

TEST(SimMac, LoadingErrorsNameTheFile) {
    const TemporaryFolder folder;
    VirtualScheduler scheduler;
    CapturedSystemLog log;
    const auto missing = SimMac::load(folder / "missing.json", folder.path(), scheduler, log);
    ASSERT_FALSE(missing);
    EXPECT_THAT(missing.error().message, HasSubstr("missing.json: No such file"));

    ASSERT_TRUE(writeFileAtomically(folder / "desktop.json", R"({"hots": {}})"));
    const auto misspelt = SimMac::load(folder / "desktop.json", folder.path(), scheduler, log);
    ASSERT_FALSE(misspelt);
    EXPECT_THAT(misspelt.error().message, HasSubstr(R"(desktop.json: Desktop: unknown key "hots")"));

    ASSERT_TRUE(writeFileAtomically(folder / "desktop.json", "{}"));
    const auto homeless = SimMac::load(folder / "desktop.json", folder / "nobody", scheduler, log);
    ASSERT_FALSE(homeless);
    EXPECT_THAT(homeless.error().message, HasSubstr("nobody: the home folder is missing"));

    const auto pipe = folder / "pipe.json";
    tavelin::testing::makeNamedPipe(pipe);
    const auto piped = tavelin::testing::readsWithoutWaiting(
        pipe, [&] { return SimMac::load(pipe, folder.path(), scheduler, log); });
    ASSERT_FALSE(piped);
    EXPECT_THAT(piped.error().message, HasSubstr("pipe.json: not a regular file"));
}

}  // namespace
}  // namespace tavelin::sim
