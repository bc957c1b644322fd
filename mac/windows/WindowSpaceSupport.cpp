#include "mac/windows/WindowSpaceSupport.h"

#include <algorithm>
#include <chrono>

#include "mac/windows/PlistNumbers.h"
#include "protocol/UnicodeText.h"

namespace tavelin {
namespace {

// Every kind of Space a window can be on.
constexpr std::int32_t kAllSpacesMask = 7;
// The workspace number that names the target Space for the move by workspace.
constexpr std::int32_t kMoveWorkspace = 0x79616265;
constexpr std::string_view kSharedDisplay = "Main";
constexpr auto kCurrentSpacePause = std::chrono::milliseconds(30);

// A Space's managed ID: the value itself when it is a number, else a dictionary's "ManagedSpaceID",
// else its "id64".
std::optional<SpaceID> managedID(const PlistValue* value) {
    if (value == nullptr) return std::nullopt;
    if (const auto number = plistUnsignedInteger(value)) return number;
    const auto* dict = value->getIf<PlistDict>();
    if (dict == nullptr) return std::nullopt;
    if (const auto id = plistUnsignedInteger(dict->find("ManagedSpaceID"))) return id;
    return plistUnsignedInteger(dict->find("id64"));
}

WindowSpaceSupport::SpaceCatalog::Display readDisplay(const PlistDict& entry) {
    WindowSpaceSupport::SpaceCatalog::Display display;
    if (const auto* identifier = entry.find("Display Identifier")) {
        if (const auto* text = identifier->getIf<std::string>()) display.identifier = *text;
    }
    display.currentManagedID = managedID(entry.find("Current Space"));
    const auto* spaces = entry.find("Spaces");
    const auto* list = spaces ? spaces->getIf<PlistArray>() : nullptr;
    if (list == nullptr) return display;
    for (const auto& element : *list) {
        const auto id = managedID(&element);
        if (!id) continue;
        std::optional<std::int64_t> type;
        if (const auto* space = element.getIf<PlistDict>()) {
            type = plistInteger(space->find("type"));
            if (!type) type = plistInteger(space->find("Type"));
        }
        display.spaces.push_back({*id, type.value_or(0)});
    }
    return display;
}

std::string catalogLine(const WindowSpaceSupport::SpaceCatalog::Display& display) {
    std::string line = "space catalog display=" + display.identifier +
                       " current=" + spaceText(display.currentManagedID) + " spaces=[";
    for (std::size_t i = 0; i < display.spaces.size(); ++i) {
        if (i > 0) line += ",";
        line += std::to_string(display.spaces[i].managedID) + "/" + std::to_string(display.spaces[i].type);
    }
    return line + "]";
}

}  // namespace

std::string spaceText(std::optional<SpaceID> space) { return space ? std::to_string(*space) : "nil"; }

std::optional<WindowSpaceSupport::SpaceCatalog::Display> WindowSpaceSupport::SpaceCatalog::display(
    SpaceID containing) const {
    const auto found = std::ranges::find_if(displays, [&](const Display& display) {
        return std::ranges::find(display.spaces, containing, &Space::managedID) != display.spaces.end();
    });
    return found == displays.end() ? std::nullopt : std::optional(*found);
}

std::optional<WindowSpaceSupport::SpaceCatalog> WindowSpaceSupport::loadCatalog(bool log) const {
    const auto answer = platform_.privateWindowServer.copyManagedDisplaySpaces(connection());
    const auto* list = answer ? answer->getIf<PlistArray>() : nullptr;
    const bool dictionaries = list != nullptr && std::ranges::all_of(*list, [](const PlistValue& v) {
                                  return v.getIf<PlistDict>() != nullptr;
                              });
    if (!dictionaries) {
        if (log) this->log("space SLSCopyManagedDisplaySpaces failed");
        return std::nullopt;
    }
    SpaceCatalog catalog;
    for (const auto& entry : *list) catalog.displays.push_back(readDisplay(*entry.getIf<PlistDict>()));
    if (log) {
        for (const auto& display : catalog.displays) this->log(catalogLine(display));
    }
    return catalog;
}

std::optional<PlistValue> WindowSpaceSupport::spacesForWindow(std::uint32_t window) const {
    const std::uint32_t windows[] = {window};
    return platform_.privateWindowServer.copySpacesForWindows(connection(), kAllSpacesMask, windows);
}

namespace {

// Only the first Space named counts.
std::optional<SpaceID> firstSpace(const std::optional<PlistValue>& answer) {
    const auto* list = answer ? answer->getIf<PlistArray>() : nullptr;
    if (list == nullptr || list->empty()) return std::nullopt;
    return plistUnsignedInteger(&list->front());
}

}  // namespace

std::optional<SpaceID> WindowSpaceSupport::primarySpace(std::uint32_t forWindow) const {
    const auto window = std::to_string(forWindow);
    log("space SLSCopySpacesForWindows before cgID=" + window);
    const auto space = firstSpace(spacesForWindow(forWindow));
    log("space SLSCopySpacesForWindows after cgID=" + window +
        (space ? " space=" + std::to_string(*space) : " none"));
    return space;
}

std::optional<SpaceID> WindowSpaceSupport::primarySpaceIDQuiet(std::uint32_t forWindow) const {
    const auto space = firstSpace(spacesForWindow(forWindow));
    return space == SpaceID{0} ? std::nullopt : space;
}

bool WindowSpaceSupport::hasManagedSpace(std::uint32_t forWindow) const {
    return primarySpaceIDQuiet(forWindow).has_value();
}

bool WindowSpaceSupport::windowIsOnFullscreenSpace(std::uint32_t windowID) const {
    const auto space = primarySpaceIDQuiet(windowID);
    if (!space) return false;
    const auto catalog = loadCatalog(false);
    if (!catalog) return false;
    return std::ranges::any_of(catalog->displays, [&](const SpaceCatalog::Display& display) {
        return std::ranges::any_of(display.spaces, [&](const SpaceCatalog::Space& s) {
            return s.managedID == *space && s.type == kFullScreenSpaceType;
        });
    });
}

std::optional<SpaceID> WindowSpaceSupport::askCurrentSpace(std::string_view display) const {
    const auto space = platform_.privateWindowServer.managedDisplayGetCurrentSpace(connection(), display);
    log("space SLSManagedDisplayGetCurrentSpace display=" + std::string(display) +
        " space=" + std::to_string(space));
    return space;
}

std::optional<SpaceID> WindowSpaceSupport::currentSpaceID(const Screen& on) const {
    const auto display = displayIdentifier(on);
    if (!display) return std::nullopt;
    const auto space = askCurrentSpace(*display);
    return space == SpaceID{0} ? std::nullopt : space;
}

bool WindowSpaceSupport::setCurrentSpace(SpaceID space, std::string_view onDisplay) const {
    const auto result =
        platform_.privateWindowServer.managedDisplaySetCurrentSpace(connection(), onDisplay, space);
    log("space SLSManagedDisplaySetCurrentSpace space=" + std::to_string(space) +
        " display=" + std::string(onDisplay) + " err=" + std::to_string(result));
    return result == 0;
}

bool WindowSpaceSupport::waitUntilCurrentSpace(SpaceID space, const Screen& on, int attempts) const {
    for (int attempt = 0; attempt < attempts; ++attempt) {
        if (const auto display = displayIdentifier(on)) {
            const auto current = askCurrentSpace(*display);
            if (current != SpaceID{0} && current == space) return true;
        }
        platform_.scheduler.sleepBlocking(kCurrentSpacePause);
    }
    return currentSpaceID(on) == space;
}

bool WindowSpaceSupport::windowSpaceMatchesReferenceCurrentSpace(std::uint32_t windowID,
                                                                 const Screen& referenceScreen) const {
    const std::string prefix = "space match cgID=" + std::to_string(windowID);
    // The screen is not asked about when the window's Space is already missing.
    const auto windowSpace = primarySpace(windowID);
    const auto screenSpace = windowSpace ? currentSpaceID(referenceScreen) : std::nullopt;
    if (!windowSpace || !screenSpace) {
        log(prefix + " incomplete window or ref space");
        return false;
    }
    const std::string spaces =
        " windowSpace=" + std::to_string(*windowSpace) + " refSpace=" + std::to_string(*screenSpace);
    if (*windowSpace != *screenSpace) {
        log(prefix + spaces + " match=false");
        return false;
    }
    const auto windowDisplay = displayIdentifier(*windowSpace);
    const auto screenDisplay = displayIdentifier(referenceScreen);
    if (!windowDisplay || !screenDisplay) {
        log(prefix + " display unknown; treat as not on reference");
        return false;
    }
    // Display UUIDs name one display in any letter case.
    const bool match = equalsIgnoringCase(*windowDisplay, *screenDisplay);
    log(prefix + spaces + " windowDisplay=" + *windowDisplay + " refDisplay=" + *screenDisplay +
        " match=" + (match ? "true" : "false"));
    return match;
}

bool WindowSpaceSupport::moveWindows(std::span<const std::uint32_t> windows, SpaceID toSpace) const {
    if (windows.empty()) return false;
    auto& server = platform_.privateWindowServer;
    const auto cid = connection();
    const auto count = std::to_string(windows.size());
    if (platform_.host.operatingSystemVersion().isAtLeast(14, 5, 0)) {
        // The results of tagging the Space are not looked at: the move's result says it all.
        server.spaceSetCompatID(cid, toSpace, kMoveWorkspace);
        const std::vector<std::uint32_t> list(windows.begin(), windows.end());
        const auto result = server.setWindowListWorkspace(
            cid, list.data(), static_cast<std::int32_t>(list.size()), kMoveWorkspace);
        server.spaceSetCompatID(cid, toSpace, 0);
        log("space SLSSetWindowListWorkspace count=" + count + " space=" + std::to_string(toSpace) +
            " err=" + std::to_string(result));
        return result == 0;
    }
    const auto result = server.moveWindowsToManagedSpace(cid, windows, toSpace);
    log("space SLSMoveWindowsToManagedSpace count=" + count + " space=" + std::to_string(toSpace) +
        " err=" + std::to_string(result));
    return result == 0;
}

std::optional<std::string> WindowSpaceSupport::displayIdentifier(const Screen& screen) const {
    const auto catalog = loadCatalog(true);
    const auto uuid = cgDisplayUUIDString(screen);
    if (catalog && uuid) {
        const bool known = std::ranges::any_of(catalog->displays, [&](const SpaceCatalog::Display& display) {
            return equalsIgnoringCase(display.identifier, *uuid);
        });
        if (known) {
            log("space displayIdentifier uuid=" + *uuid);
            return uuid;
        }
    }
    if (catalog && !platform_.privateWindowServer.screensHaveSeparateSpaces() &&
        std::ranges::find(catalog->displays, kSharedDisplay, &SpaceCatalog::Display::identifier) !=
            catalog->displays.end()) {
        log("space displayIdentifier Main (shared spaces)");
        return std::string(kSharedDisplay);
    }
    if (!uuid) {
        log("space displayIdentifier none");
        return std::nullopt;
    }
    log("space displayIdentifier fallback uuid=" + *uuid);
    return uuid;
}

std::optional<std::string> WindowSpaceSupport::displayIdentifier(SpaceID forSpace) const {
    const auto catalog = loadCatalog(true);
    if (const auto display = catalog ? catalog->display(forSpace) : std::nullopt) {
        log("space display for space=" + std::to_string(forSpace) + " catalog=" + display->identifier);
        return display->identifier;
    }
    auto answer = platform_.privateWindowServer.copyManagedDisplayForSpace(connection(), forSpace);
    log("space SLSCopyManagedDisplayForSpace space=" + std::to_string(forSpace) +
        " display=" + answer.value_or("nil"));
    return answer;
}

std::optional<std::string> WindowSpaceSupport::cgDisplayUUIDString(const Screen& screen) const {
    if (!screen.screenNumber) return std::nullopt;
    return platform_.privateWindowServer.displayUUID(*screen.screenNumber);
}

void WindowSpaceSupport::logActivateSpaceContext(std::uint32_t windowID,
                                                 const std::optional<Screen>& referenceScreen,
                                                 std::string_view tag) const {
    const auto windowSpace = primarySpace(windowID);
    const auto screenSpace = referenceScreen ? currentSpaceID(*referenceScreen) : std::nullopt;
    const auto active = platform_.privateWindowServer.getActiveSpace(connection());
    log("space context " + std::string(tag) + " cgID=" + std::to_string(windowID) +
        " windowSpace=" + spaceText(windowSpace) + " refCurrentSpace=" + spaceText(screenSpace) +
        " slsActive=" + std::to_string(active));
}

}  // namespace tavelin
