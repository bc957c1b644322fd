#include <gmock/gmock.h>

#include "mac/app/tests/AppWorld.h"

namespace tavelin {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class ShellTest : public AppWorld {
  protected:
    StatusItemController makeStatusItem(StatusItemController::Actions actions = {}) {
        return StatusItemController(services().settings, std::move(actions), mac().statusBar(),
                                    scheduler_.main());
    }
    SettingsWindowController makeSettingsWindow() {
        return SettingsWindowController(services(), scrollState_, mac().application(), mac().appWindows());
    }
    OnboardingWindowController makeOnboardingWindow() {
        return OnboardingWindowController(services(), defaults(), mac().application(), mac().appWindows());
    }

    SettingsScrollState scrollState_;
};

TEST_F(ShellTest, TheStatusItemShowsItsSymbolAndMenuAndRunsTheChosenAction) {
    std::vector<std::string> chosen;
    auto record = [&](std::string name) { return [&chosen, name] { chosen.push_back(name); }; };
    auto controller = makeStatusItem(
        {record("switcher"), record("settings"), record("device"), record("updates"), record("quit")});
    ASSERT_EQ(mac().statusBar().items().size(), 1u);
    const auto& item = *mac().statusBar().items()[0];
    EXPECT_EQ(item.image, (StatusItemImage{"dock.rectangle", true, "Tavelin"}));
    std::vector<std::string> titles;
    for (const auto& row : item.menu) titles.push_back(row.title);
    EXPECT_THAT(titles, ElementsAre("menu.showSwitcher", "", "menu.settings", "menu.addDevice",
                                    "menu.checkForUpdates", "", "menu.quit"));

    for (const auto* title :
         {"menu.quit", "menu.addDevice", "menu.showSwitcher", "menu.checkForUpdates", "menu.settings"}) {
        EXPECT_TRUE(mac().statusBar().choose(0, title)) << title;
    }
    EXPECT_THAT(chosen, ElementsAre("quit", "device", "switcher", "updates", "settings"));
}

TEST_F(ShellTest, TheStatusItemFollowsShowStatusItemWithoutARestart) {
    defaults().set("showStatusItem", PlistValue(false));
    newProcess();
    clearCalls();
    auto controller = makeStatusItem();
    // Made, then hidden at once.
    EXPECT_THAT(calls({"StatusBar."}), ElementsAre("StatusBar.makeItem", "StatusBar.setImage dock.rectangle",
                                                   "StatusBar.setMenu", "StatusBar.setVisible off"));
    EXPECT_FALSE(controller.item().isVisible());

    services().settings.showStatusItem = true;
    // The announcement comes before the value changes: the item follows once the main queue runs.
    scheduler_.runUntilIdle();
    EXPECT_TRUE(controller.item().isVisible());

    services().settings.showStatusItem = false;
    scheduler_.runUntilIdle();
    EXPECT_FALSE(controller.item().isVisible());
}

TEST_F(ShellTest, TheSettingsWindowTurnsTheAccessoryRegularWhileItShows) {
    auto controller = makeSettingsWindow();
    const auto* window = mac().appWindows().window("settings.title");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->configuration,
              (AppWindowConfiguration{"SettingsRootView",
                                      {520, 620},
                                      kWindowStyleTitled | kWindowStyleClosable | kWindowStyleMiniaturizable,
                                      true,
                                      false,
                                      "settings.title",
                                      false,
                                      true}));
    EXPECT_FALSE(window->visible);
    EXPECT_FALSE(controller.restoresAccessoryActivationPolicy());

    clearCalls();
    controller.show(SettingsTab::devices);
    EXPECT_EQ(scrollState_.target.value(), SettingsTab::devices);
    EXPECT_THAT(
        calls({"Application.", "Windows."}),
        ElementsAre("Application.setActivationPolicy regular", "Application.activate ignoringOtherApps",
                    "Windows.center settings.title", "Windows.show settings.title"));
    EXPECT_TRUE(window->visible && window->centred && window->key && window->front);
    EXPECT_EQ(mac().workspace().frontmostApplication()->bundleIdentifier, "jp.fenwold.lomaret");

