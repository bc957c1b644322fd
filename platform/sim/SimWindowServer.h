#pragma once

// The simulated window server: the windows of the simulated Mac, front to back, and pictures of them.
// The world adds its windows here (the desktop picture's windows, one per display, come from
// SimDisplays); tests change them, make the window list stop answering or a picture option fail, and
// read which pictures were asked for.
//
// Pictures are made of one window only (WindowListOption::includingWindow with no bounds); anything
// else gives none. Main thread.

#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/WindowServer.h"

namespace tavelin::sim {

struct SimWindow {
    std::uint32_t number = 0;  // given by addWindow()
    std::int64_t layer = 0;
    std::optional<std::string> name;
    Rect bounds;       // window server coordinates
    double scale = 1;  // pixels per point of its display
    bool onScreen = true;
    // What the window shows, at any size; it is drawn at the window's size. Nothing: no picture.
    std::function<std::optional<Bitmap>()> content;
    // Listed instead of the description made from the fields above, for entries the platform may give
    // that a reader must cope with (a missing key, a value of another type).
    std::optional<PlistDict> description;
};

class SimWindowServer final : public WindowServer {
  public:
    struct ImageRequest {
        std::optional<Rect> bounds;
        WindowListOption option = WindowListOption::includingWindow;
        std::uint32_t windowID = 0;
        WindowImageOption imageOption = WindowImageOption::bestResolution;
        friend bool operator==(const ImageRequest&, const ImageRequest&) = default;
    };

    std::optional<std::vector<PlistDict>> copyWindowInfo(WindowListOption option,
                                                         std::uint32_t relativeToWindow) const override;
    std::optional<Bitmap> createWindowImage(std::optional<Rect> bounds, WindowListOption option,
                                            std::uint32_t windowID, WindowImageOption imageOption) override;

    // --- The world's side ---

    // Puts the window in front of the others of its layer (a higher layer is further in front) and
    // gives its number.
    std::uint32_t addWindow(SimWindow window);
    bool removeWindow(std::uint32_t number);
    // Null for a window that does not exist; the pointer holds until windows are added or removed.
    SimWindow* window(std::uint32_t number);
    // Front to back.
    const std::vector<SimWindow>& windows() const { return windows_; }

    // While false the window list gives none.
    void setListAnswers(bool answers) { listAnswers_ = answers; }
    // Pictures with that option give none while it fails.
    void setImageOptionFails(WindowImageOption option, bool fails);
    const std::vector<ImageRequest>& imageRequests() const { return imageRequests_; }

  private:
    std::vector<SimWindow> windows_;
    std::uint32_t nextNumber_ = 100;
    bool listAnswers_ = true;
    std::set<WindowImageOption> failingOptions_;
    std::vector<ImageRequest> imageRequests_;
};

// The window's picture at `width` by `height` pixels; none when it shows nothing or the size is empty.
std::optional<Bitmap> drawWindow(const SimWindow& window, int width, int height);

}  // namespace tavelin::sim
