#include "mac/app/StatusItemController.h"

namespace tavelin {

StatusItemController::StatusItemController(const AppSettings& settings, Actions actions, StatusBar& statusBar,
                                           Queue& mainQueue)
    : settings_(settings), item_(statusBar.makeStatusItem()) {
    item_->setImage(StatusItemImage{std::string(kSymbolName), true, std::string(kAccessibilityDescription)});
    rebuildMenu(std::move(actions));
    // The announcement comes before the new value is stored: it is read once the main queue gets to it.
    // The subscription ends with the controller, and with it whatever it queued.
    settingsSubscription_ = settings_.objectWillChange().receiveOn(mainQueue).sink(
        [this](const std::monostate&) { updateVisibility(); });
    updateVisibility();
}

void StatusItemController::rebuildMenu(Actions actions) {
    item_->setMenu({
        {std::string(kShowSwitcherTitle), "", std::move(actions.onShowSwitcher)},
        {},
        {std::string(kSettingsTitle), ",", std::move(actions.onOpenSettings)},
        {std::string(kAddDeviceTitle), "", std::move(actions.onAddDevice)},
        {std::string(kCheckForUpdatesTitle), "", std::move(actions.onCheckUpdates)},
        {},
        {std::string(kQuitTitle), "q", std::move(actions.onQuit)},
    });
}

void StatusItemController::updateVisibility() { item_->setVisible(settings_.showStatusItem.value()); }

}  // namespace tavelin
