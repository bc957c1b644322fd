#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "mac/settings/AppSettings.h"
#include "platform/PlistFile.h"
#include "platform/sim/SimMac.h"
#include "platform/tests/PlistPrinting.h"
#include "platform/tests/TemporaryFolder.h"
#include "runtime/VirtualScheduler.h"

namespace tavelin {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Optional;

class AppSettingsTest : public ::testing::Test {
  protected:
    // Starts the program (again): a new simulated Mac over the same home folder, whose preference file
    // holds `stored` when given, and a new store over it. Earlier ones stay alive but unused.
    AppSettings& start(const PlistDict& stored) {
        EXPECT_TRUE(
            writePlistFile(home_ / "Library/Preferences/jp.fenwold.lomaret.plist", stored, PlistFormat::xml));
        return start();
    }
    AppSettings& start() {
        macs_.push_back(
            std::make_unique<sim::SimMac>(sim::Desktop{.host = {.name = hostName_}}, home_.path(), scheduler_, log_));
        settings_.push_back(std::make_unique<AppSettings>(defaults(), macs_.back()->host(), scheduler_.main()));
        return *settings_.back();
    }
    UserDefaults& defaults() { return macs_.back()->standardUserDefaults(); }

    TemporaryFolder home_;
    VirtualScheduler scheduler_;
    CapturedSystemLog log_;
    std::optional<std::string> hostName_;
    std::vector<std::unique_ptr<sim::SimMac>> macs_;
    std::vector<std::unique_ptr<AppSettings>> settings_;
};

TEST_F(AppSettingsTest, AnEmptyDomainGivesExactlyTheDefaults) {
    auto& settings = start();
    EXPECT_TRUE(settings.launchAtLogin.value());
    EXPECT_TRUE(settings.showStatusItem.value());
    EXPECT_EQ(settings.macDisplayName.value(), "Mac");
    EXPECT_EQ(settings.triggerModifiers.value(), TriggerModifiers::option);
    EXPECT_EQ(settings.triggerKey.value(), "Tab");
    EXPECT_EQ(settings.triggerMouseButton.value(), TriggerMouseButton::none);
    EXPECT_EQ(settings.itemStyle.value(), ItemStyleSetting::iconLabel);
    EXPECT_EQ(settings.theme.value(), ThemeSetting::system);
    EXPECT_EQ(settings.afterRelease.value(), AfterReleaseMode::automatic);
    EXPECT_TRUE(settings.showSeparators.value());
    EXPECT_TRUE(settings.reproduceSpacers.value());
    EXPECT_TRUE(settings.showUnavailableItems.value());
    EXPECT_FALSE(settings.wrapWithinTier.value());
    EXPECT_EQ(settings.animationFolder.value(), AnimationPreset::standard);
    EXPECT_TRUE(settings.respectReduceMotion.value());
    EXPECT_EQ(settings.targetScreen.value(), TargetScreenSetting::mouseScreen);
    EXPECT_TRUE(settings.moveWindowToReferenceDisplayOnActivate.value());
    EXPECT_EQ(settings.hiddenApps.value(), HiddenAppsSetting::dim);
    EXPECT_THAT(settings.excludedBundleIDs.value(), IsEmpty());
    EXPECT_EQ(settings.runningAppsSort.value(), RunningAppsSort::recentlyUsed);
    EXPECT_EQ(settings.folderChildrenSort.value(), FolderArrangement::dockDefault);
    EXPECT_TRUE(settings.pairingAcceptNew.value());
    EXPECT_TRUE(settings.sparkleAutomaticChecks.value());
    EXPECT_EQ(settings.triggerKeyCode(), 48u);
    // Reading writes nothing.
    EXPECT_FALSE(std::filesystem::exists(defaults().file()));
}

TEST_F(AppSettingsTest, TheMacIsNamedAfterTheHostUnlessANameIsStored) {
    hostName_ = "Studio Mac";
    EXPECT_EQ(start().macDisplayName.value(), "Studio Mac");
    EXPECT_EQ(start(PlistDict{{"macDisplayName", ""}}).macDisplayName.value(), "");
}

TEST_F(AppSettingsTest, OddStoredValuesReadAsTheTableSays) {
    auto& settings = start(PlistDict{
        {"trigger.modifiers", "Option"},
        {"trigger.mouseButton", "button4"},
        {"trigger.key", " F1 "},
        {"appearance.afterRelease", "hold"},
        {"appearance.theme", 3},
        {"appearance.showSeparators", false},
        {"appearance.reproduceSpacers", 0},
        {"appearance.showUnavailableItems", "NO"},
        {"animation.respectReduceMotion", 2},
        {"appearance.wrapWithinTier", "yes"},
        {"animation.folder", "short"},
        {"filter.hiddenApps", "dimmed"},
        {"filter.excludedBundleIDs", PlistArray{"com.apple.Safari", 7}},
        {"sort.runningApps", "name"},
        {"sort.folderChildren", "dateAdded"},
        {"macDisplayName", 42},
        {"launchAtLogin", 1.0},
        {"SUEnableAutomaticChecks", false},
    });
    EXPECT_EQ(settings.triggerModifiers.value(), TriggerModifiers::option);
    EXPECT_EQ(settings.triggerMouseButton.value(), TriggerMouseButton::button4);
    EXPECT_EQ(settings.triggerKey.value(), " F1 ");
    EXPECT_EQ(settings.afterRelease.value(), AfterReleaseMode::hold);
    EXPECT_EQ(settings.theme.value(), ThemeSetting::system);
    EXPECT_FALSE(settings.showSeparators.value());
    EXPECT_FALSE(settings.reproduceSpacers.value());
    EXPECT_TRUE(settings.showUnavailableItems.value());  // a text is no Boolean object
    EXPECT_TRUE(settings.respectReduceMotion.value());   // nor is a 2
    EXPECT_TRUE(settings.wrapWithinTier.value());        // the Boolean read takes "yes"
    EXPECT_EQ(settings.animationFolder.value(), AnimationPreset::brief);
    EXPECT_EQ(settings.hiddenApps.value(), HiddenAppsSetting::dim);
    EXPECT_THAT(settings.excludedBundleIDs.value(), IsEmpty());
    EXPECT_EQ(settings.runningAppsSort.value(), RunningAppsSort::name);
    EXPECT_EQ(settings.folderChildrenSort.value(), FolderArrangement::dateAdded);
    EXPECT_EQ(settings.macDisplayName.value(), "42");
    EXPECT_TRUE(settings.launchAtLogin.value());
    EXPECT_FALSE(settings.sparkleAutomaticChecks.value());
}

TEST_F(AppSettingsTest, EnumerationTextsAreExact) {
    EXPECT_EQ(start(PlistDict{{"trigger.modifiers", "alt"}}).triggerModifiers.value(),
              TriggerModifiers::option);
    EXPECT_EQ(start(PlistDict{{"trigger.modifiers", "controlOption"}}).triggerModifiers.value(),
              TriggerModifiers::controlOption);
    EXPECT_EQ(start(PlistDict{{"appearance.afterRelease", "search"}}).afterRelease.value(),
              AfterReleaseMode::search);
    EXPECT_EQ(start(PlistDict{{"appearance.afterRelease", "Hold"}}).afterRelease.value(),
              AfterReleaseMode::automatic);
    EXPECT_EQ(
        start(PlistDict{{"filter.excludedBundleIDs", PlistArray{"a.b", "c.d"}}}).excludedBundleIDs.value(),
        (std::vector<std::string>{"a.b", "c.d"}));
}

TEST_F(AppSettingsTest, FocusAfterReleaseLastsUntilTheNextStart) {
    auto& settings = start(PlistDict{{"appearance.afterRelease", "focus"}});
    EXPECT_EQ(settings.afterRelease.value(), AfterReleaseMode::automatic);

    settings.afterRelease = AfterReleaseMode::focus;
    EXPECT_EQ(settings.afterRelease.value(), AfterReleaseMode::focus);
    EXPECT_THAT(defaults().stringForKey("appearance.afterRelease"), Optional(std::string("focus")));
    EXPECT_EQ(start().afterRelease.value(), AfterReleaseMode::automatic);
}

TEST_F(AppSettingsTest, EveryAssignmentIsWrittenAsItStandsAlsoAnUnchangedOne) {
    auto& settings = start();
    settings.triggerKey = " F1 ";
    settings.excludedBundleIDs = {"com.apple.Safari", "com.apple.mail"};
    settings.animationFolder = AnimationPreset::brief;
    settings.showSeparators = false;
    settings.macDisplayName = "Studio";

    // Taken away behind the store's back, an unchanged value is written again.
    defaults().removeObject("pairing.acceptNew");
    settings.pairingAcceptNew = true;

    const auto file = readPlistFile(defaults().file());
    ASSERT_TRUE(file) << file.error().message;
    EXPECT_EQ(*file, PlistValue(PlistDict{
                         {"trigger.key", " F1 "},
                         {"filter.excludedBundleIDs", PlistArray{"com.apple.Safari", "com.apple.mail"}},
                         {"animation.folder", "short"},
                         {"appearance.showSeparators", false},
                         {"macDisplayName", "Studio"},
                         {"pairing.acceptNew", true},
                     }));

    auto& restarted = start();
    EXPECT_EQ(restarted.triggerKey.value(), " F1 ");
    EXPECT_EQ(restarted.animationFolder.value(), AnimationPreset::brief);
    EXPECT_FALSE(restarted.showSeparators.value());
}

TEST_F(AppSettingsTest, AnAssignmentIsAnnouncedBeforeItTakesEffectAndBeforeItIsWritten) {
    auto& settings = start();
    defaults().set("filter.hiddenApps", "show");
    std::vector<std::string> seen;
    const auto record = [&](std::string_view who) {
        seen.push_back(std::string(who) + " " + std::string(toString(settings.hiddenApps.value())) + " " +
                       defaults().stringForKey("filter.hiddenApps").value_or("-"));
    };
    const auto whole = settings.objectWillChange().sink([&](std::monostate) { record("object"); });
    const auto one = settings.hiddenApps.publisher().dropFirst().sink([&](HiddenAppsSetting announced) {
        record("value");
        seen.push_back("announced " + std::string(toString(announced)));
    });

    settings.hiddenApps = HiddenAppsSetting::hide;
    settings.hiddenApps = HiddenAppsSetting::hide;
    EXPECT_THAT(seen, ElementsAre("object dim show", "value dim show", "announced hide", "object hide hide",
                                  "value hide hide", "announced hide"));
    EXPECT_EQ(settings.hiddenApps.value(), HiddenAppsSetting::hide);
}

TEST_F(AppSettingsTest, PresentationOptionsFollowTheSettings) {
    auto& settings = start();
    PresentationOptions expected{
        .showSeparators = true,
        .reproduceSpacers = true,
        .showUnavailableItems = true,
        .hiddenAppsMode = HiddenAppsMode::dimmed,
        .backgroundOnlyAppsMode = BackgroundOnlyAppsMode::hide,
        .runningSort = RunningAppsSort::recentlyUsed,
        .folderChildrenSort = FolderArrangement::dockDefault,
        .filterText = "",
        .itemStyle = ItemStyle::iconLabel,
    };
    EXPECT_EQ(settings.presentationOptions(), expected);

    settings.showSeparators = false;
    settings.reproduceSpacers = false;
    settings.showUnavailableItems = false;
    settings.hiddenApps = HiddenAppsSetting::hide;
    settings.runningAppsSort = RunningAppsSort::name;  // not carried: the panel keeps the recent order
    settings.folderChildrenSort = FolderArrangement::kind;
    settings.itemStyle = ItemStyleSetting::list;
    expected.showSeparators = false;
    expected.reproduceSpacers = false;
    expected.showUnavailableItems = false;
    expected.hiddenAppsMode = HiddenAppsMode::hide;
    expected.folderChildrenSort = FolderArrangement::kind;
    expected.itemStyle = ItemStyle::list;
    EXPECT_EQ(settings.presentationOptions(), expected);

    settings.hiddenApps = HiddenAppsSetting::show;
    settings.itemStyle = ItemStyleSetting::icon;
    EXPECT_EQ(settings.presentationOptions().hiddenAppsMode, HiddenAppsMode::show);
    EXPECT_EQ(settings.presentationOptions().itemStyle, ItemStyle::icon);
}

TEST_F(AppSettingsTest, TriggerValuesFollowTheCurrentSettings) {
    auto& settings = start();
    EXPECT_FALSE(settings.replacesSystemCommandTab());

    settings.triggerModifiers = TriggerModifiers::command;
    EXPECT_TRUE(settings.replacesSystemCommandTab());
    settings.triggerKey = "Grave";
    EXPECT_EQ(settings.triggerKeyCode(), 50u);
    EXPECT_FALSE(settings.replacesSystemCommandTab());
    EXPECT_TRUE(settings.replacesSystemCommandGrave());
    settings.triggerModifiers = TriggerModifiers::optionCommand;
    EXPECT_FALSE(settings.replacesSystemCommandGrave());

    const MouseEvent middleDown{EventType::otherMouseDown, 2};
    EXPECT_FALSE(settings.triggerMouseButtonMatches(middleDown));
    settings.triggerMouseButton = TriggerMouseButton::middle;
    EXPECT_TRUE(settings.triggerMouseButtonMatches(middleDown));
    EXPECT_FALSE(settings.triggerMouseButtonMatches({EventType::otherMouseDown, 3}));
    EXPECT_FALSE(settings.triggerMouseButtonMatches({EventType::scrollWheel, 2}));
}

}  // namespace
}  // namespace tavelin
