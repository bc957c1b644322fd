#include "mac/core/WallpaperScreens.h"

#include <algorithm>

namespace tavelin {

std::vector<Screen> prioritizedScreens(const std::vector<Screen>& screens, const std::optional<Screen>& mainScreen,
                                       Point mouseLocation) {
    std::vector<Screen> ordered;
    const auto add = [&](const Screen& screen) {
        if (std::ranges::find(ordered, screen.identity, &Screen::identity) == ordered.end()) ordered.push_back(screen);
    };
    const auto underMouse =
        std::ranges::find_if(screens, [&](const Screen& s) { return mouseInRect(mouseLocation, s.frame, false); });
    if (underMouse != screens.end()) add(*underMouse);
    if (mainScreen) add(*mainScreen);
    for (const auto& screen : screens) add(screen);
    return ordered;
}

Rect cgRect(const Screen& screen, const std::vector<Screen>& screens) {
    const double firstHeight = screens.empty() ? screen.frame.height : screens.front().frame.height;
    return windowServerRect(screen.frame, firstHeight);
}

}  // namespace tavelin
