#pragma once

// A device asks for the listing of a folder item ("folder.open"), or of a folder below it.

#include <optional>
#include <string>

#include "protocol/Identifiers.h"
#include "protocol/JsonCodingForward.h"

namespace tavelin {

struct FolderOpenRequest {
    static constexpr std::string_view typeName = "FolderOpenRequest";

    ItemID itemID;
    std::optional<std::string> relativePath;  // a sub-folder of the item's folder
    std::optional<bool> userInitiated;

    friend bool operator==(const FolderOpenRequest&, const FolderOpenRequest&) = default;
};

void toJSON(JsonWriter& w, const FolderOpenRequest& request);
bool fromJSON(const JsonValue& v, FolderOpenRequest& request);

}  // namespace tavelin
