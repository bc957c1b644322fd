#pragma once

// The simulated user-notification centre: a test sets the authorisation status and how the user
// answers the request; answers arrive on the queue given at construction (the system's), later.
// Main thread.

#include <vector>

#include "platform/UserNotificationCenter.h"
#include "platform/sim/SimCallTrace.h"
#include "runtime/Queue.h"

namespace tavelin::sim {

class SimUserNotificationCenter final : public UserNotificationCenter {
  public:
    explicit SimUserNotificationCenter(Queue& systemQueue) : systemQueue_(systemQueue) {}

    void getNotificationSettings(SettingsHandler handler) override;
    void requestAuthorization(std::uint32_t options, AuthorizationHandler handler) override;

    // --- The world's side ---

    void setAuthorizationStatus(NotificationAuthorizationStatus status) { status_ = status; }
    NotificationAuthorizationStatus authorizationStatus() const { return status_; }
    // What the user answers when asked; by default the user allows.
    void setUserAllows(bool allows) { userAllows_ = allows; }
    // The options of every request, in order.
    const std::vector<std::uint32_t>& authorizationRequests() const { return requests_; }
    // The world's call trace, once the world has set it.
    void setCallTrace(SimCallTrace* trace) { trace_ = trace; }

  private:
    Queue& systemQueue_;
    SimCallTrace* trace_ = nullptr;
    NotificationAuthorizationStatus status_ = NotificationAuthorizationStatus::notDetermined;
    bool userAllows_ = true;
    std::vector<std::uint32_t> requests_;
};

}  // namespace tavelin::sim
