#pragma once

// Command-line tools run as child processes. Any thread.

#include <expected>
#include <filesystem>
#include <string>
#include <vector>

namespace tavelin {

struct ProcessError {
    std::string localizedDescription;
    friend bool operator==(const ProcessError&, const ProcessError&) = default;
};

class Processes {
  public:
    virtual ~Processes() = default;

    // Starts the tool and blocks until it exits, without a time limit; gives its exit status, or the
    // error that kept it from starting.
    virtual std::expected<int, ProcessError> runAndWait(const std::filesystem::path& tool,
                                                        std::vector<std::string> arguments) = 0;
};

}  // namespace tavelin
