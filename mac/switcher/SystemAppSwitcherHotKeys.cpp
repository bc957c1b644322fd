#include "mac/switcher/SystemAppSwitcherHotKeys.h"

namespace tavelin {

void SystemAppSwitcherHotKeys::applyReplacement(bool replaceCmdTab, bool replaceCmdGrave) {
    for (const auto hotKey : kCmdTabKeys) desiredEnabled_[hotKey] = !replaceCmdTab;
    for (const auto hotKey : kCmdGraveKeys) desiredEnabled_[hotKey] = !replaceCmdGrave;
    applyDesired();
}

void SystemAppSwitcherHotKeys::applyDesired() {
    if (!isAvailable()) return;
    for (const auto hotKey : kCmdTabKeys) hotKeys_.setEnabled(hotKey, desired(hotKey));
    for (const auto hotKey : kCmdGraveKeys) hotKeys_.setEnabled(hotKey, desired(hotKey));
    log_.logf("Tavelin symbolic hotkeys tab=%d grave=%d", desired(1) ? 1 : 0, desired(6) ? 1 : 0);
}

bool SystemAppSwitcherHotKeys::isAvailable() {
    if (!available_) {
        available_ = hotKeys_.lookUpSetEnabled();
        if (!*available_) log_.log("Tavelin: CGSSetSymbolicHotKeyEnabled not found");
    }
    return *available_;
}

bool SystemAppSwitcherHotKeys::desired(std::uint32_t hotKey) const {
    const auto found = desiredEnabled_.find(hotKey);
    return found == desiredEnabled_.end() || found->second;
}

}  // namespace tavelin
