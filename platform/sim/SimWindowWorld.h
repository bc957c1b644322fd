#pragma once

// The windows of the simulated Mac as one world, which the platform interfaces show three ways:
// Accessibility (SimAccessibility: window elements, attributes, actions), the window server's list
// (SimWindowServer) and pictures (SimWindowServer, SimScreenCapture). A change made through one is seen
// at once by the others: a position written through Accessibility moves the window-server bounds and the
// next picture; hiding an application, minimising a window or switching a Space changes the on-screen
// set for every reader.
//
// The world also holds what those views share: the displays' Spaces (each display has its Spaces in row
// order and shows one of them), the running applications as far as windows care (hidden, responsive,
// front-most), the mouse pointer and the world's timings.
//
// On screen: a window is on screen when the window server has it ordered in, its application runs and
// is not hidden, it is not minimized, and its Space (if it has one) is the one its display shows.
// Windows without a Space (the desktop picture, the Dock, the menu bar) are on every Space.
//
// Raising a window whose Space is not showing, or activating an application none of whose windows is on
// a showing Space, switches that display to the window's Space after the switch delay, as a Mac does
// (raiseSwitchesSpace, on unless a test turns it off).
//
// Spaces have unique IDs and a type: a desktop Space, or a full-screen Space that a window entering full
// screen gets for itself, right after the Space it left; the display shows it at once. Leaving full
// screen removes that Space and puts the window back on the Space it left, which the display shows again.
// Moving a window to a Space also moves it onto that Space's display; a window on a full-screen Space
// cannot be moved.
//
// Thread-safe: glides warp the pointer and captures read windows off the main thread. One lock guards
// the world; it is never held while calling out (the scheduler, a window's content, a caller's code).
// Delayed effects are world events on the scheduler's clock (see runtime/Scheduler.h); a delay of 0
// takes effect at once.

#include <cstdint>
#include <expected>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/Accessibility.h"
#include "platform/Bitmap.h"
#include "platform/Geometry.h"
#include "platform/PlistValue.h"
#include "runtime/Scheduler.h"

namespace tavelin::sim {

// A window as Accessibility sees it.
struct SimAXWindow {
    bool accessible = true;  // false: the window server lists it, Accessibility does not
    std::string role = "AXWindow";
    std::string subrole = "AXStandardWindow";  // empty: "AXSubrole" is absent
    bool minimized = false;
    bool fullScreen = false;
    // "AXHidden": the window's own flag, absent unless given. While true the window is off screen; writing
    // false or raising the window brings it back.
    std::optional<bool> hidden;
    bool exposesWindowNumber = true;  // "AXWindowNumber" is present
    // What the private window-number call answers; none: the window's number, or a failure for a window
    // the window server does not list.
    std::optional<std::expected<std::uint32_t, AXError>> privateWindowNumber;
    bool closeButton = true;
    bool minimizeButton = true;
    bool fullScreenButton = true;
    // Served instead of what the world says: any value, of any type, or an error, for any attribute.
    std::map<std::string, std::expected<AXValue, AXError>, std::less<>> overrides;
    // Writes and actions refused with an error, by attribute or action name ("AXPosition", "AXRaise",
    // "AXPress" for the window's buttons).
    std::map<std::string, AXError, std::less<>> refusals;
    // Position and size writes answer at once and take effect this much later.
    Duration writeLag{};
    friend bool operator==(const SimAXWindow&, const SimAXWindow&) = default;
};

// One window of the world. A listed window's key is its window number (never 0, never reused); a window
// that only Accessibility sees (listed false) has no number and a key above 2^32.
struct SimWindow {
    std::uint32_t number = 0;  // given by the world
    std::int32_t ownerPID = 0;  // 0: the system's own
    std::int64_t layer = 0;
    std::optional<std::string> name;  // the title
    Rect bounds;                      // window-server coordinates
    double scale = 1;                 // pixels per point, for a window on no display's Space
    bool onScreen = true;             // ordered in by the window server (see the on-screen rule above)
    // What the window shows, at any size; it is drawn at the window's size. Nothing: no picture can be
    // made. An application window added without one shows a pattern (patternContent).
    std::function<std::optional<Bitmap>()> content;
    // Listed instead of the description made from the fields above, for entries a reader must cope with
    // (a missing key, a value of another type).
    std::optional<PlistDict> description;
    // The Space it is on; none for a window on every Space. An application window added without one goes
    // to the Space shown by the display under its centre (else the first display).
    std::optional<std::uint64_t> space;
    bool listed = true;
    SimAXWindow ax;
};

using SimWindowKey = std::uint64_t;

// A window with what the world says of it at one moment.
struct SimWindowState {
    SimWindowKey key = 0;
    SimWindow window;
    bool onScreen = false;  // by the on-screen rule
    double scale = 1;       // of the display that holds it
};

// Contents for SimWindow::content: a flat colour, a given picture, or the default pattern (different in
// every row and column, so that no test reading raw bytes takes it for a blank window).
std::function<std::optional<Bitmap>()> uniformContent(Rgba colour);
std::function<std::optional<Bitmap>()> pictureContent(Bitmap picture);
std::function<std::optional<Bitmap>()> patternContent();

// A display as the world needs it; SimDisplays hands them over whenever the screens change.
struct SimWorldDisplay {
    std::uint64_t identity = 0;  // the Screen identity
    std::string uuid;
    Rect frame;  // screen coordinates (bottom-left origin)
    double scale = 1;
    int spaceCount = 1;         // Spaces a new display starts with
    int currentSpaceIndex = 0;  // and the one it shows
};

// A display's Spaces as they are now.
struct SimDisplaySpaces {
    std::uint64_t identity = 0;
    std::string uuid;
    std::vector<std::uint64_t> spaces;  // row order
    std::uint64_t currentSpace = 0;
    std::vector<std::uint64_t> fullScreenSpaces;  // those of `spaces` that are full-screen Spaces
    friend bool operator==(const SimDisplaySpaces&, const SimDisplaySpaces&) = default;
};

struct SimPointerEvent {
    enum class Kind { warp, mouseMoved };
    Kind kind = Kind::warp;
    Point point;  // window-server coordinates
    Duration at{};  // uptime
    friend bool operator==(const SimPointerEvent&, const SimPointerEvent&) = default;
};

class SimWindowWorld {
  public:
    explicit SimWindowWorld(Scheduler& scheduler);
    SimWindowWorld(const SimWindowWorld&) = delete;
    SimWindowWorld& operator=(const SimWindowWorld&) = delete;

