#pragma once

// The Mac's privacy permissions as the paired devices see them, in the hello acknowledgement and in
// "permissions.changed".

#include <optional>

#include "protocol/JsonCodingForward.h"

namespace tavelin {

struct PermissionState {
    static constexpr std::string_view typeName = "PermissionState";

    bool accessibility = false;
    bool screenRecording = false;
    std::optional<bool> localNetwork;  // the Mac never reports it

    friend bool operator==(const PermissionState&, const PermissionState&) = default;
};

void toJSON(JsonWriter& w, const PermissionState& permissions);
bool fromJSON(const JsonValue& v, PermissionState& permissions);

}  // namespace tavelin
