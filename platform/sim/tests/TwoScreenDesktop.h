#pragma once

// A desktop for the window world's tests: two screens side by side (the built-in one at the origin,
// scale 2, two Spaces; a taller one to its right, display number 2), Safari in front with a window on
// each Space of the built-in screen and one on the external screen, Notes with one window.

#include <string_view>

namespace tavelin::sim {

inline constexpr std::string_view kTwoScreenDesktop = R"json({
    "applications": [
      {"bundleIdentifier": "com.apple.Safari", "name": "Safari", "path": "/Applications/Safari.app", "running": true},
      {"bundleIdentifier": "com.apple.Notes", "name": "Notes", "path": "/Applications/Notes.app", "running": true}
    ],
    "frontmost": "com.apple.Safari",
    "screens": [
      {"name": "Built-in", "number": 1, "frame": [0, 0, 1440, 900], "scale": 2, "spaces": 2},
      {"name": "Studio", "number": 2, "frame": [1440, 0, 1920, 1080]}
    ],
    "windows": [
      {"application": "com.apple.Safari", "title": "Front", "frame": [100, 100, 800, 600]},
      {"application": "com.apple.Notes", "title": "Notes", "frame": [200, 200, 400, 300]},
      {"application": "com.apple.Safari", "title": "Elsewhere", "frame": [100, 100, 800, 600], "space": 1},
      {"application": "com.apple.Safari", "title": "Studio", "frame": [1540, 100, 800, 600]}
    ]})json";

}  // namespace tavelin::sim
