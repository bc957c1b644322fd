#pragma once

// AppleScript run inside the process: a script is made from its source text, which can fail, and then
// executed, which gives the error information's text or nothing when it ran without error. Sending
// events to another application (System Events, Finder) needs the user's permission to automate it;
// without it the script fails with an error. Main thread; executing blocks until the script is done.

#include <memory>
#include <optional>
#include <string>

namespace tavelin {

class AppleScript {
  public:
    virtual ~AppleScript() = default;

    // None: no error.
    virtual std::optional<std::string> execute() = 0;
};

class AppleScripts {
  public:
    virtual ~AppleScripts() = default;

    // Null when no script can be made from the source.
    virtual std::unique_ptr<AppleScript> make(std::string source) = 0;
};

}  // namespace tavelin
