#pragma once

// Lets test failures show property-list values as text.

#include <ostream>

#include "platform/PlistFile.h"

namespace tavelin {

inline void PrintTo(const PlistValue& value, std::ostream* out) {
    const auto xml = serializePlist(value, PlistFormat::xml);
    *out << (xml ? *xml : "<" + xml.error().message + ">");
}

}  // namespace tavelin
