#pragma once

// The desktop file: a hand-written JSON description of the simulated Mac that a test or the program
// starts from. Every key is checked: an unknown (misspelt) key or a bad value is an error that names
// it. A small file looks like this:
//
//     {
//       "host": {"name": "Studio Mac", "systemVersion": "Version 14.5 (Build 23F79)"},
//       "program": {"bundleIdentifier": "jp.fenwold.lomaret", "version": "1.0",
//                   "path": "/Applications/Lomaret.app"},
//       "applications": [
//         {"bundleIdentifier": "com.apple.finder", "name": "Finder",
//          "path": "/System/Library/CoreServices/Finder.app", "running": true},
//         {"bundleIdentifier": "com.apple.Safari", "name": "Safari", "path": "/Applications/Safari.app",
//          "running": true, "launchDate": "2025-01-06T08:30:00Z", "opens": ["html", "webloc"]}
//       ],
//       "frontmost": "com.apple.Safari",
//       "dock": {
//         "fixed": [{"application": "com.apple.finder"}, {"spacer": "small"}, {"application": "com.apple.Safari"}],
//         "others": [{"folder": "~/Downloads", "showAs": 2, "arrangement": 2},
//                    {"url": "https://example.org/", "label": "Example"}],
//         "recents": [], "showRecents": true
//       },
//       "screens": [
//         {"name": "Built-in Retina Display", "number": 1, "frame": [0, 0, 1512, 982], "scale": 2,
//          "desktopPicture": "/System/Library/Desktop Pictures/Lake.jpg"},
//         {"name": "Studio Display", "number": 2, "frame": [1512, 0, 2560, 1440], "main": true}
//       ],
//       "mouseLocation": [2000, 700]
//     }
//
// "host" and its keys may be left out (a host without a name of its own, also "name": null; a recent
// system version), and so may "program" (the program in /Applications) and "applications"; a program or
// application entry gives its first three keys. An application is not running unless it says so; its
// "activationPolicy" is "regular", "accessory" or "prohibited" (regular when left out). Without "dock"
// the Mac has no Dock running.
//
// Paths are the simulated Mac's: its disk is its home folder, so "/Applications/Safari.app" lies at
// "<home>/Applications/Safari.app", and "~/Downloads" at "<home>/Downloads". No path may step out
// with "..", and no text of the file may hold a NUL character.

#include <cstdint>
#include <expected>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Geometry.h"
#include "platform/HostInfo.h"
#include "platform/RunningApplication.h"
#include "protocol/JsonCodingForward.h"

