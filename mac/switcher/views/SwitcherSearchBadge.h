#pragma once

// The search text over the top of the panel, beside a magnifying glass, on a capsule; nothing at all
// (no room taken) while there is no search text.

#include <string>

#include "platform/ui/Node.h"

namespace tavelin {

namespace ui {
struct Environment;
}

struct SwitcherSearchBadge {
    std::string text;

    ui::View body(const ui::Environment& environment) const;
};

}  // namespace tavelin
