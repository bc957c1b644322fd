#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "platform/sim/SimMac.h"
#include "platform/tests/TemporaryFolder.h"
#include "runtime/VirtualScheduler.h"

namespace tavelin::sim {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::Optional;

constexpr std::string_view kChromeWindowScript =
    "tell application id \"com.google.Chrome\"\n    activate\n    if (count of windows) = 0 then\n"
    "        make new window\n    end if\nend tell";
constexpr std::string_view kEmptyTrash = "tell application \"Finder\"\n    empty trash\nend tell";

class SimAppleScriptsTest : public ::testing::Test {
  protected:
    SimAppleScriptsTest()
        : mac_(Desktop{.applications = {{"com.apple.finder", "Finder",
                                         "/System/Library/CoreServices/Finder.app", true},
                                        {"com.google.Chrome", "Google Chrome",
                                         "/Applications/Google Chrome.app"}}},
               home_.path(), scheduler_, log_) {}

    std::size_t windowCount(std::string_view bundleID) {
        const auto process = mac_.workspace().process(bundleID);
        return process ? mac_.windowWorld().applicationWindows(process->processIdentifier).size() : 0;
    }
    // The error information's text; none when the script ran.
    std::optional<std::string> run(std::string_view source) {
        const auto script = mac_.appleScripts().make(std::string(source));
        if (!script) return "not made";
        return script->execute();
    }

