#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <limits>

#include "mac/windows/CommandExecutor.h"
#include "mac/windows/tests/AppCommandWorld.h"
#include "protocol/Command.h"
#include "protocol/JsonCoding.h"

namespace tavelin {

inline void PrintTo(const CommandResultPayload& payload, std::ostream* out) {
    if (const auto* error = std::get_if<ProtocolError>(&payload.value)) {
        *out << "failure(" << error->errorDescription() << ")";
    } else {
        *out << "success";
    }
}

namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr std::string_view kEmptyTrash = "tell application \"Finder\"\n    empty trash\nend tell";

CommandResultPayload unavailable(std::string reason) {
    return CommandResultPayload::failure(ProtocolError::unavailable(std::move(reason)));
}
const CommandResultPayload kNotFound = CommandResultPayload::failure(ProtocolError::notFound());
const CommandResultPayload kSuccess = CommandResultPayload::success();

DockItem item(std::optional<std::string> bundleID, std::optional<std::string> path) {
    return DockItem{.itemID = ItemID("item"), .bundleID = std::move(bundleID), .path = std::move(path)};
}

class CommandExecutorTest : public ::testing::Test, protected AppCommandWorld {
  protected:
    CommandExecutor executor{commandPlatform()};
    sim::SimWorkspace& workspace() { return mac->workspace(); }
    RunningApplication notes() { return *workspace().process("com.apple.Notes"); }
};

TEST_F(CommandExecutorTest, LaunchOrActivateTakesTheBundleIDThenThePath) {
    const auto document = home / "Documents/todo.txt";
    std::filesystem::create_directories(document.parent_path());
    std::ofstream(document) << "milk";

    EXPECT_EQ(executor.launchOrActivate(item("com.apple.Notes", document.string())), kSuccess);
    EXPECT_EQ(workspace().frontmostApplication()->bundleIdentifier, "com.apple.Notes");
    EXPECT_FALSE(workspace().process("com.apple.TextEdit")) << "the bundle ID wins";

    EXPECT_EQ(executor.launchOrActivate(item("", document.string())), kSuccess) << "opened as a document";
    ASSERT_TRUE(workspace().process("com.apple.TextEdit"));
    EXPECT_EQ(windowCount("com.apple.TextEdit"), 1u);

    EXPECT_EQ(executor.launchOrActivate(item("", "")), kNotFound);
    EXPECT_EQ(executor.launchOrActivate(item(std::nullopt, std::nullopt)), kNotFound);
    EXPECT_EQ(executor.launchOrActivate(item("com.example.missing", document.string())), kNotFound);
    EXPECT_EQ(executor.launchOrActivate(item(std::nullopt, (home / "missing.txt").string())),
              unavailable("open failed"));
}

TEST_F(CommandExecutorTest, AWebLinkTileOpensItsLinkInTheDefaultBrowser) {
    DockItem link{.itemID = ItemID("link"), .kind = DockItemKind::url, .path = "https://example.com"};
    EXPECT_EQ(executor.launchOrActivate(link), kSuccess);
    EXPECT_THAT(mac->workspaceActions().openedURLs(), ElementsAre("https://example.com"));
    EXPECT_EQ(windowCount("com.google.Chrome"), 1u);
    EXPECT_EQ(workspace().frontmostApplication()->bundleIdentifier, "com.google.Chrome");
    mac->workspace().setDefaultApplication("https", "com.example.none");
    EXPECT_EQ(executor.launchOrActivate(link), unavailable("open failed")) << "no browser to open it";
}

TEST_F(CommandExecutorTest, ShowInFinderTestsOnlyThatThereIsAPath) {
    EXPECT_EQ(executor.showInFinder(item(std::nullopt, std::nullopt)), kNotFound);
    EXPECT_EQ(executor.showInFinder(item(std::nullopt, "")), kSuccess);
    EXPECT_EQ(executor.showInFinder(item(std::nullopt, "/Applications")), kSuccess);
    EXPECT_THAT(mac->workspaceActions().revealed(),
                ElementsAre(std::vector<std::filesystem::path>{""},
                            std::vector<std::filesystem::path>{"/Applications"}));
    EXPECT_EQ(workspace().frontmostApplication()->bundleIdentifier, "com.apple.finder");
}

TEST_F(CommandExecutorTest, TheTrashOpensInTheFinderUnlessRefused) {
    EXPECT_EQ(executor.activateTrash(), kSuccess);
    EXPECT_EQ(windowCount("com.apple.finder"), 1u);
    mac->workspaceActions().setOpenURLRefused(true);
    EXPECT_EQ(executor.activateTrash(), unavailable("open trash failed"));
}

class EmptyTrashTest : public CommandExecutorTest {
  protected:
    EmptyTrashTest() {
        std::ofstream(home / ".Trash/old.txt") << "old";
        std::filesystem::create_directories(home / ".Trash/Old Folder");
    }
    bool trashIsEmpty() { return std::filesystem::is_empty(home / ".Trash"); }
    void failTheScript() {
        mac->appleScripts().setExecutionError("Finder", "Finder got an error: busy (-10810)");
    }
    std::vector<sim::SimProcesses::Run> osascriptRun() {
        return {{"/usr/bin/osascript", {"-e", std::string(kEmptyTrash)}}};
    }
};

TEST_F(EmptyTrashTest, TheFinderLaunchesAndItsScriptEmptiesTheTrash) {
    workspace().terminate(workspace().process("com.apple.finder")->processIdentifier);
    EXPECT_EQ(executor.emptyTrash(), kSuccess);
    EXPECT_TRUE(trashIsEmpty());
    ASSERT_EQ(mac->workspaceActions().openRequests().size(), 1u);
    EXPECT_EQ(mac->workspaceActions().openRequests()[0].application,
              "/System/Library/CoreServices/Finder.app");
    EXPECT_THAT(mac->appleScripts().madeSources(), ElementsAre(kEmptyTrash));
    EXPECT_THAT(mac->processes().runs(), IsEmpty());
}

TEST_F(EmptyTrashTest, AScriptThatCannotBeMadeIsNotRetried) {
    mac->appleScripts().setMakeFails("Finder");
    EXPECT_EQ(executor.emptyTrash(), unavailable("empty trash script"));
    EXPECT_FALSE(trashIsEmpty());
    EXPECT_THAT(mac->processes().runs(), IsEmpty());
}

TEST_F(EmptyTrashTest, AFailedScriptFallsBackToOsascript) {
    failTheScript();
    mac->processes().setExitStatus(0);
    EXPECT_EQ(executor.emptyTrash(), kSuccess);
    EXPECT_EQ(mac->processes().runs(), osascriptRun());
    EXPECT_THAT(mac->appleScripts().executedSources(), ElementsAre(kEmptyTrash, kEmptyTrash));

    mac->processes().setExitStatus(1);
    EXPECT_EQ(executor.emptyTrash(), unavailable("empty trash failed"));
    mac->processes().setExitStatus(std::nullopt);
    mac->processes().setUnstartable(true);
    EXPECT_EQ(executor.emptyTrash(), unavailable("empty trash failed"));
    EXPECT_EQ(mac->processes().runs().size(), 3u);
}

TEST_F(CommandExecutorTest, HideUnhideQuitAndForceQuitAnswerForTheFirstInstance) {
    for (const auto& missing :
         {executor.hideApp("com.example.none"), executor.unhideApp("com.example.none"),
          executor.quitApp("com.example.none"), executor.forceQuitApp("com.example.none")}) {
        EXPECT_EQ(missing, kNotFound);
    }
    const auto pid = notes().processIdentifier;
    for (const auto request :
         {sim::SimApplicationRequest::hide, sim::SimApplicationRequest::unhide,
          sim::SimApplicationRequest::terminate, sim::SimApplicationRequest::forceTerminate}) {
        workspace().refuse(pid, request);
    }
    EXPECT_EQ(executor.hideApp("com.apple.Notes"), unavailable("hide failed"));
    EXPECT_EQ(executor.unhideApp("com.apple.Notes"), unavailable("unhide failed"));
    EXPECT_EQ(executor.quitApp("com.apple.Notes"), unavailable("quit failed"));
    EXPECT_EQ(executor.forceQuitApp("com.apple.Notes"), unavailable("force quit failed"));
    for (const auto request : {sim::SimApplicationRequest::hide, sim::SimApplicationRequest::unhide,
                               sim::SimApplicationRequest::forceTerminate}) {
        workspace().refuse(pid, request, false);
    }
    EXPECT_EQ(executor.hideApp("com.apple.Notes"), kSuccess);
    EXPECT_TRUE(notes().isHidden);
    EXPECT_EQ(executor.unhideApp("com.apple.Notes"), kSuccess);
    EXPECT_FALSE(notes().isHidden);
    EXPECT_EQ(executor.forceQuitApp("com.apple.Notes"), kSuccess);
    EXPECT_FALSE(workspace().process(pid));
}

TEST_F(CommandExecutorTest, QuitHandsBackWhatTellsThisVeryProcessLater) {
    const auto notesApp = notes();
    EXPECT_EQ(notesApp.launchDate, std::nullopt) << "the desktop gives Notes no launch date";
    EXPECT_EQ(executor.quitApp("com.apple.Notes"),
              CommandResultPayload::success({.processID = notesApp.processIdentifier}));
    EXPECT_FALSE(workspace().process(notesApp.processIdentifier)) << "quit at once";

    installed("com.apple.TextEdit").quitDelay = 1s;
    const auto textEdit = *workspace().launch("com.apple.TextEdit");
    const auto launchDate = *workspace().process(textEdit)->launchDate;
    const double launchTime =
        std::chrono::duration<double>(launchDate - std::chrono::sys_days{std::chrono::year(2001) / 1 / 1})
            .count();
    const auto quit = executor.quitApp("com.apple.TextEdit");
    EXPECT_EQ(quit, CommandResultPayload::success({.processID = textEdit, .processLaunchTime = launchTime}));

    EXPECT_TRUE(executor.isProcessStillRunning(textEdit, "com.apple.TextEdit", launchTime + 0.0005));
    EXPECT_TRUE(executor.isProcessStillRunning(textEdit, "com.apple.TextEdit", launchTime - 0.0005));
    EXPECT_FALSE(executor.isProcessStillRunning(textEdit, "com.apple.TextEdit", launchTime + 0.002));
    EXPECT_FALSE(executor.isProcessStillRunning(textEdit, "com.apple.TextEdit", std::nan("")));
    EXPECT_FALSE(executor.isProcessStillRunning(textEdit, "com.apple.TextEdit",
                                                std::numeric_limits<double>::infinity()));
    EXPECT_FALSE(executor.isProcessStillRunning(textEdit, "com.apple.Notes", std::nullopt));
    EXPECT_TRUE(executor.isProcessStillRunning(textEdit, std::nullopt, std::nullopt));
    EXPECT_FALSE(executor.isProcessStillRunning(0, std::nullopt, std::nullopt));
    scheduler.advance(1s);
    EXPECT_FALSE(executor.isProcessStillRunning(textEdit, std::nullopt, std::nullopt)) << "it has quit";
}

TEST_F(CommandExecutorTest, AProcessWithoutBundleIDOrLaunchDatePassesOnlyWhatItCan) {
    const auto helper = workspace().launchProcess(RunningApplication{.localizedName = "helper"});
    EXPECT_TRUE(executor.isProcessStillRunning(helper, "com.apple.Notes", std::nullopt));
    EXPECT_FALSE(executor.isProcessStillRunning(helper, std::nullopt, 0.0)) << "no launch date to agree";
    EXPECT_EQ(executor.forceQuitApp(std::int64_t{helper}), kSuccess);
    EXPECT_FALSE(workspace().process(helper));
    EXPECT_EQ(executor.forceQuitApp(std::int64_t{helper}), kSuccess) << "already gone";
}

TEST_F(CommandExecutorTest, ADevicesProcessIDIsCheckedBeforeItIsNarrowed) {
    workspace().setNextProcessIdentifier(1);
    const auto one = workspace().launchProcess(RunningApplication{.bundleIdentifier = "com.example.one"});
    workspace().setNextProcessIdentifier(std::numeric_limits<std::int32_t>::max());
    const auto largest = workspace().launchProcess(RunningApplication{.bundleIdentifier = "com.example.max"});
    ASSERT_EQ(one, 1);

    const auto decoded = [](std::string_view processID) {
        const auto command =
            decodeJSON<Command>(R"({"kind":"forceQuitApp","expectedGeneration":0,"nonce":"n","processID":)" +
                                std::string(processID) + "}");
        EXPECT_TRUE(command) << processID;
        return command->processID.value();
    };
    for (const auto* outside :
         {"0", "-1", "2147483648", "4294967297", "9223372036854775807", "-9223372036854775808"}) {
        const auto processID = decoded(outside);
        EXPECT_FALSE(executor.isProcessStillRunning(processID, std::nullopt, std::nullopt)) << outside;
        EXPECT_EQ(executor.forceQuitApp(processID), kSuccess) << outside;
    }
    EXPECT_TRUE(workspace().process(one)) << "4294967297 is not process 1";
    EXPECT_THAT(callsStartingWith("RunningApplication.forceTerminate"), IsEmpty());

    const auto processID = decoded("2147483647");
    EXPECT_TRUE(executor.isProcessStillRunning(processID, "com.example.max", std::nullopt));
    EXPECT_EQ(executor.forceQuitApp(processID), kSuccess);
    EXPECT_FALSE(workspace().process(largest));
}

}  // namespace
}  // namespace tavelin
