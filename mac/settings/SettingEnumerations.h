#pragma once

// The settings' own enumerations. Each case is stored under its raw text (the case name); cases are in
// the order in which the settings window offers them.

#include <string_view>

#include "protocol/EnumText.h"

namespace tavelin {

enum class ItemStyleSetting { icon, iconLabel, list };
enum class ThemeSetting { light, dark, system };
// `automatic` is stored as "auto".
enum class AfterReleaseMode { automatic, focus, hold, search };
// `brief` is stored as "short".
enum class AnimationPreset { standard, brief, none };
enum class TargetScreenSetting { mouseScreen, mainScreen, activeAppScreen };
enum class HiddenAppsSetting { show, dim, hide };

template <>
struct EnumText<ItemStyleSetting> {
    static constexpr std::string_view names[] = {"icon", "iconLabel", "list"};
};
template <>
struct EnumText<ThemeSetting> {
    static constexpr std::string_view names[] = {"light", "dark", "system"};
};
template <>
struct EnumText<AfterReleaseMode> {
    static constexpr std::string_view names[] = {"auto", "focus", "hold", "search"};
};
template <>
struct EnumText<AnimationPreset> {
    static constexpr std::string_view names[] = {"standard", "short", "none"};
};
template <>
struct EnumText<TargetScreenSetting> {
    static constexpr std::string_view names[] = {"mouseScreen", "mainScreen", "activeAppScreen"};
};
template <>
struct EnumText<HiddenAppsSetting> {
    static constexpr std::string_view names[] = {"show", "dim", "hide"};
};

}  // namespace tavelin
