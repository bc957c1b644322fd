#include "mac/settings/StoredSetting.h"

namespace tavelin {

PlistValue settingPlistValue(const std::vector<std::string>& values) {
    PlistArray array;
    array.reserve(values.size());
    for (const auto& value : values) array.emplace_back(value);
    return array;
}

bool ObjectBoolRead::operator()(const UserDefaults& defaults, std::string_view key) const {
    const auto stored = defaults.object(key);
    if (!stored) return fallback;
    if (const auto* b = stored->getIf<bool>()) return *b;
    // A number bridges to a Boolean only when it is exactly 0 or 1.
    if (const auto* i = stored->getIf<std::int64_t>(); i && (*i == 0 || *i == 1)) return *i == 1;
    if (const auto* d = stored->getIf<double>(); d && (*d == 0 || *d == 1)) return *d == 1;
    return fallback;
}

}  // namespace tavelin
