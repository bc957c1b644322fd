#pragma once

// How a caller asks for a dock snapshot to be turned into the panel's tiers of cells: which
// separators and spacers to keep, which applications to leave out, the search text, and how cells are
// drawn. The builder reads the first five fields and the filter text; the sorts and the item style pass
// through to the panel's views.

#include <string>
#include <string_view>

#include "protocol/DockEnums.h"
#include "protocol/EnumText.h"
#include "protocol/JsonCodingForward.h"

namespace tavelin {

enum class ItemStyle { icon, iconLabel, list };
// Only `hide` changes what is built; `dimmed` is the panel's drawing.
enum class HiddenAppsMode { show, dimmed, hide };
// Only `hide` changes what is built; `trailing` and `show` keep non-regular applications alike.
enum class BackgroundOnlyAppsMode { hide, trailing, show };

template <>
struct EnumText<ItemStyle> {
    static constexpr std::string_view names[] = {"icon", "iconLabel", "list"};
};
template <>
struct EnumText<HiddenAppsMode> {
    static constexpr std::string_view names[] = {"show", "dimmed", "hide"};
};
template <>
struct EnumText<BackgroundOnlyAppsMode> {
    static constexpr std::string_view names[] = {"hide", "trailing", "show"};
};

struct PresentationOptions {
    static constexpr std::string_view typeName = "PresentationOptions";

    bool showSeparators = false;        // each kept separator ends a tier
    bool reproduceSpacers = false;      // keep small spacers; ordinary spacers are always kept
    bool showUnavailableItems = false;  // keep items whose target is missing
    HiddenAppsMode hiddenAppsMode = HiddenAppsMode::show;
    BackgroundOnlyAppsMode backgroundOnlyAppsMode = BackgroundOnlyAppsMode::hide;
    RunningAppsSort runningSort = RunningAppsSort::recentlyUsed;
    FolderArrangement folderChildrenSort = FolderArrangement::dockDefault;
    std::string filterText;  // empty (no characters at all) means no search
    ItemStyle itemStyle = ItemStyle::iconLabel;

    friend bool operator==(const PresentationOptions&, const PresentationOptions&) = default;
};

// Every key is written, and every key is required on reading.
void toJSON(JsonWriter& w, const PresentationOptions& options);
bool fromJSON(const JsonValue& v, PresentationOptions& options);

}  // namespace tavelin
