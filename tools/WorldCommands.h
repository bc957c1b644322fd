#pragma once

// The commands a person types into the tavelin program to act on the simulated Mac, one per line:
//     launch BUNDLE_ID, quit BUNDLE_ID, activate BUNDLE_ID, hide BUNDLE_ID, unhide BUNDLE_ID
//     trash-add NAME, trash-remove NAME   (a file in the Trash; NAME is a plain file name, blanks allowed)
//     help
// (The program itself takes "show", which opens the switcher's panel.)
//     quit                                (ends the program)
// Each gives one line to show (empty for an empty line). Main thread.

#include <string>
#include <string_view>

#include "platform/sim/SimMac.h"

namespace tavelin {

std::string runWorldCommand(std::string_view line, sim::SimMac& mac);

extern const char* const kWorldCommandsHelp;

}  // namespace tavelin
