#pragma once

// The commands a person types into the tavelin program to act on the simulated Mac, one per line:
//     launch BUNDLE_ID, quit BUNDLE_ID, activate BUNDLE_ID, hide BUNDLE_ID, unhide BUNDLE_ID
//     trash-add NAME, trash-remove NAME   (a file in the Trash; NAME is a plain file name, blanks allowed)
//     quit                                (ends the program)
// Each gives one line to show (empty for an empty line), or why the line was refused: an unknown
// command, or one the world could not carry out. Main thread.

#include <expected>
#include <string>
#include <string_view>

#include "platform/sim/SimMac.h"

namespace tavelin {

std::expected<std::string, std::string> runWorldCommand(std::string_view line, sim::SimMac& mac);

}  // namespace tavelin
