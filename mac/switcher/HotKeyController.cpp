#include "mac/switcher/HotKeyController.h"

namespace tavelin {

HotKeyController::~HotKeyController() {
    unregister();
    if (handlerRef_) hotKeys_.removeEventHandler(*handlerRef_);
}

void HotKeyController::registerKey(std::uint32_t modifiers, std::uint32_t keyCode) {
    if (hotKeyRef_ && registeredModifiers_ == modifiers && registeredKeyCode_ == keyCode) return;
    unregister();
    installHandlerIfNeeded();
    HotKeyRef reference;
    const auto status =
        hotKeys_.registerEventHotKey(keyCode, modifiers, EventHotKeyID{kSignature, kIdentifier}, 0, reference);
    if (status != kNoErr) {
        log_.logf("Tavelin HotKey: RegisterEventHotKey failed status=%d key=%u mods=0x%x", static_cast<int>(status),
                  keyCode, modifiers);
        return;
    }
    hotKeyRef_ = reference;
    registeredModifiers_ = modifiers;
    registeredKeyCode_ = keyCode;
    log_.logf("Tavelin HotKey: registered key=%u mods=0x%x", keyCode, modifiers);
}

void HotKeyController::unregister() {
    if (hotKeyRef_) hotKeys_.unregisterEventHotKey(*hotKeyRef_);
    hotKeyRef_.reset();
    registeredModifiers_ = 0;
    registeredKeyCode_ = kNoKeyCode;
}

void HotKeyController::installHandlerIfNeeded() {
    if (handlerRef_) return;
    EventHandlerRef reference;
    // The handler goes with this object (see the destructor), so it may hold it plainly.
    const auto status = hotKeys_.installEventHandler(
        kEventClassKeyboard, kEventHotKeyPressed, [this](const CarbonEvent& event) { return handle(event); },
        reference);
    if (status != kNoErr) {
        log_.logf("Tavelin HotKey: InstallEventHandler failed status=%d", static_cast<int>(status));
        return;
    }
    handlerRef_ = reference;
}

OSStatus HotKeyController::handle(const CarbonEvent& event) {
    EventHotKeyID identifier;
    event.hotKeyID(identifier);
    if (identifier.signature != kSignature) return kEventNotHandledErr;
    if (onTrigger) onTrigger();
    return kNoErr;
}

}  // namespace tavelin
