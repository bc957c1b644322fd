#pragma once

// Icons for the paired devices, identified by their tokens: the request, the pictures, and the notice
// that pictures changed. An "icon.data" message carries a JSON array of IconData, not an object.

#include <cstdint>
#include <string>
#include <vector>

#include "protocol/Identifiers.h"
#include "protocol/JsonCodingForward.h"

namespace tavelin {

struct IconFetch {
    static constexpr std::string_view typeName = "IconFetch";

    std::vector<IconToken> tokens;

    friend bool operator==(const IconFetch&, const IconFetch&) = default;
};

struct IconData {
    static constexpr std::string_view typeName = "IconData";

    IconToken token;
    std::string pngBase64;       // taken as it is; the receiver decodes it when it uses the picture
    std::int64_t pixelSize = 0;  // the side the icon was rendered at

    friend bool operator==(const IconData&, const IconData&) = default;
};

struct IconInvalidated {
    static constexpr std::string_view typeName = "IconInvalidated";

    std::vector<IconToken> tokens;

    friend bool operator==(const IconInvalidated&, const IconInvalidated&) = default;
};

void toJSON(JsonWriter& w, const IconFetch& fetch);
bool fromJSON(const JsonValue& v, IconFetch& fetch);
void toJSON(JsonWriter& w, const IconData& icon);
bool fromJSON(const JsonValue& v, IconData& icon);
void toJSON(JsonWriter& w, const IconInvalidated& invalidated);
bool fromJSON(const JsonValue& v, IconInvalidated& invalidated);

}  // namespace tavelin
