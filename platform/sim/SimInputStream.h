#pragma once

// The simulated Mac's one input stream: the keyboard, the mouse and the wheel, and the hardware state
// they leave (the modifiers held, the buttons held, the pointer).
//
// Each input happens at its stamp: now, or a delay from now as one of the world's own events, so that
// it also happens while the main thread is blocked. At the stamp the hardware state changes and the
// event is made (a key or a button carries the modifiers held then, a mouse event the pointer). The
// event then travels on the main run loop, as the system delivers it, so a busy main thread delays it
// and several inputs made before the main queue runs arrive one after another in one turn:
//
//  1. to the event taps whose mask holds its type (hardware level, then session level);
//  2. if passed, to the system's own shortcuts: its application switcher takes Command-Tab while the
//     symbolic hot keys 1 (2 with Shift) are on, Command-` while 6 (7 with Shift) are;
//  3. then, for a key-down, to the registered hot keys;
//  4. then to an application: keys to the frontmost one, mouse events to the one whose window is under
//     the pointer. For the program, its local monitors see it first, in the order they were added (one
//     that returns nothing consumes it), and a key-down they pass goes on to the first responder of the
//     program's key window; for another application, the program's global monitors see it.
//
// Keys carry their characters by the keyboard layout (the US one unless a test sets another) and their
// low-level record, so that a copy with other flags gets its characters anew. Mouse events over one of
// the program's windows carry its number and the point in it.
//
// The system's "move a Space" shortcuts (symbolic hot keys 79 to 82) are taken as they happen, before
// any of this and also while the main thread is blocked: a key-down moves the display under the pointer
// one Space left or right after the switch delay (see SimWindowWorld::switchToAdjacentSpaceLater), and
// neither it nor its key-up reaches anything else.
//
// What reached an application is recorded for the tests. Main thread.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/EventMonitors.h"
#include "platform/KeyboardLayout.h"
#include "platform/Panels.h"
#include "platform/sim/SimCallTrace.h"
#include "platform/sim/SimDisplays.h"
#include "platform/sim/SimEventTaps.h"
#include "platform/sim/SimHotKeys.h"
#include "platform/sim/SimShell.h"
#include "platform/sim/SimSymbolicHotKeys.h"
#include "platform/sim/SimWindowWorld.h"
#include "platform/sim/SimWorkspace.h"
#include "runtime/Scheduler.h"

namespace tavelin::sim {

// An event and the application (bundle identifier; empty for none) it reached.
struct SimDelivery {
    std::string application;
    InputEvent event;
    friend bool operator==(const SimDelivery&, const SimDelivery&) = default;
};

class SimInputStream final : public EventMonitors {
  public:
    struct World {
        Scheduler& scheduler;
        SimEventTaps& taps;
        SimHotKeys& hotKeys;
        SimSymbolicHotKeys& symbolicHotKeys;
        SimWorkspace& workspace;
        SimDisplays& displays;  // holds the pointer
        std::string programBundleIdentifier;
        SimCallTrace& trace;
        SimWindowWorld& windowWorld;  // its Spaces
    };

    explicit SimInputStream(World world)
        : world_(std::move(world)), mainThread_(world_.workspace.mainThread()) {}

    EventMonitorToken addLocalMonitor(EventMask mask, LocalHandler handler) override;
    EventMonitorToken addGlobalMonitor(EventMask mask, GlobalHandler handler) override;
    void removeMonitor(EventMonitorToken token) override;
    std::uint64_t modifierFlags() const override {
        mainThread_.check();
        return flags_;
    }
    std::uint64_t pressedMouseButtons() const override {
        mainThread_.check();
        return buttons_;
    }

    // --- Input, each `after` from now ---

