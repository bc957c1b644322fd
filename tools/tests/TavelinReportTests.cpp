// The report lines of the built tavelin program, driven by key lines in real time on a fresh copy of the
// example: what the switcher opens and what the world is asked, as a person reads them.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "platform/tests/TemporaryFolder.h"
#include "tools/tests/ProgramRun.h"

namespace tavelin {
namespace {

using ::testing::ContainsRegex;
using ::testing::HasSubstr;

// The report lines that start with one of the words ("selected|search"), each ending in a line feed. A
// slow run may open an overlay on the way, whose lines the other words leave out.
std::string reportLines(const std::string& out, const std::string& words) {
    const std::regex wanted("^(" + words + "): ");
    std::istringstream lines(out);
    std::string report;
    for (std::string line; std::getline(lines, line);) {
        if (std::regex_search(line, wanted)) report += line + "\n";
    }
    return report;
}

ProgramRun runOnTheExample(const std::string& input, double seconds) {
    const TemporaryFolder scratch;
    const TemporaryFolder home;
    return runProgram(std::string(TAVELIN_PATH) + " --home " + home.path().string() + " --exit-after " +
                          std::to_string(seconds),
                      input, scratch.path());
}

std::string repeated(const std::string& line, int times) {
    std::string lines;
    for (int i = 0; i < times; ++i) lines += line;
    return lines;
}

// The panel kept open on the Finder: Space shows Safari's windows list at once, Up and Right move its
// focus; seven steps on, resting on the Applications folder opens its popover, whose focus Up and
// Right move, and Down closes. Each key line reports on its own.
TEST(TavelinReport, OverlaysOpenAndCloseInTheReportAndEachKeyLineHasItsOwnLines) {
    const auto run = runOnTheExample("down option\ntab\nwait 0.1\nup option\nkey right\nkey space\nwait 0.5\n"
                                     "key up\nkey right\nkey space\n" +
                                         repeated("key right\n", 7) +
                                         "wait 1\nkey up\nkey right\nkey down\nkey right\nkey return\nwait 0.5\n",
                                     4.5);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(reportLines(run.out, "selected"),
              "selected: Finder at 0.0\nselected: Safari at 0.1\nselected: Mail at 0.2\nselected: Notes at 0.3\n"
              "selected: System Settings at 0.4\nselected: Preview at 1.0\nselected: Terminal at 1.1\n"
              "selected: Downloads at 2.0\nselected: Applications at 2.1\nselected: Quarterly Report at 2.2\n");
    EXPECT_THAT(reportLines(run.out, "windows"),
                HasSubstr("windows: Safari, 2 windows\nwindows: Safari, 2 windows, focused Apple\n"
                          "windows: Safari, 2 windows, focused Reading List\nwindows: closed\n"));
    EXPECT_THAT(reportLines(run.out, "selected|folder"),
                HasSubstr("selected: Applications at 2.1\nfolder: Applications, 3 items\n"
                          "folder: Applications, 3 items, focused Lomaret\n"
                          "folder: Applications, 3 items, focused MenuMeter\nfolder: closed\n"
                          "selected: Quarterly Report at 2.2\n"));
    // Paths as the simulated Mac names them, with the application the Mac picks.
    EXPECT_THAT(reportLines(run.out, "panel|world"),
                HasSubstr("panel: closed\nworld: activate com.apple.Preview\n"
                          "world: open ~/Documents/Quarterly Report.pdf with /System/Applications/Preview.app\n"));
}

// Held Option with W, M and Q acts on the selection's front window and application, which the report
// names; a web link opens in the browser, which the Q had quit.
TEST(TavelinReport, HeldLettersAndAWebLinkAreReportedAsTheWorldsCalls) {
    const auto run = runOnTheExample("down option\ntab\nwait 0.5\nkey w\nwait 0.5\ntab\nwait 0.5\nkey m\nwait 0.5\n"
                                     "key q\nwait 0.5\nkey escape\nup option\nwait 0.3\n"
                                     "down option\ntab\nwait 0.1\nup option\nwait 0.2\ntype exa\nkey return\nwait 0.5\n",
                                     5);
    ASSERT_EQ(run.status, 0) << run.err;
    const auto world = reportLines(run.out, "world");
    EXPECT_THAT(world, ContainsRegex("(^|\n)world: close window [0-9]+ of com.apple.finder\n"
                                     "world: minimise window [0-9]+ of com.apple.Safari\n"
                                     "world: quit com.apple.Safari\n"));
    EXPECT_THAT(reportLines(run.out, "selected|search|panel"),
                HasSubstr("selected: Example at 0.0\nsearch: \"exa\"\npanel: closed\n"));
    EXPECT_THAT(world, HasSubstr("\nworld: open https://example.org/\n"));
}

}  // namespace
}  // namespace tavelin
