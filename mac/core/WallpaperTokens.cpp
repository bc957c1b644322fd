#include "mac/core/WallpaperTokens.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <span>
#include <system_error>

#include "platform/Sha256.h"

namespace tavelin {
namespace {

constexpr std::size_t kHashedJPEGBytes = 65536;

// Truncated toward zero; a value beyond the integers (not a frame any display has) is held at their
// ends rather than converted, which C++ leaves undefined.
std::string wholeNumber(double value) {
    if (std::isnan(value)) return "0";
    constexpr double limit = 9.0e18;
    return std::to_string(static_cast<std::int64_t>(std::clamp(std::trunc(value), -limit, limit)));
}

}  // namespace

std::string screenIdentifier(const Screen& screen) {
    return screen.screenNumber ? std::to_string(*screen.screenNumber) : screen.localizedName;
}

std::string screenLayoutFingerprint(const std::vector<Screen>& screens) {
    std::string layout;
    for (const auto& screen : screens) {
        if (!layout.empty()) layout += ';';
        const Rect& f = screen.frame;
        layout += screenIdentifier(screen) + "|" + wholeNumber(f.x) + "," + wholeNumber(f.y) + "," +
                  wholeNumber(f.width) + "x" + wholeNumber(f.height);
    }
    return layout;
}

std::string fileWallpaperToken(const std::filesystem::path& url, std::string_view layout) {
    std::string seconds = "0";
    std::error_code error;
    const auto modified = std::filesystem::last_write_time(url, error);
    if (!error) {
        const auto sinceEpoch = std::chrono::file_clock::to_sys(modified).time_since_epoch();
        seconds = std::to_string(std::chrono::duration_cast<std::chrono::seconds>(sinceEpoch).count());
    }
    return "file:" + std::string(layout) + ":" + url.string() + ":" + seconds;
}

std::string captureWallpaperToken(const Screen& screen, std::string_view layout, const Bytes& jpeg) {
    const auto hashed = std::span(jpeg.data).first(std::min(jpeg.data.size(), kHashedJPEGBytes));
    return "capture:" + std::string(layout) + ":" + screenIdentifier(screen) + ":" + hexPrefix(sha256(hashed), 8);
}

std::string emptyWallpaperToken(std::string_view layout) { return "empty:" + std::string(layout); }

}  // namespace tavelin
