// The built tavelin program, run as a person runs it: on a temporary home folder, fed commands on its
// standard input, ended by --exit-after.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "platform/ImageCoding.h"
#include "platform/tests/NamedPipe.h"
#include "platform/tests/TemporaryFolder.h"
#include "protocol/DockSnapshot.h"
#include "protocol/JsonCoding.h"
#include "tools/tests/ProgramRun.h"

namespace tavelin {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

ProgramRun runTavelin(const TemporaryFolder& scratch, const std::string& arguments,
                      const std::string& input) {
    return runProgram(std::string(TAVELIN_PATH) + " " + arguments, input, scratch.path());
}

// Whether the snapshot shows the application running.
std::optional<bool> isRunning(const DockSnapshot& snapshot, std::string_view bundleID) {
    for (const auto& item : snapshot.items) {
        if (item.bundleID == bundleID) return item.isRunning;
    }
    return std::nullopt;
}

// The example's first launch shows the first-run window, which brings the program to the front: the
// panel then selects the Finder, as it does when the program itself is the active application.
TEST(Tavelin, ShowOpensTheSwitchersPanelAndPrintsItsTiersAndSelection) {
    const TemporaryFolder scratch;
    const TemporaryFolder home;
    const auto run = runTavelin(scratch, "--home " + home.path().string() + " --exit-after 1", "show\n");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_THAT(run.out, HasSubstr("Switcher: panel "));
    EXPECT_THAT(run.out, HasSubstr("  fixed apps:    [Finder]  Safari  Mail"));
    EXPECT_THAT(run.out, HasSubstr("  selected: Finder\n"));
}

TEST(Tavelin, ALaunchTypedOnStandardInputShowsInTheNextSnapshot) {
    const TemporaryFolder scratch;
    const TemporaryFolder home;
    const auto run = runTavelin(scratch, "--home " + home.path().string() + " --json --exit-after 3",
                                "launch com.apple.Notes\n");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_THAT(run.err, HasSubstr("launched com.apple.Notes"));

    std::vector<DockSnapshot> snapshots;
    std::istringstream lines(run.out);
    for (std::string line; std::getline(lines, line);) {
        auto snapshot = decodeJSON<DockSnapshot>(line);
        ASSERT_TRUE(snapshot) << snapshot.error().message << "\n" << line;
        snapshots.push_back(std::move(*snapshot));
    }
    ASSERT_GE(snapshots.size(), 2u) << run.out << run.err;
    // The first is the Dock at the end of start-up: Notes is in the Dock, not running.
    EXPECT_EQ(isRunning(snapshots.front(), "com.apple.Notes"), false);
    // A later one has it running (start-up's own changes may come in between), and it stays so.
    const auto running = std::ranges::find_if(snapshots, [](const DockSnapshot& snapshot) {
        return isRunning(snapshot, "com.apple.Notes") == true;
    });
    ASSERT_NE(running, snapshots.end()) << run.out;
    EXPECT_GT(running->dockGeneration, snapshots.front().dockGeneration);
    EXPECT_EQ(isRunning(snapshots.back(), "com.apple.Notes"), true);
    // The Dock's preference file lives in the home folder given, and start-up ran through to the end.
    EXPECT_TRUE(std::filesystem::exists(home / "Library/Preferences/com.apple.dock.plist"));
    EXPECT_THAT(run.err, HasSubstr("Tavelin symbolic hotkeys tab=1 grave=1"));
}

TEST(Tavelin, WithoutAHomeItMakesAFreshOneInTheTemporaryFolderAndSaysWhere) {
    const TemporaryFolder scratch;
    const auto run = runTavelin(scratch, "--exit-after 0.5", "");
    ASSERT_EQ(run.status, 0) << run.err;
    std::smatch found;
    ASSERT_TRUE(std::regex_search(run.err, found, std::regex("in the home folder (\\S+);"))) << run.err;
    const std::filesystem::path made = found[1].str();
    EXPECT_EQ(made.parent_path(), std::filesystem::temp_directory_path());
    EXPECT_TRUE(std::filesystem::exists(made / "Applications/Safari.app/Contents/Info.plist"));
    EXPECT_THAT(run.out,
                HasSubstr("Dock: generation 2, event sequence 2\n  fixed apps:    Finder (running)"));
    // Start-up's own rebuild, and no second one for the program's own activation.
    EXPECT_THAT(run.out, Not(HasSubstr("generation 3")));
    std::filesystem::remove_all(made);
}

TEST(Tavelin, BadArgumentsAndAMissingDesktopAreClearErrors) {
    const TemporaryFolder scratch;
    auto run = runTavelin(scratch, "--exit-after later", "");
    EXPECT_EQ(run.status, 2);
    EXPECT_THAT(run.err, HasSubstr("tavelin: --exit-after needs a number of seconds\nusage: tavelin"));

    const TemporaryFolder home;
    run = runTavelin(scratch,
                     "--home " + home.path().string() + " --desktop " + (scratch / "none.json").string(), "");
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.err, HasSubstr("none.json"));
    EXPECT_EQ(run.out, "");
}

