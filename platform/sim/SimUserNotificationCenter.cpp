#include "platform/sim/SimUserNotificationCenter.h"

#include <memory>

namespace tavelin::sim {

void SimUserNotificationCenter::getNotificationSettings(SettingsHandler handler) {
    if (trace_) trace_->record("UserNotifications.getNotificationSettings");
    systemQueue_.async([handler = std::move(handler), status = status_]() mutable { handler(status); });
}

void SimUserNotificationCenter::requestAuthorization(std::uint32_t options, AuthorizationHandler handler) {
    if (trace_) trace_->record("UserNotifications.requestAuthorization " + std::to_string(options));
    requests_.push_back(options);
    if (status_ == NotificationAuthorizationStatus::notDetermined) {
        status_ = userAllows_ ? NotificationAuthorizationStatus::authorized
                              : NotificationAuthorizationStatus::denied;
    }
    const bool granted = status_ != NotificationAuthorizationStatus::denied &&
                         status_ != NotificationAuthorizationStatus::notDetermined;
    systemQueue_.async([handler = std::move(handler), granted]() mutable { handler(granted, std::nullopt); });
}

}  // namespace tavelin::sim
