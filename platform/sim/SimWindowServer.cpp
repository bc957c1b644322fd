#include "platform/sim/SimWindowServer.h"

#include <algorithm>
#include <cmath>

#include "platform/BitmapScaling.h"

namespace tavelin::sim {
namespace {

PlistDict describe(const SimWindow& window) {
    PlistDict description{
        {std::string(kCGWindowNumber), window.number},
        {std::string(kCGWindowLayer), window.layer},
        {std::string(kCGWindowBounds), PlistDict{{"X", window.bounds.x},
                                                 {"Y", window.bounds.y},
                                                 {"Width", window.bounds.width},
                                                 {"Height", window.bounds.height}}},
    };
    if (window.name) description.set(kCGWindowName, *window.name);
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

std::optional<std::vector<PlistDict>> SimWindowServer::copyWindowInfo(WindowListOption option,
                                                                      std::uint32_t relativeToWindow) const {
    if (!listAnswers_) return std::nullopt;
    std::vector<PlistDict> list;
    for (const auto& window : windows_) {
        if (option == WindowListOption::includingWindow && window.number != relativeToWindow) continue;
        if (option == WindowListOption::onScreenOnly && !window.onScreen) continue;
        list.push_back(window.description.value_or(describe(window)));
    }
    return list;
}

std::optional<Bitmap> SimWindowServer::createWindowImage(std::optional<Rect> bounds, WindowListOption option,
                                                         std::uint32_t windowID, WindowImageOption imageOption) {
    imageRequests_.push_back(ImageRequest{bounds, option, windowID, imageOption});
    const auto* shown = window(windowID);
    if (bounds || option != WindowListOption::includingWindow || shown == nullptr || !shown->onScreen ||
        failingOptions_.contains(imageOption)) {
        return std::nullopt;
    }
    const double scale = imageOption == WindowImageOption::bestResolution ? shown->scale : 1.0;
    return drawWindow(*shown, pixels(shown->bounds.width * scale), pixels(shown->bounds.height * scale));
}

std::uint32_t SimWindowServer::addWindow(SimWindow window) {
    window.number = nextNumber_++;
    const auto behind = std::ranges::find_if(windows_, [&](const SimWindow& w) { return w.layer <= window.layer; });
    windows_.insert(behind, std::move(window));
    return nextNumber_ - 1;
}

bool SimWindowServer::removeWindow(std::uint32_t number) {
    return std::erase_if(windows_, [&](const SimWindow& w) { return w.number == number; }) > 0;
}

SimWindow* SimWindowServer::window(std::uint32_t number) {
    const auto found = std::ranges::find(windows_, number, &SimWindow::number);
    return found == windows_.end() ? nullptr : &*found;
}

void SimWindowServer::setImageOptionFails(WindowImageOption option, bool fails) {
    if (fails) {
        failingOptions_.insert(option);
    } else {
        failingOptions_.erase(option);
    }
}

}  // namespace tavelin::sim
