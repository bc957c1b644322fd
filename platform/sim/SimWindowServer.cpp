#include "platform/sim/SimWindowServer.h"

#include <algorithm>
#include <cmath>

#include "platform/BitmapScaling.h"

namespace tavelin::sim {
namespace {

PlistDict describe(const SimWindow& window, bool onScreen, bool withName) {
    PlistDict description{
        {std::string(kCGWindowNumber), window.number},
        {std::string(kCGWindowOwnerPID), window.ownerPID},
        {std::string(kCGWindowLayer), window.layer},
        {std::string(kCGWindowBounds), PlistDict{{"X", window.bounds.x},
                                                 {"Y", window.bounds.y},
                                                 {"Width", window.bounds.width},
                                                 {"Height", window.bounds.height}}},
        {std::string(kCGWindowIsOnscreen), onScreen},
    };
    if (window.name && withName) description.set(kCGWindowName, *window.name);
    return description;
}

int pixels(double length) { return static_cast<int>(std::lround(std::clamp(length, 0.0, 1e6))); }

}  // namespace

std::optional<Bitmap> drawWindow(const SimWindow& window, int width, int height) {
    if (width <= 0 || height <= 0 || !window.content) return std::nullopt;
    auto picture = window.content();
    if (!picture || !picture->isValid()) return std::nullopt;
    if (picture->width == width && picture->height == height) return picture;
    return scaled(*picture, width, height);
}

bool SimWindowServer::mayRead(std::int32_t ownerPID) const {
    return ownerPID == 0 || ownerPID == world_.ownProcess() || privacy_.screenCaptureAccessNow();
}

std::optional<PlistValue> SimWindowServer::copyWindowInfo(WindowListOption option,
                                                          std::uint32_t relativeToWindow) const {
    {
        std::lock_guard lock(mutex_);
        if (!listAnswers_) return std::nullopt;
        if (listReplacement_) return listReplacement_;
    }
    const bool granted = privacy_.screenCaptureAccessNow();
    const auto own = world_.ownProcess();
    PlistArray list;
    for (const auto& [key, window, onScreen, scale] : world_.windows()) {
        if (!window.listed) continue;
        if (hasOption(option, WindowListOption::includingWindow) && window.number != relativeToWindow) continue;
        if (hasOption(option, WindowListOption::excludeDesktopElements) && window.layer < 0) continue;
        if (hasOption(option, WindowListOption::onScreenOnly) && !onScreen) continue;
        const bool withName = granted || window.ownerPID == 0 || window.ownerPID == own;
        list.emplace_back(window.description.value_or(describe(window, onScreen, withName)));
    }
    return PlistValue(std::move(list));
}

std::optional<Bitmap> SimWindowServer::createWindowImage(std::optional<Rect> bounds, WindowListOption option,
                                                         std::uint32_t windowID, WindowImageOption imageOption) {
    {
        std::lock_guard lock(mutex_);
        imageRequests_.push_back(ImageRequest{bounds, option, windowID, imageOption});
        if (bounds || option != WindowListOption::includingWindow) return std::nullopt;
        for (const auto failing : failingOptions_) {
            if (hasOption(imageOption, failing)) return std::nullopt;
        }
    }
    return picture(windowID, imageOption);
}

std::optional<Bitmap> SimWindowServer::picture(SimWindowKey key, WindowImageOption imageOption) const {
    const auto state = world_.state(key);
    if (!state || !state->window.listed || !state->window.onScreen || !mayRead(state->window.ownerPID)) {
        return std::nullopt;
    }
    const auto& window = state->window;
    const double scale = hasOption(imageOption, WindowImageOption::bestResolution) ? state->scale : 1.0;
    return drawWindow(window, pixels(window.bounds.width * scale), pixels(window.bounds.height * scale));
}

void SimWindowServer::setListAnswers(bool answers) {
    std::lock_guard lock(mutex_);
    listAnswers_ = answers;
}

void SimWindowServer::setListReplacement(std::optional<PlistValue> list) {
    std::lock_guard lock(mutex_);
    listReplacement_ = std::move(list);
}

void SimWindowServer::setImageOptionFails(WindowImageOption option, bool fails) {
    std::lock_guard lock(mutex_);
    if (fails) {
        failingOptions_.insert(option);
    } else {
        failingOptions_.erase(option);
    }
}

std::vector<SimWindowServer::ImageRequest> SimWindowServer::imageRequests() const {
    std::lock_guard lock(mutex_);
    return imageRequests_;
}

}  // namespace tavelin::sim
