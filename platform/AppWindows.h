#pragma once

// The program's own windows (its settings and first-run windows): made from a configuration, hosting
// one view, shown on request. A window's delegate hears when it is about to close, by the user's
// close button or by the program. Closing a window that is not released when closed only hides it, so
// it can be shown again. Main thread.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/Panels.h"

namespace tavelin {

// The window's style, as bits.
inline constexpr std::uint32_t kWindowStyleTitled = 1u << 0;
inline constexpr std::uint32_t kWindowStyleClosable = 1u << 1;
inline constexpr std::uint32_t kWindowStyleMiniaturizable = 1u << 2;

struct WindowSize {
    double width = 0;
    double height = 0;
    friend bool operator==(const WindowSize&, const WindowSize&) = default;
};

struct AppWindowConfiguration {
    std::string contentView;  // the name of the view the window hosts
    WindowSize contentSize;
    std::uint32_t styleMask = kWindowStyleTitled;
    bool bufferedBacking = true;
    bool deferred = false;
    std::string title;  // a localisation key, or a text that needs none
    bool releasedWhenClosed = true;
    // Showing the window brings it to the Space the user is on, instead of switching Spaces.
    bool movesToActiveSpace = false;
    friend bool operator==(const AppWindowConfiguration&, const AppWindowConfiguration&) = default;
};

class AppWindowDelegate {
  public:
    virtual ~AppWindowDelegate() = default;

    virtual void windowWillClose() = 0;
};

class AppWindow {
  public:
    virtual ~AppWindow() = default;

    // Not owned; none clears it.
    virtual void setDelegate(AppWindowDelegate* delegate) = 0;
    virtual void center() = 0;
    // Shows the window in front of the others and makes it the key window.
    virtual void makeKeyAndOrderFront() = 0;
    virtual bool isVisible() const = 0;
    virtual void close() = 0;
};

class AppWindows {
  public:
    virtual ~AppWindows() = default;

    // Destroying the handle closes the window for good.
    virtual std::unique_ptr<AppWindow> makeWindow(AppWindowConfiguration configuration) = 0;
    // Destroying the handle orders the panel out for good.
    virtual std::unique_ptr<AppPanel> makePanel(PanelConfiguration configuration) = 0;
    virtual std::unique_ptr<AppPopover> makePopover() = 0;
    // The program's key window, if it has one.
    virtual std::optional<KeyWindow> keyWindow() const = 0;
};

}  // namespace tavelin
