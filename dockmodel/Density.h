#pragma once

// The panel's spacing, chosen outright or left to the resolver.

#include <optional>
#include <span>
#include <string_view>

#include "protocol/EnumText.h"
#include "protocol/JsonCodingForward.h"

namespace tavelin {

// Tightest first.
enum class Density { compact, regular, spacious };

template <>
struct EnumText<Density> {
    static constexpr std::string_view names[] = {"compact", "regular", "spacious"};
};

// `fixed(density)` or `auto`. On the wire {"fixed":{"_0":"regular"}} or {"auto":{}}.
struct DensityPreference {
    static constexpr std::string_view typeName = "DensityPreference";

    std::optional<Density> fixedDensity;  // absent: auto

    static DensityPreference fixed(Density density) { return {density}; }
    static DensityPreference automatic() { return {}; }
    bool isAuto() const { return !fixedDensity; }

    friend bool operator==(const DensityPreference&, const DensityPreference&) = default;
};

void toJSON(JsonWriter& w, const DensityPreference& preference);
bool fromJSON(const JsonValue& v, DensityPreference& preference);

namespace DensityResolver {

// A fixed preference wins whatever the widths. `auto` measures one set of tier widths for every
// candidate, so it can only tell "everything fits" (spacious; no tiers fit trivially) from "something
// does not" (compact). A width that is not a number never fits.
Density resolve(const DensityPreference& preference, std::span<const double> tierWidths, double available);

}  // namespace DensityResolver

}  // namespace tavelin
