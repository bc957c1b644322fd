#pragma once

// The enumerations of dock items and separators; their raw texts are their case names.

#include <string_view>

#include "protocol/EnumText.h"

namespace tavelin {

enum class DockRegion { fixedApps, runningApps, dockOthers };
enum class DockItemKind { app, folder, file, url, trash, unknown };
enum class ActivationPolicy { regular, accessory, prohibited, unknown };
enum class FolderDisplayMode { fan, grid, list, automatic, unknown };
enum class FolderArrangement { name, dateAdded, dateModified, dateCreated, kind, dockDefault };
enum class RunningAppsSort { recentlyUsed, launchOrder, name };
enum class SeparatorKind { separator, spacer, smallSpacer };

template <>
struct EnumText<DockRegion> {
    static constexpr std::string_view names[] = {"fixedApps", "runningApps", "dockOthers"};
};
template <>
struct EnumText<DockItemKind> {
    static constexpr std::string_view names[] = {"app", "folder", "file", "url", "trash", "unknown"};
};
template <>
struct EnumText<ActivationPolicy> {
    static constexpr std::string_view names[] = {"regular", "accessory", "prohibited", "unknown"};
};
template <>
struct EnumText<FolderDisplayMode> {
    static constexpr std::string_view names[] = {"fan", "grid", "list", "automatic", "unknown"};
};
template <>
struct EnumText<FolderArrangement> {
    static constexpr std::string_view names[] = {"name", "dateAdded", "dateModified", "dateCreated", "kind",
                                                 "dockDefault"};
};
template <>
struct EnumText<RunningAppsSort> {
    static constexpr std::string_view names[] = {"recentlyUsed", "launchOrder", "name"};
};
template <>
struct EnumText<SeparatorKind> {
    static constexpr std::string_view names[] = {"separator", "spacer", "smallSpacer"};
};

}  // namespace tavelin
