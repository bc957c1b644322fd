#include "platform/Bundle.h"

#include <system_error>

#include "platform/PlistFile.h"

namespace tavelin {

std::optional<std::string> Bundle::infoString(std::string_view key) const {
    const auto* value = infoDictionary.find(key);
    const auto* text = value ? value->getIf<std::string>() : nullptr;
    return text ? std::optional(*text) : std::nullopt;
}

std::optional<Bundle> loadBundle(const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::is_directory(path, error)) return std::nullopt;
    Bundle bundle{path, {}};
    if (auto info = readPlistFile(path / "Contents" / "Info.plist")) {
        if (auto* dict = info->getIf<PlistDict>()) bundle.infoDictionary = std::move(*dict);
    }
    return bundle;
}

}  // namespace tavelin
