#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include "platform/FileURL.h"
#include "platform/sim/SimMac.h"
#include "platform/tests/TemporaryFolder.h"
#include "runtime/VirtualScheduler.h"

namespace tavelin::sim {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Optional;

class SimWorkspaceTest : public ::testing::Test {
  protected:
    SimWorkspaceTest()
        : mac_(Desktop{.applications = {{"com.apple.finder", "Finder",
                                         "/System/Library/CoreServices/Finder.app", true},
                                        {"com.apple.Notes", "Notes", "/System/Applications/Notes.app"},
                                        {"com.apple.Preview",
                                         "Preview",
                                         "/System/Applications/Preview.app",
                                         false,
                                         RawActivationPolicy::regular,
                                         std::nullopt,
                                         {"pdf"}}}},
               home_.path(), scheduler_, log_) {
        for (const auto name : {kWorkspaceDidLaunchApplication, kWorkspaceDidTerminateApplication,
                                kWorkspaceDidActivateApplication, kWorkspaceDidHideApplication,
                                kWorkspaceDidUnhideApplication}) {
            observers_.push_back(workspace().notificationCenter().addObserver(
                std::string(name), nullptr, &scheduler_.main(), [this](const Notification& notification) {
                    const auto* application =
                        notification.userInfoValue<RunningApplication>(kWorkspaceApplicationKey);
                    const auto shortName = notification.name.substr(11, notification.name.size() - 11 - 23);
                    received_.push_back(shortName + " " +
                                        (application ? application->bundleIdentifier.value_or("?") : "-"));
                }));
        }
    }
    SimWorkspace& workspace() { return mac_.workspace(); }

