#pragma once

// Pictures of the window server's desktop picture window of one screen, as JPEG, by the two routes the
// platform offers: the screen-capture framework (from system version 14) and the window list. Both need
// the screen-recording permission and give nothing without it, without asking.
//
// The framework answers asynchronously; the caller waits for it, blocked, but never longer than
// kScreenCaptureTimeout: what answers later is dropped, and the time-out logged. While it waits only
// the world's own events go on (Scheduler::sleepBlocking), never the caller's queue, so no other work
// of the caller's thread can run in the middle of its own. Main thread.

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/Privacy.h"
#include "platform/ScreenCapture.h"
#include "platform/Screens.h"
#include "platform/WindowServer.h"
#include "protocol/Base64.h"
#include "runtime/Scheduler.h"
#include "runtime/SystemLog.h"

namespace tavelin {

// The desktop picture window of the screen whose window-server frame is `target`: on the desktop layer,
// named "Wallpaper" or "Wallpaper-...", at least 95 % of the target's width and height, and overlapping it.
bool isWallpaperWindow(std::int64_t layer, std::string_view name, const Rect& frame, const Rect& target);

class WallpaperWindowCapture {
  public:
    static constexpr Duration kScreenCaptureTimeout = std::chrono::seconds(3);

    WallpaperWindowCapture(WindowServer& windowServer, ScreenCapture& screenCapture, const Privacy& privacy,
                           Scheduler& scheduler, SystemLog& log);

    // The framework's picture of the window; none also when the screen has no display ID. A failure,
    // a missing window and the time-out are logged.
    std::optional<Bytes> captureWithScreenCaptureKit(const Screen& screen, const Rect& target, double maxLongEdge);
    // The window list's picture at the best resolution, else at the nominal one; a picture of at most
    // one pixel in width or height, one that cannot be encoded, and a uniform fill count as none. When
    // the window was found and both fail, that is logged.
    std::optional<Bytes> captureWithWindowList(const Rect& target, double maxLongEdge);
    // The window's number from the list of on-screen windows; none when the list does not answer.
    std::optional<std::uint32_t> desktopWallpaperWindowID(const Rect& target) const;

  private:
    std::optional<Bitmap> screenCaptureKitImage(const Rect& target, std::uint32_t displayID);

    WindowServer& windowServer_;
    ScreenCapture& screenCapture_;
    const Privacy& privacy_;
    Scheduler& scheduler_;
    SystemLog& log_;
};

}  // namespace tavelin
