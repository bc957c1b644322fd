// WindowActionService: the Space step of activation. The window's Space is brought to the reference
// display (a full-screen Space is shown there), or the window is moved onto the Space the reference shows;
// where neither works, the display holding the window's Space is walked there.

#include "mac/windows/WindowActionService.h"
#include "mac/windows/WindowSpaceAdjacentWalk.h"
#include "mac/windows/WindowSpaceSupport.h"
#include "protocol/UnicodeText.h"

namespace tavelin {
namespace {

const char* text(bool value) { return value ? "true" : "false"; }

}  // namespace

void WindowActionService::navigateSpacesForActivate(std::uint32_t cgID, const std::optional<AXElement>& axWindow,
                                                    std::string_view windowLabel,
                                                    const std::optional<ScreenID>& windowScreenID,
                                                    bool isFullScreen, bool moveToReference,
                                                    const std::optional<ScreenID>& referenceDisplayScreenID,
                                                    const std::optional<Screen>& referenceScreen) const {
    const WindowSpaceSupport spaces(platform_.windows);
    const std::string number = std::to_string(cgID);
    const std::string label(windowLabel);
    spaces.logActivateSpaceContext(cgID, referenceScreen, "activate-before");
    const auto after = [&] { spaces.logActivateSpaceContext(cgID, referenceScreen, "activate-after"); };

    const auto windowSpace = spaces.primarySpace(cgID);
    const auto windowDisplay = windowSpace ? spaces.displayIdentifier(*windowSpace) : std::nullopt;

    if (!moveToReference) {
        if (!windowSpace) {
            log("space go-to-window-space skipped no space cgID=" + number);
        } else if (const auto catalog = spaces.loadCatalog(false);
                   catalog && catalog->display(*windowSpace) &&
                   catalog->display(*windowSpace)->currentManagedID == windowSpace) {
            log("space already current on its display space=" + std::to_string(*windowSpace));
        } else {
            const bool ok = walkToWindowSpace(*windowSpace, referenceScreen, windowDisplay);
            log("space go-to-window-space cgID=" + number + " space=" + std::to_string(*windowSpace) +
                " ok=" + text(ok));
        }
        after();
        return;
    }
    if (!referenceScreen) {
        log("space reference missing; go to window space cgID=" + number);
        if (windowSpace) walkToWindowSpace(*windowSpace, std::nullopt, windowDisplay);
        after();
        return;
    }

    const auto referenceDisplay = spaces.displayIdentifier(*referenceScreen);
    const auto referenceCurrent = spaces.currentSpaceID(*referenceScreen);
    const bool crossMonitor = windowScreenID != referenceDisplayScreenID || !windowDisplay || !referenceDisplay ||
                              !equalsIgnoringCase(*windowDisplay, *referenceDisplay);

    if (isFullScreen) {
        if (windowSpace && referenceDisplay) {
            log("space fullscreen bring-space-to-reference cgID=" + number + " space=" +
                std::to_string(*windowSpace) + " crossMonitor=" + text(crossMonitor));
            spaces.setCurrentSpace(*windowSpace, *referenceDisplay);
            if (!spaces.waitUntilCurrentSpace(*windowSpace, *referenceScreen,
                                              WindowSpaceSupport::kCurrentSpaceAttempts)) {
                walkToWindowSpace(*windowSpace, referenceScreen, windowDisplay);
            }
        } else {
            log("space fullscreen fallback go-to-window-space cgID=" + number);
            if (windowSpace) walkToWindowSpace(*windowSpace, referenceScreen, windowDisplay);
        }
    } else if (referenceCurrent) {
        const auto fromScreen = [&] { return windowScreen(axWindow, windowScreenID); };
        if (spaces.windowSpaceMatchesReferenceCurrentSpace(cgID, *referenceScreen)) {
            log("space normal already on reference space cgID=" + number);
            if (axWindow && referenceDisplayScreenID && fromScreen() != referenceDisplayScreenID) {
                moveLogged(*axWindow, *referenceDisplayScreenID, fromScreen(), label, "space alreadyThere AX move ok",
                           "space alreadyThere AX move failed");
            }
        } else {
            log("space normal move-window-to-reference-space cgID=" + number +
                " destSpace=" + std::to_string(*referenceCurrent));
            const std::uint32_t windows[] = {cgID};
            if (spaces.moveWindows(windows, *referenceCurrent)) return;  // nothing more is logged then
            if (windowSpace && !crossMonitor) {
                log("space normal move failed; walk same display cgID=" + number);
                walkToWindowSpace(*windowSpace, referenceScreen, windowDisplay);
            } else if (windowSpace) {
                log("space normal move failed; cross-display skip reveal (AX move) cgID=" + number +
                    " windowSpace=" + std::to_string(*windowSpace));
            } else {
                log("space normal move failed; cross-display no windowSpace cgID=" + number);
            }
            if (axWindow && referenceDisplayScreenID) {
                moveLogged(*axWindow, *referenceDisplayScreenID, fromScreen(), label,
                           "space normal AX move fallback ok", "space normal AX move failed");
            }
        }
    } else if (windowSpace) {
        log("space normal skipped no reference current space; reveal cgID=" + number);
        walkToWindowSpace(*windowSpace, referenceScreen, windowDisplay);
    }
    after();
}

bool WindowActionService::walkToWindowSpace(SpaceID space, const std::optional<Screen>& referenceScreen,
                                            const std::optional<std::string>& windowDisplay) const {
    // The walk presses the Space shortcut on the display under the pointer, which it puts on the screen it
    // is given. Given a screen of another display than the one holding the Space, it would step the wrong
    // display through its Spaces and never arrive; so the reference screen is only handed on when it shows
    // that display, and otherwise the walk finds the display's own screen.
    std::optional<Screen> on;
    if (referenceScreen && windowDisplay) {
        const auto uuid = WindowSpaceSupport(platform_.windows).cgDisplayUUIDString(*referenceScreen);
        if (*windowDisplay == "Main" || (uuid && equalsIgnoringCase(*uuid, *windowDisplay))) on = referenceScreen;
    }
    return WindowSpaceAdjacentWalk(platform_.windows, platform_.folders.homeDirectory()).walk(space, on);
}

}  // namespace tavelin
