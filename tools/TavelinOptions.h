#pragma once

// The command line of the tavelin program:
//     tavelin [--home DIR] [--desktop FILE] [--json] [--exit-after SECONDS] [--panel-png PATH]

#include <chrono>
#include <expected>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tavelin {

struct TavelinOptions {
    std::optional<std::filesystem::path> home;     // none: a fresh folder in the temporary folder
    std::optional<std::filesystem::path> desktop;  // none: the bundled example
    bool json = false;                             // snapshots in wire form rather than readable
    std::optional<std::chrono::milliseconds> exitAfter;
    std::optional<std::filesystem::path> panelPNG;  // where the open panel is drawn after each change
    bool help = false;
};

// The error names the argument at fault.
std::expected<TavelinOptions, std::string> parseTavelinOptions(std::span<const char* const> arguments);

extern const char* const kTavelinUsage;

// A number of seconds as typed ("1.5"), up to a year; none for anything else.
std::optional<std::chrono::milliseconds> parseSeconds(std::string_view text);

}  // namespace tavelin
