#include "mac/windows/WindowActionDisplayResolver.h"

#include <algorithm>

namespace tavelin {

std::optional<Screen> WindowActionDisplayResolver::mouseReferenceScreen() const {
    const auto screens = screens_.screens();
    const Point pointer = screens_.mouseLocation();
    const auto found =
        std::ranges::find_if(screens, [&](const Screen& screen) { return mouseInRect(pointer, screen.frame, false); });
    if (found != screens.end()) return *found;
    if (!screens.empty()) return screens.front();
    return screens_.mainScreen();
}

std::optional<Screen> WindowActionDisplayResolver::pinnedScreen() const {
    if (pinDepth < 1 || !pinnedScreenID) return std::nullopt;
    return support_.screen(pinnedScreenID);
}

std::optional<Screen> WindowActionDisplayResolver::referenceScreen() const {
    if (auto pinned = pinnedScreen()) return pinned;
    return mouseReferenceScreen();
}

std::optional<ScreenID> WindowActionDisplayResolver::referenceDisplayScreenID() const {
    const auto screen = referenceScreen();
    return screen ? std::optional(ScreenSupport::screenID(*screen)) : std::nullopt;
}

void WindowActionDisplayResolver::pinReferenceScreen(ScreenID screenID) {
    ++pinDepth;
    pinnedScreenID = std::move(screenID);
}

void WindowActionDisplayResolver::unpinReferenceScreen() {
    if (pinDepth >= 1) {
        if (--pinDepth == 0) pinnedScreenID.reset();
        return;
    }
    pinDepth = 0;
    pinnedScreenID.reset();
}

}  // namespace tavelin
