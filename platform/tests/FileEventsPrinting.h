#pragma once

// Readable file events in test failures: "write|deleteSelf".

#include <ostream>
#include <string_view>
#include <utility>

#include "platform/FileWatcher.h"

namespace tavelin {

inline void PrintTo(FileEvents events, std::ostream* out) {
    static constexpr std::pair<FileEvent, std::string_view> names[] = {
        {FileEvent::write, "write"},
        {FileEvent::extend, "extend"},
        {FileEvent::attrib, "attrib"},
        {FileEvent::link, "link"},
        {FileEvent::deleteSelf, "deleteSelf"},
        {FileEvent::moveSelf, "moveSelf"},
        {FileEvent::entryCreated, "entryCreated"},
        {FileEvent::entryDeleted, "entryDeleted"},
        {FileEvent::entryMovedFrom, "entryMovedFrom"},
        {FileEvent::entryMovedTo, "entryMovedTo"},
    };
    std::string_view separator;
    for (const auto& [event, name] : names) {
        if (!events.contains(event)) continue;
        *out << separator << name;
        separator = "|";
    }
    if (events.empty()) *out << "none";
}

}  // namespace tavelin
