#pragma once

// Floating panels and popovers of the program, beside its windows (AppWindows.h). A panel is made at
// a content rectangle and then set up: floating, its level, how it behaves across Spaces, its
// appearance, its content view. Frames are in screen coordinates (bottom-left origin); a new content
// size keeps the frame's bottom-left origin.
//
// Key window: one of the program's windows, panels and popovers at a time is key. Another of them
// becoming key, or another application becoming active, resigns it; a panel's delegate hears that
// only while it is set. A popover is shown relative to a rectangle of a panel, which becomes its
// parent window. Main thread.

#include <cstdint>
#include <optional>
#include <string>

#include "platform/Geometry.h"
#include "platform/InputEvent.h"
#include "platform/PointerInputView.h"

namespace tavelin {

// Style bits of a panel, beside the window styles of AppWindows.h.
inline constexpr std::uint32_t kWindowStyleNonactivatingPanel = 1u << 7;
inline constexpr std::uint32_t kWindowStyleHUDWindow = 1u << 13;
inline constexpr std::uint32_t kWindowStyleFullSizeContentView = 1u << 15;

// The pop-up menu level: above floating panels and the Dock.
inline constexpr std::int64_t kPopUpMenuWindowLevel = 101;

// Collection behaviour bits.
inline constexpr std::uint64_t kCollectionBehaviorCanJoinAllSpaces = 1u << 0;
inline constexpr std::uint64_t kCollectionBehaviorFullScreenAuxiliary = 1u << 8;

// The light and the dark appearance; none follows the system.
enum class Appearance { aqua, darkAqua };

// A number that names one of the program's windows, panels or popovers.
using OwnWindowNumber = std::uint64_t;

struct KeyWindow {
    OwnWindowNumber number = 0;
    std::optional<OwnWindowNumber> parent;  // a popover's panel
    friend bool operator==(const KeyWindow&, const KeyWindow&) = default;
};

// Something that can take the keyboard in a panel.
class Responder {
  public:
    virtual ~Responder() = default;
    virtual bool acceptsFirstResponder() const { return true; }
    // A key event that the program's monitors passed, while this is the key window's first responder.
    virtual void keyDown(const InputEvent& /*event*/) {}
};

class AppPanelDelegate {
  public:
    virtual ~AppPanelDelegate() = default;
    virtual void windowDidResignKey() = 0;
};

struct PanelConfiguration {
    Rect contentRect;
    std::uint32_t styleMask = 0;
    bool bufferedBacking = true;
    bool deferred = false;
    friend bool operator==(const PanelConfiguration&, const PanelConfiguration&) = default;
};

class AppPanel {
  public:
    virtual ~AppPanel() = default;

    virtual OwnWindowNumber windowNumber() const = 0;

    virtual void setFloatingPanel(bool floating) = 0;
    virtual void setLevel(std::int64_t level) = 0;
    virtual void setCollectionBehavior(std::uint64_t behavior) = 0;
    virtual void setMovableByWindowBackground(bool movable) = 0;
    virtual void setBackgroundColorClear() = 0;
    virtual void setBecomesKeyOnlyIfNeeded(bool onlyIfNeeded) = 0;
    // A name for the view the panel hosts; `clips` whether it clips to its bounds.
    virtual void setContentView(std::string name, bool clips) = 0;
    virtual void setAppearance(std::optional<Appearance> appearance) = 0;
    // Its own appearance, or the system's while it has none.
    virtual Appearance effectiveAppearance() const = 0;
    // The view that receives the pointer inside the panel; not owned, none clears it.
    virtual void setPointerInputView(PointerInputView* view) = 0;

    virtual Rect frame() const = 0;
    virtual void setContentSize(double width, double height) = 0;
    virtual void setFrameOrigin(Point origin) = 0;

    // Not owned; none clears it.
    virtual void setDelegate(AppPanelDelegate* delegate) = 0;
    virtual void makeKeyAndOrderFront() = 0;
    virtual void orderOut() = 0;
    virtual bool isVisible() const = 0;
    virtual bool isKeyWindow() const = 0;

    // False when the responder refuses the keyboard; none makes the panel itself first responder.
    virtual bool makeFirstResponder(Responder* responder) = 0;
    virtual Responder* firstResponder() const = 0;
};

class AppPopover {
  public:
    virtual ~AppPopover() = default;

    virtual OwnWindowNumber windowNumber() const = 0;
    // Shows it under `anchor` (in the panel's screen coordinates) with the panel as its parent; moves it
    // when already shown.
    virtual void show(const Rect& anchor, const AppPanel& parent) = 0;
    virtual void setContentSize(double width, double height) = 0;
    virtual void close() = 0;
    virtual bool isShown() const = 0;
    // Its window's frame while shown.
    virtual std::optional<Rect> windowFrame() const = 0;
};

}  // namespace tavelin
