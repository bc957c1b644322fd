#pragma once

// A bundle on disk (an application, the program itself): a folder described by its
// "Contents/Info.plist".

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/PlistValue.h"

namespace tavelin {

struct Bundle {
    std::filesystem::path path;
    // Empty when the folder has no information file or it cannot be read.
    PlistDict infoDictionary;

    // A string of the information dictionary; none when missing or of another type.
    std::optional<std::string> infoString(std::string_view key) const;
    // "CFBundleIdentifier".
    std::optional<std::string> identifier() const { return infoString("CFBundleIdentifier"); }
};

// None unless `path` is a folder.
std::optional<Bundle> loadBundle(const std::filesystem::path& path);

}  // namespace tavelin
