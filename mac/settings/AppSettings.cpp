#include "mac/settings/AppSettings.h"

namespace tavelin {
namespace {

HiddenAppsMode hiddenAppsMode(HiddenAppsSetting setting) {
    switch (setting) {
        case HiddenAppsSetting::show:
            return HiddenAppsMode::show;
        case HiddenAppsSetting::dim:
            return HiddenAppsMode::dimmed;
        case HiddenAppsSetting::hide:
            return HiddenAppsMode::hide;
    }
    return HiddenAppsMode::dimmed;
}

ItemStyle itemStyleFor(ItemStyleSetting setting) {
    switch (setting) {
        case ItemStyleSetting::icon:
            return ItemStyle::icon;
        case ItemStyleSetting::iconLabel:
            return ItemStyle::iconLabel;
        case ItemStyleSetting::list:
            return ItemStyle::list;
    }
    return ItemStyle::iconLabel;
}

}  // namespace

AfterReleaseMode AfterReleaseRead::operator()(const UserDefaults& defaults, std::string_view key) const {
    const auto mode = EnumRead<AfterReleaseMode>{AfterReleaseMode::automatic}(defaults, key);
    return mode == AfterReleaseMode::focus ? AfterReleaseMode::automatic : mode;
}

AppSettings::AppSettings(UserDefaults& defaults, const HostInfo& host, const Queue& main)
    : ObservableObject(main), defaults_(defaults), host_(host) {}

PresentationOptions AppSettings::presentationOptions() const {
    // Background-only applications, the running order and the search text are not settings: the
    // panel always hides the first, keeps the recent order and starts without a search.
    return PresentationOptions{
        .showSeparators = showSeparators.value(),
        .reproduceSpacers = reproduceSpacers.value(),
        .showUnavailableItems = showUnavailableItems.value(),
        .hiddenAppsMode = hiddenAppsMode(hiddenApps.value()),
        .backgroundOnlyAppsMode = BackgroundOnlyAppsMode::hide,
        .runningSort = RunningAppsSort::recentlyUsed,
        .folderChildrenSort = folderChildrenSort.value(),
        .filterText = "",
        .itemStyle = itemStyleFor(itemStyle.value()),
    };
}

}  // namespace tavelin
