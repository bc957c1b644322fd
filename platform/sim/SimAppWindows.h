#pragma once

// The program's own windows, panels and popovers on the simulated Mac. Each window made is kept with its
// configuration and what was done to it: shown, centred, key and front (one window at a time is key and
// front), closed. The user closes a window through the world's side, which tells its delegate as the
// close button does. Panels and popovers are kept with their settings and frames. One of them all is
// the key window: making another key, or another application becoming active (resignKeyWindow),
// resigns it, which a panel's delegate hears while one is set. Every request is recorded in the
// world's call trace.
//
// The window server sees them too: a visible panel stands in the window world under its own number, owned
// by the program's process, its level as its layer, in front of the lower layers; a shown popover stands
// at its panel's level in front of it, while that panel is visible, as a child window goes with its parent.
// Ordering in or changing the level puts it in front of its layer; ordering out, closing and releasing
// take it out; a new frame moves it. Every window number comes from the window world, so the program and
// the window server name a window alike. Main thread, as are the windows, panels and popovers it hands
// out: every call on them is checked too.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/AppWindows.h"
#include "platform/sim/SimCallTrace.h"
#include "platform/sim/SimWindowWorld.h"
#include "runtime/SequenceChecker.h"

namespace tavelin::sim {

class SimAppWindows final : public AppWindows {
  public:
    struct WindowState {
        AppWindowConfiguration configuration;
        bool visible = false;
        bool centred = false;
        bool key = false;
        bool front = false;
        int timesShown = 0;
        bool released = false;  // its handle is gone
        AppWindowDelegate* delegate = nullptr;
        OwnWindowNumber number = 0;
    };

    struct PanelState {
        OwnWindowNumber number = 0;
        PanelConfiguration configuration;
        bool floating = false;
        std::int64_t level = 0;
        std::uint64_t collectionBehavior = 0;
        bool movableByWindowBackground = true;
        bool backgroundClear = false;
        bool becomesKeyOnlyIfNeeded = false;
        std::string contentView;
        bool contentClips = true;
        std::optional<Appearance> appearance;
        Rect frame;
        AppPanelDelegate* delegate = nullptr;
        bool visible = false;
        Responder* firstResponder = nullptr;
        PointerInputView* pointerInput = nullptr;
        bool released = false;
    };

    struct PopoverState {
        OwnWindowNumber number = 0;
        bool shown = false;
        Rect anchor;
        Rect frame;  // below the anchor, centred on it
        std::optional<OwnWindowNumber> parent;
        bool released = false;
    };

    SimAppWindows(SimCallTrace& trace, SimWindowWorld& world, SequenceChecker mainThread)
        : trace_(trace), world_(world), mainThread_(mainThread) {}

    std::unique_ptr<AppWindow> makeWindow(AppWindowConfiguration configuration) override;
    std::unique_ptr<AppPanel> makePanel(PanelConfiguration configuration) override;
    std::unique_ptr<AppPopover> makePopover() override;
    std::optional<KeyWindow> keyWindow() const override;

    // --- The world's side ---

    // Every window made, in order.
    std::vector<WindowState> windows() const;
    // The last window made with that title, or none.
    const WindowState* window(std::string_view title) const;
    // The user clicks the window's close button; false when no visible window has that title.
    bool userCloses(std::string_view title);

    // The key window's frame, for a panel or popover; none for a window (its frame is not kept).
    std::optional<Rect> keyWindowFrame() const;
    // Every panel and popover made, in order.
    std::vector<PanelState> panels() const;
    std::vector<PopoverState> popovers() const;
    // The user clicks into one of the program's windows, panels or popovers, which becomes key; false
    // for a number that names none on screen.
    bool makeKey(OwnWindowNumber number);
    // Another application became active: the program has no key window any more.
    void resignKeyWindow();
    // The first responder of the key window when that is a panel; where the keys the program passes go.
    Responder* keyResponder() const;
    // The topmost visible panel or shown popover whose frame holds the point, with that frame.
    std::optional<std::pair<OwnWindowNumber, Rect>> windowAt(Point point) const;
    // The system's appearance, which panels without their own follow; light at first.
    void setSystemAppearance(Appearance appearance) { systemAppearance_ = appearance; }

  private:
    class Window;
    class Panel;
    class Popover;

    void makeKeyAndFront(WindowState& state);
    void hide(WindowState& state);
    void setKey(std::optional<OwnWindowNumber> number);
    PanelState* panelState(OwnWindowNumber number) const;
    OwnWindowNumber newNumber() { return world_.reserveNumber(); }
    // The window server's side (see above).
    void orderIn(const PanelState& panel);
    void orderIn(const PopoverState& popover);
    void orderOut(const PanelState& panel);
    void orderOut(const PopoverState& popover) { world_.removeWindow(popover.number); }
    void move(OwnWindowNumber number, const Rect& frame) {
        world_.setBounds(number, world_.windowServerBounds(frame));
    }

    SimCallTrace& trace_;
    SimWindowWorld& world_;
    SequenceChecker mainThread_;
    std::vector<std::shared_ptr<WindowState>> windows_;
    std::vector<std::shared_ptr<PanelState>> panels_;
    std::vector<std::shared_ptr<PopoverState>> popovers_;
    std::optional<OwnWindowNumber> key_;
    Appearance systemAppearance_ = Appearance::aqua;
};

}  // namespace tavelin::sim
