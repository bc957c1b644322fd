#pragma once

// AppleScript run in the program's own process: a script object made from its source, then executed,
// blocking the caller until the script and the applications it talks to are done. Main thread.

#include <cstdint>
#include <expected>
#include <optional>
#include <string>

namespace tavelin {

// What the script engine reports of a failed run.
struct AppleScriptError {
    std::string message;
    std::int64_t number = 0;
    // The error information as one text: "<message> (<number>)".
    std::string text() const { return message + " (" + std::to_string(number) + ")"; }
    friend bool operator==(const AppleScriptError&, const AppleScriptError&) = default;
};

struct AppleScript {
    std::string source;
    friend bool operator==(const AppleScript&, const AppleScript&) = default;
};

class AppleScripting {
  public:
    virtual ~AppleScripting() = default;

    // None when no script object can be made from the source.
    virtual std::optional<AppleScript> makeScript(std::string source) = 0;
    virtual std::expected<void, AppleScriptError> execute(const AppleScript& script) = 0;
};

}  // namespace tavelin
