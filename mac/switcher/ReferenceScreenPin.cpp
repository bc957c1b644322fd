#include "mac/switcher/ReferenceScreenPin.h"

#include <utility>

#include "mac/windows/WindowActionDisplayResolver.h"

namespace tavelin {

ReferenceScreenPin::ReferenceScreenPin(const std::shared_ptr<WindowActionDisplayResolver>& resolver,
                                       const std::optional<ScreenID>& screenID)
    : resolver_(resolver) {
    ++resolver->pinDepth;
    if (screenID) resolver->pinnedScreenID = screenID;
}

ReferenceScreenPin::ReferenceScreenPin(ReferenceScreenPin&& other) noexcept
    : resolver_(std::exchange(other.resolver_, {})) {}

void ReferenceScreenPin::release() {
    if (const auto resolver = std::exchange(resolver_, {}).lock()) resolver->unpinReferenceScreen();
}

}  // namespace tavelin
