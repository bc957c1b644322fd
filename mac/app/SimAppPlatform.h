#pragma once

// The application's platform on the simulated Mac: every interface answered by the one SimMac world.

#include "mac/app/AppPlatform.h"
#include "platform/sim/SimMac.h"

namespace tavelin {

AppPlatform simAppPlatform(sim::SimMac& mac, Scheduler& scheduler, SystemLog& log, WindowActionLog& windowActionLog,
                           FileWatcher& fileWatcher);

}  // namespace tavelin
