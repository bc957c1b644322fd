#include "platform/Accessibility.h"

#include <cmath>

namespace tavelin {

std::int32_t axErrorCode(AXError error) {
    switch (error) {
    case AXError::failure: return -25200;
    case AXError::illegalArgument: return -25201;
    case AXError::invalidUIElement: return -25202;
    case AXError::cannotComplete: return -25204;
    case AXError::attributeUnsupported: return -25205;
    case AXError::actionUnsupported: return -25206;
    case AXError::apiDisabled: return -25211;
    case AXError::noValue: return -25212;
    }
    return -25200;
}

std::optional<AXValue> axPointValue(Point point) {
    if (!std::isfinite(point.x) || !std::isfinite(point.y)) return std::nullopt;
    return AXValue(point);
}

std::optional<AXValue> axSizeValue(Size size) {
    if (!std::isfinite(size.width) || !std::isfinite(size.height)) return std::nullopt;
    return AXValue(size);
}

}  // namespace tavelin
