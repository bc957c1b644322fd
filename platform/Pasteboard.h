#pragma once

// A pasteboard of the system, as far as the program reads it: the URLs a drag carries. Main thread.

#include <optional>
#include <string>
#include <vector>

namespace tavelin {

enum class PasteboardURLs { all, fileURLsOnly };

class Pasteboard {
  public:
    virtual ~Pasteboard() = default;

    // The URLs on the pasteboard as texts, in order; none when it cannot be read.
    virtual std::optional<std::vector<std::string>> readURLs(PasteboardURLs which) const = 0;
};

}  // namespace tavelin
