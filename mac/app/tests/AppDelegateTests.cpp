#include <gmock/gmock.h>

#include "mac/app/tests/AppWorld.h"

namespace tavelin {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Not;

class AppDelegateTest : public AppWorld {
  protected:
    // What did-finish-launching asks of the world in its own run, before anything it queued runs.
    std::vector<std::string> launchCalls() {
        mac().application().setDelegate(&delegate());
        clearCalls();
        mac().application().finishLaunching();
        return calls({"WindowServer.", "UserNotifications.request", "Keychain.", "Network.listen",
                      "LoginItems.", "Windows.", "StatusBar.", "Application.", "Updater."});
    }
    void completeFirstRun() { defaults().set(kOnboardingCompletedVersionKey, PlistValue(std::int64_t{1})); }
};

TEST_F(AppDelegateTest, AFirstLaunchRunsTheStartUpSequenceInOrder) {
    EXPECT_THAT(
        launchCalls(),
        ElementsAre(
            "WindowServer.mainConnectionID", "UserNotifications.requestAuthorization 6",
            // The container, built and started.
            "Keychain.copy jp.fenwold.lomaret.machinekey", "Keychain.add jp.fenwold.lomaret.machinekey",
            "Network.listen session", "Network.listen pairing",
            // The settings window, then the first-run window, shown before the status item exists.
            "Windows.make settings.title", "Windows.make Tavelin", "Application.setActivationPolicy regular",
            "Application.activate ignoringOtherApps", "Windows.center Tavelin", "Windows.show Tavelin",
            // The status item, visible as showStatusItem is on by default.
            "StatusBar.makeItem", "StatusBar.setImage dock.rectangle", "StatusBar.setMenu",
            "StatusBar.setVisible on",
            // The updater last.
            "Updater.start"));
    EXPECT_NE(delegate().settingsWindow(), nullptr);
    EXPECT_NE(delegate().onboardingWindow(), nullptr);
    EXPECT_NE(delegate().statusItem(), nullptr);
    EXPECT_EQ(mac().softwareUpdater().starts(), 1);
    EXPECT_FALSE(mac().appWindows().window("settings.title")->visible);
}

TEST_F(AppDelegateTest, StartUpMakesOneSwitcherThatTheStatusItemAndTheTriggerOpen) {
    completeFirstRun();
    EXPECT_THAT(launchCalls(), Not(Contains("Panel.make 720x480 style=0xA080")));
    auto switcher = delegate().switcher();
    ASSERT_NE(switcher, nullptr);
    EXPECT_EQ(services().windowActionDisplayResolver->switcher.lock(), switcher);
    scheduler_.runUntilIdle();

    // The engine was attached to it: the tap hears of the panel.
    const auto& tap = delegate().triggerEngine()->eventTap();
    ASSERT_TRUE(mac().statusBar().choose(0, "menu.showSwitcher"));
    EXPECT_TRUE(switcher->isOpen());
    EXPECT_TRUE(tap.panelOpen());
    EXPECT_TRUE(mac().appWindows().panels().back().visible);
    ASSERT_TRUE(mac().statusBar().choose(0, "menu.showSwitcher"));
    EXPECT_EQ(mac().appWindows().panels().size(), 1u);
    switcher->close(true);
    EXPECT_FALSE(tap.panelOpen());
    EXPECT_FALSE(mac().appWindows().panels().back().visible);

    // Option-Tab opens it from start-up on.
    mac().input().pressModifiers(kEventFlagOption);
    mac().input().keyDown(48);
    scheduler_.runUntilIdle();
    EXPECT_TRUE(switcher->isOpen());
    switcher->close(true);

    // The container keeps only a weak reference.
    const std::weak_ptr<SwitcherController> weak = switcher;
    switcher.reset();
    newProcess();
    EXPECT_TRUE(weak.expired());
}

TEST_F(AppDelegateTest, ALaterLaunchShowsNoWindowAndRegistersTheLoginItem) {
    completeFirstRun();
    const auto launch = launchCalls();
    EXPECT_THAT(launch, Contains("LoginItems.register"));
    EXPECT_THAT(launch, Not(Contains("Windows.show Tavelin")));
    EXPECT_THAT(launch, Not(Contains("Application.setActivationPolicy regular")));
    EXPECT_EQ(mac().application().activationPolicy(), RawActivationPolicy::accessory);
}

TEST_F(AppDelegateTest, ARepeatedLaunchReplacesNothingAndAuthorisationIsAskedOncePerProcess) {
    launch();
    scheduler_.advance(kAfterStart);
    const auto* statusItem = delegate().statusItem();
    const auto* settingsWindow = delegate().settingsWindow();
    // The platform tells a delegate twice: the second time asks nothing.
    clearCalls();
    mac().application().finishLaunching();
    scheduler_.advance(kAfterStart);
    EXPECT_THAT(calls(), IsEmpty());
    EXPECT_EQ(delegate().statusItem(), statusItem);
    EXPECT_EQ(delegate().settingsWindow(), settingsWindow);
    EXPECT_THAT(mac().userNotifications().authorizationRequests(), ElementsAre(6u));

    // A new process asks again.
    newProcess();
    launch();
    EXPECT_THAT(mac().userNotifications().authorizationRequests(), ElementsAre(6u, 6u));
}

TEST_F(AppDelegateTest, TheSettingsCommandOpensTheSettingsOnlyOnceTheWindowExists) {
    clearCalls();
    application().settingsCommand();  // no delegate installed yet
    mac().application().setDelegate(&delegate());
    application().settingsCommand();  // installed, but launching has not finished
    EXPECT_THAT(calls(), IsEmpty());

    completeFirstRun();
    launch();
    application().settingsCommand();
    const auto* window = mac().appWindows().window("settings.title");
    EXPECT_TRUE(window->visible && window->key);
    EXPECT_EQ(delegate().settingsScrollState().target.value(), SettingsTab::general);
}

TEST_F(AppDelegateTest, TheStatusMenuReachesTheSettingsTheUpdaterAndQuit) {
    completeFirstRun();
    launch();
    ASSERT_TRUE(mac().statusBar().choose(0, "menu.addDevice"));
    EXPECT_EQ(delegate().settingsScrollState().target.value(), SettingsTab::devices);
    ASSERT_TRUE(mac().statusBar().choose(0, "menu.checkForUpdates"));
    EXPECT_EQ(mac().softwareUpdater().checks(), 1);
    EXPECT_EQ(mac().softwareUpdater().starts(), 1);

    clearCalls();
    ASSERT_TRUE(mac().statusBar().choose(0, "menu.quit"));
    EXPECT_TRUE(mac().application().isTerminated());
    EXPECT_THAT(calls({"SymbolicHotKeys.setEnabled"}),
                ElementsAre("SymbolicHotKeys.setEnabled 1 on", "SymbolicHotKeys.setEnabled 2 on",
                            "SymbolicHotKeys.setEnabled 6 on", "SymbolicHotKeys.setEnabled 7 on"));
}

TEST_F(AppDelegateTest, TerminationHandsTheSystemSwitcherKeysBack) {
    completeFirstRun();
    launch();
    // Taken over meanwhile, as a Command-Tab trigger does.
    delegate().systemAppSwitcherHotKeys().applyReplacement(true, true);
    ASSERT_FALSE(mac().symbolicHotKeys().isEnabled(1));

    mac().application().terminate();
    for (const std::uint32_t hotKey : {1, 2, 6, 7})
        EXPECT_TRUE(mac().symbolicHotKeys().isEnabled(hotKey)) << hotKey;
    EXPECT_EQ(log_.lines().back(), "Tavelin symbolic hotkeys tab=1 grave=1");
}

TEST_F(AppDelegateTest, TerminationSwitchesTheKeysOnEvenWhenTheyWereNeverTaken) {
    completeFirstRun();
    launch();
    clearCalls();
    mac().application().terminate();
    // (The private call was looked up when the trigger engine first applied itself at start-up.)
    EXPECT_THAT(calls({"SymbolicHotKeys."}),
                ElementsAre("SymbolicHotKeys.setEnabled 1 on",
                            "SymbolicHotKeys.setEnabled 2 on", "SymbolicHotKeys.setEnabled 6 on",
                            "SymbolicHotKeys.setEnabled 7 on"));
}

}  // namespace
}  // namespace tavelin
