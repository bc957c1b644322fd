#pragma once

// The simulated Mac's modal alerts: each is recorded and answered at once. A question gets the answer
// a test scripted for it, in order, and the default button when none is left. Main thread.

#include <deque>
#include <vector>

#include "platform/Alerts.h"

namespace tavelin::sim {

class SimAlerts final : public Alerts {
  public:
    void runInformationalAlert(std::string messageKey) override { shown_.push_back(std::move(messageKey)); }
    ModalAlertResponse runModal(ModalAlert alert) override {
        questions_.push_back(std::move(alert));
        if (answers_.empty()) return {};
        const auto answer = answers_.front();
        answers_.pop_front();
        return answer;
    }

    // The message keys of the alerts shown, in order.
    const std::vector<std::string>& shown() const { return shown_; }
    // The questions asked, in order, and how the user answers the next ones.
    const std::vector<ModalAlert>& questions() const { return questions_; }
    void scriptAnswer(ModalAlertResponse answer) { answers_.push_back(answer); }

  private:
    std::vector<std::string> shown_;
    std::vector<ModalAlert> questions_;
    std::deque<ModalAlertResponse> answers_;
};

}  // namespace tavelin::sim
