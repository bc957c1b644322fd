#pragma once

// The simulated Mac's modal alerts: each is recorded and answered. A question gets the answer a test
// scripted for it, in order, and the default button (the first) when none is left. An answer may take
// the user a while: the call then blocks the main thread for that long, as the platform's modal loop
// does, while the world's own events go on (an application quitting, another one starting). Main thread.

#include <deque>
#include <vector>

#include "platform/Alerts.h"
#include "runtime/Scheduler.h"
#include "runtime/SequenceChecker.h"

namespace tavelin::sim {

class SimAlerts final : public Alerts {
  public:
    explicit SimAlerts(Scheduler& scheduler) : scheduler_(scheduler), mainThread_(scheduler.main()) {}

    void runInformationalAlert(std::string messageKey) override {
        mainThread_.check();
        shown_.push_back(std::move(messageKey));
    }
    ModalAlertResponse runModal(ModalAlert alert) override {
        mainThread_.check();
        questions_.push_back(std::move(alert));
        if (answers_.empty()) return {};
        const auto answer = answers_.front();
        answers_.pop_front();
        if (answer.after > Duration::zero()) scheduler_.sleepBlocking(answer.after);
        return answer.response;
    }

    // The message keys of the alerts shown, in order.
    const std::vector<std::string>& shown() const { return shown_; }
    // The questions asked, in order, and how the user answers the next ones, and how long after.
    const std::vector<ModalAlert>& questions() const { return questions_; }
    void scriptAnswer(ModalAlertResponse answer, Duration after = Duration::zero()) {
        answers_.push_back({answer, after});
    }

  private:
    struct Answer {
        ModalAlertResponse response;
        Duration after{};
    };

    Scheduler& scheduler_;
    SequenceChecker mainThread_;
    std::vector<std::string> shown_;
    std::vector<ModalAlert> questions_;
    std::deque<Answer> answers_;
};

}  // namespace tavelin::sim
