#pragma once

// One folder's listing as the folder popover and the paired devices see it. A listing that failed is
// still a whole snapshot: isReadable false with an errorReason ("not a folder", "missing",
// "permission", "unreadable" or "pending").

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "protocol/DockEnums.h"
#include "protocol/Identifiers.h"
#include "protocol/JsonCodingForward.h"
#include "protocol/Timestamp.h"

namespace tavelin {

// The same texts as DockItemKind, but a type of its own.
enum class FolderChildKind { app, folder, file, url, trash, unknown };

template <>
struct EnumText<FolderChildKind> {
    static constexpr std::string_view names[] = {"app", "folder", "file", "url", "trash", "unknown"};
};

struct FolderChild {
    static constexpr std::string_view typeName = "FolderChild";

    ChildID childID;
    FolderChildKind kind = FolderChildKind::file;
    std::string title;
    std::optional<std::string> path;
    std::optional<IconToken> iconToken;
    std::int64_t childIndex = 0;
    bool isReadable = true;
    std::optional<Timestamp> modifiedAt;

    const ChildID& id() const { return childID; }

    friend bool operator==(const FolderChild&, const FolderChild&) = default;
};

struct FolderSnapshot {
    static constexpr std::string_view typeName = "FolderSnapshot";

    ItemID folderID;
    ItemID parentItemID;
    std::string title;
    std::optional<std::string> path;
    FolderDisplayMode displayMode = FolderDisplayMode::automatic;
    std::int64_t revision = 0;
    std::vector<FolderChild> children;
    bool isReadable = true;
    std::optional<std::string> errorReason;

    bool prefersListLayout() const { return displayMode == FolderDisplayMode::list; }

    friend bool operator==(const FolderSnapshot&, const FolderSnapshot&) = default;
};

void toJSON(JsonWriter& w, const FolderChild& child);
bool fromJSON(const JsonValue& v, FolderChild& child);
void toJSON(JsonWriter& w, const FolderSnapshot& snapshot);
bool fromJSON(const JsonValue& v, FolderSnapshot& snapshot);

}  // namespace tavelin