    // --- Windows ---

    // In front of the others of its layer (a higher layer is further in front) and, for an application
    // window, first in its application's order. Gives its key.
    SimWindowKey addWindow(SimWindow window);
    // A number no window has or will be given, for a window that the program makes now and orders in
    // later, so that the program and the window server name it alike.
    std::uint32_t reserveNumber();
    // Adds a listed window under a number reserveNumber() gave; none when a window has that number.
    std::optional<SimWindowKey> addWindow(SimWindow window, std::uint32_t reservedNumber);
    // The window is closed: gone from every view.
    bool removeWindow(SimWindowKey key);
    std::optional<SimWindow> window(SimWindowKey key) const;
    // Replaces what a test or the world changes of a window (its key, number and place stay).
    bool setWindow(SimWindowKey key, SimWindow window);
    bool setBounds(SimWindowKey key, Rect bounds);
    // Front to back, all taken at one moment.
    std::vector<SimWindowState> windows() const;
    // An application's windows that Accessibility sees, in the application's order (front first).
    std::vector<SimWindowKey> applicationWindows(std::int32_t processIdentifier) const;
    std::optional<SimWindowState> state(SimWindowKey key) const;
    bool isOnScreen(SimWindowKey key) const;

    // To the front of its layer and of its application; may switch its display to its Space.
    bool raise(SimWindowKey key);
    bool setMinimized(SimWindowKey key, bool minimized);
    // The window's own "AXHidden" flag, at once.
    bool setHidden(SimWindowKey key, bool hidden);
    // Full screen covers the display that holds the window; leaving it restores the frame.
    bool setFullScreen(SimWindowKey key, bool fullScreen);

    // --- Applications (the workspace keeps these up to date) ---

    struct Application {
        std::int32_t processIdentifier = 0;
        bool hidden = false;
    };
    void setApplications(const std::vector<Application>& running, std::optional<std::int32_t> frontmost);
    bool isRunning(std::int32_t processIdentifier) const;
    // An unresponsive application fails every Accessibility call after that element's timeout.
    void setResponsive(std::int32_t processIdentifier, bool responsive);
    bool isResponsive(std::int32_t processIdentifier) const;
    // The program's own process, whose windows need no screen-recording permission.
    void setOwnProcess(std::int32_t processIdentifier);
    std::int32_t ownProcess() const;
    // The frontmost application's process, as the workspace last said.
    std::optional<std::int32_t> frontmost() const;

    // --- Displays and Spaces ---

    // A screen-coordinate frame (bottom-left origin) in the window server's coordinates.
    Rect windowServerBounds(const Rect& frame) const;