// The walk-through of the README, in real time: Option-Tab held over two Tabs and let go activates
// Safari, then a line that does not parse; the program goes on to its end. The hold is well past the
// 0.3 s of a quick release, so that a slow machine showing the panel late still confirms.
TEST(Tavelin, KeyLinesDriveTheSwitcherAndItsPanelIsDrawnToAPicture) {
    const TemporaryFolder scratch;
    const TemporaryFolder home;
    const auto png = scratch / "panel.png";
    const auto run = runTavelin(scratch,
                                "--home " + home.path().string() + " --panel-png " + png.string() +
                                    " --exit-after 3.5",
                                "down option\ntab\ntab\nwait 1.2\nup option\nwait 0.3\nkey f13\n");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_THAT(run.out, HasSubstr("\npanel: open on screen 1, 1040x124\nselected: Finder at 0.0\n"));
    EXPECT_THAT(run.out, HasSubstr("\nselected: Safari at 0.1\n"));
    EXPECT_THAT(run.out, HasSubstr("\npicture: " + png.string() + " 2080x248\n"));
    EXPECT_THAT(run.out, HasSubstr("\npanel: closed\nworld: activate com.apple.Safari\n"));
    EXPECT_THAT(run.out, HasSubstr("\nerror: no key \"f13\""));
    std::ifstream in(png, std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    const auto picture = decodePNG(bytes);
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ(picture->width, 2080);
    EXPECT_EQ(picture->height, 248);
}

// Every refused line is one "error: ..." line on standard output, and what came in is echoed with its
// control characters escaped: typed lines, and names from the desktop file in the report and the views.
TEST(Tavelin, RefusedLinesAreOneErrorFormAndEchoedInputIsEscaped) {
    const TemporaryFolder scratch;
    const TemporaryFolder home;
    for (const auto* folder : {"pictures", "icons"})
        std::filesystem::copy(std::filesystem::path(TAVELIN_EXAMPLES_DIR) / folder, scratch / folder);
    auto desktop = slurp(std::filesystem::path(TAVELIN_EXAMPLES_DIR) / "desktop.json");
    desktop.replace(desktop.find(R"("name": "Safari")"), 16, R"("name": "Saf\u001bari")");
    std::ofstream(scratch / "desktop.json") << desktop;
    const auto run = runTavelin(
        scratch,
        "--home " + home.path().string() + " --desktop " + (scratch / "desktop.json").string() +
            " --exit-after 2",
        "fly\nlaunch com.example.none\nkey \x1b[2J\ntrash-add a\x1b]0;x\x07-b\nhelp\nshow\nkey right\n");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_THAT(run.out, HasSubstr("\nerror: unknown command \"fly\"; type help\n"
                                   "error: no application com.example.none is installed\n"
                                   "error: no key \"\\x1b[2J\" (return, "));
    EXPECT_THAT(run.err, Not(HasSubstr("unknown command")));
    EXPECT_THAT(run.err, HasSubstr("put a\\x1b]0;x\\x07-b in the Trash\n"));
    // The help lists the key lines too.
    EXPECT_THAT(run.err, HasSubstr("\n  down MOD, up MOD "));
    EXPECT_THAT(run.out, HasSubstr("  fixed apps:    [Finder]  Saf\\x1bari  Mail"));
    EXPECT_THAT(run.out, HasSubstr("\nselected: Saf\\x1bari at 0.1\n"));
    EXPECT_EQ(run.out.find_first_of("\x1b\x07"), std::string::npos) << run.out;
    EXPECT_EQ(run.err.find_first_of("\x1b\x07"), std::string::npos) << run.err;
}

// A start that is refused makes nothing: no picture folder, no home folder named with --home, and a
// fresh home in the temporary folder is removed again.
TEST(Tavelin, RefusedStartsMakeNothing) {
    const TemporaryFolder scratch;
    std::filesystem::create_directory(scratch / "tmp");
    const auto program = "TMPDIR=" + (scratch / "tmp").string() + " " + std::string(TAVELIN_PATH);
    auto run = runProgram(program + " --exit-after 1 --home " + (scratch / "home").string() +
                              " --panel-png " + (scratch / "none" / "panel.png").string(),
                          "", scratch.path());
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "tavelin: --panel-png: no folder " + (scratch / "none").string() + "\n");
    EXPECT_FALSE(std::filesystem::exists(scratch / "none"));
    EXPECT_FALSE(std::filesystem::exists(scratch / "home"));

    // A picture path naming a folder would fail each drawing.
    const auto folder = (scratch / "tmp").string();
    run = runProgram(program + " --exit-after 1 --panel-png " + folder, "", scratch.path());
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "tavelin: --panel-png: " + folder + " is a folder\n");

    // A NUL would end Safari's name in the Dock's preference file.
    std::ofstream(scratch / "desktop.json")
        << R"({"applications": [{"bundleIdentifier": "com.apple.Safari",)"
           R"( "name": "Saf\u0000ari", "path": "/Applications/Safari.app"}]})";
    run = runProgram(program + " --exit-after 1 --desktop " + (scratch / "desktop.json").string(), "",
                     scratch.path());
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.err,
                HasSubstr("desktop.json: Desktop.applications[0].name: must not hold a NUL character\n"));
    EXPECT_TRUE(std::filesystem::is_empty(scratch / "tmp"));
}

