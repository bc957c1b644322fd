#include "platform/sim/DockTiles.h"

#include "platform/FileURL.h"

namespace tavelin::sim {
namespace {

PlistDict tile(std::string_view tileType, PlistDict data) {
    return PlistDict{{"tile-data", std::move(data)}, {"tile-type", tileType}};
}

}  // namespace

PlistDict dockFileReference(const std::filesystem::path& path, bool isDirectory) {
    return PlistDict{{"_CFURLString", fileURL(path, isDirectory)}, {"_CFURLStringType", 15}};
}

PlistDict dockApplicationTile(std::string_view bundleIdentifier, std::string_view label,
                              const std::optional<std::filesystem::path>& path) {
    PlistDict data{{"bundle-identifier", bundleIdentifier}, {"file-label", label}};
    if (path) data.set("file-data", dockFileReference(*path, true));
    return tile("file-tile", std::move(data));
}

PlistDict dockFolderTile(const std::filesystem::path& path, std::string_view label,
                         std::optional<std::int64_t> showAs, std::optional<std::int64_t> arrangement) {
    PlistDict data{{"file-data", dockFileReference(path, true)}, {"file-label", label}};
    if (showAs) data.set("showas", *showAs);
    if (arrangement) data.set("arrangement", *arrangement);
    return tile("directory-tile", std::move(data));
}

PlistDict dockFileTile(const std::filesystem::path& path, std::string_view label) {
    return tile("file-tile", PlistDict{{"file-data", dockFileReference(path, false)}, {"file-label", label}});
}

PlistDict dockURLTile(std::string_view link, std::string_view label) {
    return tile("url-tile", PlistDict{{"file-label", label},
                                      {"url", PlistDict{{"_CFURLString", link}, {"_CFURLStringType", 15}}}});
}

PlistDict dockSpacerTile(std::string_view tileType) { return tile(tileType, PlistDict{}); }

}  // namespace tavelin::sim