    // Shown again while it shows: already regular, nothing to restore twice.
    controller.show(SettingsTab::general);
    EXPECT_EQ(scrollState_.target.value(), SettingsTab::general);
    ASSERT_TRUE(mac().appWindows().userCloses("settings.title"));
    EXPECT_EQ(mac().application().activationPolicy(), RawActivationPolicy::accessory);
    EXPECT_FALSE(window->visible);
    EXPECT_THAT(
        calls({"Application.setActivationPolicy"}),
        ElementsAre("Application.setActivationPolicy regular", "Application.setActivationPolicy accessory"));
}

TEST_F(ShellTest, ARegularApplicationStaysRegularWhenTheWindowCloses) {
    mac().application().setActivationPolicy(RawActivationPolicy::regular);
    auto controller = makeSettingsWindow();
    controller.show(SettingsTab::general);
    ASSERT_TRUE(mac().appWindows().userCloses("settings.title"));
    EXPECT_EQ(mac().application().activationPolicy(), RawActivationPolicy::regular);
}

TEST_F(ShellTest, TheFirstRunWindowShowsUntilTheFlowIsCompleted) {
    auto controller = makeOnboardingWindow();
    const auto* window = mac().appWindows().window("Tavelin");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->configuration, (AppWindowConfiguration{"OnboardingView",
                                                             {560, 520},
                                                             kWindowStyleTitled | kWindowStyleClosable,
                                                             true,
                                                             false,
                                                             "Tavelin",
                                                             false,
                                                             false}));
    controller.showIfNeeded();
    EXPECT_TRUE(window->visible && window->key);
    EXPECT_EQ(mac().application().activationPolicy(), RawActivationPolicy::regular);

    // Completing it records the version, applies launch at login (on by default) and closes it.
    controller.complete();
    EXPECT_EQ(defaults().integerForKey("onboarding.completedVersion"), 1);
    EXPECT_TRUE(mac().loginItems().isRegistered());
    EXPECT_FALSE(window->visible);
    EXPECT_EQ(mac().application().activationPolicy(), RawActivationPolicy::accessory);

    clearCalls();
    controller.showIfNeeded();
    EXPECT_THAT(calls({"Windows.", "Application."}), IsEmpty());
}

TEST_F(ShellTest, ReplacingCommandTabOnlySwitchesItsPairOff) {
    auto& keys = delegate().systemAppSwitcherHotKeys();
    keys.applyReplacement(true, false);
    EXPECT_THAT(calls({"SymbolicHotKeys."}),
                ElementsAre("SymbolicHotKeys.lookUp", "SymbolicHotKeys.setEnabled 1 off",
                            "SymbolicHotKeys.setEnabled 2 off", "SymbolicHotKeys.setEnabled 6 on",
                            "SymbolicHotKeys.setEnabled 7 on"));
    EXPECT_THAT(log_.lines(), ElementsAre("Tavelin symbolic hotkeys tab=0 grave=1"));

    keys.applyReplacement(false, true);
    EXPECT_TRUE(mac().symbolicHotKeys().isEnabled(1));
    EXPECT_FALSE(mac().symbolicHotKeys().isEnabled(7));
    EXPECT_EQ(log_.lines().back(), "Tavelin symbolic hotkeys tab=1 grave=0");
}

TEST_F(ShellTest, WithoutThePrivateCallNothingIsAppliedAndThatIsLoggedOnce) {
    mac().symbolicHotKeys().setAvailable(false);
    auto& keys = delegate().systemAppSwitcherHotKeys();
    keys.applyReplacement(true, true);
    keys.applyReplacement(false, false);
    EXPECT_THAT(calls({"SymbolicHotKeys."}), ElementsAre("SymbolicHotKeys.lookUp"));
    EXPECT_THAT(log_.lines(), ElementsAre("Tavelin: CGSSetSymbolicHotKeyEnabled not found"));
}

}  // namespace
}  // namespace tavelin
