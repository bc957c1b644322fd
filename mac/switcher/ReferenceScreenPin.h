#pragma once

// One pin of the window actions' reference display, taken when a switcher action chooses the panel's
// screen and held until that action has ended, on whatever path it ends: the pin is released when its
// holder goes (or by release(), once), unless the resolver has gone first (a task dropped at the
// process's end). A moved-from pin holds nothing. Main thread, as the resolver.

#include <memory>
#include <optional>

#include "protocol/Identifiers.h"

namespace tavelin {

class WindowActionDisplayResolver;

class ReferenceScreenPin {
  public:
    // Raises the resolver's depth; names the pinned screen only when there is one.
    ReferenceScreenPin(const std::shared_ptr<WindowActionDisplayResolver>& resolver,
                       const std::optional<ScreenID>& screenID);
    ReferenceScreenPin(ReferenceScreenPin&& other) noexcept;
    ReferenceScreenPin(const ReferenceScreenPin&) = delete;
    ReferenceScreenPin& operator=(const ReferenceScreenPin&) = delete;
    ReferenceScreenPin& operator=(ReferenceScreenPin&&) = delete;
    ~ReferenceScreenPin() { release(); }

    void release();

  private:
    std::weak_ptr<WindowActionDisplayResolver> resolver_;
};

}  // namespace tavelin
