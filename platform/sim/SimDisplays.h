#pragma once

// The simulated displays: the screens with their frames, visible frames, display IDs, names, scales and
// UUIDs, the main screen, the mouse (kept by the window world, which also keeps each display's Spaces),
// the desktop picture file of each screen, and the window server's desktop picture window of
// each screen ("Wallpaper-<ID>", on the desktop layer, covering its screen). That window shows the
// picture a test gave it, otherwise the screen's picture file, otherwise black.
//
// The system's default desktop picture lies at "/System/Library/CoreServices/DefaultDesktop.heic"; it
// is made (a lake in blue, stored as JPEG bytes despite its name) when the home folder lacks it.
//
// A change of the screens posts kApplicationDidChangeScreenParameters on the default centre, a new
// picture file kWorkspaceDidChangeDesktopImage and a wake kWorkspaceDidWake on the workspace's centre;
// each is posted on the main queue, to be delivered when the main queue runs. Main thread.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Bitmap.h"
#include "platform/DesktopPictures.h"
#include "platform/Screens.h"
#include "platform/sim/Desktop.h"
#include "platform/sim/SimCallTrace.h"
#include "platform/sim/SimWindowServer.h"
#include "platform/sim/SimWindowWorld.h"
#include "runtime/NotificationCenter.h"
#include "runtime/SequenceChecker.h"
#include "runtime/SystemLog.h"

namespace tavelin::sim {

class SimDisplays final : public Screens, public DesktopPictures {
  public:
    struct NotificationCenters {
        NotificationCenter& defaultCenter;
        NotificationCenter& workspaceCenter;
    };

    // `mouseLocation` none: the middle of the first screen.
    SimDisplays(std::vector<DesktopScreen> screens, std::optional<Point> mouseLocation,
                std::filesystem::path homeFolder, SimWindowWorld& world, Queue& mainQueue,
                NotificationCenters centers,
                SystemLog& log);
    ~SimDisplays() override;
    SimDisplays(const SimDisplays&) = delete;
    SimDisplays& operator=(const SimDisplays&) = delete;

    std::vector<Screen> screens() const override;
    // The screen of the key window: the one that holds the centre of the frontmost application's front
    // window (the program's own key window when the program is in front); without one the screen set as
    // main, else the first. A screen made main by setMainScreen stays main.
    std::optional<Screen> mainScreen() const override;
    Point mouseLocation() const override {
        mainThread_.check();
        return world_.pointer();
    }

    std::optional<std::filesystem::path> desktopImageURL(const Screen& screen) const override;
    std::filesystem::path defaultDesktopImageURL() const override;

    // --- The world's side. A screen is named by its place in the list; a place out of range changes
    // nothing and gives false. ---

    // Other displays: every screen is new.
    void setScreens(std::vector<DesktopScreen> screens);
    // A display connected at the end of the list, or one disconnected (its windows go to the first).
    void addScreen(DesktopScreen screen);
    bool removeScreen(std::size_t index);
    // The display's identity (Screen::identity), which names it in the window world.
    std::optional<std::uint64_t> identity(std::size_t index) const;
    // The identity of the display with that number, as the window server looks it up (not recorded).
    std::optional<std::uint64_t> identityOfNumber(std::uint32_t screenNumber) const;
    // Moves or resizes one display; it stays the same screen.
    bool setFrame(std::size_t index, Rect frame);
    bool setMainScreen(std::size_t index);
    void setMouseLocation(Point location) { world_.setPointer(location); }
    // A path of the simulated Mac; none: the workspace names no picture.
    bool setDesktopPicture(std::size_t index, std::optional<std::string> macPath);
    // What the screen's desktop picture window shows; none: its picture file.
    bool setWallpaperPicture(std::size_t index, std::optional<Bitmap> picture);
    // The number of the screen's desktop picture window (removable through the window server).
    std::optional<std::uint32_t> wallpaperWindow(std::size_t index) const;

    void wake();

    // The frame of the program's own key window (screen coordinates), for the main screen.
    void setOwnKeyWindowFrame(std::function<std::optional<Rect>()> frame) { ownKeyWindowFrame_ = std::move(frame); }

    // The world's call trace, once the world has set it.
    void setCallTrace(SimCallTrace* trace) { trace_ = trace; }

  private:
    struct Display {
        std::uint64_t identity = 0;
        DesktopScreen screen;
        std::optional<Bitmap> wallpaperPicture;
        std::uint32_t window = 0;
    };

    Screen screenOf(const Display& display) const;
    const Display* find(std::uint64_t identity) const;
    std::optional<Bitmap> wallpaperContent(std::uint64_t identity) const;
    void placeWallpaperWindows();
    void screensChanged();
    std::optional<Rect> keyWindowFrame() const;
    void post(NotificationCenter& center, std::string_view name);

    const std::filesystem::path homeFolder_;
    SimWindowWorld& world_;
    Queue& mainQueue_;
    SequenceChecker mainThread_;
    NotificationCenters centers_;
    std::vector<Display> displays_;
    std::uint64_t nextIdentity_ = 1;
    SimCallTrace* trace_ = nullptr;
    std::function<std::optional<Rect>()> ownKeyWindowFrame_;
    bool mainForced_ = false;
    // Notifications still queued hold it weakly and are dropped once it is gone.
    std::shared_ptr<int> alive_ = std::make_shared<int>();
};

}  // namespace tavelin::sim
