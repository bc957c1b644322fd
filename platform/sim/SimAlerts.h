#pragma once

// The simulated Mac's modal alerts: each is recorded and dismissed at once. Main thread.

#include <vector>

#include "platform/Alerts.h"

namespace tavelin::sim {

class SimAlerts final : public Alerts {
  public:
    void runInformationalAlert(std::string messageKey) override { shown_.push_back(std::move(messageKey)); }

    // The message keys of the alerts shown, in order.
    const std::vector<std::string>& shown() const { return shown_; }

  private:
    std::vector<std::string> shown_;
};

}  // namespace tavelin::sim
