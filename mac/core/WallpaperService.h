#pragma once

// The desktop picture for the paired devices: one JPEG of at most 1280 pixels on its long edge, from
// the desktop picture file of a screen or, when that is missing, unreadable or the system's default
// desktop, captured from the screen's desktop picture window; and a token that names it
// (WallpaperTokens.h).
//
//     auto wallpaper = WallpaperService::create(platform, scheduler, log);
//     wallpaper->refreshIfDesktopChanged(true);  // start-up
//     wallpaper->startPeriodicRefresh();         // unforced, every 120 s
//
// An unforced refresh runs at most once in 120 s, and not during the 120 s back-off after a refresh
// that found nothing; a forced one always runs. A new desktop picture, a change of the screens and a
// wake clear the back-off and refresh with force at once. A held picture is kept when a refresh finds
// nothing.
//
// Threads: everything here runs on the main thread, every refresh included, so refreshes never
// overlap. A device's session asks through answerFetchFromSession(), a task that hops to the main
// queue and back to the session's. The service holds no lock. Destroying it cancels the periodic
// refresh and removes its observers.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "mac/core/WallpaperFetchAnswer.h"
#include "mac/core/WallpaperWindowCapture.h"
#include "platform/DesktopPictures.h"
#include "platform/HostInfo.h"
#include "platform/Privacy.h"
#include "platform/ScreenCapture.h"
#include "platform/Screens.h"
#include "platform/WindowServer.h"
#include "protocol/Base64.h"
#include "protocol/WallpaperData.h"
#include "runtime/NotificationCenter.h"
#include "runtime/ObservableObject.h"
#include "runtime/Published.h"
#include "runtime/Scheduler.h"
#include "runtime/SystemLog.h"
#include "runtime/Task.h"

namespace tavelin {

class WallpaperService : public ObservableObject, public std::enable_shared_from_this<WallpaperService> {
  public:
    struct Platform {
        Screens& screens;
        DesktopPictures& desktopPictures;
        WindowServer& windowServer;
        ScreenCapture& screenCapture;
        const Privacy& privacy;
        const HostInfo& host;
        NotificationCenter& workspaceCenter;
        NotificationCenter& defaultCenter;
    };

    static constexpr double kMaxLongEdge = 1280;
    static constexpr Duration kRefreshInterval = std::chrono::seconds(120);
    // Below this distance between two average colours (components 0 to 1, so at most the square root
    // of 3) a picture counts as the default desktop: about 13 steps of 255 on each component at once.
    static constexpr double kDefaultDesktopResemblanceDistance = 0.09;

    // Registers the three observers; refreshes nothing yet.
    static std::shared_ptr<WallpaperService> create(Platform platform, Scheduler& scheduler, SystemLog& log);
    ~WallpaperService();

    // Empty before the first refresh; announced before it changes, like the picture.
    const std::string& currentToken() const { return currentToken_.value(); }
    Publisher<std::string> currentTokenPublisher() const { return currentToken_.publisher(); }
    const std::optional<Bytes>& jpegData() const { return jpegData_.value(); }
    Publisher<std::optional<Bytes>> jpegDataPublisher() const { return jpegData_.publisher(); }

    // Replaces the periodic task: it refreshes without force, then sleeps 120 s, until cancelled.
    void startPeriodicRefresh();
    void refreshIfDesktopChanged(bool force);

    // The held picture (refreshed with force first when none is held and no back-off runs), or none.
    // The picture is sent as it is held; `maxLongEdge` does not change it.
    std::optional<WallpaperData> jpegPayload(double maxLongEdge);
    // The current token ("empty" while there is none), no picture, a size of 0 by 0.
    WallpaperData unavailablePayload() const { return WallpaperData::unavailable(currentToken()); }

    // The answer to a device's "wallpaper.fetch". Main thread.
    WallpaperFetchAnswer answerFetch(const WallpaperFetch& fetch);
    // The same, for a device's session on its own queue: the task answers on the main queue and resumes
    // the session on `sessionQueue`. May be called from any thread.
    Task<WallpaperFetchAnswer> answerFetchFromSession(WallpaperFetch fetch, Queue& sessionQueue);

    // The picture is not green and its average colour is close to that of the system's default desktop.
    bool resemblesDefaultDesktopLake(const Bytes& jpeg) const;

  private:
    WallpaperService(Platform platform, Scheduler& scheduler, SystemLog& log);

    bool refreshFromFile(const Screen& screen, const std::string& layout, bool force);
    bool refreshFromCapture(const Screen& screen, const std::vector<Screen>& screens, const std::string& layout,
                            bool force);
    void applyWallpaper(std::string token, std::optional<Bytes> jpeg, bool force);
    void desktopChanged();

    static Task<void> pollLoop(std::weak_ptr<WallpaperService> service);
    static Task<WallpaperFetchAnswer> answerOnMain(std::weak_ptr<WallpaperService> service, Queue& mainQueue,
                                                   WallpaperFetch fetch, Queue& sessionQueue);

    Platform platform_;
    Scheduler& scheduler_;
    SystemLog& log_;
    WallpaperWindowCapture capture_;
    Published<std::string> currentToken_{*this};
    Published<std::optional<Bytes>> jpegData_{*this};
    // Uptimes: a change of the wall clock moves neither.
    std::optional<Duration> refreshBackoffUntil_;
    std::optional<Duration> lastRefreshAttempt_;
    TaskHandle pollTask_;
    // Last, so that they go first.
    std::vector<ObserverToken> observers_;
};

}  // namespace tavelin