    // The event as given, its flags its own; a modifier change sets the held modifiers to its flags.
    void post(InputEvent event, Duration after = {});
    // Modifier keys pressed or released (kEventFlag... bits): a modifier change.
    void pressModifiers(std::uint64_t flags, Duration after = {});
    void releaseModifiers(std::uint64_t flags, Duration after = {});
    void keyDown(std::int64_t keyCode, Duration after = {});
    void keyUp(std::int64_t keyCode, Duration after = {});
    // Button 0 left, 1 right, 2 and up the others.
    void mouseDown(std::int64_t button, Duration after = {});
    void mouseUp(std::int64_t button, Duration after = {});
    // One notch or swipe step of the vertical axis; negative moves content up. The monitors read the
    // lines, as from a mouse wheel.
    void scrollWheel(std::int64_t lineDelta, std::int64_t pointDelta, Duration after = {});
    // One event of a trackpad gesture: precise deltas in points, with its phase and momentum phase
    // (kScrollPhase... bits).
    void swipe(double deltaY, double deltaX, std::uint64_t phase, std::uint64_t momentumPhase = 0,
               Duration after = {});
    // One step of a pinch.
    void magnify(double magnification, Duration after = {});
    void moveMouse(Point location, Duration after = {});

    // --- The world's side ---

    // Which application's window lies under a point (bundle identifier); until the world knows its
    // windows, mouse events go to the frontmost application.
    void setWindowOwnerAt(std::function<std::optional<std::string>(Point)> owner) { windowOwnerAt_ = std::move(owner); }
    // The program's own window under a point: its number and frame.
    struct ProgramWindow {
        std::uint64_t number = 0;
        Rect frame;
    };
    void setProgramWindowAt(std::function<std::optional<ProgramWindow>(Point)> window) {
        programWindowAt_ = std::move(window);
    }
    // The first responder of the program's key window, if any.
    void setKeyResponder(std::function<Responder*()> responder) { keyResponder_ = std::move(responder); }
    void setKeyboardLayout(std::shared_ptr<const KeyboardLayout> layout) { layout_ = std::move(layout); }
    // Where every delivered event goes last, the program's only once its local monitors let it pass: the
    // program's windows take clicks under the pointer and notice the pointer leaving them.
    void setWindowReceiver(std::function<void(const InputEvent&)> receiver) { windowReceiver_ = std::move(receiver); }

    // Events that reached an application, in order.
    const std::vector<SimDelivery>& applicationDeliveries() const { return deliveries_; }
    // Events that the system's application switcher took.
    const std::vector<InputEvent>& systemSwitcherEvents() const { return systemSwitcher_; }
    // Key events that a "move a Space" shortcut took.
    const std::vector<InputEvent>& spaceShortcutEvents() const { return spaceShortcuts_; }
    struct MonitorState {
        bool local = false;
        EventMask mask = 0;
        friend bool operator==(const MonitorState&, const MonitorState&) = default;
    };
    // The monitors in place now, in the order they were added.
    std::vector<MonitorState> monitors() const;

  private:
    struct Monitor {
        std::uint64_t token = 0;
        MonitorState state;
        LocalHandler local;
        GlobalHandler global;
    };

    void happen(Duration after, std::function<InputEvent()> make);
    void apply(const InputEvent& event);
    void deliver(InputEvent event);
    bool takenBySystemSwitcher(const InputEvent& event);
    bool takenBySpaceShortcut(const InputEvent& event);
    std::string receiver(const InputEvent& event) const;
    InputEvent mouseEvent(EventType type, std::int64_t button) const;
    InputEvent keyEvent(EventType type, std::int64_t keyCode) const;
    std::uint64_t addMonitor(Monitor monitor);

    World world_;
    SequenceChecker mainThread_;
    std::uint64_t flags_ = 0;
    std::uint64_t buttons_ = 0;
    std::vector<Monitor> monitors_;
    std::uint64_t nextToken_ = 1;
    std::function<std::optional<std::string>(Point)> windowOwnerAt_;
    std::function<std::optional<ProgramWindow>(Point)> programWindowAt_;
    std::function<Responder*()> keyResponder_;
    std::shared_ptr<const KeyboardLayout> layout_ = std::make_shared<USKeyboardLayout>();
    std::function<void(const InputEvent&)> windowReceiver_;
    std::vector<SimDelivery> deliveries_;
    std::vector<InputEvent> systemSwitcher_;
    std::vector<InputEvent> spaceShortcuts_;
    // Inputs still scheduled or queued hold it weakly and are dropped once the stream is gone.
    std::shared_ptr<int> alive_ = std::make_shared<int>();
};

}  // namespace tavelin::sim