    TemporaryFolder home_;
    VirtualScheduler scheduler_;
    CapturedSystemLog log_;
    SimMac mac_;
};

TEST_F(SimAppleScriptsTest, EmptyingTheTrashRemovesItsEntriesButNotWhatALinkPointsTo) {
    const auto trash = home_ / ".Trash";
    std::filesystem::create_directories(trash / "Old Folder/inner");
    std::ofstream(trash / "a.txt") << "a";
    std::ofstream(home_ / "kept.txt") << "kept";
    std::filesystem::create_symlink(home_ / "kept.txt", trash / "link to kept");
    std::filesystem::create_directory_symlink(home_.path(), trash / "link to home");

    ASSERT_EQ(run(kEmptyTrash), std::nullopt);
    EXPECT_TRUE(std::filesystem::is_empty(trash));
    EXPECT_TRUE(std::filesystem::exists(home_ / "kept.txt"));
    EXPECT_THAT(mac_.appleScripts().executedSources(), ElementsAre(std::string(kEmptyTrash)));
}

TEST_F(SimAppleScriptsTest, ABrowserMakesANewWindowOnlyWhenItShowsNone) {
    ASSERT_EQ(run(kChromeWindowScript), std::nullopt) << "starts the browser, as AppleScript does";
    EXPECT_EQ(windowCount("com.google.Chrome"), 1u);
    EXPECT_EQ(mac_.workspace().frontmostApplication()->bundleIdentifier, "com.google.Chrome");
    ASSERT_EQ(run(kChromeWindowScript), std::nullopt);
    EXPECT_EQ(windowCount("com.google.Chrome"), 1u);

    const auto notUnderstood = run("tell application \"Finder\"\n    make new tab\nend tell");
    EXPECT_EQ(notUnderstood, "Finder got an error: \"make new tab\" doesn’t understand the message. (-1708)");
    EXPECT_THAT(run("tell application \"Google Chrome\"\n    empty trash\nend tell"),
                Optional(EndsWith("(-1708)")))
        << "only the Finder empties the Trash";
    EXPECT_EQ(run("tell application id \"com.example.none\"\nend tell"),
              "Can’t get application \"com.example.none\". (-1728)");
}

TEST_F(SimAppleScriptsTest, MakingOrRunningFailsPerTarget) {
    std::ofstream(home_ / ".Trash/a.txt") << "a";
    mac_.appleScripts().setMakeFails("Finder");
    EXPECT_FALSE(mac_.appleScripts().make(std::string(kEmptyTrash)));
    EXPECT_TRUE(mac_.appleScripts().make(std::string(kChromeWindowScript)));
    mac_.appleScripts().setMakeFails("Finder", false);
    mac_.appleScripts().setExecutionError("Finder", "Finder got an error: busy (-10810)");
    EXPECT_EQ(run(kEmptyTrash), "Finder got an error: busy (-10810)");
    EXPECT_TRUE(std::filesystem::exists(home_ / ".Trash/a.txt"));
    EXPECT_THAT(mac_.appleScripts().madeSources(),
                ElementsAre(kEmptyTrash, kChromeWindowScript, kEmptyTrash));
}

TEST_F(SimAppleScriptsTest, OsascriptRunsItsSourceOnTheSameEngine) {
    std::ofstream(home_ / ".Trash/a.txt") << "a";
    auto& processes = mac_.processes();
    EXPECT_EQ(
        processes.runAndWait("/usr/bin/osascript", {"-e", "tell application \"Finder\"\n    jump\nend tell"}),
        1);
    EXPECT_EQ(processes.runAndWait("/usr/bin/osascript", {"-e", std::string(kEmptyTrash)}), 0);
    EXPECT_FALSE(std::filesystem::exists(home_ / ".Trash/a.txt"));
    processes.setExitStatus(3);
    EXPECT_EQ(processes.runAndWait("/usr/bin/osascript", {"-e", std::string(kEmptyTrash)}), 3);
    processes.setUnstartable(true);
    EXPECT_FALSE(processes.runAndWait("/usr/bin/osascript", {"-e", std::string(kEmptyTrash)}));
    EXPECT_FALSE(mac_.processes().runAndWait("/bin/sh", {"-c", "true"})) << "no other tool is there";
    EXPECT_EQ(processes.runs().size(), 5u);
}

class SimAppleEventsTest : public SimAppleScriptsTest {
  protected:
    // Sends 'rapp' as the Dock does; gives the status.
    OSStatus reopen(std::int32_t processIdentifier, std::int64_t timeoutTicks = 150) {
        auto& events = mac_.appleEvents();
        std::vector<std::uint8_t> bytes(4);
        std::memcpy(bytes.data(), &processIdentifier, 4);
        auto address = *events.createDesc(kTypeKernelProcessID, bytes);
        auto event = *events.createAppleEvent(kCoreEventClass, kAEReopenApplication, address, -1, 0);
        AEDesc reply;
        const auto status = events.sendMessage(event, reply, 35, timeoutTicks);
        events.disposeDesc(reply);
        events.disposeDesc(event);
        events.disposeDesc(address);
        return status;
    }
};

TEST_F(SimAppleEventsTest, ReopenIsAnsweredAfterTheReplyDelayCutShortByTheTimeout) {
    auto& finder = *mac_.workspace().installedApplication("com.apple.finder");
    finder.reopenWindow = "Recents";
    finder.reopenReplyDelay = 1s;
    const auto pid = mac_.workspace().process("com.apple.finder")->processIdentifier;
    const auto start = scheduler_.clock().uptime();
    EXPECT_EQ(reopen(pid), kNoErr);
    EXPECT_EQ(scheduler_.clock().uptime() - start, 1s) << "a blocking wait for the reply";
    EXPECT_EQ(windowCount("com.apple.finder"), 1u);

    finder.reopenReplyDelay = 4s;
    EXPECT_EQ(reopen(pid), kErrAETimeout);
    EXPECT_EQ(scheduler_.clock().uptime() - start, 3500ms) << "150 ticks at most";
    EXPECT_EQ(windowCount("com.apple.finder"), 1u);
    scheduler_.advance(1500ms);
    EXPECT_EQ(windowCount("com.apple.finder"), 2u) << "the application still answers, late";

    EXPECT_EQ(reopen(99999), kProcNotFound);
    EXPECT_EQ(mac_.appleEvents().sentEvents().size(), 3u);
    EXPECT_EQ(mac_.appleEvents().sentEvents().back().processIdentifier, 99999);
    EXPECT_EQ(mac_.appleEvents().liveDescriptors(), 0u);
}

}  // namespace
}  // namespace tavelin::sim
