#pragma once

// The simulated Mac's privacy state beyond Accessibility trust. A test sets what holds and how the
// user answers the screen-capture request; the request is counted, and shown only the first time, as
// the system shows it. Main thread, but for screenCaptureAccessNow(): the window server and the
// screen-capture framework, which any thread may call, read the permission through it.

#include <atomic>
#include <map>
#include <string>

#include "platform/Privacy.h"
#include "platform/sim/SimCallTrace.h"
#include "runtime/SequenceChecker.h"

namespace tavelin::sim {

class SimPrivacy final : public Privacy {
  public:
    // How the user answers the system's screen-capture request.
    enum class ScreenCaptureAnswer {
        deny,
        grant,               // the grant shows in this process at once
        grantAfterRelaunch,  // the grant is recorded, but this process sees it only after a relaunch
    };

    explicit SimPrivacy(SequenceChecker mainThread) : mainThread_(mainThread) {}

    bool preflightScreenCaptureAccess() const override {
        mainThread_.check();
        if (trace_) trace_->record("Privacy.preflightScreenCaptureAccess");
        return screenCaptureVisible_;
    }
    bool requestScreenCaptureAccess() override;
    std::optional<int> tccAccessPreflight(std::string_view serviceConstant) const override;

    // --- The world's side ---

    void setScreenCaptureAccess(bool granted) {
        screenCaptureGranted_ = granted;
        screenCaptureVisible_ = granted;
    }
    void setScreenCaptureAnswer(ScreenCaptureAnswer answer) { screenCaptureAnswer_ = answer; }
    // What this process sees of the permission; asking here records nothing. Any thread.
    bool screenCaptureAccessNow() const { return screenCaptureVisible_; }
    int screenCaptureRequestCount() const { return screenCaptureRequests_; }
    // The system's record, whatever this process sees.
    bool screenCaptureGranted() const { return screenCaptureGranted_; }

    // Without a framework, every preflight gives none; with it, a service without an answer too.
    void setTCCFrameworkPresent(bool present) { tccFrameworkPresent_ = present; }
    // The world's call trace, once the world has set it.
    void setCallTrace(SimCallTrace* trace) { trace_ = trace; }
    void setTCCAnswer(std::string serviceConstant, int result) {
        tccAnswers_.insert_or_assign(std::move(serviceConstant), result);
    }

  private:
    SequenceChecker mainThread_;
    SimCallTrace* trace_ = nullptr;
    bool screenCaptureGranted_ = false;
    std::atomic<bool> screenCaptureVisible_ = false;
    ScreenCaptureAnswer screenCaptureAnswer_ = ScreenCaptureAnswer::deny;
    int screenCaptureRequests_ = 0;
    bool tccFrameworkPresent_ = false;
    std::map<std::string, int, std::less<>> tccAnswers_;
};

}  // namespace tavelin::sim
