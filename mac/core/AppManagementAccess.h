#pragma once

// Whether the program holds App Management, as the private privacy framework tells; unknown when the
// framework or what the program looks up in it is missing.

#include "platform/Privacy.h"

namespace tavelin {

enum class AppManagementAccessState { granted, denied, unknown };

struct AppManagementAccess {
    static AppManagementAccessState query(const Privacy& privacy) {
        const auto result = privacy.tccAccessPreflight(kTCCServiceSystemPolicyAppBundles);
        if (!result) return AppManagementAccessState::unknown;
        return *result == 0 ? AppManagementAccessState::granted : AppManagementAccessState::denied;
    }
};

}  // namespace tavelin
