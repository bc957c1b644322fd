#pragma once

// A short readable view of the switcher's open panel, for people driving the tavelin program: where
// the panel stands, its tiers with the selected cell in brackets ("|" a separator line, "_" a gap),
// and the selection:
//
//     Switcher: panel 368x176 at (536, 349.5)
//       fixed apps:    Finder  Safari  [Notes]
//       others:        Downloads  |  Trash
//       selected: Notes

#include <string>

#include "mac/switcher/SwitcherController.h"

namespace tavelin {

std::string readableSwitcherPanel(SwitcherController& switcher);

}  // namespace tavelin
