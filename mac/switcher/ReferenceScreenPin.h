#pragma once

// One pin of the window actions' reference display, taken when a switcher action chooses the panel's
// screen and held until that action has ended, on whatever path it ends: the pin is released when its
// holder goes (or by release(), once). A moved-from pin holds nothing. Main thread, as the resolver.

#include <optional>

#include "protocol/Identifiers.h"

namespace tavelin {

class WindowActionDisplayResolver;

class ReferenceScreenPin {
  public:
    // Raises the resolver's depth; names the pinned screen only when there is one.
    ReferenceScreenPin(WindowActionDisplayResolver& resolver, const std::optional<ScreenID>& screenID);
    ReferenceScreenPin(ReferenceScreenPin&& other) noexcept;
    ReferenceScreenPin(const ReferenceScreenPin&) = delete;
    ReferenceScreenPin& operator=(const ReferenceScreenPin&) = delete;
    ReferenceScreenPin& operator=(ReferenceScreenPin&&) = delete;
    ~ReferenceScreenPin() { release(); }

    void release();

  private:
    WindowActionDisplayResolver* resolver_;
};

}  // namespace tavelin
