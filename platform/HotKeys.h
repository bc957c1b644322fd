#pragma once

// System-wide hot keys: a key code with an exact set of modifiers, registered under an identifier
// (a four-character signature and a number). A press of a registered key becomes a hot-key-pressed
// event (class 'keyb', kind 5) whose direct object is the 8-byte identifier; it is offered to the
// handlers installed for that event, in the order of installation, until one answers other than
// kEventNotHandledErr. Every call answers with a status, 0 for success.
//
// Main thread.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <optional>
#include <string_view>

#include "platform/FourCharCode.h"

namespace tavelin {

inline constexpr OSStatus kEventNotHandledErr = -9874;
inline constexpr OSStatus kEventParameterNotFoundErr = -9870;

inline constexpr std::uint32_t kEventClassKeyboard = fourCharCode("keyb");
inline constexpr std::uint32_t kEventHotKeyPressed = 5;
inline constexpr std::uint32_t kEventParamDirectObject = fourCharCode("----");
inline constexpr std::uint32_t kTypeEventHotKeyID = fourCharCode("hkid");

// Modifier masks of a hot key.
inline constexpr std::uint32_t kHotKeyCommand = 0x100;
inline constexpr std::uint32_t kHotKeyShift = 0x200;
inline constexpr std::uint32_t kHotKeyOption = 0x800;
inline constexpr std::uint32_t kHotKeyControl = 0x1000;

struct EventHotKeyID {
    std::uint32_t signature = 0;
    std::uint32_t id = 0;
    friend bool operator==(const EventHotKeyID&, const EventHotKeyID&) = default;
};

// An event as a handler receives it: its class, kind and one parameter, the direct object, with its
// type and bytes.
struct CarbonEvent {
    std::uint32_t eventClass = 0;
    std::uint32_t eventKind = 0;
    std::uint32_t directObjectType = 0;
    std::optional<std::array<std::byte, 8>> directObject;

    // GetEventParameter for the direct object as a hot-key identifier.
    OSStatus hotKeyID(EventHotKeyID& out) const {
        if (!directObject) return kEventParameterNotFoundErr;
        if (directObjectType != kTypeEventHotKeyID) return kEventParameterNotFoundErr;
        std::memcpy(&out.signature, directObject->data(), 4);
        std::memcpy(&out.id, directObject->data() + 4, 4);
        return kNoErr;
    }
    static CarbonEvent hotKeyPressed(EventHotKeyID identifier) {
        CarbonEvent event{kEventClassKeyboard, kEventHotKeyPressed, kTypeEventHotKeyID, std::array<std::byte, 8>{}};
        std::memcpy(event.directObject->data(), &identifier.signature, 4);
        std::memcpy(event.directObject->data() + 4, &identifier.id, 4);
        return event;
    }
};

// A registration or an installed handler; 0 is none.
struct HotKeyRef {
    std::uint64_t id = 0;
    friend bool operator==(const HotKeyRef&, const HotKeyRef&) = default;
};
struct EventHandlerRef {
    std::uint64_t id = 0;
    friend bool operator==(const EventHandlerRef&, const EventHandlerRef&) = default;
};

class HotKeys {
  public:
    using Handler = std::function<OSStatus(const CarbonEvent& event)>;

    virtual ~HotKeys() = default;

    // On the application's event dispatcher, for events of that class and kind.
    virtual OSStatus installEventHandler(std::uint32_t eventClass, std::uint32_t eventKind, Handler handler,
                                         EventHandlerRef& out) = 0;
    virtual OSStatus removeEventHandler(EventHandlerRef handler) = 0;
    virtual OSStatus registerEventHotKey(std::uint32_t keyCode, std::uint32_t modifiers, EventHotKeyID identifier,
                                         std::uint32_t options, HotKeyRef& out) = 0;
    virtual OSStatus unregisterEventHotKey(HotKeyRef hotKey) = 0;
};

}  // namespace tavelin
