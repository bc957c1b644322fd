#include "platform/sim/Desktop.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <set>
#include <utility>

#include "platform/FileContents.h"
#include "protocol/JsonCoding.h"

namespace tavelin::sim {
namespace {

constexpr std::size_t kMaxDesktopFileBytes = 16 * 1024 * 1024;

// The codec ignores keys it does not know, as the wire must; a file written by hand must not.
bool onlyKeys(const JsonValue& v, std::initializer_list<std::string_view> keys) {
    simdjson::dom::object object;
    if (v.element().get_object().get(object)) return v.failType("an object");
    for (const auto field : object) {
        if (std::find(keys.begin(), keys.end(), field.key) == keys.end()) {
            return v.fail("unknown key \"" + std::string(field.key) + "\"");
        }
    }
    return true;
}

// Fails at the field `key` of the object that `r` reads.
bool failField(const ObjectReader& r, std::string_view key, std::string_view message) {
    const DecodePath path(r.value().path(), key);
    return r.value().at(r.value().element(), path).fail(message);
}

// Reads a required text that must not be empty.
bool requiredText(ObjectReader& r, std::string_view key, std::string& out) {
    if (!r.required(key, out).ok()) return false;
    return !out.empty() || failField(r, key, "must not be empty");
}

// Letters, digits, '-' and '.', starting with a letter or digit: it also names a preference file.
bool requiredBundleIdentifier(ObjectReader& r, std::string_view key, std::string& out) {
    if (!r.required(key, out).ok()) return false;
    const auto isAlphanumeric = [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    };
    const bool valid = !out.empty() && isAlphanumeric(out.front()) && std::ranges::all_of(out, [&](char c) {
        return isAlphanumeric(c) || c == '-' || c == '.';
    });
    return valid || failField(r, key, "expected a bundle identifier, found \"" + out + "\"");
}

// No text of the file holds a NUL: names and paths end up in file names and plists, which end a text
// at the first one or cannot hold it.
bool holdsNoNul(const JsonValue& v) {
    const auto element = v.element();
    if (std::string_view text; !element.get_string().get(text)) {
        return text.find('\0') == std::string_view::npos || v.fail("must not hold a NUL character");
    }
    if (simdjson::dom::array array; !element.get_array().get(array)) {
        std::size_t index = 0;
        for (const auto item : array) {
            const DecodePath path(v.path(), index++);
            if (!holdsNoNul(v.at(item, path))) return false;
        }
    }
    if (simdjson::dom::object object; !element.get_object().get(object)) {
        for (const auto field : object) {
            const DecodePath path(v.path(), field.key);
            if (!holdsNoNul(v.at(field.value, path))) return false;
        }
    }
    return true;
}

bool stepsOut(const std::filesystem::path& path) {
    return std::ranges::any_of(path, [](const std::filesystem::path& part) { return part == ".."; });
}

bool requiredAbsolutePath(ObjectReader& r, std::string_view key, std::filesystem::path& out) {
    std::string text;
    if (!r.required(key, text).ok()) return false;
    if (text.empty() || text.front() != '/') {
        return failField(r, key, "expected an absolute path, found \"" + text + "\"");
    }
    out = text;
    return !stepsOut(out) || failField(r, key, "must not step out with \"..\"");
}

// An absolute path or one in the home folder ("~/Downloads").
bool requiredMacPath(ObjectReader& r, std::string_view key, std::string& out) {
    if (!r.required(key, out).ok()) return false;
    if (!out.starts_with('/') && out != "~" && !out.starts_with("~/")) {
        return failField(r, key, "expected a path starting with \"/\" or \"~/\", found \"" + out + "\"");
    }
    return !stepsOut(out) || failField(r, key, "must not step out with \"..\"");
}

// The name of the first of `keys` that the object holds, when exactly one is held.
bool exactlyOneOf(ObjectReader& r, std::initializer_list<std::string_view> keys, std::string_view& found) {
    found = {};
    for (const auto key : keys) {
        if (!r.find(key)) continue;
        if (!found.empty()) {
            return r.value().fail("holds both \"" + std::string(found) + "\" and \"" + std::string(key) + "\"");
        }
        found = key;
    }
    if (!found.empty()) return true;
    std::string names;
    for (const auto key : keys) names += (names.empty() ? "\"" : ", \"") + std::string(key) + "\"";
    return r.value().fail("expected one of the keys " + names);
}

bool readSpacer(ObjectReader& r, DesktopDockTile& tile) {
    std::string size;
    if (!r.required("spacer", size).ok()) return false;
    static constexpr std::pair<std::string_view, DesktopDockTileKind> kSizes[] = {
        {"regular", DesktopDockTileKind::spacer},
        {"small", DesktopDockTileKind::smallSpacer},
        {"flex", DesktopDockTileKind::flexSpacer},
    };
    for (const auto& [name, kind] : kSizes) {
        if (size == name) {
            tile.kind = kind;
            return true;
        }
    }
    return failField(r, "spacer", "expected \"regular\", \"small\" or \"flex\", found \"" + size + "\"");
}

bool readProgram(const JsonValue& v, BundleInfo& program) {
    if (!onlyKeys(v, {"bundleIdentifier", "version", "path"})) return false;
    ObjectReader r(v);
    return requiredBundleIdentifier(r, "bundleIdentifier", program.identifier) &&
           requiredText(r, "version", program.version) && requiredAbsolutePath(r, "path", program.path);
}

const DesktopApplication* findApplication(const Desktop& desktop, std::string_view bundleIdentifier) {
    const auto found = std::ranges::find(desktop.applications, bundleIdentifier, &DesktopApplication::bundleIdentifier);
    return found == desktop.applications.end() ? nullptr : &*found;
}

// The front application runs, and the Dock names installed applications only.
bool checkReferences(const JsonValue& v, const Desktop& desktop) {
    if (desktop.frontmost) {
        const auto* front = findApplication(desktop, *desktop.frontmost);
        if (front == nullptr || !front->running) {
            const DecodePath path(v.path(), "frontmost");
            return v.at(v.element(), path).fail("\"" + *desktop.frontmost + "\" is no running application");
        }
    }
    if (!desktop.dock) return true;
    const DecodePath dock(v.path(), "dock");
    const auto failUnknown = [&](const DecodePath& path, const std::string& identifier) {
        return v.at(v.element(), path).fail("\"" + identifier + "\" is no installed application");
    };
    for (const auto list : {"fixed", "others"}) {
        const auto& tiles = std::string_view(list) == "fixed" ? desktop.dock->fixed : desktop.dock->others;
        for (std::size_t i = 0; i < tiles.size(); ++i) {
            if (tiles[i].kind != DesktopDockTileKind::application || findApplication(desktop, tiles[i].target))
                continue;
            const DecodePath listPath(dock, list);
            const DecodePath entry(listPath, i);
            const DecodePath path(entry, "application");
            return failUnknown(path, tiles[i].target);
        }
    }
    for (std::size_t i = 0; i < desktop.dock->recents.size(); ++i) {
        if (findApplication(desktop, desktop.dock->recents[i])) continue;
        const DecodePath recents(dock, "recents");
        const DecodePath path(recents, i);
        return failUnknown(path, desktop.dock->recents[i]);
    }
    return true;
}

}  // namespace

bool fromJSON(const JsonValue& v, DesktopHost& host) {
    if (!onlyKeys(v, {"name", "systemVersion"})) return false;
    ObjectReader r(v);
    r.optional("name", host.name).orDefault("systemVersion", host.systemVersion, DesktopHost{}.systemVersion);
    if (!r.ok()) return false;
    return parseSystemVersion(host.systemVersion) ||
           failField(r, "systemVersion",
                     "expected \"Version <major>.<minor>[.<patch>] (Build <build>)\", found \"" + host.systemVersion +
                         "\"");
}

bool fromJSON(const JsonValue& v, DesktopApplication& application) {
    if (!onlyKeys(v, {"bundleIdentifier", "name", "path", "running", "activationPolicy", "launchDate", "opens"}))
        return false;
    ObjectReader r(v);
    if (!requiredBundleIdentifier(r, "bundleIdentifier", application.bundleIdentifier) ||
        !requiredText(r, "name", application.name) || !requiredAbsolutePath(r, "path", application.path)) {
        return false;
    }
    r.orDefault("running", application.running, false)
        .orDefault("activationPolicy", application.activationPolicy, RawActivationPolicy::regular)
        .optional("launchDate", application.launchDate)
        .orDefault("opens", application.opens, {});
    if (!r.ok()) return false;
    for (auto& extension : application.opens) {
        std::ranges::transform(extension, extension.begin(),
                               [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    }
    return true;
}

bool fromJSON(const JsonValue& v, DesktopDockTile& tile) {
    ObjectReader r(v);
    std::string_view kind;
    if (!r.ok() || !exactlyOneOf(r, {"application", "folder", "file", "url", "spacer"}, kind)) return false;
    if (kind == "spacer") return onlyKeys(v, {"spacer"}) && readSpacer(r, tile);
    if (kind == "folder" ? !onlyKeys(v, {"folder", "label", "showAs", "arrangement"})
                         : !onlyKeys(v, {kind, "label"})) {
        return false;
    }
    if (kind == "application") {
        tile.kind = DesktopDockTileKind::application;
        if (!requiredBundleIdentifier(r, "application", tile.target)) return false;
    } else if (kind == "url") {
        tile.kind = DesktopDockTileKind::url;
        if (!requiredText(r, "url", tile.target)) return false;
    } else {
        tile.kind = kind == "folder" ? DesktopDockTileKind::folder : DesktopDockTileKind::file;
        if (!requiredMacPath(r, kind, tile.target)) return false;
    }
    r.optional("label", tile.label).optional("showAs", tile.showAs).optional("arrangement", tile.arrangement);
    return r.ok();
}

bool fromJSON(const JsonValue& v, DesktopDock& dock) {
    if (!onlyKeys(v, {"fixed", "others", "recents", "showRecents"})) return false;
    ObjectReader r(v);
    r.orDefault("fixed", dock.fixed, {})
        .orDefault("others", dock.others, {})
        .orDefault("recents", dock.recents, {})
        .orDefault("showRecents", dock.showRecents, true);
    if (!r.ok()) return false;
    for (std::size_t i = 0; i < dock.fixed.size(); ++i) {
        const auto kind = dock.fixed[i].kind;
        if (kind == DesktopDockTileKind::folder || kind == DesktopDockTileKind::file ||
            kind == DesktopDockTileKind::url) {
            const DecodePath list(v.path(), "fixed");
            const DecodePath entry(list, i);
            return v.at(v.element(), entry).fail("only applications and spacers stand among the fixed tiles");
        }
    }
    return true;
}

namespace {

// Six 6K displays side by side, the most a Mac drives, span some 36000 points, and windows may hang past
// them. Within 100000 points every place and size is one a screen, window or pointer can have, and every
// pixel count made from them at the largest scale (400000) stays far inside the integers that drawing
// and capture convert them to.
constexpr double kMaxCoordinate = 100000;
constexpr double kMaxLength = 100000;
// Macs draw at 1 or 2 pixels per point; 4 leaves room for denser displays.
constexpr double kMinScale = 1;
constexpr double kMaxScale = 4;

// False for NaN too.
bool isCoordinate(double value) { return value >= -kMaxCoordinate && value <= kMaxCoordinate; }
bool isLength(double value) { return value > 0 && value <= kMaxLength; }

bool readFrame(ObjectReader& r, std::string_view key, Rect& out) {
    std::vector<double> frame;
    if (!r.required(key, frame).ok()) return false;
    if (frame.size() != 4 || !isCoordinate(frame[0]) || !isCoordinate(frame[1]) || !isLength(frame[2]) ||
        !isLength(frame[3])) {
        return failField(
            r, key,
            "expected [x, y, width, height] with x and y from -100000 to 100000 and a width and height "
            "above 0 and at most 100000");
    }
    out = Rect{frame[0], frame[1], frame[2], frame[3]};
    return true;
}

bool readPoint(ObjectReader& r, std::string_view key, std::optional<Point>& out) {
    std::optional<std::vector<double>> point;
    if (!r.optional(key, point).ok()) return false;
    if (!point) return true;
    if (point->size() != 2 || !isCoordinate((*point)[0]) || !isCoordinate((*point)[1])) {
        return failField(r, key, "expected [x, y] with x and y from -100000 to 100000");
    }
    out = Point{(*point)[0], (*point)[1]};
    return true;
}

}  // namespace

bool fromJSON(const JsonValue& v, DesktopWindow& window) {
    if (!onlyKeys(v, {"application", "title", "frame", "minimized", "screen", "space"})) return false;
    ObjectReader r(v);
    std::optional<std::int64_t> screen, space;
    if (!requiredBundleIdentifier(r, "application", window.application) || !readFrame(r, "frame", window.frame)) {
        return false;
    }
    r.orDefault("title", window.title, std::string()).orDefault("minimized", window.minimized, false);
    r.optional("screen", screen).optional("space", space);
    if (!r.ok()) return false;
    if (screen && (*screen < 0 || *screen > 64)) return failField(r, "screen", "expected a screen index");
    if (space && (*space < 0 || *space > 64)) return failField(r, "space", "expected a Space index");
    if (screen) window.screen = static_cast<std::size_t>(*screen);
    if (space) window.space = static_cast<std::size_t>(*space);
    return true;
}

bool fromJSON(const JsonValue& v, DesktopScreen& screen) {
    if (!onlyKeys(v, {"name", "number", "frame", "scale", "main", "desktopPicture", "visibleFrame", "uuid", "spaces",
                      "currentSpace"}))
        return false;
    ObjectReader r(v);
    std::optional<std::int64_t> number;
    if (!requiredText(r, "name", screen.name) || !readFrame(r, "frame", screen.frame)) return false;
    if (r.find("visibleFrame")) {
        screen.visibleFrame.emplace();
        if (!readFrame(r, "visibleFrame", *screen.visibleFrame)) return false;
    }
    std::int64_t spaces = 1, current = 0;
    if (!r.optional("uuid", screen.uuid).orDefault("spaces", spaces, std::int64_t{1}).orDefault("currentSpace", current, std::int64_t{0}).ok())
        return false;
    if (spaces < 1 || spaces > 16) return failField(r, "spaces", "expected 1 to 16 Spaces");
    if (current < 0 || current >= spaces) return failField(r, "currentSpace", "expected the index of one of its Spaces");
    screen.spaces = static_cast<int>(spaces);
    screen.currentSpace = static_cast<int>(current);
    if (!r.optional("number", number).orDefault("scale", screen.scale, 1.0).orDefault("main", screen.main, false).ok())
        return false;
    if (number && (*number < 0 || *number > std::numeric_limits<std::uint32_t>::max())) {
        return failField(r, "number", "expected a display ID from 0 to 4294967295");
    }
    if (number) screen.number = static_cast<std::uint32_t>(*number);
    if (!(screen.scale >= kMinScale && screen.scale <= kMaxScale)) {
        return failField(r, "scale", "expected a number from 1 to 4");
    }
    if (r.find("desktopPicture")) {
        screen.desktopPicture.emplace();
        if (!requiredMacPath(r, "desktopPicture", *screen.desktopPicture)) return false;
    }
    return true;
}

bool fromJSON(const JsonValue& v, DesktopFile& file) {
    if (!onlyKeys(v, {"path", "from"})) return false;
    ObjectReader r(v);
    std::string from;
    if (!requiredMacPath(r, "path", file.path) || !requiredText(r, "from", from)) return false;
    file.from = from;
    if (file.from.is_absolute()) return failField(r, "from", "expected a path relative to the desktop file");
    return !stepsOut(file.from) || failField(r, "from", "must not step out with \"..\"");
}

namespace {

// The first screen holds the menu bar at the origin; display IDs are unique; one main screen at most.
bool checkScreens(const JsonValue& v, const std::vector<DesktopScreen>& screens) {
    const DecodePath list(v.path(), "screens");
    std::set<std::uint32_t> numbers;
    bool mainSeen = false;
    for (std::size_t i = 0; i < screens.size(); ++i) {
        const DecodePath entry(list, i);
        const auto fail = [&](std::string_view key, const std::string& message) {
            const DecodePath path(entry, key);
            return v.at(v.element(), path).fail(message);
        };
        if (i == 0 && (screens[i].frame.x != 0 || screens[i].frame.y != 0)) {
            return fail("frame", "the first screen holds the menu bar: its frame starts at 0, 0");
        }
        if (screens[i].number && !numbers.insert(*screens[i].number).second) {
            return fail("number", "display " + std::to_string(*screens[i].number) + " is listed twice");
        }
        if (screens[i].main && std::exchange(mainSeen, true)) return fail("main", "only one screen is the main one");
    }
    return true;
}

// Windows belong to running applications and name screens and Spaces that exist.
bool checkWindows(const JsonValue& v, const Desktop& desktop) {
    const DecodePath list(v.path(), "windows");
    for (std::size_t i = 0; i < desktop.windows.size(); ++i) {
        const auto& window = desktop.windows[i];
        const DecodePath entry(list, i);
        const auto fail = [&](std::string_view key, const std::string& message) {
            const DecodePath path(entry, key);
            return v.at(v.element(), path).fail(message);
        };
        const auto* application = findApplication(desktop, window.application);
        if (application == nullptr || !application->running) {
            return fail("application", "\"" + window.application + "\" is no running application");
        }
        if (window.screen && *window.screen >= desktop.screens.size()) return fail("screen", "no such screen");
        const auto screen = screenIndex(desktop, window);
        if (window.space && (screen >= desktop.screens.size() ||
                             *window.space >= static_cast<std::size_t>(desktop.screens[screen].spaces))) {
            return fail("space", "the screen has no such Space");
        }
    }
    return true;
}

}  // namespace

bool fromJSON(const JsonValue& v, DesktopPrivacy& privacy) {
    if (!onlyKeys(v, {"accessibility", "screenRecording"})) return false;
    ObjectReader r(v);
    r.orDefault("accessibility", privacy.accessibility, false).orDefault("screenRecording", privacy.screenRecording, false);
    return r.ok();
}

bool fromJSON(const JsonValue& v, Desktop& desktop) {
    if (!holdsNoNul(v)) return false;
    if (!onlyKeys(v, {"host", "program", "applications", "frontmost", "dock", "screens", "mouseLocation", "windows",
                      "files", "privacy"}))
        return false;
    ObjectReader r(v);
    r.orDefault("host", desktop.host, DesktopHost{})
        .orDefault("applications", desktop.applications, {})
        .optional("frontmost", desktop.frontmost)
        .optional("dock", desktop.dock)
        .orDefault("screens", desktop.screens, Desktop{}.screens)
        .orDefault("windows", desktop.windows, {})
        .orDefault("files", desktop.files, {})
        .orDefault("privacy", desktop.privacy, {});
    if (!r.ok() || !checkScreens(v, desktop.screens) || !checkWindows(v, desktop) ||
        !readPoint(r, "mouseLocation", desktop.mouseLocation)) {
        return false;
    }
    if (const auto program = r.find("program")) {
        const DecodePath path(v.path(), "program");
        if (!readProgram(v.at(*program, path), desktop.program)) return false;
    }
    std::set<std::string_view> seen;
    for (std::size_t i = 0; i < desktop.applications.size(); ++i) {
        const auto& identifier = desktop.applications[i].bundleIdentifier;
        if (!seen.insert(identifier).second) {
            const DecodePath list(v.path(), "applications");
            const DecodePath entry(list, i);
            const DecodePath path(entry, "bundleIdentifier");
            return v.at(v.element(), path).fail("\"" + identifier + "\" is listed twice");
        }
    }
    return checkReferences(v, desktop);
}

std::size_t screenIndex(const Desktop& desktop, const DesktopWindow& window) {
    if (window.screen) return *window.screen;
    const Point centre{window.frame.x + window.frame.width / 2, window.frame.y + window.frame.height / 2};
    for (std::size_t i = 0; i < desktop.screens.size(); ++i) {
        if (mouseInRect(centre, desktop.screens[i].frame, false)) return i;
    }
    return 0;
}

std::optional<OperatingSystemVersion> parseSystemVersion(std::string_view text) {
    constexpr std::string_view prefix = "Version ";
    if (!text.starts_with(prefix)) return std::nullopt;
    text.remove_prefix(prefix.size());
    int parts[3] = {0, 0, 0};
    int count = 0;
    for (; count < 3; ++count) {
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parts[count]);
        if (error != std::errc{} || parts[count] < 0) return std::nullopt;
        text.remove_prefix(static_cast<std::size_t>(end - text.data()));
        if (!text.starts_with('.')) break;
        text.remove_prefix(1);
    }
    if (count == 0 || count == 3 || !text.starts_with(" (Build ") || !text.ends_with(')')) return std::nullopt;
    return OperatingSystemVersion{parts[0], parts[1], parts[2]};
}

std::filesystem::path diskPath(const std::filesystem::path& homeFolder, const std::filesystem::path& macPath) {
    const auto text = macPath.string();
    if (text == "~") return homeFolder;
    if (text.starts_with("~/")) return homeFolder / text.substr(2);
    return homeFolder / macPath.relative_path();
}

std::expected<Desktop, DecodeError> loadDesktopFile(const std::filesystem::path& path) {
    const auto text = readFileContents(path, kMaxDesktopFileBytes);
    if (!text) return std::unexpected(DecodeError{text.error().message});
    auto desktop = decodeJSON<Desktop>(*text);
    if (!desktop) return std::unexpected(DecodeError{path.string() + ": " + desktop.error().message});
    for (auto& file : desktop->files) {
        file.from = path.parent_path() / file.from;
        std::error_code error;
        if (!std::filesystem::is_regular_file(file.from, error)) {
            const auto* problem =
                std::filesystem::is_directory(file.from, error) ? " is a folder, not a file" : " is missing";
            return std::unexpected(DecodeError{path.string() + ": files: " + file.from.string() + problem});
        }
    }
    return desktop;
}

}  // namespace tavelin::sim
