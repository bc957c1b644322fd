#include "runtime/Timeout.h"

#include <algorithm>

namespace tavelin::detail {
namespace {

// How often a blocked wait looks whether the answer has come.
constexpr Duration kPollInterval = std::chrono::milliseconds(10);

}  // namespace

bool AnswerDecision::isDecided() const {
    std::lock_guard lock(mutex_);
    return decided_;
}

bool AnswerDecision::abandon() {
    std::lock_guard lock(mutex_);
    if (decided_) return false;
    decided_ = true;
    return true;
}

bool waitBlocking(Scheduler& scheduler, Duration limit, AnswerDecision& decision) {
    const auto& clock = scheduler.clock();
    const Duration deadline = clock.uptime() + limit;
    while (!decision.isDecided()) {
        const Duration now = clock.uptime();
        if (now >= deadline && decision.abandon()) return false;
        scheduler.sleepBlocking(std::clamp(deadline - now, Duration::zero(), kPollInterval));
    }
    return true;
}

}  // namespace tavelin::detail
