#pragma once

// At most one system-wide hot key (a modifier mask and a key code) whose presses call `onTrigger`: the
// keyboard trigger's path when the event tap does not carry the key. The hot key is registered under
// the signature "LMR1"; the press handler is installed once, with the first registration, and answers
// "not handled" for another signature so that other handlers see it. Registering the key that is
// registered already changes and logs nothing; another key releases the old one first. A refused
// registration is logged and leaves no key, so the next attempt with the same values tries again.
//
// Main thread. Destroying it unregisters the key and removes the handler.

#include <cstdint>
#include <functional>
#include <optional>

#include "platform/HotKeys.h"
#include "runtime/SystemLog.h"

namespace tavelin {

class HotKeyController {
  public:
    static constexpr std::uint32_t kSignature = fourCharCode("LMR1");
    static constexpr std::uint32_t kIdentifier = 1;
    static constexpr std::uint32_t kNoKeyCode = 0xFFFFFFFF;

    HotKeyController(HotKeys& hotKeys, SystemLog& log) : hotKeys_(hotKeys), log_(log) {}
    ~HotKeyController();
    HotKeyController(const HotKeyController&) = delete;
    HotKeyController& operator=(const HotKeyController&) = delete;

    std::function<void()> onTrigger;

    // `register` in the system's words.
    void registerKey(std::uint32_t modifiers, std::uint32_t keyCode);
    // Releases the key, if any, and forgets the registration.
    void unregister();

    bool isRegistered() const { return hotKeyRef_.has_value(); }
    // 0 and kNoKeyCode while none is registered.
    std::uint32_t registeredModifiers() const { return registeredModifiers_; }
    std::uint32_t registeredKeyCode() const { return registeredKeyCode_; }

  private:
    void installHandlerIfNeeded();
    OSStatus handle(const CarbonEvent& event);

    HotKeys& hotKeys_;
    SystemLog& log_;
    std::optional<HotKeyRef> hotKeyRef_;
    std::optional<EventHandlerRef> handlerRef_;
    std::uint32_t registeredModifiers_ = 0;
    std::uint32_t registeredKeyCode_ = kNoKeyCode;
};

}  // namespace tavelin