    TemporaryFolder home_;
    VirtualScheduler scheduler_;
    CapturedSystemLog log_;
    SimMac mac_;
    std::vector<std::string> received_;
    std::vector<ObserverToken> observers_;
};

TEST_F(SimWorkspaceTest, ChangesTakeEffectAtOnceAndAreNotifiedOnTheMainQueue) {
    const auto notes = workspace().launch("com.apple.Notes");
    ASSERT_TRUE(notes);
    EXPECT_EQ(workspace().process(*notes)->launchDate, scheduler_.clock().now());
    EXPECT_EQ(workspace().launch("com.apple.Notes"), notes) << "runs already";
    EXPECT_EQ(workspace().launch("com.example.missing"), std::nullopt);
    workspace().activate(*notes);
    EXPECT_THAT(workspace().frontmostApplication()->bundleIdentifier,
                Optional(std::string("com.apple.Notes")));

    // A blocked main thread delivers nothing.
    scheduler_.sleepBlocking(1s);
    EXPECT_THAT(received_, IsEmpty());
    scheduler_.runUntilIdle();
    EXPECT_THAT(received_, ElementsAre("DidLaunch com.apple.Notes", "DidActivate com.apple.Notes"));

    received_.clear();
    workspace().unhide(*notes);
    workspace().terminate(*notes);
    EXPECT_EQ(workspace().process(*notes), std::nullopt);
    EXPECT_FALSE(workspace().terminate(*notes));
    scheduler_.runUntilIdle();
    EXPECT_THAT(received_, ElementsAre("DidUnhide com.apple.Notes", "DidTerminate com.apple.Notes"));
}

TEST_F(SimWorkspaceTest, TheProgramAskingFromAnotherQueueStopsWithTheNameOfTheCall) {
#ifdef NDEBUG
    GTEST_SKIP() << "checked only in builds with assertions";
#endif
    // The main thread changes the processes at every launch and quit; another queue may not read them.
    scheduler_.serialQueue("tavelin.window-list").async([this] { workspace().runningApplications(); });
    EXPECT_DEATH(scheduler_.runUntilIdle(), "SimWorkspace::runningApplications.* called off the main queue");
}

// The visible regular application most recently in front takes over, not merely the first running one.
TEST_F(SimWorkspaceTest, HidingTheActiveApplicationActivatesTheNextVisibleOneInFront) {
    const auto finder = workspace().process("com.apple.finder")->processIdentifier;
    const auto notes = *workspace().launch("com.apple.Notes");
    const auto preview = *workspace().launch("com.apple.Preview");
    const auto helper = workspace().launchProcess(
        {.bundleIdentifier = "com.example.helper",
         .activationPolicy = static_cast<std::int64_t>(RawActivationPolicy::accessory)});
    for (const auto pid : {notes, preview, helper}) workspace().activate(pid);
    scheduler_.runUntilIdle();
    received_.clear();

    workspace().hide(notes);  // not active: nothing else moves
    workspace().hide(helper);
    EXPECT_EQ(workspace().frontmostApplication()->bundleIdentifier, "com.apple.Preview");
    EXPECT_TRUE(workspace().process(preview)->isActive);
    EXPECT_FALSE(workspace().process(helper)->isActive);
    workspace().hide(preview);
    EXPECT_EQ(workspace().frontmostApplication()->processIdentifier, finder);
    workspace().hide(finder);
    EXPECT_EQ(workspace().frontmostApplication(), std::nullopt);
    EXPECT_FALSE(workspace().process(finder)->isActive);
    scheduler_.runUntilIdle();
    EXPECT_THAT(received_,
                ElementsAre("DidHide com.apple.Notes", "DidHide com.example.helper",
                            "DidActivate com.apple.Preview", "DidHide com.apple.Preview",
                            "DidActivate com.apple.finder", "DidHide com.apple.finder"));
}

TEST_F(SimWorkspaceTest, TheNotifiedApplicationIsTheOneOfTheMoment) {
    RunningApplication lastSeen;
    const auto token = workspace().notificationCenter().addObserver(
        std::string(kWorkspaceDidTerminateApplication), nullptr, &scheduler_.main(),
        [&](const Notification& n) {
            lastSeen = *n.userInfoValue<RunningApplication>(kWorkspaceApplicationKey);
        });
    const auto finder = workspace().process("com.apple.finder")->processIdentifier;
    workspace().setKeyedValue(finder, "unseenAttentionRequest", true);
    workspace().terminate(finder);
    scheduler_.runUntilIdle();
    EXPECT_TRUE(lastSeen.isTerminated);
    EXPECT_EQ(lastSeen.processIdentifier, finder);
    EXPECT_THAT(lastSeen.value("unseenAttentionRequest"), Optional(PlistValue(true)));
}

TEST_F(SimWorkspaceTest, ApplicationsAreFoundByBundleIDAndByTheFilesTheyOpen) {
    EXPECT_THAT(workspace().urlForApplication("com.apple.Notes"),
                Optional(home_ / "System/Applications/Notes.app"));
    EXPECT_EQ(workspace().urlForApplication("com.example.missing"), std::nullopt);
    std::filesystem::create_directories(home_ / "Docs");
    std::ofstream{home_ / "Docs/Paper.PDF"};
    const auto preview = home_ / "System/Applications/Preview.app";
    EXPECT_THAT(workspace().urlForApplicationToOpen(home_ / "Docs/Paper.PDF"), Optional(preview));
    EXPECT_THAT(workspace().urlForApplicationToOpen("/not/there/yet.pdf"), Optional(preview));
    EXPECT_THAT(workspace().urlForApplicationToOpen(home_ / "Docs"),
                Optional(home_ / "System/Library/CoreServices/Finder.app"));
    EXPECT_EQ(workspace().urlForApplicationToOpen(home_ / "Docs/notes.txt"), std::nullopt);
    EXPECT_EQ(workspace().urlForApplicationToOpen(home_ / "Docs/README"), std::nullopt);
}

// Opening an application's bundle starts that application; it is a folder on disk, but not the Finder's to open.
TEST_F(SimWorkspaceTest, OpeningAnApplicationsURLStartsItInFront) {
    const auto notes = home_ / "System/Applications/Notes.app";
    std::filesystem::create_directories(notes);
    EXPECT_TRUE(mac_.workspaceActions().openURL(fileURL(notes, true)));
    ASSERT_TRUE(workspace().process("com.apple.Notes"));
    EXPECT_EQ(workspace().frontmostApplication()->bundleIdentifier, "com.apple.Notes");
    EXPECT_FALSE(workspace().process("com.apple.finder")->isActive);
}

std::vector<std::string> windowTitles(SimMac& mac, std::int32_t processIdentifier) {
    std::vector<std::string> titles;
    for (const auto key : mac.windowWorld().applicationWindows(processIdentifier)) {
        titles.push_back(mac.windowWorld().window(key)->name.value_or("?"));
    }
    return titles;
}

TEST_F(SimWorkspaceTest, ALaunchFinishesAfterItsDelayWithItsWindowOnScreen) {
    auto& notes = *workspace().installedApplication("com.apple.Notes");
    notes.launchDelay = 120ms;
    notes.launchWindow = "Notes";
    const auto pid = *workspace().launch("com.apple.Notes");
    bool told = false;
    workspace().whenFinishedLaunching(pid, [&] { told = true; });
    EXPECT_FALSE(workspace().process(pid)->isFinishedLaunching);
    scheduler_.advance(119ms);
    EXPECT_FALSE(told);
    EXPECT_THAT(windowTitles(mac_, pid), IsEmpty());
    scheduler_.advance(1ms);
    EXPECT_TRUE(told);
    EXPECT_TRUE(workspace().process(pid)->isFinishedLaunching);
    ASSERT_THAT(windowTitles(mac_, pid), ElementsAre("Notes"));
    EXPECT_TRUE(mac_.windowWorld().isOnScreen(mac_.windowWorld().applicationWindows(pid).front()));
}

TEST_F(SimWorkspaceTest, RequestsToAnApplicationAreRecordedAndCanBeRefused) {
    auto& notes = *workspace().installedApplication("com.apple.Notes");
    notes.launchWindow = "Notes";
    notes.quitDelay = 2s;
    const auto pid = *workspace().launch("com.apple.Notes");
    const auto app = *workspace().process(pid);
    mac_.calls().clear();

    workspace().refuse(pid, SimApplicationRequest::hide);
    EXPECT_FALSE(workspace().hide(app));
    EXPECT_FALSE(workspace().process(pid)->isHidden);
    workspace().refuse(pid, SimApplicationRequest::hide, false);
    EXPECT_TRUE(workspace().hide(app));
    EXPECT_TRUE(workspace().process(pid)->isHidden);

    EXPECT_TRUE(workspace().terminate(app)) << "asked only";
    scheduler_.advance(1999ms);
    EXPECT_TRUE(workspace().process(pid));
    scheduler_.advance(1ms);
    EXPECT_FALSE(workspace().process(pid));
    EXPECT_THAT(windowTitles(mac_, pid), IsEmpty()) << "its windows went with it";
    EXPECT_FALSE(workspace().terminate(app)) << "no longer runs";
    EXPECT_THAT(mac_.calls().calls(),
                ElementsAre("RunningApplication.hide " + std::to_string(pid), "RunningApplication.hide " + std::to_string(pid),
                            "RunningApplication.terminate " + std::to_string(pid),
                            "RunningApplication.terminate " + std::to_string(pid)));
}

TEST_F(SimWorkspaceTest, AnApplicationThatNeverQuitsEndsOnlyWhenForced) {
    workspace().installedApplication("com.apple.Notes")->quitDelay.reset();
    const auto pid = *workspace().launch("com.apple.Notes");
    const auto app = *workspace().process(pid);
    EXPECT_TRUE(workspace().terminate(app));
    scheduler_.advance(1h);
    ASSERT_TRUE(workspace().process(pid));
    workspace().refuse(pid, SimApplicationRequest::forceTerminate);
    EXPECT_FALSE(workspace().forceTerminate(app));
    workspace().refuse(pid, SimApplicationRequest::forceTerminate, false);
    EXPECT_TRUE(workspace().forceTerminate(app));
    EXPECT_FALSE(workspace().process(pid)) << "at once";
}

}  // namespace
}  // namespace tavelin::sim
