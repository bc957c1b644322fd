#include "mac/windows/AXWindowGeometry.h"

#include <chrono>

#include "mac/windows/WindowGeometry.h"

namespace tavelin {
namespace {

constexpr int kGlideSteps = 16;
constexpr double kGlideStepPause = 0.0125;
constexpr int kUnminimizePolls = 19;

double eased(double t) { return t < 0.5 ? 2 * t * t : 1 - (2 - 2 * t) * (2 - 2 * t) / 2; }

}  // namespace

AXWindowGeometry::AXWindowGeometry(const WindowPlatform& platform)
    : platform_(platform), screens_(platform.screens), queries_(platform.windowServer, screens_) {}

void AXWindowGeometry::wait(double seconds) const {
    platform_.scheduler.sleepBlocking(
        std::chrono::duration_cast<Duration>(std::chrono::duration<double>(seconds)));
}

bool AXWindowGeometry::setValue(const AXElement& element, std::string_view attribute,
                                const std::optional<AXValue>& value) const {
    if (!value) return false;
    const auto written = platform_.accessibility.setAttributeValue(element, attribute, *value);
    if (written) return true;
    platform_.log.logf("Tavelin AX: %s err=%d", ("set " + std::string(attribute)).c_str(),
                       axErrorCode(written.error()));
    return false;
}

bool AXWindowGeometry::setAXSize(const AXElement& element, Size size) const {
    return setValue(element, "AXSize", axSizeValue(size));
}

bool AXWindowGeometry::setAXPosition(const AXElement& element, Point origin) const {
    return setValue(element, "AXPosition", axPointValue(origin));
}

std::optional<Point> AXWindowGeometry::currentOrigin(const AXElement& element) const {
    const auto& ax = platform_.accessibility;
    if (const auto position = ax.copyAttributeValue(element, "AXPosition")) {
        if (const auto* point = std::get_if<Point>(&*position)) return *point;
    }
    if (const auto frame = ax.copyAttributeValue(element, "AXFrame")) {
        if (const auto* rect = std::get_if<Rect>(&*frame)) return Point{rect->x, rect->y};
    }
    return std::nullopt;
}

bool AXWindowGeometry::setCocoaFrame(const AXElement& element, const WindowFrame& frame, bool animated) const {
    platform_.accessibility.setMessagingTimeout(element, kWindowMessagingTimeout);
    const Point target = topLeftOrigin(frame, screens_.primaryMaxY());
    const Size size{frame.width, frame.height};
    if (!animated) {
        setAXSize(element, size);
        bool placed = setAXPosition(element, target);
        if (!placed) {
            wait(0.1);
            placed = setAXPosition(element, target);
        }
        if (!placed) {
            wait(0.12);
            placed = setAXPosition(element, target);
        }
        setAXSize(element, size);
        return placed;
    }
    // Without a readable start the window jumps: every step writes the target.
    const Point start = currentOrigin(element).value_or(target);
    if (!setAXSize(element, size)) return false;
    for (int step = 1; step <= kGlideSteps; ++step) {
        const double e = eased(static_cast<double>(step) / kGlideSteps);
        const Point point{start.x + (target.x - start.x) * e, start.y + (target.y - start.y) * e};
        if (!setAXPosition(element, point)) return false;
        if (step < kGlideSteps) wait(kGlideStepPause);
    }
    if (!setAXPosition(element, target)) return false;
    setAXSize(element, size);
    return true;
}

bool AXWindowGeometry::unminimize(const AXElement& element, std::string_view windowLabel, bool force) const {
    const auto& ax = platform_.accessibility;
    ax.setMessagingTimeout(element, kWindowMessagingTimeout);
    if (!force && axBool(ax, element, "AXMinimized") != true) return true;
    const std::string label(windowLabel);
    if (const auto written = ax.setAttributeValue(element, "AXMinimized", false); !written) {
        platform_.log.logf("Tavelin unminimize: set minimized=false failed window=%s err=%d", label.c_str(),
                           axErrorCode(written.error()));
        return false;
    }
    if (axBool(ax, element, "AXMinimized") != true) return true;
    wait(0.05);
    for (int poll = 0; poll < kUnminimizePolls; ++poll) {
        if (axBool(ax, element, "AXMinimized") != true) return true;
        wait(0.1);
    }
    platform_.log.logf("Tavelin unminimize: still minimized after set window=%s", label.c_str());
    return false;
}

bool AXWindowGeometry::ensureCGWindowOrderedOnScreen(std::uint32_t windowNumber, const AXElement& axWindow,
                                                     std::int32_t app, std::string_view windowLabel,
                                                     int maxAttempts) const {
    if (queries_.cgWindowsOrderedOnScreen().contains(windowNumber)) return true;
    const auto& ax = platform_.accessibility;
    ax.setMessagingTimeout(axWindow, kWindowMessagingTimeout);
    const auto number = std::to_string(windowNumber);
    platform_.actionLog.append("activate ensure visible start cgID=" + number + " window=" + std::string(windowLabel));
    platform_.applications.activate(app, kActivateIgnoringOtherApps);
    for (int attempt = 0; attempt < maxAttempts; ++attempt) {
        ax.setAttributeValue(axWindow, "AXMinimized", false);
        ax.performAction(axWindow, "AXRaise");
        wait(attempt == 0 ? 0.05 : 0.1);
        if (queries_.cgWindowsOrderedOnScreen().contains(windowNumber)) {
            platform_.actionLog.append("activate ensure visible ok cgID=" + number +
                                       " attempt=" + std::to_string(attempt));
            return true;
        }
    }
    platform_.actionLog.append("activate ensure visible failed cgID=" + number + " window=" + std::string(windowLabel));
    return false;
}

}  // namespace tavelin
