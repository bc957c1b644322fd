#pragma once

// Reading the Dock's preferences, where a value of the wrong type counts as absent, and one tile
// record of them: its "tile-type", its "tile-data", its label and its file reference. The pointers
// point into the preference dictionary, which must outlive the record.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/PlistValue.h"

namespace tavelin {

const PlistDict* dictionaryValue(const PlistDict& dict, std::string_view key);
const std::string* stringValue(const PlistDict& dict, std::string_view key);
// Only an integer: a real, a Boolean or a text that looks like a number is absent.
std::optional<std::int64_t> integerValue(const PlistDict& dict, std::string_view key);
std::optional<bool> booleanValue(const PlistDict& dict, std::string_view key);
// A list of dictionaries; absent as a whole when one element is anything else.
std::optional<std::vector<const PlistDict*>> dictionaryList(const PlistDict& dict, std::string_view key);

struct DockTileRecord {
    std::string_view tileType;                 // empty when absent
    const PlistDict* tileData = nullptr;       // never null: an empty dictionary when absent
    const PlistDict* fileReference = nullptr;  // "file-data" of the tile data, else the tile data itself
    // "file-label" of the tile, else of the tile data; absent when neither is a text.
    std::optional<std::string_view> label;

    // "bundle-identifier" of the tile data.
    const std::string* bundleIdentifier() const { return stringValue(*tileData, "bundle-identifier"); }
    // The file reference as a path (see DockPlistParser::filePath).
    std::optional<std::string> path() const;

    static DockTileRecord read(const PlistDict& tile);
};

}  // namespace tavelin
