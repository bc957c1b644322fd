#include "dockmodel/Density.h"

#include <algorithm>
#include <array>

#include "protocol/JsonCoding.h"

namespace tavelin {

namespace {
constexpr std::array<std::string_view, 2> kCaseNames = {"fixed", "auto"};
}

void toJSON(JsonWriter& w, const DensityPreference& preference) {
    if (preference.fixedDensity) {
        beginTaggedCase(w, "fixed");
        writeField(w, "_0", *preference.fixedDensity);
    } else {
        beginTaggedCase(w, "auto");
    }
    endTaggedCase(w);
}

bool fromJSON(const JsonValue& v, DensityPreference& preference) {
    TaggedCase tagged;
    if (!readTaggedUnion(v, kCaseNames, tagged)) return false;
    if (tagged.caseIndex == 1) {
        preference = DensityPreference::automatic();
        return true;
    }
    const DecodePath path(v.path(), kCaseNames[0]);
    ObjectReader r(v.at(tagged.payload, path));
    Density density{};
    r.required("_0", density);
    if (!r.ok()) return false;
    preference = DensityPreference::fixed(density);
    return true;
}

namespace DensityResolver {

Density resolve(const DensityPreference& preference, std::span<const double> tierWidths, double available) {
    if (preference.fixedDensity) return *preference.fixedDensity;
    const bool allFit =
        std::all_of(tierWidths.begin(), tierWidths.end(), [&](double width) { return width <= available; });
    return allFit ? Density::spacious : Density::compact;
}

}  // namespace DensityResolver

}  // namespace tavelin
