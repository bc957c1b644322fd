#pragma once

// The texts that name the desktop picture the service holds. A token changes when the picture or the
// arrangement of the screens changes, so that devices fetch it again:
//
//     "file:" + layout + ":" + path + ":" + modification time in whole seconds since 1970 ("0" unknown)
//     "capture:" + layout + ":" + screen identifier + ":" + 16 hex digits of SHA-256 of the JPEG's start
//     "empty:" + layout
//
// The layout lists each screen as "<identifier>|<x>,<y>,<width>x<height>" (points, truncated toward
// zero), joined by ";". Any thread.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Screens.h"
#include "protocol/Base64.h"

namespace tavelin {

// The display ID in decimal, or the screen's name when it has none.
std::string screenIdentifier(const Screen& screen);
std::string screenLayoutFingerprint(const std::vector<Screen>& screens);

std::string fileWallpaperToken(const std::filesystem::path& url, std::string_view layout);
// Hashes at most the first 65,536 bytes of the JPEG.
std::string captureWallpaperToken(const Screen& screen, std::string_view layout, const Bytes& jpeg);
std::string emptyWallpaperToken(std::string_view layout);

}  // namespace tavelin
