#include "mac/switcher/ReferenceScreenPin.h"

#include <utility>

#include "mac/windows/WindowActionDisplayResolver.h"

namespace tavelin {

ReferenceScreenPin::ReferenceScreenPin(WindowActionDisplayResolver& resolver, const std::optional<ScreenID>& screenID)
    : resolver_(&resolver) {
    ++resolver.pinDepth;
    if (screenID) resolver.pinnedScreenID = screenID;
}

ReferenceScreenPin::ReferenceScreenPin(ReferenceScreenPin&& other) noexcept
    : resolver_(std::exchange(other.resolver_, nullptr)) {}

void ReferenceScreenPin::release() {
    if (auto* resolver = std::exchange(resolver_, nullptr)) resolver->unpinReferenceScreen();
}

}  // namespace tavelin
