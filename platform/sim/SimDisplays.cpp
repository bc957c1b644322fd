#include "platform/sim/SimDisplays.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <system_error>

#include "platform/FileContents.h"
#include "platform/ImageCoding.h"
#include "platform/Workspace.h"

namespace tavelin::sim {
namespace {

constexpr std::string_view kDefaultDesktopPicture = "/System/Library/CoreServices/DefaultDesktop.heic";

std::uint8_t channel(double value) { return static_cast<std::uint8_t>(std::clamp(value, 0.0, 255.0)); }

// Sky over a blue mountain ridge over a lake with ripples: blue throughout, not flat.
Bitmap lakePicture(int width, int height) {
    Bitmap picture(width, height);
    for (int y = 0; y < height; ++y) {
        const double v = static_cast<double>(y) / height;
        for (int x = 0; x < width; ++x) {
            const double u = static_cast<double>(x) / width;
            const double ridge = 0.42 + 0.06 * std::sin(u * 9.0) + 0.03 * std::sin(u * 23.0);
            Rgba colour;
            if (v < ridge) {
                colour = {channel(120 + 60 * v), channel(165 + 50 * v), channel(225 + 15 * v), 255};
            } else if (v < 0.55) {
                colour = {channel(70 + 20 * u), channel(95 + 15 * u), channel(135 + 10 * u), 255};
            } else {
                const double ripple = 8 * std::sin(y * 0.9 + std::sin(x * 0.05) * 3);
                colour = {channel(30 + ripple), channel(85 + ripple - 30 * v), channel(150 + ripple - 30 * v), 255};
            }
            picture.setPixel(x, y, colour);
        }
    }
    return picture;
}

void makeDefaultDesktopPicture(const std::filesystem::path& file, SystemLog& log) {
    std::error_code error;
    if (std::filesystem::exists(file, error)) return;
    const auto jpeg = encodeJPEG(lakePicture(640, 400), 85);
    if (!jpeg) {
        log.log("SimMac: " + file.string() + ": " + jpeg.error().message);
        return;
    }
    const auto written =
        writeFileAtomically(file, std::string_view(reinterpret_cast<const char*>(jpeg->data()), jpeg->size()));
    if (!written) log.log("SimMac: " + written.error().message);
}

// The menu bar takes the top of every screen.
constexpr double kMenuBarHeight = 25;

Rect visibleFrame(const DesktopScreen& screen) {
    if (screen.visibleFrame) return *screen.visibleFrame;
    const Rect& frame = screen.frame;
    return Rect{frame.x, frame.y, frame.width, std::max(0.0, frame.height - kMenuBarHeight)};
}

std::string displayUUID(const DesktopScreen& screen, std::uint64_t identity) {
    if (screen.uuid) return *screen.uuid;
    char text[40];
    std::snprintf(text, sizeof text, "5D1A7E00-0000-4000-8000-%012llX",
                  static_cast<unsigned long long>(screen.number.value_or(static_cast<std::uint32_t>(identity))));
    return text;
}

}  // namespace

SimDisplays::SimDisplays(std::vector<DesktopScreen> screens, std::optional<Point> mouseLocation,
                         std::filesystem::path homeFolder, SimWindowWorld& world, Queue& mainQueue,
                         NotificationCenters centers, SystemLog& log)
    : homeFolder_(std::move(homeFolder)),
      world_(world),
      mainQueue_(mainQueue),
      mainThread_(mainQueue),
      centers_(centers) {
    makeDefaultDesktopPicture(defaultDesktopImageURL(), log);
    for (auto& screen : screens) displays_.push_back(Display{nextIdentity_++, std::move(screen)});
    placeWallpaperWindows();
    const Rect first = displays_.empty() ? Rect{} : displays_.front().screen.frame;
    world_.setPointer(mouseLocation.value_or(Point{first.width / 2, first.height / 2}));
}

SimDisplays::~SimDisplays() {
    // The windows' content reads this object.
    for (const auto& display : displays_) world_.removeWindow(display.window);
}

Screen SimDisplays::screenOf(const Display& display) const {
    return Screen{display.identity, display.screen.frame, display.screen.number, display.screen.name,
                  visibleFrame(display.screen), display.screen.scale};
}

const SimDisplays::Display* SimDisplays::find(std::uint64_t identity) const {
    const auto found = std::ranges::find(displays_, identity, &Display::identity);
    return found == displays_.end() ? nullptr : &*found;
}

std::vector<Screen> SimDisplays::screens() const {
    mainThread_.check();
    if (trace_) trace_->record("Screens.screens");
    std::vector<Screen> screens;
    for (const auto& display : displays_) screens.push_back(screenOf(display));
    return screens;
}

std::optional<Rect> SimDisplays::keyWindowFrame() const {
    const auto front = world_.frontmost();
    if (!front) return std::nullopt;
    if (*front == world_.ownProcess()) return ownKeyWindowFrame_ ? ownKeyWindowFrame_() : std::nullopt;
    const double primaryHeight = displays_.empty() ? 0 : displays_.front().screen.frame.height;
    for (const auto& state : world_.windows()) {
        if (state.window.ownerPID == *front && state.onScreen && state.window.layer == 0)
            return windowServerRect(state.window.bounds, primaryHeight);  // the same flip back
    }
    return std::nullopt;
}

std::optional<Screen> SimDisplays::mainScreen() const {
    mainThread_.check();
    if (displays_.empty()) return std::nullopt;
    if (const auto frame = mainForced_ ? std::nullopt : keyWindowFrame()) {
        const Point centre{frame->x + frame->width / 2, frame->y + frame->height / 2};
        const auto holder = std::ranges::find_if(displays_, [&](const Display& d) {
            return mouseInRect(centre, d.screen.frame, true);
        });
        if (holder != displays_.end()) return screenOf(*holder);
    }
    const auto main = std::ranges::find_if(displays_, [](const Display& d) { return d.screen.main; });
    return screenOf(main == displays_.end() ? displays_.front() : *main);
}

std::optional<std::filesystem::path> SimDisplays::desktopImageURL(const Screen& screen) const {
    mainThread_.check();
    const auto* display = find(screen.identity);
    if (display == nullptr || !display->screen.desktopPicture) return std::nullopt;
    return diskPath(homeFolder_, *display->screen.desktopPicture);
}

std::filesystem::path SimDisplays::defaultDesktopImageURL() const {
    mainThread_.check();
    return diskPath(homeFolder_, kDefaultDesktopPicture);
}

std::optional<Bitmap> SimDisplays::wallpaperContent(std::uint64_t identity) const {
    const auto* display = find(identity);
    if (display == nullptr) return std::nullopt;
    if (display->wallpaperPicture) return display->wallpaperPicture;
    if (display->screen.desktopPicture) {
        if (auto picture = loadImage(diskPath(homeFolder_, *display->screen.desktopPicture))) return std::move(*picture);
    }
    return Bitmap(1, 1, Rgba{0, 0, 0, 255});
}

void SimDisplays::placeWallpaperWindows() {
    std::vector<SimWorldDisplay> worldDisplays;
    for (const auto& display : displays_) {
        worldDisplays.push_back(SimWorldDisplay{display.identity, displayUUID(display.screen, display.identity),
                                                display.screen.frame, display.screen.scale, display.screen.spaces,
                                                display.screen.currentSpace});
    }
    world_.setDisplays(worldDisplays);
    const double firstHeight = displays_.empty() ? 0 : displays_.front().screen.frame.height;
    for (auto& display : displays_) {
        const Rect bounds = windowServerRect(display.screen.frame, firstHeight);
        if (auto window = world_.window(display.window)) {
            window->bounds = bounds;
            window->scale = display.screen.scale;
            world_.setWindow(display.window, std::move(*window));
            continue;
        }
        const auto identity = display.identity;
        display.window = world_.addWindow(SimWindow{
            .layer = kDesktopWindowLayer,
            .name = "Wallpaper-" + std::to_string(display.screen.number.value_or(identity)),
            .bounds = bounds,
            .scale = display.screen.scale,
            .content = [this, identity] { return wallpaperContent(identity); },
        });
    }
}

void SimDisplays::post(NotificationCenter& center, std::string_view name) {
    mainQueue_.async([alive = std::weak_ptr<int>(alive_), &center, name = std::string(name)] {
        if (!alive.expired()) center.post(Notification{name});
    });
}

void SimDisplays::screensChanged() {
    placeWallpaperWindows();
    post(centers_.defaultCenter, kApplicationDidChangeScreenParameters);
}

void SimDisplays::addScreen(DesktopScreen screen) {
    displays_.push_back(Display{nextIdentity_++, std::move(screen)});
    screensChanged();
}

bool SimDisplays::removeScreen(std::size_t index) {
    if (index >= displays_.size()) return false;
    world_.removeWindow(displays_[index].window);
    displays_.erase(displays_.begin() + static_cast<std::ptrdiff_t>(index));
    screensChanged();
    return true;
}

std::optional<std::uint64_t> SimDisplays::identity(std::size_t index) const {
    if (index >= displays_.size()) return std::nullopt;
    return displays_[index].identity;
}

std::optional<std::uint64_t> SimDisplays::identityOfNumber(std::uint32_t screenNumber) const {
    const auto found = std::ranges::find(displays_, std::optional(screenNumber),
                                         [](const Display& d) { return d.screen.number; });
    return found == displays_.end() ? std::nullopt : std::optional(found->identity);
}

void SimDisplays::setScreens(std::vector<DesktopScreen> screens) {
    for (const auto& display : displays_) world_.removeWindow(display.window);
    displays_.clear();
    mainForced_ = false;
    for (auto& screen : screens) displays_.push_back(Display{nextIdentity_++, std::move(screen)});
    screensChanged();
}

bool SimDisplays::setFrame(std::size_t index, Rect frame) {
    if (index >= displays_.size()) return false;
    displays_[index].screen.frame = frame;
    screensChanged();
    return true;
}

bool SimDisplays::setMainScreen(std::size_t index) {
    if (index >= displays_.size()) return false;
    for (std::size_t i = 0; i < displays_.size(); ++i) displays_[i].screen.main = i == index;
    mainForced_ = true;
    return true;
}

bool SimDisplays::setDesktopPicture(std::size_t index, std::optional<std::string> macPath) {
    if (index >= displays_.size()) return false;
    displays_[index].screen.desktopPicture = std::move(macPath);
    post(centers_.workspaceCenter, kWorkspaceDidChangeDesktopImage);
    return true;
}

bool SimDisplays::setWallpaperPicture(std::size_t index, std::optional<Bitmap> picture) {
    if (index >= displays_.size()) return false;
    displays_[index].wallpaperPicture = std::move(picture);
    return true;
}

std::optional<std::uint32_t> SimDisplays::wallpaperWindow(std::size_t index) const {
    if (index >= displays_.size()) return std::nullopt;
    return displays_[index].window;
}

void SimDisplays::wake() { post(centers_.workspaceCenter, kWorkspaceDidWake); }

}  // namespace tavelin::sim
