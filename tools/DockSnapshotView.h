#pragma once

// A short readable view of a Dock snapshot, for people watching the tavelin program:
//
//     Dock: generation 3, event sequence 3
//       fixed apps:    Finder (running)  Safari (running, active)  Notes
//       running apps:  Preview (recent)  Terminal (running)
//       others:        Downloads  Applications  Trash (empty)

#include <string>

#include "protocol/DockSnapshot.h"

namespace tavelin {

std::string readableDockSnapshot(const DockSnapshot& snapshot);

}  // namespace tavelin
