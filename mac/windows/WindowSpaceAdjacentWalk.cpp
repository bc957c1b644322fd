#include "mac/windows/WindowSpaceAdjacentWalk.h"

#include <algorithm>
#include <array>

#include "mac/windows/PlistNumbers.h"
#include "platform/PlistFile.h"
#include "protocol/UnicodeText.h"

namespace tavelin {
namespace {

// The system's "move left a Space" and "move right a Space" hot keys, the alternate one first.
constexpr std::array<std::uint32_t, 2> kPreviousHotKeys = {80, 79};
constexpr std::array<std::uint32_t, 2> kNextHotKeys = {82, 81};
constexpr std::int64_t kLeftArrow = 123;
constexpr std::int64_t kRightArrow = 124;

struct ModifierWord {
    std::int64_t bit;
    std::string_view word;
};
constexpr std::array<ModifierWord, 4> kModifierWords = {{
    {0x40000, "control down"},
    {0x20000, "shift down"},
    {0x80000, "option down"},
    {0x100000, "command down"},
}};
constexpr std::int64_t kControl = kModifierWords[0].bit;

const char* text(bool value) { return value ? "true" : "false"; }

std::optional<WindowSpaceAdjacentWalk::Shortcut> readEntry(const PlistValue* entry) {
    const auto* hotKey = entry ? entry->getIf<PlistDict>() : nullptr;
    if (hotKey == nullptr) return std::nullopt;
    const auto* enabled = hotKey->find("enabled");
    if (enabled == nullptr || enabled->getIf<bool>() == nullptr || !*enabled->getIf<bool>())
        return std::nullopt;
    const auto* value = hotKey->find("value");
    const auto* valueDict = value ? value->getIf<PlistDict>() : nullptr;
    const auto* parameters = valueDict ? valueDict->find("parameters") : nullptr;
    const auto* list = parameters ? parameters->getIf<PlistArray>() : nullptr;
    if (list == nullptr || list->size() < 3) return std::nullopt;
    const auto keyCode = plistInteger(&(*list)[1]);
    const auto modifiers = plistInteger(&(*list)[2]);
    if (!keyCode || !modifiers) return std::nullopt;
    return WindowSpaceAdjacentWalk::Shortcut{*keyCode, *modifiers};
}

}  // namespace

WindowSpaceAdjacentWalk::WindowSpaceAdjacentWalk(const WindowPlatform& platform,
                                                 std::filesystem::path homeFolder)
    : platform_(platform),
      spaces_(platform),
      shortcutFile_(std::move(homeFolder) / "Library/Preferences/com.apple.symbolichotkeys.plist") {}

bool WindowSpaceAdjacentWalk::walk(SpaceID to, const std::optional<Screen>& on) const {
    const auto target = std::to_string(to);
    const auto catalog = spaces_.loadCatalog(true);
    const auto display = catalog ? catalog->display(to) : std::nullopt;
    if (!display) {
        log("space walk no catalog for space=" + target);
        return false;
    }
    auto screen = on ? on : screenMatching(display->identifier);
    if (!screen) screen = platform_.screens.mainScreen();
    if (!screen) {
        const auto all = platform_.screens.screens();
        if (!all.empty()) screen = all.front();
    }
    if (!screen) {
        log("space walk no screen");
        return false;
    }

    const Point pointer = platform_.screens.mouseLocation();
    focusScreen(*screen);
    const auto done = [&](bool arrived) {
        restoreMouse(pointer, *screen);
        return arrived;
    };

    const int maxSteps = std::max(static_cast<int>(display->spaces.size()) + 2, 3);
    log("space walk start target=" + target + " display=" + display->identifier +
        " maxSteps=" + std::to_string(maxSteps));
    for (int step = 0; step < maxSteps; ++step) {
        const auto now = spaces_.loadCatalog(true);
        const auto row = now ? now->display(to) : std::nullopt;
        if (!row) break;
        const auto current = row->currentManagedID ? row->currentManagedID : spaces_.currentSpaceID(*screen);
        if (current == to) {
            log("space walk arrived step=" + std::to_string(step) + " space=" + target);
            return done(true);
        }
        const auto index = [&](std::optional<SpaceID> space) {
            const auto found =
                std::ranges::find(row->spaces, space, &WindowSpaceSupport::SpaceCatalog::Space::managedID);
            return found == row->spaces.end() ? std::nullopt : std::optional(found - row->spaces.begin());
        };
        const auto from = index(current);
        const auto toIndex = index(to);
        if (!current || !from || !toIndex) {
            log("space walk index missing current=" + spaceText(current) + " target=" + target);
            break;
        }
        // The row does not wrap: only a target to the left is reached by going left.
        const bool previous = *toIndex < *from;
        log("space walk step=" + std::to_string(step) + " from=" + std::to_string(*from) +
            " to=" + std::to_string(*toIndex) + " previous=" + text(previous));
        if (!postAdjacent(previous)) {
            log("space walk System Events failed");
            return done(false);
        }
        platform_.scheduler.sleepBlocking(kStepPause);
    }

    bool arrived = spaces_.currentSpaceID(*screen) == to;
    if (!arrived) {
        const auto last = spaces_.loadCatalog(true);
        const auto row = last ? last->display(to) : std::nullopt;
        arrived = row && row->currentManagedID == to;
    }
    log("space walk end arrived=" + std::string(text(arrived)) + " target=" + target);
    return done(arrived);
}

std::string WindowSpaceAdjacentWalk::keyCodeScript(const Shortcut& shortcut) {
    std::string words;
    for (const auto& [bit, word] : kModifierWords) {
        if ((shortcut.modifiers & bit) == 0) continue;
        words += (words.empty() ? "" : ", ") + std::string(word);
    }
    std::string source = "tell application \"System Events\" to key code " + std::to_string(shortcut.keyCode);
    if (!words.empty()) source += " using {" + words + "}";
    return source;
}

bool WindowSpaceAdjacentWalk::postAdjacent(bool previous) const {
    const auto shortcut = readSymbolicHotkey(previous ? kPreviousHotKeys : kNextHotKeys)
                              .value_or(Shortcut{previous ? kLeftArrow : kRightArrow, kControl});
    log("space walk keyCode=" + std::to_string(shortcut.keyCode) +
        " modifiers=" + std::to_string(shortcut.modifiers) + " previous=" + text(previous));
    const auto script = platform_.appleScripts.make(keyCodeScript(shortcut));
    if (!script) return false;
    if (const auto error = script->execute()) {
        log("space walk AppleScript error=" + *error);
        return false;
    }
    return true;
}

std::optional<WindowSpaceAdjacentWalk::Shortcut> WindowSpaceAdjacentWalk::readSymbolicHotkey(
    std::span<const std::uint32_t> ids) const {
    const auto file = readPlistFile(shortcutFile_);
    const auto* root = file ? file->getIf<PlistDict>() : nullptr;
    const auto* hotKeys = root ? root->find("AppleSymbolicHotKeys") : nullptr;
    const auto* table = hotKeys ? hotKeys->getIf<PlistDict>() : nullptr;
    if (table == nullptr) return std::nullopt;
    for (const auto id : ids) {
        if (auto shortcut = readEntry(table->find(std::to_string(id)))) return shortcut;
    }
    return std::nullopt;
}

std::optional<Screen> WindowSpaceAdjacentWalk::screenMatching(std::string_view displayIdentifier) const {
    const auto screens = platform_.screens.screens();
    if (displayIdentifier == "Main")
        return screens.empty() ? platform_.screens.mainScreen() : screens.front();
    const auto found = std::ranges::find_if(screens, [&](const Screen& screen) {
        const auto uuid = spaces_.cgDisplayUUIDString(screen);
        return uuid && equalsIgnoringCase(*uuid, displayIdentifier);
    });
    return found == screens.end() ? std::nullopt : std::optional(*found);
}

double WindowSpaceAdjacentWalk::topEdge(const Screen& fallback) const {
    const auto screens = platform_.screens.screens();
    return (screens.empty() ? fallback : screens.front()).frame.maxY();
}

void WindowSpaceAdjacentWalk::focusScreen(const Screen& screen) const {
    const Rect& frame = screen.frame;
    platform_.mouseCursor.warpMouseCursorPosition(
        Point{frame.x + frame.width / 2, topEdge(screen) - (frame.y + frame.height / 2)});
}

void WindowSpaceAdjacentWalk::restoreMouse(Point point, const Screen& walkScreen) const {
    platform_.mouseCursor.warpMouseCursorPosition(Point{point.x, topEdge(walkScreen) - point.y});
}

}  // namespace tavelin
