#include "platform/sim/SimHotKeys.h"

#include <algorithm>
#include <cstdio>

namespace tavelin::sim {

OSStatus SimHotKeys::installEventHandler(std::uint32_t eventClass, std::uint32_t eventKind, Handler handler,
                                         EventHandlerRef& out) {
    mainThread_.check();
    trace_.record("HotKeys.installEventHandler");
    if (installFailure_) return *installFailure_;
    out = EventHandlerRef{nextRef_++};
    handlers_.push_back(InstalledHandler{out.id, eventClass, eventKind, std::move(handler)});
    return kNoErr;
}

OSStatus SimHotKeys::removeEventHandler(EventHandlerRef handler) {
    mainThread_.check();
    trace_.record("HotKeys.removeEventHandler");
    std::erase_if(handlers_, [&](const InstalledHandler& installed) { return installed.ref == handler.id; });
    return kNoErr;
}

OSStatus SimHotKeys::registerEventHotKey(std::uint32_t keyCode, std::uint32_t modifiers, EventHotKeyID identifier,
                                         std::uint32_t, HotKeyRef& out) {
    mainThread_.check();
    char call[64];
    std::snprintf(call, sizeof call, "HotKeys.register key=%u mods=0x%x", keyCode, modifiers);
    trace_.record(call);
    if (registerFailure_) return *registerFailure_;
    const bool taken = std::ranges::any_of(hotKeys_, [&](const Entry& entry) {
        return entry.registration.keyCode == keyCode && entry.registration.modifiers == modifiers;
    });
    if (taken) return kEventHotKeyExistsErr;
    out = HotKeyRef{nextRef_++};
    hotKeys_.push_back(Entry{out.id, Registration{keyCode, modifiers, identifier, false}});
    return kNoErr;
}

OSStatus SimHotKeys::unregisterEventHotKey(HotKeyRef hotKey) {
    mainThread_.check();
    trace_.record("HotKeys.unregister");
    std::erase_if(hotKeys_, [&](const Entry& entry) { return entry.ref == hotKey.id && !entry.registration.foreign; });
    return kNoErr;
}

std::uint32_t SimHotKeys::modifierMask(std::uint64_t flags) {
    std::uint32_t mask = 0;
    if (flags & kEventFlagCommand) mask |= kHotKeyCommand;
    if (flags & kEventFlagShift) mask |= kHotKeyShift;
    if (flags & kEventFlagOption) mask |= kHotKeyOption;
    if (flags & kEventFlagControl) mask |= kHotKeyControl;
    return mask;
}

bool SimHotKeys::offer(const InputEvent& event) {
    if (event.type != EventType::keyDown) return false;
    const auto modifiers = modifierMask(event.flags);
    const auto found = std::ranges::find_if(hotKeys_, [&](const Entry& entry) {
        return entry.registration.keyCode == static_cast<std::uint64_t>(event.keyCode) &&
               entry.registration.modifiers == modifiers;
    });
    if (found == hotKeys_.end()) return false;
    if (found->registration.foreign) {
        ++foreignPresses_;
        return true;
    }
    const auto pressed = CarbonEvent::hotKeyPressed(found->registration.identifier);
    // Handlers may install or remove handlers; offer to those present at the press.
    const auto handlers = handlers_;
    for (const auto& installed : handlers) {
        if (installed.eventClass != kEventClassKeyboard || installed.eventKind != kEventHotKeyPressed) continue;
        if (installed.handler(pressed) != kEventNotHandledErr) break;
    }
    return true;
}

void SimHotKeys::registerForeignHotKey(std::uint32_t keyCode, std::uint32_t modifiers) {
    hotKeys_.push_back(Entry{nextRef_++, Registration{keyCode, modifiers, {fourCharCode("othr"), 1}, true}});
}

std::vector<SimHotKeys::Registration> SimHotKeys::registrations() const {
    std::vector<Registration> own;
    for (const auto& entry : hotKeys_) {
        if (!entry.registration.foreign) own.push_back(entry.registration);
    }
    return own;
}

}  // namespace tavelin::sim
