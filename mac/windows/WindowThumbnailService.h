#pragma once

// Window thumbnails (JPEG) for the switcher's grid and the paired devices, cached by window and content
// revision, so that asking again for an unchanged window costs nothing.
//
// A window is captured through the window server, else (from system version 14) through the
// screen-capture framework, at full resolution there and at most 480 by 360 pixels here, and encoded at
// JPEG quality 72. Requests for a window that is being captured wait for that one capture. The pictures
// kept add up to at most kMaxCachedJPEGBytes: beyond that the least recently answered go, and a window
// whose picture went is captured again when asked. Every failure is an answer of the unavailable shape.
//
// Its operations run one at a time on its own serial queue, which alone touches the cache and the
// captures in flight; callers await them from any queue. Owned by the service container and shared with
// the server.

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "protocol/Identifiers.h"
#include "protocol/WindowThumbnailData.h"
#include "runtime/Task.h"

namespace tavelin {

class HostInfo;
class Scheduler;
class ScreenCapture;
class WindowServer;

class WindowThumbnailService : public std::enable_shared_from_this<WindowThumbnailService> {
  public:
    static constexpr std::size_t kMaxCachedJPEGBytes = std::size_t{64} << 20;
    static constexpr int kJPEGQuality = 72;
    static constexpr int kMaxScreenshotWidth = 480;
    static constexpr int kMaxScreenshotHeight = 360;

    struct Platform {
        WindowServer& windowServer;
        ScreenCapture& screenCapture;
        const HostInfo& host;
        Scheduler& scheduler;
    };

    struct CacheEntry {
        std::string token;
        std::vector<std::uint8_t> jpeg;
        std::int64_t width = 0;
        std::int64_t height = 0;
    };

    explicit WindowThumbnailService(const Platform& platform);
    WindowThumbnailService(const WindowThumbnailService&) = delete;
    WindowThumbnailService& operator=(const WindowThumbnailService&) = delete;

    // The known token changes nothing: a kept picture is answered in full whatever the caller holds.
    Task<WindowThumbnailData> thumbnail(WindowID windowID, std::int64_t contentRevision,
                                        std::optional<std::string> knownToken, bool screenRecordingGranted);

    // On the service's queue.
    std::size_t cachedThumbnailCount() const { return cache_.size(); }
    std::size_t cachedJPEGBytes() const { return cachedBytes_; }
    std::size_t capturesInFlight() const { return inFlight_.size(); }

  private:
    using Waiter = std::move_only_function<void(std::optional<CacheEntry>)>;
    struct Capture {
        std::vector<Waiter> waiters;
    };
    using Recency = std::list<std::string>;  // keys, the most recently answered first
    struct Kept {
        CacheEntry entry;
        Recency::iterator recency;
    };

    static Task<void> runCapture(std::shared_ptr<WindowThumbnailService> self, std::string key,
                                 std::uint32_t windowNumber, WindowID windowID, std::int64_t contentRevision);
    Task<std::optional<CacheEntry>> capture(std::uint32_t windowNumber, const WindowID& windowID,
                                            std::int64_t contentRevision);
    std::optional<CacheEntry> captureLegacy(std::uint32_t windowNumber, const WindowID& windowID,
                                            std::int64_t contentRevision);
    Task<std::optional<CacheEntry>> captureWithScreenCaptureKit(std::uint32_t windowNumber);
    const CacheEntry* lookUp(const std::string& key);
    void store(const std::string& key, CacheEntry entry);

    Platform platform_;
    Queue& queue_;
    std::unordered_map<std::string, Kept> cache_;
    Recency recency_;
    std::size_t cachedBytes_ = 0;
    std::unordered_map<std::string, Capture> inFlight_;
};

}  // namespace tavelin
