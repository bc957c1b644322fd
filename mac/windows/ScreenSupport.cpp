#include "mac/windows/ScreenSupport.h"

#include <algorithm>
#include <string>

#include "mac/windows/WindowGeometry.h"

namespace tavelin {

std::optional<Screen> ScreenSupport::primaryScreen() const {
    const auto screens = screens_.screens();
    return screens.empty() ? screens_.mainScreen() : std::optional(screens.front());
}

double ScreenSupport::primaryMaxY() const {
    const auto primary = primaryScreen();
    return primary ? primary->frame.maxY() : 0;
}

ScreenID ScreenSupport::screenID(const Screen& screen) {
    return ScreenID(std::to_string(screen.screenNumber.value_or(0)));
}

std::optional<Screen> ScreenSupport::screen(const std::optional<ScreenID>& screenID) const {
    const auto number = screenID ? parseDecimalUInt32(screenID->rawValue()) : std::nullopt;
    if (!number) return screens_.mainScreen();
    const auto screens = screens_.screens();
    const auto found = std::ranges::find_if(
        screens, [&](const Screen& screen) { return screen.screenNumber == number; });
    return found == screens.end() ? std::nullopt : std::optional(*found);
}

std::optional<Screen> ScreenSupport::findScreen(const WindowFrame& forFrame) const {
    const Point centre{forFrame.x + forFrame.width / 2, forFrame.y + forFrame.height / 2};
    const auto screens = screens_.screens();
    const auto found = std::ranges::find_if(screens, [&](const Screen& screen) { return pointInRect(centre, screen.frame); });
    return found == screens.end() ? std::nullopt : std::optional(*found);
}

}  // namespace tavelin
