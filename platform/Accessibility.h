#pragma once

// The Accessibility interface over other processes: whether this process is trusted, the application
// element of a process, the attributes and actions of an element, and the window-server number behind
// a window element. Every call answers synchronously: the platform blocks until the other process
// replies or the element's messaging timeout has passed (cannotComplete). Positions and frames are in
// the window server's top-left coordinates (see Geometry.h). Main thread.

#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/Geometry.h"

namespace tavelin {

enum class AXError {
    failure,
    invalidUIElement,      // the element is gone (its process quit, its tree changed)
    attributeUnsupported,  // the element has no such attribute
    noValue,
    cannotComplete,  // the process does not answer
    apiDisabled,     // this process is not trusted
    illegalArgument,    // a value of the wrong type for the attribute
    actionUnsupported,  // the element has no such action
};

// The platform's number for the error, as log lines print it.
std::int32_t axErrorCode(AXError error);

// A handle on one element of another process; the element number 0 is the process's application
// element. Handles compare by value.
struct AXElement {
    std::int32_t processIdentifier = 0;
    std::uint64_t element = 0;
    friend bool operator==(const AXElement&, const AXElement&) = default;
};

// What an attribute may hold: a text, a number, a list of elements ("AXChildren", "AXWindows"), a
// Boolean ("AXMinimized"), an integer ("AXWindowNumber"), a point ("AXPosition"), a size ("AXSize"), a
// rectangle ("AXFrame") or one element ("AXCloseButton"). Readers check the type they get: an
// application may answer with another one.
using AXValue = std::variant<std::string, double, std::vector<AXElement>, bool, std::int64_t, Point, Size, Rect,
                             AXElement>;

// Points and sizes are wrapped in Accessibility values before they are written; the platform refuses to
// wrap a coordinate that is not finite.
std::optional<AXValue> axPointValue(Point point);
std::optional<AXValue> axSizeValue(Size size);

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
    virtual std::expected<void, AXError> setAttributeValue(const AXElement& element, std::string_view attribute,
                                                           const AXValue& value) const = 0;
    virtual std::expected<void, AXError> performAction(const AXElement& element, std::string_view action) const = 0;
    // How long a call on the element waits for its process; the platform's default is 6 s.
    virtual std::expected<void, AXError> setMessagingTimeout(const AXElement& element, double seconds) const = 0;
    // The private call that gives the window-server number of a window element; it may answer 0.
    virtual std::expected<std::uint32_t, AXError> windowNumber(const AXElement& element) const = 0;
};

}  // namespace tavelin
