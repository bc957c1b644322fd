#include "mac/switcher/SwitcherPanel.h"

namespace tavelin {

bool SwitcherPanel::makeFirstResponder(Responder* responder) {
    if (locksSearchInput) {
        if (const auto input = searchInput.lock(); input && input.get() != responder) return false;
    }
    return panel_->makeFirstResponder(responder);
}

}  // namespace tavelin