namespace tavelin::sim {

struct DesktopHost {
    std::optional<std::string> name;
    std::string systemVersion = "Version 14.5 (Build 23F79)";
    friend bool operator==(const DesktopHost&, const DesktopHost&) = default;
};

// An application installed on the simulated Mac.
struct DesktopApplication {
    std::string bundleIdentifier;
    std::string name;
    std::filesystem::path path;
    bool running = false;
    RawActivationPolicy activationPolicy = RawActivationPolicy::regular;
    std::optional<Timestamp> launchDate;
    // File name extensions of the documents it opens, in lower case ("pdf").
    std::vector<std::string> opens;
    friend bool operator==(const DesktopApplication&, const DesktopApplication&) = default;
};

// One tile of the Dock, written {"application": bundle ID}, {"folder": path}, {"file": path},
// {"url": link} or {"spacer": "regular" | "small" | "flex"}, with an optional "label" (not for spacers)
// and, for folders, the Dock's raw "showAs" and "arrangement" numbers.
enum class DesktopDockTileKind { application, folder, file, url, spacer, smallSpacer, flexSpacer };

struct DesktopDockTile {
    DesktopDockTileKind kind = DesktopDockTileKind::application;
    std::string target;  // the bundle ID, path or link; empty for a spacer
    std::optional<std::string> label;
    std::optional<std::int64_t> showAs;
    std::optional<std::int64_t> arrangement;
    friend bool operator==(const DesktopDockTile&, const DesktopDockTile&) = default;
};

// The Dock as the user set it up: the fixed tiles left of the first separator (applications and
// spacers), the other tiles right of the applications, and the recent applications by bundle ID. The
// Finder leads the Dock also when "fixed" does not name it, and the Trash always ends it.
struct DesktopDock {
    std::vector<DesktopDockTile> fixed;
    std::vector<DesktopDockTile> others;
    std::vector<std::string> recents;
    bool showRecents = true;
    friend bool operator==(const DesktopDock&, const DesktopDock&) = default;
};

// One display. The first holds the menu bar, so its frame starts at 0, 0. "frame" is [x, y, width,
// height] in points with y growing upwards (x and y from -100000 to 100000, width and height above 0 and
// at most 100000, as for windows; the pointer lies in the same range); "number" the display's ID
// ("NSScreenNumber"), left out for a display that has none; "scale" the pixels per point (1 to 4; 1
// unless given); "main" marks the screen of the key window (the first unless one says so);
// "desktopPicture" the picture file the workspace names for it, which need not exist. "visibleFrame" is
// the frame less the menu bar and the Dock (the frame less 25 points at the top unless given); "uuid" the
// display's UUID (made from its number unless given); "spaces" how many Spaces it has (1 unless given)
// and "currentSpace" which one it shows, counted from 0 in row order.
struct DesktopScreen {
    std::string name;
    Rect frame;
    std::optional<std::uint32_t> number;
    double scale = 1;
    bool main = false;
    std::optional<std::string> desktopPicture;  // a path of the simulated Mac
    std::optional<Rect> visibleFrame;
    std::optional<std::string> uuid;
    int spaces = 1;
    int currentSpace = 0;
    friend bool operator==(const DesktopScreen&, const DesktopScreen&) = default;
};

// One window of a running application: "application" its bundle ID, "title", "frame" [x, y, width,
// height] in screen coordinates (y upwards), "minimized", and where it is: "screen" (the index of the
// screen, else the one under its centre) and "space" (the index in that screen's row of Spaces, else the
// one the screen shows). Windows are listed front to back.
struct DesktopWindow {
    std::string application;
    std::string title;
    Rect frame;
    bool minimized = false;
    std::optional<std::size_t> screen;
    std::optional<std::size_t> space;
    friend bool operator==(const DesktopWindow&, const DesktopWindow&) = default;
};

// A file the simulated Mac holds from the start, such as a desktop picture: "path" is where (a path of
// the simulated Mac), "from" the file that gives its content, relative to the desktop file's folder and
// inside it (made absolute when the desktop file is loaded). It is copied only when nothing lies there
// yet.
struct DesktopFile {
    std::string path;
    std::filesystem::path from;
    friend bool operator==(const DesktopFile&, const DesktopFile&) = default;
};

bool fromJSON(const JsonValue& v, DesktopFile& file);

// What the user granted the program in the system's privacy settings: "privacy": {"accessibility":
// true, "screenRecording": true}; nothing unless given.
struct DesktopPrivacy {
    bool accessibility = false;
    bool screenRecording = false;
    friend bool operator==(const DesktopPrivacy&, const DesktopPrivacy&) = default;
};

bool fromJSON(const JsonValue& v, DesktopPrivacy& privacy);

struct Desktop {
    static constexpr std::string_view typeName = "Desktop";

    DesktopHost host;
    BundleInfo program{"jp.fenwold.lomaret", "1.0", "/Applications/Lomaret.app"};
    std::vector<DesktopApplication> applications;
    // The bundle ID of the running application in front.
    std::optional<std::string> frontmost;
    std::optional<DesktopDock> dock;
    // Without "screens" one built-in display; "screens": [] is a Mac without any.
    std::vector<DesktopScreen> screens{DesktopScreen{"Built-in Retina Display", Rect{0, 0, 1440, 900}, 1, 2}};
    // "mouseLocation": [x, y] in screen coordinates; the middle of the first screen unless given.
    std::optional<Point> mouseLocation;
    std::vector<DesktopWindow> windows;
    std::vector<DesktopFile> files;
    DesktopPrivacy privacy;
    friend bool operator==(const Desktop&, const Desktop&) = default;
};

bool fromJSON(const JsonValue& v, Desktop& desktop);

// The index of the screen whose Spaces hold the window: its "screen", else the screen under the centre of
// its frame, else the first.
std::size_t screenIndex(const Desktop& desktop, const DesktopWindow& window);

// "Version 14.5 (Build 23F79)" as 14.5.0; none for a text of another form.
std::optional<OperatingSystemVersion> parseSystemVersion(std::string_view text);

// Where a path of the simulated Mac ("/Applications/Safari.app", "~/Downloads") lies on disk.
std::filesystem::path diskPath(const std::filesystem::path& homeFolder, const std::filesystem::path& macPath);

// Reads and checks a desktop file; the error names the file and the key.
std::expected<Desktop, DecodeError> loadDesktopFile(const std::filesystem::path& path);

}  // namespace tavelin::sim
