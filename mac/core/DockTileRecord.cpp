#include "mac/core/DockTileRecord.h"

#include "mac/core/DockPlistParser.h"

namespace tavelin {

const PlistDict* dictionaryValue(const PlistDict& dict, std::string_view key) {
    const auto* value = dict.find(key);
    return value ? value->getIf<PlistDict>() : nullptr;
}

const std::string* stringValue(const PlistDict& dict, std::string_view key) {
    const auto* value = dict.find(key);
    return value ? value->getIf<std::string>() : nullptr;
}

std::optional<std::int64_t> integerValue(const PlistDict& dict, std::string_view key) {
    const auto* value = dict.find(key);
    const auto* integer = value ? value->getIf<std::int64_t>() : nullptr;
    return integer ? std::optional(*integer) : std::nullopt;
}

std::optional<bool> booleanValue(const PlistDict& dict, std::string_view key) {
    const auto* value = dict.find(key);
    const auto* boolean = value ? value->getIf<bool>() : nullptr;
    return boolean ? std::optional(*boolean) : std::nullopt;
}

std::optional<std::vector<const PlistDict*>> dictionaryList(const PlistDict& dict, std::string_view key) {
    const auto* value = dict.find(key);
    const auto* array = value ? value->getIf<PlistArray>() : nullptr;
    if (array == nullptr) return std::nullopt;
    std::vector<const PlistDict*> list;
    list.reserve(array->size());
    for (const auto& element : *array) {
        const auto* entry = element.getIf<PlistDict>();
        if (entry == nullptr) return std::nullopt;
        list.push_back(entry);
    }
    return list;
}

std::optional<std::string> DockTileRecord::path() const { return DockPlistParser::filePath(*fileReference); }

DockTileRecord DockTileRecord::read(const PlistDict& tile) {
    static const PlistDict kEmpty;
    DockTileRecord record;
    if (const auto* type = stringValue(tile, "tile-type")) record.tileType = *type;
    const auto* data = dictionaryValue(tile, "tile-data");
    record.tileData = data ? data : &kEmpty;
    const auto* fileData = dictionaryValue(*record.tileData, "file-data");
    record.fileReference = fileData ? fileData : record.tileData;
    const auto* label = stringValue(tile, "file-label");
    if (label == nullptr) label = stringValue(*record.tileData, "file-label");
    if (label) record.label = *label;
    return record;
}

}  // namespace tavelin