    // The first display is the primary one. Displays keep their Spaces across calls; a display that is
    // gone hands its windows to the first display's current Space (and onto that display).
    void setDisplays(const std::vector<SimWorldDisplay>& displays);
    std::vector<SimDisplaySpaces> displaySpaces() const;
    // A new desktop Space at the end of the display's row.
    std::optional<std::uint64_t> addSpace(std::uint64_t displayIdentity);
    // The display that holds the Space shows it; false for a Space no display holds.
    bool switchToSpace(std::uint64_t space);
    // The same after the switch delay; false (and nothing later) for a Space no display holds.
    bool switchToSpaceLater(std::uint64_t space);
    // The display under the pointer (else the first) shows the Space left or right of its current one
    // after the switch delay; nothing at either end of the row, as the row does not wrap.
    void switchToAdjacentSpaceLater(bool left);
    bool setWindowSpace(SimWindowKey key, std::optional<std::uint64_t> space);
    // Onto the Space and its display, keeping its place relative to the display's top-left corner; false
    // for an unknown window or Space, and for a window on or a Space that is a full-screen Space.
    bool moveWindowToSpace(SimWindowKey key, std::uint64_t space);

    // --- The pointer ---

    Point pointer() const;  // screen coordinates (bottom-left origin)
    void setPointer(Point location);
    // Both in window-server coordinates; both recorded.
    void warpPointer(Point point);
    void postMouseMoved(Point point);
    std::vector<SimPointerEvent> pointerEvents() const;

    // --- Accessibility messaging timeouts (6 s unless set) ---

    void setMessagingTimeout(const AXElement& element, double seconds);
    double messagingTimeout(const AXElement& element) const;

    // --- Timings and behaviour ---

    // Minimise, restore, full screen, the buttons and "AXCancel" take effect this long after asked.
    void setStateDelay(Duration delay);
    Duration stateDelay() const;
    void setSwitchDelay(Duration delay);
    void setRaiseSwitchesSpace(bool switches);
    // Runs the job after the delay as a world event, or at once for a delay of 0.
    void after(Duration delay, Job job);

    Scheduler& scheduler() { return scheduler_; }

  private:
    struct Entry {
        SimWindowKey key = 0;
        SimWindow window;
        std::optional<Rect> boundsBeforeFullScreen;
        std::optional<std::uint64_t> spaceBeforeFullScreen;
    };
    struct Display {
        SimWorldDisplay display;
        std::vector<std::uint64_t> spaces;
        std::uint64_t currentSpace = 0;
        std::set<std::uint64_t> fullScreenSpaces;
    };
    struct ApplicationState {
        bool running = false;
        bool hidden = false;
        bool responsive = true;
        std::vector<SimWindowKey> order;  // front first
    };

    SimWindowKey insertLocked(SimWindowKey key, SimWindow window);
    Entry* find(SimWindowKey key);
    const Entry* find(SimWindowKey key) const;
    // After every change of windows_' order or members.
    void reindexLocked();
    Display* displayHolding(std::uint64_t space);
    const Display* displayHolding(std::uint64_t space) const;
    const Display* displayUnder(const Rect& bounds) const;
    bool onScreenLocked(const Entry& entry) const;
    SimWindowState stateLocked(const Entry& entry) const;
    bool spaceShowingLocked(std::uint64_t space) const;
    double primaryHeightLocked() const;
    void enterFullScreenSpaceLocked(Entry& entry, Display& display);
    void leaveFullScreenSpaceLocked(Entry& entry);
    // The Space a raised or activated window's display must switch to, if any.
    std::optional<std::uint64_t> spaceToShowLocked(const Entry& entry) const;
    void switchLater(std::optional<std::uint64_t> space, Duration delay);

    Scheduler& scheduler_;
    mutable std::mutex mutex_;
    std::vector<Entry> windows_;  // front to back
    std::unordered_map<SimWindowKey, std::size_t> positions_;  // in windows_
    std::map<std::int32_t, ApplicationState> applications_;
    std::optional<std::int32_t> frontmost_;
    std::int32_t ownProcess_ = 0;
    std::vector<Display> displays_;
    Point pointer_;
    std::vector<SimPointerEvent> pointerEvents_;
    std::map<std::pair<std::int32_t, std::uint64_t>, double> timeouts_;
    Duration stateDelay_{};
    Duration switchDelay_{};
    bool raiseSwitchesSpace_ = true;
    std::uint32_t nextNumber_ = 100;
    SimWindowKey nextUnlistedKey_ = SimWindowKey{1} << 32;
    std::uint64_t nextSpace_ = 1;
};

}  // namespace tavelin::sim
