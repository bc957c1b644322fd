#include "platform/PlistValue.h"

#include <algorithm>

namespace tavelin {

PlistDict::PlistDict(std::initializer_list<Entry> entries) {
    for (const auto& [key, value] : entries) set(key, value);
}

const PlistValue* PlistDict::find(std::string_view key) const {
    for (const auto& entry : entries_) {
        if (entry.first == key) return &entry.second;
    }
    return nullptr;
}

PlistValue* PlistDict::find(std::string_view key) {
    return const_cast<PlistValue*>(std::as_const(*this).find(key));
}

void PlistDict::set(std::string_view key, PlistValue value) {
    if (auto* present = find(key)) {
        *present = std::move(value);
    } else {
        entries_.emplace_back(std::string(key), std::move(value));
    }
}

bool PlistDict::remove(std::string_view key) {
    return std::erase_if(entries_, [key](const Entry& entry) { return entry.first == key; }) > 0;
}

bool operator==(const PlistDict& a, const PlistDict& b) {
    if (a.size() != b.size()) return false;
    return std::ranges::all_of(a.entries_, [&b](const PlistDict::Entry& entry) {
        const auto* other = b.find(entry.first);
        return other != nullptr && *other == entry.second;
    });
}

}  // namespace tavelin
