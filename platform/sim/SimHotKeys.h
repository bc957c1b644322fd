#pragma once

// The simulated Mac's hot keys. A registration is refused while an injected failure is set, or when the
// key and modifiers are registered already (by this process or by another application: a foreign hot
// key). The input stream offers each key-down to the registrations: modifiers match exactly (Command,
// Shift, Option and Control, as the hot-key masks have them), and a match becomes a hot-key-pressed
// event offered to the installed handlers in order until one handles it; a foreign key is taken by its
// own application. Every request is recorded in the world's call trace. Main thread.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/HotKeys.h"
#include "platform/InputEvent.h"
#include "platform/sim/SimCallTrace.h"
#include "runtime/SequenceChecker.h"

namespace tavelin::sim {

class SimHotKeys final : public HotKeys {
  public:
    static constexpr OSStatus kEventHotKeyExistsErr = -9878;

    SimHotKeys(SimCallTrace& trace, SequenceChecker mainThread) : trace_(trace), mainThread_(mainThread) {}

    OSStatus installEventHandler(std::uint32_t eventClass, std::uint32_t eventKind, Handler handler,
                                 EventHandlerRef& out) override;
    OSStatus removeEventHandler(EventHandlerRef handler) override;
    OSStatus registerEventHotKey(std::uint32_t keyCode, std::uint32_t modifiers, EventHotKeyID identifier,
                                 std::uint32_t options, HotKeyRef& out) override;
    OSStatus unregisterEventHotKey(HotKeyRef hotKey) override;

    // The hot-key modifier mask of event flags.
    static std::uint32_t modifierMask(std::uint64_t flags);

    // --- The input stream's side ---

    // True when a registration took the key-down.
    bool offer(const InputEvent& event);

    // --- The world's side ---

    // While set, registering and installing answer with it and change nothing.
    void setRegisterFailure(std::optional<OSStatus> status) { registerFailure_ = status; }
    void setInstallHandlerFailure(std::optional<OSStatus> status) { installFailure_ = status; }
    // Another application holds the key; its presses go to it.
    void registerForeignHotKey(std::uint32_t keyCode, std::uint32_t modifiers);

    struct Registration {
        std::uint32_t keyCode = 0;
        std::uint32_t modifiers = 0;
        EventHotKeyID identifier;
        bool foreign = false;
        friend bool operator==(const Registration&, const Registration&) = default;
    };
    // This process's registrations, in order.
    std::vector<Registration> registrations() const;
    std::size_t handlerCount() const { return handlers_.size(); }
    // Presses taken by other applications' hot keys.
    int foreignPresses() const { return foreignPresses_; }

  private:
    struct Entry {
        std::uint64_t ref = 0;
        Registration registration;
    };
    struct InstalledHandler {
        std::uint64_t ref = 0;
        std::uint32_t eventClass = 0;
        std::uint32_t eventKind = 0;
        Handler handler;
    };

    SimCallTrace& trace_;
    SequenceChecker mainThread_;
    std::vector<Entry> hotKeys_;
    std::vector<InstalledHandler> handlers_;
    std::uint64_t nextRef_ = 1;
    std::optional<OSStatus> registerFailure_;
    std::optional<OSStatus> installFailure_;
    int foreignPresses_ = 0;
};

}  // namespace tavelin::sim
