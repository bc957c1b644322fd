#pragma once

// The one settings store of the process. Every setting is a published value backed by one key of the
// program's user-defaults domain: read once here, with its default, and written back at once on every
// assignment (nothing is saved at termination, and a change made to the domain by another process after
// start is not seen). Values of the wrong type and unknown texts read as the setting's default.
//
//     settings.triggerKey = "F1";                      // announced, then in effect, then written
//     auto code = settings.triggerKeyCode();           // 48: F1 is no key of the table, so Tab
//     subscription_ = settings.hiddenApps.publisher().dropFirst().sink(...);
//
// Built first of all services and never freed; lives on the main thread (`main`), where its setters run
// and its announcements are delivered, and where every value is read. Consumers on other threads take a
// copy of a value on the main thread.

#include <cstdint>
#include <string>
#include <vector>

#include "dockmodel/PresentationOptions.h"
#include "mac/settings/SettingEnumerations.h"
#include "mac/settings/StoredSetting.h"
#include "mac/settings/TriggerSettings.h"
#include "platform/HostInfo.h"
#include "platform/MouseEvent.h"
#include "platform/UserDefaults.h"
#include "protocol/DockEnums.h"
#include "runtime/ObservableObject.h"
#include "runtime/Queue.h"

namespace tavelin {

// A stored "focus" starts the program in the automatic mode; "focus" chosen while it runs stays until
// the next start.
struct AfterReleaseRead {
    AfterReleaseMode operator()(const UserDefaults& defaults, std::string_view key) const;
};

class AppSettings : public ObservableObject {
  public:
    // `defaults` is the program's own domain; the host gives the default name of this Mac.
    AppSettings(UserDefaults& defaults, const HostInfo& host, const Queue& main);

  private:
    UserDefaults& defaults_;
    const HostInfo& host_;

  public:
    // In the order in which they are read.
    StoredSetting<bool> launchAtLogin{*this, defaults_, "launchAtLogin", ObjectBoolRead{true}};
    StoredSetting<bool> showStatusItem{*this, defaults_, "showStatusItem", ObjectBoolRead{true}};
    StoredSetting<std::string> macDisplayName{*this, defaults_, "macDisplayName",
                                              StringRead{host_.localizedName().value_or("Mac")}};
    StoredSetting<TriggerModifiers> triggerModifiers{*this, defaults_, "trigger.modifiers",
                                                     EnumRead{TriggerModifiers::option}};
    StoredSetting<std::string> triggerKey{*this, defaults_, "trigger.key", StringRead{"Tab"}};
    StoredSetting<TriggerMouseButton> triggerMouseButton{*this, defaults_, "trigger.mouseButton",
                                                         EnumRead{TriggerMouseButton::none}};
    StoredSetting<ItemStyleSetting> itemStyle{*this, defaults_, "appearance.itemStyle",
                                              EnumRead{ItemStyleSetting::iconLabel}};
    StoredSetting<ThemeSetting> theme{*this, defaults_, "appearance.theme", EnumRead{ThemeSetting::system}};
    StoredSetting<AfterReleaseMode> afterRelease{*this, defaults_, "appearance.afterRelease",
                                                 AfterReleaseRead{}};
    StoredSetting<bool> showSeparators{*this, defaults_, "appearance.showSeparators", ObjectBoolRead{true}};
    StoredSetting<bool> reproduceSpacers{*this, defaults_, "appearance.reproduceSpacers",
                                         ObjectBoolRead{true}};
    StoredSetting<bool> showUnavailableItems{*this, defaults_, "appearance.showUnavailableItems",
                                             ObjectBoolRead{true}};
    StoredSetting<bool> wrapWithinTier{*this, defaults_, "appearance.wrapWithinTier", BoolRead{}};
    StoredSetting<AnimationPreset> animationFolder{*this, defaults_, "animation.folder",
                                                   EnumRead{AnimationPreset::standard}};
    StoredSetting<bool> respectReduceMotion{*this, defaults_, "animation.respectReduceMotion",
                                            ObjectBoolRead{true}};
    StoredSetting<TargetScreenSetting> targetScreen{*this, defaults_, "appearance.targetScreen",
                                                    EnumRead{TargetScreenSetting::mouseScreen}};
    StoredSetting<bool> moveWindowToReferenceDisplayOnActivate{
        *this, defaults_, "window.moveToReferenceDisplayOnActivate", ObjectBoolRead{true}};
    StoredSetting<HiddenAppsSetting> hiddenApps{*this, defaults_, "filter.hiddenApps",
                                                EnumRead{HiddenAppsSetting::dim}};
    StoredSetting<std::vector<std::string>> excludedBundleIDs{*this, defaults_, "filter.excludedBundleIDs",
                                                              StringListRead{}};
    StoredSetting<RunningAppsSort> runningAppsSort{*this, defaults_, "sort.runningApps",
                                                   EnumRead{RunningAppsSort::recentlyUsed}};
    StoredSetting<FolderArrangement> folderChildrenSort{*this, defaults_, "sort.folderChildren",
                                                        EnumRead{FolderArrangement::dockDefault}};
    StoredSetting<bool> pairingAcceptNew{*this, defaults_, "pairing.acceptNew", ObjectBoolRead{true}};
    // The updater's own key.
    StoredSetting<bool> sparkleAutomaticChecks{*this, defaults_, "SUEnableAutomaticChecks",
                                               ObjectBoolRead{true}};

    // The panel model's options from the presentation settings; computed on each call.
    PresentationOptions presentationOptions() const;

    // --- The trigger, derived on each call ---
    std::uint32_t triggerKeyCode() const { return keyCodeForKeyName(triggerKey.value()); }
    bool replacesSystemCommandTab() const {
        return tavelin::replacesSystemCommandTab(triggerModifiers.value(), triggerKeyCode());
    }
    bool replacesSystemCommandGrave() const {
        return tavelin::replacesSystemCommandGrave(triggerModifiers.value(), triggerKeyCode());
    }
    bool triggerMouseButtonMatches(const MouseEvent& event) const {
        return mouseButtonMatches(triggerMouseButton.value(), event);
    }
};

}  // namespace tavelin
