#include "mac/core/FolderAccessRecords.h"

namespace tavelin {

FolderAccessState FolderAccessRecords::state(std::string_view path) const {
    const auto entries = textEntries();
    const auto* value = entries.find(path);
    return value ? enumFromString<FolderAccessState>(*value->getIf<std::string>())
                       .value_or(FolderAccessState::unknown)
                 : FolderAccessState::unknown;
}

bool FolderAccessRecords::store(FolderAccessState state, std::string_view path) {
    auto entries = textEntries();
    const auto text = toString(state);
    if (const auto* value = entries.find(path); value && *value->getIf<std::string>() == text) return false;
    entries.set(path, std::string(text));
    defaults_.set(kFolderAccessKey, std::move(entries));
    return true;
}

std::vector<std::string> FolderAccessRecords::paths() const {
    std::vector<std::string> paths;
    for (const auto& [path, value] : textEntries()) paths.push_back(path);
    return paths;
}

PlistDict FolderAccessRecords::textEntries() const {
    PlistDict entries;
    const auto stored = defaults_.dictionaryForKey(kFolderAccessKey);
    if (!stored) return entries;
    for (const auto& [path, value] : *stored) {
        if (value.getIf<std::string>()) entries.set(path, value);
    }
    return entries;
}

}  // namespace tavelin
