#pragma once

// The Accessibility interface over other processes: whether this process is trusted, the application
// element of a process, and the attributes of an element. Every call answers synchronously (the
// platform blocks until the other process replies). Main thread.

#include <cstdint>
#include <expected>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace tavelin {

enum class AXError {
    failure,
    invalidUIElement,      // the element is gone (its process quit, its tree changed)
    attributeUnsupported,  // the element has no such attribute
    noValue,
    cannotComplete,  // the process does not answer
    apiDisabled,     // this process is not trusted
};

// A handle on one element of another process; the element number 0 is the process's application
// element. Handles compare by value.
struct AXElement {
    std::int32_t processIdentifier = 0;
    std::uint64_t element = 0;
    friend bool operator==(const AXElement&, const AXElement&) = default;
};

// What an attribute may hold: a text, a number, or a list of elements ("AXChildren").
using AXValue = std::variant<std::string, double, std::vector<AXElement>>;

class Accessibility {
  public:
    virtual ~Accessibility() = default;

    virtual bool isProcessTrusted() const = 0;
    // As isProcessTrusted(); with `prompt`, an untrusted process also makes the system show its request
    // to grant trust (the answer comes later, through the system's settings).
    virtual bool isProcessTrustedWithOptions(bool prompt) const = 0;
    AXElement createApplication(std::int32_t processIdentifier) const { return {processIdentifier, 0}; }
    virtual std::expected<AXValue, AXError> copyAttributeValue(const AXElement& element,
                                                               std::string_view attribute) const = 0;
};

}  // namespace tavelin
