#include "mac/windows/WindowGeometry.h"

#include <algorithm>
#include <limits>

namespace tavelin {

std::optional<std::uint32_t> parseDecimalUInt32(std::string_view text) {
    if (text.empty()) return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
        if (value > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
}

std::optional<std::uint32_t> parseCGWindowID(const WindowID& windowID) { return parseDecimalUInt32(windowID.rawValue()); }

WindowFrame cocoaFrame(const Rect& topLeftRect, double primaryMaxY) {
    return WindowFrame{topLeftRect.x, primaryMaxY - topLeftRect.y - topLeftRect.height, topLeftRect.width,
                       topLeftRect.height};
}

Point topLeftOrigin(const WindowFrame& frame, double primaryMaxY) {
    return Point{frame.x, primaryMaxY - (frame.y + frame.height)};
}

double frameOverlapShare(const WindowFrame& a, const WindowFrame& b) {
    const double width = std::min(a.x + a.width, b.x + b.width) - std::max(a.x, b.x);
    const double height = std::min(a.y + a.height, b.y + b.height) - std::max(a.y, b.y);
    const double smaller = std::min(a.width * a.height, b.width * b.height);
    if (!(width > 0) || !(height > 0) || !(smaller > 0)) return 0;
    return width * height / smaller;
}

bool pointInRect(Point point, const Rect& rect) {
    return point.x >= rect.x && point.x < rect.maxX() && point.y >= rect.y && point.y < rect.maxY();
}

WindowFrame frameFittingVisible(const WindowFrame& frame, const Rect& visible) {
    if (!(frame.width > 0) || !(frame.height > 0)) {
        return WindowFrame{visible.x, visible.y, visible.width, visible.height};
    }
    double width = frame.width;
    double height = frame.height;
    if (visible.width < width || visible.height < height) {
        const double scale = std::min(visible.width / width, visible.height / height);
        width *= scale;
        height *= scale;
    }
    const double centredX = visible.x + (visible.width - width) / 2;
    const double centredY = visible.y + (visible.height - height) / 2;
    return WindowFrame{std::max(visible.x, std::min(visible.maxX() - width, centredX)),
                       std::max(visible.y, std::min(visible.maxY() - height, centredY)), width, height};
}

Rect tileRect(WindowTileKind kind, const Rect& r) {
    const double halfWidth = r.width / 2;
    const double halfHeight = r.height / 2;
    switch (kind) {
    case WindowTileKind::leftHalf: return {r.x, r.y, halfWidth, r.height};
    case WindowTileKind::rightHalf: return {r.x + halfWidth, r.y, halfWidth, r.height};
    case WindowTileKind::topHalf: return {r.x, r.y + halfHeight, r.width, halfHeight};
    case WindowTileKind::bottomHalf: return {r.x, r.y, r.width, halfHeight};
    case WindowTileKind::topLeft: return {r.x, r.y + halfHeight, halfWidth, halfHeight};
    case WindowTileKind::topRight: return {r.x + halfWidth, r.y + halfHeight, halfWidth, halfHeight};
    case WindowTileKind::bottomLeft: return {r.x, r.y, halfWidth, halfHeight};
    case WindowTileKind::bottomRight: return {r.x + halfWidth, r.y, halfWidth, halfHeight};
    }
    return r;
}

}  // namespace tavelin
