#include "mac/core/WallpaperWindowCapture.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <mutex>

#include "mac/core/WallpaperImaging.h"

namespace tavelin {
namespace {

constexpr double kMinimumCoverage = 0.95;
// How often a blocked wait looks whether the framework has answered.
constexpr Duration kPollInterval = std::chrono::milliseconds(10);

// One capture by the framework, shared between the waiting caller and the framework's answers, which
// may come on any thread and after the caller gave up.
class PendingCapture {
  public:
    // False when the caller gave up already: the answer is dropped, and not logged either.
    bool finish(std::optional<Bitmap> image) {
        std::lock_guard lock(mutex_);
        if (abandoned_) return false;
        finished_ = true;
        image_ = std::move(image);
        return true;
    }
    // False when the answer came first after all.
    bool abandon() {
        std::lock_guard lock(mutex_);
        if (finished_) return false;
        abandoned_ = true;
        return true;
    }
    bool isAbandoned() const {
        std::lock_guard lock(mutex_);
        return abandoned_;
    }
    bool isFinished() const {
        std::lock_guard lock(mutex_);
        return finished_;
    }
    std::optional<Bitmap> takeImage() {
        std::lock_guard lock(mutex_);
        return std::move(image_);
    }

  private:
    mutable std::mutex mutex_;
    bool finished_ = false;
    bool abandoned_ = false;
    std::optional<Bitmap> image_;
};

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
    auto pending = std::make_shared<PendingCapture>();
    // The answers may outlive this call: they hold the pending capture and what lives as long as the
    // platform, nothing of this object.
    screenCapture_.getShareableContent(
        false, true,
        [pending, target, displayID, &screenCapture = screenCapture_,
         &log = log_](std::expected<ShareableContent, ScreenCaptureError> content) {
            if (!content) {
                if (pending->finish(std::nullopt)) {
                    log.logf("Tavelin wallpaper: ScreenCaptureKit wallpaper window failed %s",
                             content.error().description.c_str());
                }
                return;
            }
            const auto window = std::ranges::find_if(content->windows, [&](const ShareableWindow& w) {
                return isWallpaperWindow(w.windowLayer, w.title.value_or(""), w.frame, target);
            });
            if (window == content->windows.end()) {
                if (pending->finish(std::nullopt)) {
                    log.logf("Tavelin wallpaper: no Wallpaper SCWindow on display %u", displayID);
                }
                return;
            }
            if (pending->isAbandoned()) return;
            const WindowScreenshotRequest request{.windowID = window->windowID,
                                                  .width = wholePixels(window->frame.width),
                                                  .height = wholePixels(window->frame.height),
                                                  .bestResolution = true,
                                                  .showsCursor = false};
            screenCapture.captureImage(request, [pending, &log](std::expected<Bitmap, ScreenCaptureError> image) {
                if (image) {
                    pending->finish(std::move(*image));
                } else if (pending->finish(std::nullopt)) {
                    log.logf("Tavelin wallpaper: ScreenCaptureKit wallpaper window failed %s",
                             image.error().description.c_str());
                }
            });
        });

    const auto& clock = scheduler_.clock();
    const Duration deadline = clock.uptime() + kScreenCaptureTimeout;
    while (!pending->isFinished()) {
        const Duration now = clock.uptime();
        if (now >= deadline && pending->abandon()) {
            log_.logf("Tavelin wallpaper: ScreenCaptureKit wallpaper window timed out after %.0fs",
                      std::chrono::duration<double>(kScreenCaptureTimeout).count());
            return std::nullopt;
        }
        scheduler_.sleepBlocking(std::clamp(deadline - now, Duration::zero(), kPollInterval));
    }
    return pending->takeImage();
}

}  // namespace tavelin
