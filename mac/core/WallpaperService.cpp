#include "mac/core/WallpaperService.h"

#include <cassert>
#include <cmath>
#include <utility>

#include "mac/core/WallpaperImaging.h"
#include "mac/core/WallpaperScreens.h"
#include "mac/core/WallpaperTokens.h"
#include "platform/ImageCoding.h"
#include "platform/Workspace.h"

namespace tavelin {
namespace {

// Newer systems capture windows through the screen-capture framework first.
constexpr int kScreenCaptureKitMajorVersion = 14;
constexpr std::string_view kDefaultDesktopFileName = "DefaultDesktop.heic";
// Less green than blue by this much on average still passes for the default desktop's lake.
constexpr double kLakeGreenLead = 0.06;

}  // namespace

std::shared_ptr<WallpaperService> WallpaperService::create(Platform platform, Scheduler& scheduler, SystemLog& log) {
    return std::shared_ptr<WallpaperService>(new WallpaperService(platform, scheduler, log));
}

WallpaperService::WallpaperService(Platform platform, Scheduler& scheduler, SystemLog& log)
    : ObservableObject(scheduler.main()),
      platform_(platform),
      scheduler_(scheduler),
      log_(log),
      capture_(platform.windowServer, platform.screenCapture, platform.privacy, scheduler, log) {
    const std::pair<NotificationCenter*, std::string_view> observed[] = {
        {&platform_.workspaceCenter, kWorkspaceDidChangeDesktopImage},
        {&platform_.defaultCenter, kApplicationDidChangeScreenParameters},
        {&platform_.workspaceCenter, kWorkspaceDidWake},
    };
    // The tokens die with the service, before anything else of it, and take queued deliveries along.
    for (const auto& [center, name] : observed) {
        observers_.push_back(center->addObserver(std::string(name), nullptr, &scheduler_.main(),
                                                 [this](const Notification&) { desktopChanged(); }));
    }
}

WallpaperService::~WallpaperService() { pollTask_.cancel(); }

void WallpaperService::desktopChanged() {
    refreshBackoffUntil_.reset();
    refreshIfDesktopChanged(true);
}

void WallpaperService::startPeriodicRefresh() {
    pollTask_.cancel();
    pollTask_ = startTask(scheduler_.main(), pollLoop(weak_from_this()));
}

Task<void> WallpaperService::pollLoop(std::weak_ptr<WallpaperService> service) {
    for (;;) {
        // Held only for the pass, so that the task never keeps the service alive.
        if (auto self = service.lock()) {
            self->refreshIfDesktopChanged(false);
        } else {
            co_return;
        }
        co_await sleepFor(kRefreshInterval);
    }
}

void WallpaperService::refreshIfDesktopChanged(bool force) {
    assert(scheduler_.isMain() && "refreshes run on the main queue only");
    const Duration now = scheduler_.clock().uptime();
    if (!force) {
        if (refreshBackoffUntil_ && now < *refreshBackoffUntil_) return;
        if (lastRefreshAttempt_ && now - *lastRefreshAttempt_ < kRefreshInterval) return;
    }
    lastRefreshAttempt_ = now;
    const auto screens = platform_.screens.screens();
    const auto layout = screenLayoutFingerprint(screens);
    const auto ordered = prioritizedScreens(screens, platform_.screens.mainScreen(), platform_.screens.mouseLocation());
    for (const auto& screen : ordered) {
        if (refreshFromFile(screen, layout, force) || refreshFromCapture(screen, screens, layout, force)) return;
    }

    refreshBackoffUntil_ = now + kRefreshInterval;
    if (jpegData() && !jpegData()->data.empty()) {
        log_.logf("Tavelin wallpaper: refresh failed, keeping cached (%zu bytes)", jpegData()->data.size());
        return;
    }
    applyWallpaper(emptyWallpaperToken(layout), std::nullopt, force);
    log_.logf("Tavelin wallpaper: unavailable (retry in %.0fs)",
              std::chrono::duration<double>(kRefreshInterval).count());
}

bool WallpaperService::refreshFromFile(const Screen& screen, const std::string& layout, bool force) {
    const auto url = platform_.desktopPictures.desktopImageURL(screen);
    if (!url || url->filename() == kDefaultDesktopFileName) return false;
    const auto image = loadImage(*url);
    if (!image) return false;
    auto encoded = jpeg(*image, kMaxLongEdge);
    if (!encoded || resemblesDefaultDesktopLake(*encoded)) return false;
    const auto size = encoded->data.size();
    auto token = fileWallpaperToken(*url, layout);
    applyWallpaper(std::move(token), std::move(encoded), force);
    refreshBackoffUntil_.reset();
    log_.logf("Tavelin wallpaper: loaded file on '%s' (%zu bytes)", screen.localizedName.c_str(), size);
    return true;
}

bool WallpaperService::refreshFromCapture(const Screen& screen, const std::vector<Screen>& screens,
                                          const std::string& layout, bool force) {
    const Rect target = cgRect(screen, screens);
    std::optional<Bytes> captured;
    if (platform_.host.operatingSystemVersion().isAtLeast(kScreenCaptureKitMajorVersion)) {
        captured = capture_.captureWithScreenCaptureKit(screen, target, kMaxLongEdge);
    }
    if (!captured) captured = capture_.captureWithWindowList(target, kMaxLongEdge);
    // A green picture is never the default desktop; any picture may still be a flat fill.
    if (!captured || resemblesDefaultDesktopLake(*captured) || isUniformFill(*captured)) return false;
    const auto size = captured->data.size();
    auto token = captureWallpaperToken(screen, layout, *captured);
    applyWallpaper(std::move(token), std::move(captured), force);
    refreshBackoffUntil_.reset();
    log_.logf("Tavelin wallpaper: captured window on '%s' (%zu bytes)", screen.localizedName.c_str(), size);
    return true;
}

bool WallpaperService::resemblesDefaultDesktopLake(const Bytes& jpeg) const {
    if (containsProminentGreenDesktop(jpeg)) return false;
    const auto average = averageRGB(jpeg);
    if (!average || average->blue + kLakeGreenLead < average->green) return false;
    const auto reference = loadImage(platform_.desktopPictures.defaultDesktopImageURL());
    if (!reference) return false;
    const auto referenceJPEG = tavelin::jpeg(*reference, kMaxLongEdge);
    const auto referenceAverage = referenceJPEG ? averageRGB(*referenceJPEG) : std::nullopt;
    if (!referenceAverage) return false;
    const double distance = std::hypot(average->red - referenceAverage->red, average->green - referenceAverage->green,
                                       average->blue - referenceAverage->blue);
    return distance < kDefaultDesktopResemblanceDistance;
}

void WallpaperService::applyWallpaper(std::string token, std::optional<Bytes> jpeg, bool force) {
    if (!force) {
        if (token == currentToken() && jpeg.has_value() == jpegData().has_value()) return;
        // A held picture is never dropped for none, unless forced.
        if (!jpeg && jpegData() && !jpegData()->data.empty()) return;
    }
    currentToken_ = std::move(token);
    jpegData_ = std::move(jpeg);
}

std::optional<WallpaperData> WallpaperService::jpegPayload(double /*maxLongEdge*/) {
    assert(scheduler_.isMain() && "the picture is read on the main queue only");
    const bool backingOff = refreshBackoffUntil_ && scheduler_.clock().uptime() < *refreshBackoffUntil_;
    if (!jpegData() && !backingOff) refreshIfDesktopChanged(true);
    if (!jpegData()) return std::nullopt;
    return WallpaperData{.token = currentToken(), .jpegBase64 = base64Encode(*jpegData()), .size = {0, 0}};
}

WallpaperFetchAnswer WallpaperService::answerFetch(const WallpaperFetch& fetch) {
    if (wallpaperFetchIsUnchanged(fetch, currentToken())) return EmptyPayload{};
    if (auto payload = jpegPayload(kMaxLongEdge)) return std::move(*payload);
    return unavailablePayload();
}

Task<WallpaperFetchAnswer> WallpaperService::answerFetchFromSession(WallpaperFetch fetch, Queue& sessionQueue) {
    return answerOnMain(weak_from_this(), scheduler_.main(), std::move(fetch), sessionQueue);
}

Task<WallpaperFetchAnswer> WallpaperService::answerOnMain(std::weak_ptr<WallpaperService> service, Queue& mainQueue,
                                                          WallpaperFetch fetch, Queue& sessionQueue) {
    co_await mainQueue.hop();
    WallpaperFetchAnswer answer = WallpaperData::unavailable("");
    if (auto self = service.lock()) answer = self->answerFetch(fetch);
    co_await sessionQueue.hop();
    co_return answer;
}

}  // namespace tavelin
