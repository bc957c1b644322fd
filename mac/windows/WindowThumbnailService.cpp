#include "mac/windows/WindowThumbnailService.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "mac/windows/WindowGeometry.h"
#include "platform/HostInfo.h"
#include "platform/ImageCoding.h"
#include "platform/LocalizedStrings.h"
#include "platform/ScreenCapture.h"
#include "platform/WindowServer.h"
#include "protocol/Base64.h"
#include "runtime/Completion.h"
#include "runtime/Scheduler.h"

namespace tavelin {
namespace {

// A picture narrower or lower than this is no picture of a window.
constexpr int kMinimumCaptureSide = 2;

std::string thumbnailKey(const WindowID& windowID, std::int64_t contentRevision) {
    return windowID.rawValue() + "|" + std::to_string(contentRevision);
}

WindowThumbnailData pictureAnswer(const WindowID& windowID, std::int64_t contentRevision,
                                  const WindowThumbnailService::CacheEntry& entry) {
    return WindowThumbnailData{windowID,         contentRevision, entry.token,
                               base64Encode(entry.jpeg.data(), entry.jpeg.size()),
                               entry.width,      entry.height,    std::nullopt};
}

WindowThumbnailData unavailableAnswer(const WindowID& windowID, std::int64_t contentRevision,
                                      std::string_view reasonKey) {
    return WindowThumbnailData{windowID, contentRevision, "", "", 0, 0, std::string(localizedString(reasonKey))};
}

std::optional<WindowThumbnailService::CacheEntry> encodedEntry(const Bitmap& bitmap, std::string token) {
    auto jpeg = encodeJPEG(bitmap, WindowThumbnailService::kJPEGQuality);
    if (!jpeg || jpeg->empty()) return std::nullopt;
    return WindowThumbnailService::CacheEntry{std::move(token), std::move(*jpeg), bitmap.width, bitmap.height};
}

// The side of the screenshot for a frame side in points: its whole part, from 1 to `maximum`.
int screenshotSide(double points, int maximum) {
    const double whole = std::trunc(points);
    if (!(whole >= 1)) return 1;  // also not a number
    return whole >= maximum ? maximum : static_cast<int>(whole);
}

}  // namespace

WindowThumbnailService::WindowThumbnailService(const Platform& platform)
    : platform_(platform), queue_(platform.scheduler.serialQueue("tavelin.window-thumbnails")) {}

Task<WindowThumbnailData> WindowThumbnailService::thumbnail(WindowID windowID, std::int64_t contentRevision,
                                                            std::optional<std::string> /*knownToken*/,
                                                            bool screenRecordingGranted) {
    co_await queue_.hop();
    const auto key = thumbnailKey(windowID, contentRevision);
    if (const auto* entry = lookUp(key)) co_return pictureAnswer(windowID, contentRevision, *entry);

    if (!inFlight_.contains(key)) {
        if (!screenRecordingGranted) {
            co_return unavailableAnswer(windowID, contentRevision, "window.thumbnail.needScreenRecording");
        }
        const auto windowNumber = parseCGWindowID(windowID);
        if (!windowNumber) co_return unavailableAnswer(windowID, contentRevision, "window.thumbnail.unavailable");
        // The capture belongs to its entry in inFlight, not to this request: it finishes, stores its
        // picture and wakes every waiter once even when this request is gone.
        inFlight_.emplace(key, Capture{});
        startTask(queue_, runCapture(shared_from_this(), key, *windowNumber, windowID, contentRevision),
                  Cancellation::cooperative);
    }
    const auto entry = co_await awaitCompletion<std::optional<CacheEntry>>(
        [this, &key](Waiter done) { inFlight_.at(key).waiters.push_back(std::move(done)); });
    if (!entry) co_return unavailableAnswer(windowID, contentRevision, "window.thumbnail.unavailable");
    co_return pictureAnswer(windowID, contentRevision, *entry);
}

Task<void> WindowThumbnailService::runCapture(std::shared_ptr<WindowThumbnailService> self, std::string key,
                                              std::uint32_t windowNumber, WindowID windowID,
                                              std::int64_t contentRevision) {
    auto entry = co_await self->capture(windowNumber, windowID, contentRevision);
    auto capture = std::move(self->inFlight_.at(key));
    self->inFlight_.erase(key);
    if (entry) self->store(key, *entry);
    for (auto& waiter : capture.waiters) waiter(entry);
}

Task<std::optional<WindowThumbnailService::CacheEntry>> WindowThumbnailService::capture(
    std::uint32_t windowNumber, const WindowID& windowID, std::int64_t contentRevision) {
    if (auto entry = captureLegacy(windowNumber, windowID, contentRevision)) co_return entry;
    if (!platform_.host.operatingSystemVersion().isAtLeast(14)) co_return std::nullopt;
    co_return co_await captureWithScreenCaptureKit(windowNumber);
}

std::optional<WindowThumbnailService::CacheEntry> WindowThumbnailService::captureLegacy(
    std::uint32_t windowNumber, const WindowID& windowID, std::int64_t contentRevision) {
    const auto image = platform_.windowServer.createWindowImage(
        std::nullopt, WindowListOption::includingWindow, windowNumber,
        WindowImageOption::boundsIgnoreFraming | WindowImageOption::bestResolution);
    if (!image || image->width < kMinimumCaptureSide || image->height < kMinimumCaptureSide) return std::nullopt;
    return encodedEntry(*image, "w:" + windowID.rawValue() + ":" + std::to_string(contentRevision));
}

Task<std::optional<WindowThumbnailService::CacheEntry>> WindowThumbnailService::captureWithScreenCaptureKit(
    std::uint32_t windowNumber) {
    using ContentAnswer = std::expected<ShareableContent, ScreenCaptureError>;
    const auto content = co_await awaitCompletion<ContentAnswer>([this](auto done) {
        platform_.screenCapture.getShareableContent(true, false, std::move(done));
    });
    if (!content) co_return std::nullopt;
    const auto window = std::ranges::find(content->windows, windowNumber, &ShareableWindow::windowID);
    if (window == content->windows.end()) co_return std::nullopt;

    WindowScreenshotRequest request;
    request.windowID = windowNumber;
    request.width = screenshotSide(window->frame.width, kMaxScreenshotWidth);
    request.height = screenshotSide(window->frame.height, kMaxScreenshotHeight);
    request.showsCursor = false;
    using ImageAnswer = std::expected<Bitmap, ScreenCaptureError>;
    const auto image = co_await awaitCompletion<ImageAnswer>([this, &request](auto done) {
        platform_.screenCapture.captureImage(request, std::move(done));
    });
    if (!image) co_return std::nullopt;
    auto entry = encodedEntry(*image, "");
    if (entry) entry->token = "t:" + std::to_string(windowNumber) + "|" + std::to_string(entry->jpeg.size());
    co_return entry;
}

const WindowThumbnailService::CacheEntry* WindowThumbnailService::lookUp(const std::string& key) {
    const auto found = cache_.find(key);
    if (found == cache_.end()) return nullptr;
    recency_.splice(recency_.begin(), recency_, found->second.recency);
    return &found->second.entry;
}

void WindowThumbnailService::store(const std::string& key, CacheEntry entry) {
    cachedBytes_ += entry.jpeg.size();
    recency_.push_front(key);
    cache_.insert_or_assign(key, Kept{std::move(entry), recency_.begin()});
    // The newest entry is the last to go: alone above the bound it is answered once and not kept.
    while (cachedBytes_ > kMaxCachedJPEGBytes && !recency_.empty()) {
        const auto oldest = cache_.find(recency_.back());
        cachedBytes_ -= oldest->second.entry.jpeg.size();
        cache_.erase(oldest);
        recency_.pop_back();
    }
}

}  // namespace tavelin
