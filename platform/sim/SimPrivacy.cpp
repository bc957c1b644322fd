#include "platform/sim/SimPrivacy.h"

namespace tavelin::sim {

bool SimPrivacy::requestScreenCaptureAccess() {
    mainThread_.check();
    if (++screenCaptureRequests_ == 1 && !screenCaptureGranted_) {
        switch (screenCaptureAnswer_) {
            case ScreenCaptureAnswer::deny:
                break;
            case ScreenCaptureAnswer::grant:
                setScreenCaptureAccess(true);
                break;
            case ScreenCaptureAnswer::grantAfterRelaunch:
                screenCaptureGranted_ = true;
                break;
        }
    }
    return screenCaptureVisible_;
}

std::optional<int> SimPrivacy::tccAccessPreflight(std::string_view serviceConstant) const {
    mainThread_.check();
    if (!tccFrameworkPresent_) return std::nullopt;
    const auto found = tccAnswers_.find(serviceConstant);
    return found == tccAnswers_.end() ? std::nullopt : std::optional(found->second);
}

}  // namespace tavelin::sim
