#pragma once

// The desktop file: a hand-written JSON description of the simulated Mac that a test or the program
// starts from. Every key is checked: an unknown (misspelt) key or a bad value is an error that names
// it. A small file looks like this:
//
//     {
//       "host": {"name": "Studio Mac", "systemVersion": "Version 14.5 (Build 23F79)"},
//       "program": {"bundleIdentifier": "jp.fenwold.lomaret", "version": "1.0",
//                   "path": "/Applications/Lomaret.app"},
//       "applications": [
//         {"bundleIdentifier": "com.apple.Safari", "name": "Safari", "path": "/Applications/Safari.app"}
//       ]
//     }
//
// "host" and its keys may be left out (a host without a name of its own, also "name": null; a recent
// system version), and so may "program" (the program in /Applications) and "applications"; a program or
// application entry gives all three of its keys.

#include <expected>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/HostInfo.h"
#include "protocol/JsonCoding.h"

namespace tavelin::sim {

struct DesktopHost {
    std::optional<std::string> name;
    std::string systemVersion = "Version 14.5 (Build 23F79)";
    friend bool operator==(const DesktopHost&, const DesktopHost&) = default;
};

// An application installed on the simulated Mac.
struct DesktopApplication {
    std::string bundleIdentifier;
    std::string name;
    std::filesystem::path path;
    friend bool operator==(const DesktopApplication&, const DesktopApplication&) = default;
};

struct Desktop {
    static constexpr std::string_view typeName = "Desktop";

    DesktopHost host;
    BundleInfo program{"jp.fenwold.lomaret", "1.0", "/Applications/Lomaret.app"};
    std::vector<DesktopApplication> applications;
    friend bool operator==(const Desktop&, const Desktop&) = default;
};

bool fromJSON(const JsonValue& v, Desktop& desktop);

// Reads and checks a desktop file; the error names the file and the key.
std::expected<Desktop, DecodeError> loadDesktopFile(const std::filesystem::path& path);

}  // namespace tavelin::sim
