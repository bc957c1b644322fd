#pragma once

// The simulated window server: the window world's windows as the window server lists them, front to
// back, and pictures of them (see SimWindowWorld.h for the world). Each description holds the window's
// number, owner, layer, bounds, on-screen flag and name; another application's window name is withheld
// without the screen-recording permission. Tests make the list stop answering or answer something else,
// make a picture option fail, and read which pictures were asked for.
//
// Pictures are made of one window only (WindowListOption::includingWindow with no bounds), in the
// Bitmap format (RGBA, rows from the top), at the window's display's scale for the best resolution and
// one pixel per point for the nominal one; none for a window that is gone or shows nothing, or for
// another application's window without the permission. Any thread.

#include <cstdint>
#include <mutex>
#include <optional>
#include <set>
#include <vector>

#include "platform/WindowServer.h"
#include "platform/sim/SimPrivacy.h"
#include "platform/sim/SimWindowWorld.h"

namespace tavelin::sim {

class SimWindowServer final : public WindowServer {
  public:
    struct ImageRequest {
        std::optional<Rect> bounds;
        WindowListOption option = WindowListOption::includingWindow;
        std::uint32_t windowID = 0;
        WindowImageOption imageOption = WindowImageOption::bestResolution;
        friend bool operator==(const ImageRequest&, const ImageRequest&) = default;
    };

    SimWindowServer(SimWindowWorld& world, const SimPrivacy& privacy) : world_(world), privacy_(privacy) {}

    std::optional<PlistValue> copyWindowInfo(WindowListOption option, std::uint32_t relativeToWindow) const override;
    std::optional<Bitmap> createWindowImage(std::optional<Rect> bounds, WindowListOption option,
                                            std::uint32_t windowID, WindowImageOption imageOption) override;

    // --- The world's side ---

    // Adds a window to the world (see SimWindowWorld::addWindow) and gives its number.
    std::uint32_t addWindow(SimWindow window) { return static_cast<std::uint32_t>(world_.addWindow(std::move(window))); }
    bool removeWindow(std::uint32_t number) { return world_.removeWindow(number); }
    std::optional<SimWindow> window(std::uint32_t number) const { return world_.window(number); }

    // While false the window list gives none.
    void setListAnswers(bool answers);
    // While set, the window list gives this instead (a value of another type, a crafted array).
    void setListReplacement(std::optional<PlistValue> list);
    // Pictures asked with that option (among others) give none while it fails.
    void setImageOptionFails(WindowImageOption option, bool fails);
    std::vector<ImageRequest> imageRequests() const;

    // The picture of a window of the world, as the window server makes it.
    std::optional<Bitmap> picture(SimWindowKey key, WindowImageOption imageOption) const;

  private:
    bool mayRead(std::int32_t ownerPID) const;

    SimWindowWorld& world_;
    const SimPrivacy& privacy_;
    // Guards only the test settings and records below; never held while the world is asked.
    mutable std::mutex mutex_;
    bool listAnswers_ = true;
    std::optional<PlistValue> listReplacement_;
    std::set<WindowImageOption> failingOptions_;
    std::vector<ImageRequest> imageRequests_;
};

// The window's picture at `width` by `height` pixels; none when it shows nothing or the size is empty.
std::optional<Bitmap> drawWindow(const SimWindow& window, int width, int height);

}  // namespace tavelin::sim