// Without a writer, opening a named pipe waits for ever: a program that did would neither read its
// commands nor end; `timeout` ends it then, and the run fails.
TEST(Tavelin, NamedPipesInPlaceOfItsFilesAreErrorsAndOverlongLinesRunNothing) {
    const TemporaryFolder scratch;
    const TemporaryFolder home;
    testing::makeNamedPipe(home / "Library/Preferences/jp.fenwold.lomaret.plist");
    const auto program = "timeout 60 " + std::string(TAVELIN_PATH);
    auto run = runProgram(program + " --home " + home.path().string() + " --exit-after 2",
                          std::string(4096, 'x') + "quit\nlaunch com.apple.Notes\n", scratch.path());
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_THAT(run.err, HasSubstr("jp.fenwold.lomaret.plist: not a regular file"));
    EXPECT_THAT(run.out, HasSubstr("\nerror: a line longer than 4096 bytes was ignored\n"));
    EXPECT_THAT(run.err, HasSubstr("launched com.apple.Notes"));

    const auto desktop = scratch / "desktop.json";
    testing::makeNamedPipe(desktop);
    run = runProgram(program + " --home " + home.path().string() + " --desktop " + desktop.string(), "",
                     scratch.path());
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.err, HasSubstr(desktop.string() + ": not a regular file"));
}

}  // namespace
}  // namespace tavelin
