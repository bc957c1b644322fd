#pragma once

// The Dock's tile records as the simulated Dock writes them into its preferences: a "tile-type" and a
// "tile-data" dictionary holding the label, the file reference (a file URL of type 15), the bundle ID
// of an application, a folder's raw display and sort numbers, a web link's "url".

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/PlistValue.h"

namespace tavelin::sim {

// {"_CFURLString": "file:///...", "_CFURLStringType": 15}; a folder's URL ends in '/'.
PlistDict dockFileReference(const std::filesystem::path& path, bool isDirectory);

PlistDict dockApplicationTile(std::string_view bundleIdentifier, std::string_view label,
                              const std::optional<std::filesystem::path>& path);
PlistDict dockFolderTile(const std::filesystem::path& path, std::string_view label,
                         std::optional<std::int64_t> showAs, std::optional<std::int64_t> arrangement);
PlistDict dockFileTile(const std::filesystem::path& path, std::string_view label);
PlistDict dockURLTile(std::string_view link, std::string_view label);
// "spacer-tile", "small-spacer-tile" or "flex-spacer-tile".
PlistDict dockSpacerTile(std::string_view tileType);

}  // namespace tavelin::sim
