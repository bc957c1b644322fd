#pragma once

// One running application (process) as the workspace reports it, taken at the moment of asking: a
// later change of the process is not seen in a value already handed out, except through a new one.

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "platform/PlistValue.h"
#include "protocol/EnumText.h"
#include "protocol/Timestamp.h"

namespace tavelin {

// The platform's raw activation policies; a process may report any other number too.
enum class RawActivationPolicy : std::int64_t { regular = 0, accessory = 1, prohibited = 2 };

template <>
struct EnumText<RawActivationPolicy> {
    static constexpr std::string_view names[] = {"regular", "accessory", "prohibited"};
};

struct RunningApplication {
    std::int32_t processIdentifier = 0;
    std::optional<std::string> bundleIdentifier;
    std::optional<std::string> localizedName;
    std::optional<std::filesystem::path> bundlePath;
    // The program file that runs; inside the bundle for an application, possibly inside another
    // application's bundle for a helper process.
    std::optional<std::filesystem::path> executablePath;
    std::int64_t activationPolicy = static_cast<std::int64_t>(RawActivationPolicy::regular);
    std::optional<Timestamp> launchDate;
    bool isActive = false;  // the platform's own flag
    bool isHidden = false;
    bool isTerminated = false;
    // False from the start of a launch until the application has finished launching.
    bool isFinishedLaunching = true;
    // Properties that the application object answers by key beyond the ones above (its attention
    // requests, which the platform does not document): a key that is held responds, with its value or
    // with nothing.
    std::map<std::string, std::optional<PlistValue>, std::less<>> keyedValues;

    bool respondsTo(std::string_view key) const { return keyedValues.contains(key); }
    // Nothing for a key that does not respond or answers with nothing.
    std::optional<PlistValue> value(std::string_view key) const {
        const auto found = keyedValues.find(key);
        return found == keyedValues.end() ? std::nullopt : found->second;
    }

    friend bool operator==(const RunningApplication&, const RunningApplication&) = default;
};

}  // namespace tavelin
