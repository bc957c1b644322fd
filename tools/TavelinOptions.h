#pragma once

// The command line of the tavelin program:
//     tavelin [--home DIR] [--desktop FILE] [--json] [--exit-after SECONDS]

#include <chrono>
#include <expected>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

namespace tavelin {

struct TavelinOptions {
    std::optional<std::filesystem::path> home;     // none: a fresh folder in the temporary folder
    std::optional<std::filesystem::path> desktop;  // none: the bundled example
    bool json = false;                             // snapshots in wire form rather than readable
    std::optional<std::chrono::milliseconds> exitAfter;
    bool help = false;
};

// The error names the argument at fault.
std::expected<TavelinOptions, std::string> parseTavelinOptions(std::span<const char* const> arguments);

extern const char* const kTavelinUsage;

}  // namespace tavelin
