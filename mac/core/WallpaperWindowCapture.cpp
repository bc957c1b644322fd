#include "mac/core/WallpaperWindowCapture.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "mac/core/WallpaperImaging.h"
#include "runtime/Timeout.h"

namespace tavelin {
namespace {

constexpr double kMinimumCoverage = 0.95;

std::optional<double> number(const PlistDict& dictionary, std::string_view key) {
    const auto* value = dictionary.find(key);
    if (value == nullptr) return std::nullopt;
    if (const auto* integer = value->getIf<std::int64_t>()) return static_cast<double>(*integer);
    if (const auto* real = value->getIf<double>()) return *real;
    return std::nullopt;
}

std::optional<Rect> bounds(const PlistDict& info) {
    const auto* value = info.find(kCGWindowBounds);
    const auto* dictionary = value ? value->getIf<PlistDict>() : nullptr;
    if (dictionary == nullptr) return std::nullopt;
    const auto x = number(*dictionary, "X"), y = number(*dictionary, "Y");
    const auto width = number(*dictionary, "Width"), height = number(*dictionary, "Height");
    if (!x || !y || !width || !height) return std::nullopt;
    return Rect{*x, *y, *width, *height};
}

std::optional<std::uint32_t> windowNumber(const PlistDict& info) {
    const auto value = number(info, kCGWindowNumber);
    if (!value || *value < 0 || *value > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
    return static_cast<std::uint32_t>(*value);
}

int wholePixels(double length) {
    return static_cast<int>(std::clamp(std::trunc(length), 0.0, static_cast<double>(std::numeric_limits<int>::max())));
}

using CapturedImage = Answer<std::optional<Bitmap>>;

// The framework's two steps: find the window, then take its picture. The answers may come on any thread
// and outlive the wait: they hold the answer and what lives as long as the platform, nothing of the
// capture object. A failure is logged only when it came in time.
void startScreenCaptureKitCapture(ScreenCapture& screenCapture, SystemLog& log, const Rect& target,
                                  std::uint32_t displayID, CapturedImage answer) {
    auto onContent = [answer, target, displayID, &screenCapture,
                      &log](std::expected<ShareableContent, ScreenCaptureError> content) {
        if (!content) {
            if (answer.give(std::nullopt)) {
                log.logf("Tavelin wallpaper: ScreenCaptureKit wallpaper window failed %s",
                         content.error().description.c_str());
            }
            return;
        }
        const auto window = std::ranges::find_if(content->windows, [&](const ShareableWindow& w) {
            return isWallpaperWindow(w.windowLayer, w.title.value_or(""), w.frame, target);
        });
        if (window == content->windows.end()) {
            if (answer.give(std::nullopt)) {
                log.logf("Tavelin wallpaper: no Wallpaper SCWindow on display %u", displayID);
            }
            return;
        }
        if (!answer.isAwaited()) return;
        const WindowScreenshotRequest request{.windowID = window->windowID,
                                              .width = wholePixels(window->frame.width),
                                              .height = wholePixels(window->frame.height),
                                              .bestResolution = true,
                                              .showsCursor = false};
        screenCapture.captureImage(request, [answer, &log](std::expected<Bitmap, ScreenCaptureError> image) {
            if (image) {
                answer.give(std::move(*image));
            } else if (answer.give(std::nullopt)) {
                log.logf("Tavelin wallpaper: ScreenCaptureKit wallpaper window failed %s",
                         image.error().description.c_str());
            }
        });
    };
    screenCapture.getShareableContent(false, true, std::move(onContent));
}

}  // namespace

bool isWallpaperWindow(std::int64_t layer, std::string_view name, const Rect& frame, const Rect& target) {
    return layer == kDesktopWindowLayer && (name == "Wallpaper" || name.starts_with("Wallpaper-")) &&
           frame.width >= kMinimumCoverage * target.width && frame.height >= kMinimumCoverage * target.height &&
           frame.intersects(target);
}

WallpaperWindowCapture::WallpaperWindowCapture(WindowServer& windowServer, ScreenCapture& screenCapture,
                                               const Privacy& privacy, Scheduler& scheduler, SystemLog& log)
    : windowServer_(windowServer), screenCapture_(screenCapture), privacy_(privacy), scheduler_(scheduler), log_(log) {}

std::optional<std::uint32_t> WallpaperWindowCapture::desktopWallpaperWindowID(const Rect& target) const {
    const auto list = windowServer_.copyWindowInfo(WindowListOption::onScreenOnly, 0);
    const auto* entries = list ? list->getIf<PlistArray>() : nullptr;
    if (entries == nullptr) return std::nullopt;
    for (const auto& entry : *entries) {
        const auto* described = entry.getIf<PlistDict>();
        if (described == nullptr) continue;
        const auto& info = *described;
        const auto layer = number(info, kCGWindowLayer);
        const auto* nameValue = info.find(kCGWindowName);
        const auto* name = nameValue ? nameValue->getIf<std::string>() : nullptr;
        const auto frame = bounds(info);
        if (!layer || *layer != static_cast<double>(kDesktopWindowLayer) || !frame ||
            !isWallpaperWindow(kDesktopWindowLayer, name ? *name : "", *frame, target)) {
            continue;
        }
        if (const auto found = windowNumber(info)) return found;
    }
    return std::nullopt;
}

std::optional<Bytes> WallpaperWindowCapture::captureWithWindowList(const Rect& target, double maxLongEdge) {
    if (!privacy_.preflightScreenCaptureAccess()) return std::nullopt;
    const auto window = desktopWallpaperWindowID(target);
    if (!window) return std::nullopt;
    for (const auto option : {WindowImageOption::bestResolution, WindowImageOption::nominalResolution}) {
        const auto image = windowServer_.createWindowImage(std::nullopt, WindowListOption::includingWindow, *window, option);
        if (!image || image->width <= 1 || image->height <= 1) continue;
        auto encoded = jpeg(*image, maxLongEdge);
        if (encoded && !isUniformFill(*encoded)) return encoded;
    }
    log_.log("Tavelin wallpaper: legacy wallpaper window capture returned nil");
    return std::nullopt;
}

std::optional<Bytes> WallpaperWindowCapture::captureWithScreenCaptureKit(const Screen& screen, const Rect& target,
                                                                         double maxLongEdge) {
    if (!privacy_.preflightScreenCaptureAccess() || !screen.screenNumber) return std::nullopt;
    const auto image = screenCaptureKitImage(target, *screen.screenNumber);
    return image ? jpeg(*image, maxLongEdge) : std::nullopt;
}

std::optional<Bitmap> WallpaperWindowCapture::screenCaptureKitImage(const Rect& target, std::uint32_t displayID) {
    auto image = waitBlockingWithTimeout<std::optional<Bitmap>>(
        scheduler_, kScreenCaptureTimeout, [&](CapturedImage answer) {
            startScreenCaptureKitCapture(screenCapture_, log_, target, displayID, std::move(answer));
        });
    if (!image) {
        log_.logf("Tavelin wallpaper: ScreenCaptureKit wallpaper window timed out after %.0fs",
                  std::chrono::duration<double>(kScreenCaptureTimeout).count());
        return std::nullopt;
    }
    return std::move(*image);
}

}  // namespace tavelin
