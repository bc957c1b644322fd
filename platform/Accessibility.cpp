#include "platform/Accessibility.h"

#include <cmath>

namespace tavelin {

std::optional<AXValue> axPointValue(Point point) {
    if (!std::isfinite(point.x) || !std::isfinite(point.y)) return std::nullopt;
    return AXValue(point);
}

std::optional<AXValue> axSizeValue(Size size) {
    if (!std::isfinite(size.width) || !std::isfinite(size.height)) return std::nullopt;
    return AXValue(size);
}

}  // namespace tavelin
